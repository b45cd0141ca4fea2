// The registry hive in memory and its text form on disk.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace korvex::host::registry {

// ASCII case-insensitive ordering: key and value names ignore case.
struct CaseLess {
  bool operator()(const std::string& a, const std::string& b) const;
};
bool SameName(std::string_view a, std::string_view b);

// A key path of names separated by single backslashes, each 1 to 255 bytes
// without control characters: what the registry functions accept.
bool ValidKeyPath(std::string_view path);

struct Value {
  std::string name;  // as first written
  uint32_t type = 0;
  std::vector<uint8_t> data;
};

struct Key {
  std::string path;           // full path as first created
  std::vector<Value> values;  // in the order they were first written

  Value* Find(std::string_view name);
};

// All keys of one hive by full path; the hive's own root ("") is implicit.
struct Hive {
  std::map<std::string, Key, CaseLess> keys;

  bool Exists(const std::string& path) const { return path.empty() || keys.count(path) != 0; }
  Key* Find(const std::string& path);
  bool HasSubkeys(const std::string& path) const;
  // Adds the key and every missing key above it.
  void AddKey(const std::string& path);
};

// The text form. Parsing skips lines it does not understand.
std::string Serialize(const Hive& hive);
Hive Parse(std::string_view text);

// Loads the hive file (a missing file is an empty hive). False on a read
// error other than absence.
bool Load(const std::string& file, Hive* hive);
// Writes the hive into a new file beside `file` and renames it over `file`.
bool Store(const std::string& file, const Hive& hive);

}  // namespace korvex::host::registry
