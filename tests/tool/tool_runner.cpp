#include "tool/tool_runner.h"

#include "image/files/file_readers.h"

#include <atomic>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace korvex::test {
namespace {

std::string ReadText(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadWholeFile(path);
  return std::string(bytes.begin(), bytes.end());
}

std::atomic<int> runnerCount{0};

}  // namespace

ToolRunner::ToolRunner(std::string folder)
    : folder_(std::move(folder)),
      ns_("korvex-tooltest-" + std::to_string(getpid()) + "-" + std::to_string(runnerCount++)) {}

ToolRunner::~ToolRunner() {
  // The host keeps each block as "/<namespace>.<name>" until it is removed.
  shm_unlink(("/" + ns_ + ".QUOREL_USBCAMERA").c_str());
}

pid_t ToolRunner::Start(const std::string& program, const std::vector<std::string>& args) const {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    if (entry.rfind("XDG_CONFIG_HOME=", 0) != 0 && entry.rfind("KORVEX_SHM_NAMESPACE=", 0) != 0)
      env.push_back(entry);
  }
  env.push_back("XDG_CONFIG_HOME=" + folder_ + "/config");
  env.push_back("KORVEX_SHM_NAMESPACE=" + ns_);

  std::vector<std::string> argv = {program};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> argvp, envp;
  for (std::string& a : argv) argvp.push_back(a.data());
  argvp.push_back(nullptr);
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  const std::string out = folder_ + "/stdout", err = folder_ + "/stderr";
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t child = -1;
  if (posix_spawn(&child, program.c_str(), &actions, nullptr, argvp.data(), envp.data()) != 0)
    child = -1;
  posix_spawn_file_actions_destroy(&actions);
  return child;
}

ToolResult ToolRunner::Finish(pid_t child) const {
  ToolResult result;
  int status = 0;
  if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status))
    result.exitCode = WEXITSTATUS(status);
  result.out = ReadText(folder_ + "/stdout");
  result.err = ReadText(folder_ + "/stderr");
  return result;
}

ToolResult ToolRunner::Run(const std::string& program, const std::vector<std::string>& args) const {
  return Finish(Start(program, args));
}

}  // namespace korvex::test
