// The source tree's layers, as docs/architecture.md draws them: the table
// under "## Layers" names, for each folder of src/, the folders its files
// may include besides its own. Every folder of src/ has a row, and every
// quoted include of every file keeps to its row (a sub-folder's row
// overrides its parent's). Only the Win32 backend includes <windows.h>.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;
using Rules = std::map<std::string, std::set<std::string>>;

std::string Trim(std::string text) {
  const auto first = text.find_first_not_of(" `");
  if (first == std::string::npos) return "";
  const auto last = text.find_last_not_of(" `");
  return text.substr(first, last - first + 1);
}

// The rows of the table under "## Layers": folder -> folders it may include.
Rules ReadRules(const fs::path& document) {
  std::ifstream in(document);
  Rules rules;
  bool inSection = false;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("## ", 0) == 0) inSection = line == "## Layers";
    if (!inSection || line.rfind("| `", 0) != 0) continue;
    const auto bar = line.find('|', 1);
    std::set<std::string>& allowed = rules[Trim(line.substr(1, bar - 1))];
    std::stringstream cell(line.substr(bar + 1, line.rfind('|') - bar - 1));
    for (std::string name; std::getline(cell, name, ',');)
      if (!Trim(name).empty()) allowed.insert(Trim(name));
  }
  return rules;
}

// The row that governs a file: the longest folder of the table it is in.
const std::string* RowOf(const Rules& rules, const std::string& relative) {
  const std::string* best = nullptr;
  for (const auto& [folder, allowed] : rules)
    if (relative.rfind(folder + "/", 0) == 0 && (best == nullptr || folder.size() > best->size()))
      best = &folder;
  return best;
}

TEST(Layering, EveryIncludeKeepsToTheTableOfTheArchitecturePage) {
  const fs::path source = KORVEX_SOURCE_DIR;
  const Rules rules = ReadRules(source.parent_path() / "docs" / "architecture.md");
  ASSERT_GE(rules.size(), 12u) << "the table was read";
  for (const auto& entry : fs::directory_iterator(source)) {
    if (entry.is_directory()) {
      EXPECT_TRUE(rules.count(entry.path().filename().string())) << entry.path() << " has no row";
    }
  }

  int files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(source)) {
    if (!entry.is_regular_file()) continue;
    const std::string relative = fs::relative(entry.path(), source).generic_string();
    const std::string* row = RowOf(rules, relative);
    ASSERT_NE(row, nullptr) << relative;
    const std::string own = relative.substr(0, relative.find('/'));
    const std::set<std::string>& allowed = rules.at(*row);
    ++files;
    std::ifstream in(entry.path());
    for (std::string line; std::getline(in, line);) {
      if (line.rfind("#include <windows.h>", 0) == 0) {
        EXPECT_EQ(relative.rfind("platform/win32/", 0), 0u) << relative << " includes <windows.h>";
      }
      if (line.rfind("#include \"", 0) != 0) continue;
      const std::string target = line.substr(10, line.find('"', 10) - 10);
      const auto slash = target.find('/');
      if (slash == std::string::npos) continue;  // the public header
      const std::string folder = target.substr(0, slash);
      if (folder == own) continue;
      EXPECT_TRUE(allowed.count(folder)) << relative << " (row " << *row << "): " << line;
    }
  }
  EXPECT_GT(files, 150) << "the tree was walked";
}

}  // namespace
