// The registry hive's text file: one "[path]" section per key followed by its
// values, one per line, in the style of exported .reg files.
#include "host/registry_hive.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace korvex::host::registry {
namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

const char kHexDigits[] = "0123456789abcdef";

// The longest name of one key in a path, as the registry functions allow.
constexpr size_t kMaxKeyName = 255;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = Lower(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// A quoted string with backslash escapes for '\\', '"' and control bytes.
void AppendQuoted(std::string& out, std::string_view text) {
  out += '"';
  for (unsigned char c : text) {
    if (c == '\\' || c == '"') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7F) {
      out += "\\x";
      out += kHexDigits[c >> 4];
      out += kHexDigits[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  out += '"';
}

// Reads a quoted string at text[pos]; advances pos past the closing quote.
bool ReadQuoted(std::string_view text, size_t& pos, std::string* out) {
  if (pos >= text.size() || text[pos] != '"') return false;
  ++pos;
  out->clear();
  while (pos < text.size()) {
    char c = text[pos++];
    if (c == '"') return true;
    if (c != '\\') {
      *out += c;
      continue;
    }
    if (pos >= text.size()) return false;
    char e = text[pos++];
    if (e == 'x') {
      if (pos + 2 > text.size()) return false;
      int hi = HexValue(text[pos]), lo = HexValue(text[pos + 1]);
      if (hi < 0 || lo < 0) return false;
      *out += static_cast<char>(hi * 16 + lo);
      pos += 2;
    } else {
      *out += e;
    }
  }
  return false;
}

bool IsPlainString(const std::vector<uint8_t>& data) {
  if (data.empty() || data.back() != 0) return false;
  for (size_t i = 0; i + 1 < data.size(); ++i)
    if (data[i] == 0) return false;
  return true;
}

void AppendValue(std::string& out, const Value& value) {
  AppendQuoted(out, value.name);
  out += '=';
  if (value.type == 4 && value.data.size() == 4) {
    uint32_t v = value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) |
                 (static_cast<uint32_t>(value.data[3]) << 24);
    char buf[16];
    std::snprintf(buf, sizeof buf, "dword:%08x", v);
    out += buf;
  } else if (value.type == 1 && IsPlainString(value.data)) {
    out += "sz:";
    AppendQuoted(out, std::string_view(reinterpret_cast<const char*>(value.data.data()),
                                       value.data.size() - 1));
  } else {
    out += "hex(" + std::to_string(value.type) + "):";
    for (size_t i = 0; i < value.data.size(); ++i) {
      if (i) out += ',';
      out += kHexDigits[value.data[i] >> 4];
      out += kHexDigits[value.data[i] & 15];
    }
  }
  out += '\n';
}

bool ParseValue(std::string_view line, Value* value) {
  size_t pos = 0;
  if (!ReadQuoted(line, pos, &value->name)) return false;
  if (pos >= line.size() || line[pos] != '=') return false;
  std::string_view rest = line.substr(pos + 1);
  value->data.clear();
  if (rest.substr(0, 6) == "dword:") {
    std::string_view digits = rest.substr(6);
    if (digits.size() != 8) return false;
    uint32_t v = 0;
    for (char c : digits) {
      int h = HexValue(c);
      if (h < 0) return false;
      v = v * 16 + static_cast<uint32_t>(h);
    }
    value->type = 4;
    for (int i = 0; i < 4; ++i) value->data.push_back(static_cast<uint8_t>(v >> (8 * i)));
    return true;
  }
  if (rest.substr(0, 3) == "sz:") {
    std::string text;
    size_t p = 3;
    if (!ReadQuoted(rest, p, &text) || p != rest.size()) return false;
    value->type = 1;
    value->data.assign(text.begin(), text.end());
    value->data.push_back(0);
    return true;
  }
  if (rest.substr(0, 4) == "hex(") {
    size_t close = rest.find("):");
    if (close == std::string_view::npos || close == 4) return false;
    uint64_t type = 0;
    for (char c : rest.substr(4, close - 4)) {
      if (c < '0' || c > '9' || type > 0xFFFFFFFFu) return false;
      type = type * 10 + static_cast<uint64_t>(c - '0');
    }
    if (type > 0xFFFFFFFFu) return false;
    value->type = static_cast<uint32_t>(type);
    std::string_view bytes = rest.substr(close + 2);
    for (size_t i = 0; i < bytes.size();) {
      if (i + 2 > bytes.size()) return false;
      int hi = HexValue(bytes[i]), lo = HexValue(bytes[i + 1]);
      if (hi < 0 || lo < 0) return false;
      value->data.push_back(static_cast<uint8_t>(hi * 16 + lo));
      i += 2;
      if (i < bytes.size()) {
        if (bytes[i] != ',') return false;
        ++i;
      }
    }
    return true;
  }
  return false;
}

std::atomic<uint32_t> g_tempCounter{0};

}  // namespace

bool CaseLess::operator()(const std::string& a, const std::string& b) const {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char ca = static_cast<unsigned char>(Lower(a[i]));
    unsigned char cb = static_cast<unsigned char>(Lower(b[i]));
    if (ca != cb) return ca < cb;
  }
  return a.size() < b.size();
}

bool ValidKeyPath(std::string_view path) {
  size_t start = 0;
  while (true) {
    const size_t end = std::min(path.find('\\', start), path.size());
    if (end == start || end - start > kMaxKeyName) return false;
    for (size_t i = start; i < end; ++i)
      if (static_cast<unsigned char>(path[i]) < 0x20) return false;
    if (end == path.size()) return true;
    start = end + 1;
  }
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

Value* Key::Find(std::string_view name) {
  for (Value& v : values)
    if (SameName(v.name, name)) return &v;
  return nullptr;
}

Key* Hive::Find(const std::string& path) {
  auto it = keys.find(path);
  return it == keys.end() ? nullptr : &it->second;
}

bool Hive::HasSubkeys(const std::string& path) const {
  const std::string prefix = path + "\\";
  // Subkeys sort right after the prefix; the first key not below it ends them.
  auto it = keys.lower_bound(prefix);
  return it != keys.end() && it->first.size() > prefix.size() &&
         SameName(std::string_view(it->first).substr(0, prefix.size()), prefix);
}

void Hive::AddKey(const std::string& path) {
  size_t pos = 0;
  while (true) {
    size_t sep = path.find('\\', pos);
    std::string prefix = path.substr(0, sep);
    if (!keys.count(prefix)) keys[prefix].path = prefix;
    if (sep == std::string::npos) break;
    pos = sep + 1;
  }
}

std::string Serialize(const Hive& hive) {
  std::string out = "; Korvex host registry: HKEY_CURRENT_USER\n";
  for (const auto& [name, key] : hive.keys) {
    out += "\n[" + key.path + "]\n";
    for (const Value& v : key.values) AppendValue(out, v);
  }
  return out;
}

Hive Parse(std::string_view text) {
  Hive hive;
  Key* current = nullptr;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      current = nullptr;
      if (line == "[]") {  // values of the hive's root
        current = &hive.keys[""];
        continue;
      }
      if (line.size() < 3 || line.back() != ']') continue;
      std::string path(line.substr(1, line.size() - 2));
      // A key the functions could never create or open is no key.
      if (!ValidKeyPath(path)) continue;
      hive.AddKey(path);
      current = hive.Find(path);
      continue;
    }
    Value value;
    if (current == nullptr || !ParseValue(line, &value)) continue;
    if (Value* existing = current->Find(value.name)) {
      *existing = std::move(value);
    } else {
      current->values.push_back(std::move(value));
    }
  }
  return hive;
}

bool Load(const std::string& file, Hive* hive) {
  int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    *hive = Hive{};
    return errno == ENOENT;
  }
  std::string text;
  char buffer[65536];
  bool ok = true;
  while (true) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    text.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  if (ok) *hive = Parse(text);
  return ok;
}

bool Store(const std::string& file, const Hive& hive) {
  const std::string text = Serialize(hive);
  const std::string temp = file + "." + std::to_string(::getpid()) + "." +
                           std::to_string(g_tempCounter.fetch_add(1)) + ".tmp";
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  bool ok = true;
  size_t done = 0;
  while (ok && done < text.size()) {
    ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0)
      ok = false;
    else
      done += static_cast<size_t>(n);
  }
  // The data must be on disk before the new name points at it, or a crash
  // could leave an empty hive behind.
  if (ok && ::fsync(fd) != 0) ok = false;
  if (::close(fd) != 0) ok = false;
  if (ok && ::rename(temp.c_str(), file.c_str()) != 0) ok = false;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

}  // namespace korvex::host::registry
