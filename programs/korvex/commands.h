// The tool's commands: each one's options as the command line fills them in,
// and the function that runs it and returns an exit code of session.h. The
// command line itself (command_line.cpp) is the only part that knows the
// argument parser.
#pragma once

#include <string>
#include <vector>

namespace korvex::tool {

class Session;

// Options every command takes.
struct CommonOptions {
  int camera = 0;
};

// Options of the commands that take pictures (snap, record, preview).
struct AcquisitionOptions {
  int colorMode = 0;             // 0: keep the camera's
  std::string size;              // "WxH" or "WxH+X+Y"; empty: keep the camera's
  std::vector<std::string> set;  // NAME=VALUE
};
// Opens the chosen camera and applies the acquisition options: kExitOk, or
// the exit code of what failed (after printing why). Every option is checked
// against its range before the camera is opened, so a mistake on the command
// line gives kExitUsage and touches nothing.
int OpenForAcquisition(Session& session, const CommonOptions& common,
                       const AcquisitionOptions& options);

// One parameter value that has passed its range check.
struct Parameter;
struct CheckedValue {
  const Parameter* parameter;
  int value;
};
// Reads NAME VALUE or NAME=VALUE words into checked values; false after
// printing what is wrong (an unknown name, a value outside its range).
bool CheckAssignments(const std::vector<std::string>& words, std::vector<CheckedValue>* out);

// Sets one checked parameter; returns an exit code. Prints "name = value"
// with the value applied when `report` is set.
int SetParameter(Session& session, const CheckedValue& value, bool report);

// list, info
int RunList(const CommonOptions& options);
int RunInfo(const CommonOptions& options);

// get NAME..., set NAME VALUE | NAME=VALUE ...
struct ParameterOptions {
  CommonOptions common;
  std::vector<std::string> words;
};
int RunGet(const ParameterOptions& options);
int RunSet(const ParameterOptions& options);
// The parameters with their ranges, for the help of get and set.
std::string ParameterList();

// snap FILE
struct SnapOptions {
  CommonOptions common;
  AcquisitionOptions acquisition;
  std::string path;
  std::string format;
  int quality = 70;
};
int RunSnap(const SnapOptions& options);

// record FILE
struct RecordOptions {
  CommonOptions common;
  AcquisitionOptions acquisition;
  std::string path;
  double seconds = 5;
};
int RunRecord(const RecordOptions& options);

// preview
struct PreviewOptions {
  CommonOptions common;
  AcquisitionOptions acquisition;
  double seconds = 5;
  int autoBrightness = -1;  // -1: keep the camera's
  bool autoWhiteBalance = false;
};
int RunPreview(const PreviewOptions& options);

// reg, io, srom, config load
struct DeviceOptions {
  CommonOptions common;
  std::string action;  // read or write
  std::vector<std::string> numbers;
  std::string path;
};
int RunRegister(const DeviceOptions& options);
int RunIoPort(const DeviceOptions& options);
int RunSrom(const DeviceOptions& options);
int RunConfigLoad(const DeviceOptions& options);

// Parses the command line (the program name first, see
// CommandLineArguments) and runs the command it names; the exit code.
int RunCommandLine(const std::vector<std::string>& arguments);

}  // namespace korvex::tool
