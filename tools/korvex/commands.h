// The tool's commands. Each Add function registers its subcommands on the
// application; a command's result (an exit code of session.h) goes to
// *exitCode when it runs.
#pragma once

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

namespace korvex::tool {

class Session;

// Options every command takes.
struct CommonOptions {
  int camera = 0;
};
// Adds --camera to a command.
void AddCameraOption(CLI::App* command, CommonOptions* options);

// Options of the commands that take pictures (snap, record, preview).
struct AcquisitionOptions {
  int colorMode = 0;             // 0: keep the camera's
  std::string size;              // "WxH" or "WxH+X+Y"; empty: keep the camera's
  std::vector<std::string> set;  // NAME=VALUE
};
void AddAcquisitionOptions(CLI::App* command, AcquisitionOptions* options);
// Applies them to an open camera; false (after printing why) when one fails.
// *usage is set when the failure is a mistake on the command line.
bool ApplyAcquisitionOptions(Session& session, const AcquisitionOptions& options, bool* usage);
// Opens the chosen camera and applies the acquisition options: kExitOk, or
// the exit code of what failed (after printing why).
int OpenForAcquisition(Session& session, const CommonOptions& common,
                       const AcquisitionOptions& options);

// Sets one parameter by name and reads back what was applied; returns an
// exit code. Prints "name = value" when `report` is set.
int SetParameter(Session& session, const std::string& name, const std::string& value,
                 bool report);

void AddInfoCommands(CLI::App& app, int* exitCode);        // list, info
void AddParameterCommands(CLI::App& app, int* exitCode);   // get, set
void AddSnapCommand(CLI::App& app, int* exitCode);         // snap
void AddRecordCommand(CLI::App& app, int* exitCode);       // record
void AddPreviewCommand(CLI::App& app, int* exitCode);      // preview
void AddDeviceCommands(CLI::App& app, int* exitCode);      // reg, io, srom, config

}  // namespace korvex::tool
