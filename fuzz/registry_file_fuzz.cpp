// The registry's hive file is plain text a user may edit by hand. Whatever it
// holds, reading it must not crash, what is read must survive a write and a
// second read unchanged, and the public functions must report exactly the
// keys and values the parser found.
#include "fuzz_environment.h"
#include "host/registry_hive.h"

#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <string_view>

namespace {

using korvex::host::registry::Hive;
using korvex::host::registry::Key;
using korvex::host::registry::Value;

bool SameHive(const Hive& a, const Hive& b) {
  if (a.keys.size() != b.keys.size()) return false;
  auto ia = a.keys.begin();
  auto ib = b.keys.begin();
  for (; ia != a.keys.end(); ++ia, ++ib) {
    const Key& ka = ia->second;
    const Key& kb = ib->second;
    if (ka.path != kb.path || ka.values.size() != kb.values.size()) return false;
    for (size_t i = 0; i < ka.values.size(); ++i) {
      const Value& va = ka.values[i];
      const Value& vb = kb.values[i];
      if (va.name != vb.name || va.type != vb.type || va.data != vb.data) return false;
    }
  }
  return true;
}

// Every value the parser found reads back through the public functions with
// its type and bytes.
void CheckPublicView(const Hive& hive) {
  for (const auto& [name, key] : hive.keys) {
    KorvexHostRegKey handle = nullptr;
    const int32_t opened = KorvexHost_RegOpenKey(KORVEX_HOST_HKEY_CURRENT_USER, key.path.c_str(),
                                                 KORVEX_HOST_KEY_READ, &handle);
    // A path with an empty, over-long or control-character name cannot be
    // asked for through the functions; the hive may still hold it.
    if (opened != KORVEX_HOST_REG_OK) {
      KORVEX_FUZZ_CHECK(handle == nullptr, "a failed open leaves no handle");
      continue;
    }
    for (const Value& value : key.values) {
      if (value.name.find('\0') != std::string::npos) continue;  // not nameable in C
      uint32_t type = 0, size = 0;
      KORVEX_FUZZ_CHECK(KorvexHost_RegQueryValue(handle, value.name.c_str(), &type, nullptr,
                                                 &size) == KORVEX_HOST_REG_OK,
                        "a parsed value can be queried");
      KORVEX_FUZZ_CHECK(type == value.type && size == value.data.size(), "type and size as parsed");
      std::string data(size + 1, '\x5A');
      uint32_t room = size + 1;
      KORVEX_FUZZ_CHECK(KorvexHost_RegQueryValue(handle, value.name.c_str(), &type, data.data(),
                                                 &room) == KORVEX_HOST_REG_OK,
                        "a parsed value can be read");
      KORVEX_FUZZ_CHECK(room == size &&
                            (size == 0 || std::memcmp(data.data(), value.data.data(), size) == 0) &&
                            data[size] == '\x5A',
                        "bytes as parsed, nothing written past them");
    }
    KorvexHost_RegCloseKey(handle);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto& environment = korvex::fuzz::PrivateEnvironment::Get();
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  const Hive parsed = korvex::host::registry::Parse(text);
  for (const auto& [name, key] : parsed.keys) {
    for (size_t i = 0; i < key.values.size(); ++i)
      for (size_t j = i + 1; j < key.values.size(); ++j)
        KORVEX_FUZZ_CHECK(!korvex::host::registry::SameName(key.values[i].name, key.values[j].name),
                          "one value per name in a key");
  }
  const std::string written = korvex::host::registry::Serialize(parsed);
  const Hive reread = korvex::host::registry::Parse(written);
  KORVEX_FUZZ_CHECK(SameHive(parsed, reread), "a written hive reads back the same");
  KORVEX_FUZZ_CHECK(korvex::host::registry::Serialize(reread) == written, "writing is stable");

  // The same text as the hive file of the private registry.
  const std::string folder = environment.Folder() + "/registry";
  std::filesystem::create_directories(folder);
  {
    std::ofstream file(folder + "/HKEY_CURRENT_USER.reg", std::ios::binary | std::ios::trunc);
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
  }
  Hive loaded;
  KORVEX_FUZZ_CHECK(korvex::host::registry::Load(folder + "/HKEY_CURRENT_USER.reg", &loaded),
                    "the file loads");
  KORVEX_FUZZ_CHECK(SameHive(parsed, loaded), "the file reads as its text parses");
  CheckPublicView(parsed);
  return 0;
}
