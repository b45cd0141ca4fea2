// Runs a program of the build (the korvex tool, the examples) as a child
// process with its own settings folder and ownership-table namespace, its
// output captured in files (so it is not a terminal).
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace korvex::test {

struct ToolResult {
  int exitCode = -1;  // -1 when the program did not end normally
  std::string out, err;
};

class ToolRunner {
 public:
  // Output files and the settings folder go below `folder`.
  explicit ToolRunner(std::string folder);
  ~ToolRunner();  // removes the ownership table the children made

  // Runs the program to its end.
  ToolResult Run(const std::string& program, const std::vector<std::string>& args) const;
  // Starts it without waiting; Finish waits for it.
  pid_t Start(const std::string& program, const std::vector<std::string>& args) const;
  ToolResult Finish(pid_t child) const;

 private:
  std::string folder_, ns_;
};

}  // namespace korvex::test
