// The command line: every command with its options and help, parsed by
// CLI11. The parser is large and compiles slowly, so this is the one file
// that includes it; the commands themselves only see their option records.
#include "commands.h"
#include "korvex_version.h"
#include "session.h"

#include <CLI/CLI.hpp>

#include <map>

namespace korvex::tool {
namespace {

void AddCameraOption(CLI::App* command, CommonOptions* options) {
  command->add_option("--camera", options->camera, "camera number, 0 to 31 (default 0)")
      ->check(CLI::Range(0, 31));
}

void AddAcquisitionOptions(CLI::App* command, AcquisitionOptions* options) {
  command
      ->add_option("--color-mode", options->colorMode,
                   "bits per pixel: 8 or 16 gray, 24, 32, 48 or 64 colour")
      ->check(CLI::IsMember({8, 16, 24, 32, 48, 64}));
  command->add_option("--size", options->size,
                      "image size WxH, centred, or WxH+LEFT+TOP (sensor 2560x1920)");
  command->add_option("--set", options->set,
                      "NAME=VALUE: set a parameter first (repeatable; see 'korvex get')");
}

// What the parsed command line asked for: the options the commands read.
struct Parsed {
  CommonOptions info;
  ParameterOptions get, set;
  SnapOptions snap;
  RecordOptions record;
  PreviewOptions preview;
  DeviceOptions reg, io, srom, config;
};

void AddInfoCommands(CLI::App& app, Parsed& p, int* exitCode) {
  CLI::App* list = app.add_subcommand("list", "list the cameras present");
  AddCameraOption(list, &p.info);
  list->callback([&p, exitCode] { *exitCode = RunList(p.info); });

  CLI::App* info = app.add_subcommand(
      "info", "camera information, serial-ROM identification, library version, settings");
  AddCameraOption(info, &p.info);
  info->callback([&p, exitCode] { *exitCode = RunInfo(p.info); });
}

void AddParameterCommands(CLI::App& app, Parsed& p, int* exitCode) {
  CLI::App* get = app.add_subcommand("get", "read parameters (all when none is named)");
  get->footer(ParameterList());
  AddCameraOption(get, &p.get.common);
  get->add_option("names", p.get.words, "parameter names");
  get->callback([&p, exitCode] { *exitCode = RunGet(p.get); });

  CLI::App* set = app.add_subcommand(
      "set", "write parameters and print the values applied: NAME VALUE or NAME=VALUE ...");
  set->footer(ParameterList());
  AddCameraOption(set, &p.set.common);
  set->add_option("assignments", p.set.words, "NAME VALUE or NAME=VALUE, one or more")->required();
  set->callback([&p, exitCode] { *exitCode = RunSet(p.set); });
}

void AddSnapCommand(CLI::App& app, Parsed& p, int* exitCode) {
  SnapOptions& o = p.snap;
  CLI::App* snap = app.add_subcommand(
      "snap", "take one picture and save it (.bmp .raw .jpg .png .tif, or --format)");
  AddCameraOption(snap, &o.common);
  AddAcquisitionOptions(snap, &o.acquisition);
  snap->add_option("file", o.path, "the file to write")->required();
  snap->add_option("--format", o.format, "bmp, raw, jpeg, png or tiff (default: from the name)");
  snap->add_option("--quality", o.quality, "JPEG quality: 20, 70 (default) or 100")
      ->check(CLI::IsMember({20, 70, 100}));
  snap->callback([&o, exitCode] { *exitCode = RunSnap(o); });
}

void AddRecordCommand(CLI::App& app, Parsed& p, int* exitCode) {
  RecordOptions& o = p.record;
  CLI::App* record =
      app.add_subcommand("record", "record the live picture into an AVI file (Ctrl-C stops)");
  AddCameraOption(record, &o.common);
  AddAcquisitionOptions(record, &o.acquisition);
  record->add_option("file", o.path, "the AVI file to write")->required();
  record->add_option("--seconds", o.seconds, "how long to record (default 5)");
  record->callback([&o, exitCode] { *exitCode = RunRecord(o); });
}

void AddPreviewCommand(CLI::App& app, Parsed& p, int* exitCode) {
  PreviewOptions& o = p.preview;
  CLI::App* preview = app.add_subcommand(
      "preview",
      "run the live picture, printing frame rate, gain, exposure and white balance "
      "each second (Ctrl-C stops)");
  AddCameraOption(preview, &o.common);
  AddAcquisitionOptions(preview, &o.acquisition);
  preview->add_option("--seconds", o.seconds, "how long to run (default 5)");
  preview
      ->add_option("--auto-brightness", o.autoBrightness,
                   "automatic brightness: off, exposure or gain")
      ->transform(CLI::CheckedTransformer(
          std::map<std::string, int>{{"off", 0}, {"exposure", 1}, {"gain", 2}}, CLI::ignore_case));
  preview->add_flag("--auto-white-balance", o.autoWhiteBalance,
                    "balance white automatically on every frame");
  preview->callback([&o, exitCode] { *exitCode = RunPreview(o); });
}

void AddDeviceCommands(CLI::App& app, Parsed& p, int* exitCode) {
  CLI::App* r = app.add_subcommand("reg",
                                   "read or write a sensor register: "
                                   "reg read REG | reg write REG VALUE");
  AddCameraOption(r, &p.reg.common);
  r->add_option("action", p.reg.action, "read or write")
      ->required()
      ->check(CLI::IsMember({"read", "write"}));
  r->add_option("numbers", p.reg.numbers, "register (0 to 255) and, to write, the value");
  r->callback([&p, exitCode] { *exitCode = RunRegister(p.reg); });

  CLI::App* i = app.add_subcommand("io", "read the I/O port, or write it: io [VALUE]");
  AddCameraOption(i, &p.io.common);
  i->add_option("value", p.io.numbers, "byte to write");
  i->callback([&p, exitCode] { *exitCode = RunIoPort(p.io); });

  CLI::App* s = app.add_subcommand("srom",
                                   "serial-ROM identification bytes: srom read [INDEX [COUNT]] | "
                                   "srom write INDEX BYTE...");
  AddCameraOption(s, &p.srom.common);
  s->add_option("action", p.srom.action, "read or write")
      ->required()
      ->check(CLI::IsMember({"read", "write"}));
  s->add_option("numbers", p.srom.numbers, "index, then a count to read or the bytes to write");
  s->callback([&p, exitCode] { *exitCode = RunSrom(p.srom); });

  CLI::App* c = app.add_subcommand("config", "configuration files: config load FILE");
  AddCameraOption(c, &p.config.common);
  CLI::App* load = c->add_subcommand("load", "load a configuration file into the camera");
  AddCameraOption(load, &p.config.common);
  load->add_option("file", p.config.path, "the file")->required();
  load->callback([&p, exitCode] { *exitCode = RunConfigLoad(p.config); });
  c->require_subcommand(1);
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& arguments) {
  CLI::App app{
      "korvex - the Korvex740K3-XLN camera from the command line.\n"
      "Every command takes --camera N (default 0) and --help. Exit status: 0 success,\n"
      "1 the camera or a file failed, 2 a mistake on the command line, 128 + the\n"
      "signal's number when a signal stopped the run (130 for Ctrl-C; 130 on Windows)."};
  app.require_subcommand(1);
  // The version of the SDK the tool was built with (the file VERSION), as
  // the installers and packages name it.
  app.set_version_flag("--version", "korvex " KORVEX_VERSION_TEXT);
  Parsed parsed;
  int exitCode = kExitOk;
  AddInfoCommands(app, parsed, &exitCode);
  AddParameterCommands(app, parsed, &exitCode);
  AddSnapCommand(app, parsed, &exitCode);
  AddRecordCommand(app, parsed, &exitCode);
  AddPreviewCommand(app, parsed, &exitCode);
  AddDeviceCommands(app, parsed, &exitCode);
  try {
    std::vector<const char*> argv;
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    app.parse(static_cast<int>(argv.size()), argv.data());
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return code == 0 ? kExitOk : kExitUsage;
  }
  return exitCode;
}

}  // namespace korvex::tool
