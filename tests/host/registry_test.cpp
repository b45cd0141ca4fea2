// The host registry: typed values, key semantics, the text file and several
// writers at once.
#include "host/registry_test_util.h"

#include <sys/wait.h>
#include <unistd.h>

#include <thread>
#include <vector>

namespace korvex::test {
namespace {

const KorvexHostRegKey kHkcu = KORVEX_HOST_HKEY_CURRENT_USER;

class HostRegistry : public TempRegistry {
 protected:
  KorvexHostRegKey CreateKey(const char* path) {
    KorvexHostRegKey key = nullptr;
    EXPECT_EQ(KorvexHost_RegCreateKey(kHkcu, path, KORVEX_HOST_KEY_ALL_ACCESS, &key, nullptr),
              KORVEX_HOST_REG_OK);
    return key;
  }
  static void SetDword(KorvexHostRegKey key, const char* name, uint32_t v) {
    ASSERT_EQ(KorvexHost_RegSetValue(key, name, KORVEX_HOST_REG_DWORD, &v, 4), KORVEX_HOST_REG_OK);
  }
  static bool GetDword(KorvexHostRegKey key, const char* name, uint32_t* v) {
    uint32_t size = 4;
    return KorvexHost_RegQueryValue(key, name, nullptr, v, &size) == KORVEX_HOST_REG_OK;
  }
};

TEST_F(HostRegistry, KeysAreCreatedWithTheirParentsAndOpenedByPath) {
  KorvexHostRegKey missing = reinterpret_cast<KorvexHostRegKey>(1);
  EXPECT_EQ(KorvexHost_RegOpenKey(kHkcu, "Software\\A", KORVEX_HOST_KEY_READ, &missing),
            KORVEX_HOST_REG_NOT_FOUND);
  EXPECT_EQ(missing, nullptr);

  uint32_t disposition = 0;
  KorvexHostRegKey key = nullptr;
  ASSERT_EQ(KorvexHost_RegCreateKey(kHkcu, "Software\\A\\B", KORVEX_HOST_KEY_ALL_ACCESS, &key,
                                    &disposition),
            KORVEX_HOST_REG_OK);
  EXPECT_EQ(disposition, KORVEX_HOST_REG_CREATED_NEW_KEY);
  KorvexHostRegKey again = nullptr;
  ASSERT_EQ(KorvexHost_RegCreateKey(kHkcu, "software\\a\\b", KORVEX_HOST_KEY_ALL_ACCESS, &again,
                                    &disposition),
            KORVEX_HOST_REG_OK);
  EXPECT_EQ(disposition, KORVEX_HOST_REG_OPENED_EXISTING_KEY);

  KorvexHostRegKey parent = nullptr, child = nullptr;
  ASSERT_EQ(KorvexHost_RegOpenKey(kHkcu, "Software\\A", KORVEX_HOST_KEY_READ, &parent),
            KORVEX_HOST_REG_OK);
  ASSERT_EQ(KorvexHost_RegOpenKey(parent, "B", KORVEX_HOST_KEY_READ, &child), KORVEX_HOST_REG_OK);
  // A key opened for reading cannot create subkeys; bad paths are refused.
  KorvexHostRegKey sub = nullptr;
  EXPECT_EQ(KorvexHost_RegCreateKey(parent, "C", KORVEX_HOST_KEY_ALL_ACCESS, &sub, nullptr),
            KORVEX_HOST_REG_ACCESS_DENIED);
  EXPECT_EQ(KorvexHost_RegCreateKey(kHkcu, "\\Lead", KORVEX_HOST_KEY_ALL_ACCESS, &sub, nullptr),
            KORVEX_HOST_REG_INVALID_PARAMETER);
  EXPECT_EQ(KorvexHost_RegCreateKey(kHkcu, "A\\\\B", KORVEX_HOST_KEY_ALL_ACCESS, &sub, nullptr),
            KORVEX_HOST_REG_INVALID_PARAMETER);

  // Deleting: a key with subkeys is refused, a leaf goes, its handle turns stale.
  EXPECT_EQ(KorvexHost_RegDeleteKey(kHkcu, "Software\\A"), KORVEX_HOST_REG_ACCESS_DENIED);
  EXPECT_EQ(KorvexHost_RegDeleteKey(kHkcu, "Software\\A\\B"), KORVEX_HOST_REG_OK);
  uint32_t v = 1;
  EXPECT_EQ(KorvexHost_RegSetValue(key, "X", KORVEX_HOST_REG_DWORD, &v, 4),
            KORVEX_HOST_REG_KEY_DELETED);

  for (KorvexHostRegKey k : {key, again, parent, child}) EXPECT_EQ(KorvexHost_RegCloseKey(k), 0);
  EXPECT_EQ(KorvexHost_RegCloseKey(key), KORVEX_HOST_REG_INVALID_HANDLE);
  EXPECT_EQ(KorvexHost_RegQueryValue(key, "X", nullptr, nullptr, nullptr),
            KORVEX_HOST_REG_INVALID_HANDLE);
}

TEST_F(HostRegistry, TypedValuesRoundTripThroughTheTextFile) {
  KorvexHostRegKey key = CreateKey("Software\\Quorel\\Camera_00");
  SetDword(key, "Brightness", static_cast<uint32_t>(-20));
  const char text[] = "line \"one\"\\\nline two";
  ASSERT_EQ(KorvexHost_RegSetValue(key, "Name", KORVEX_HOST_REG_SZ, text, sizeof text), 0);
  const uint8_t blob[] = {0x00, 0xff, 0x10};
  ASSERT_EQ(KorvexHost_RegSetValue(key, "Blob", KORVEX_HOST_REG_BINARY, blob, 3), 0);
  const char unterminated[] = {'a', 'b'};
  ASSERT_EQ(KorvexHost_RegSetValue(key, "Raw", KORVEX_HOST_REG_SZ, unterminated, 2), 0);
  KorvexHost_RegCloseKey(key);

  const std::string file = HiveText();
  EXPECT_NE(file.find("[Software\\Quorel\\Camera_00]"), std::string::npos);
  EXPECT_NE(file.find("\"Brightness\"=dword:ffffffec"), std::string::npos);
  EXPECT_NE(file.find("\"Blob\"=hex(3):00,ff,10"), std::string::npos);
  EXPECT_LT(file.find("Brightness"), file.find("Blob"));  // insertion order kept

  ASSERT_EQ(KorvexHost_RegOpenKey(kHkcu, "SOFTWARE\\quorel\\camera_00", KORVEX_HOST_KEY_READ, &key),
            0);
  uint32_t dword = 0;
  ASSERT_TRUE(GetDword(key, "brightness", &dword));
  EXPECT_EQ(dword, 4294967276u);

  uint32_t type = 0, size = 0;
  ASSERT_EQ(KorvexHost_RegQueryValue(key, "Name", &type, nullptr, &size), 0);
  EXPECT_EQ(type, static_cast<uint32_t>(KORVEX_HOST_REG_SZ));
  EXPECT_EQ(size, sizeof text);
  char back[64] = {};
  size = 4;
  EXPECT_EQ(KorvexHost_RegQueryValue(key, "Name", nullptr, back, &size), KORVEX_HOST_REG_MORE_DATA);
  EXPECT_EQ(size, sizeof text);
  EXPECT_EQ(back[0], 0);  // nothing written into a short buffer
  size = sizeof back;
  ASSERT_EQ(KorvexHost_RegQueryValue(key, "Name", nullptr, back, &size), 0);
  EXPECT_STREQ(back, text);

  uint8_t bytes[8] = {};
  size = sizeof bytes;
  ASSERT_EQ(KorvexHost_RegQueryValue(key, "Blob", &type, bytes, &size), 0);
  EXPECT_EQ(type, static_cast<uint32_t>(KORVEX_HOST_REG_BINARY));
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(bytes[1], 0xff);
  size = sizeof bytes;
  ASSERT_EQ(KorvexHost_RegQueryValue(key, "Raw", &type, bytes, &size), 0);
  EXPECT_EQ(size, 2u);
  EXPECT_EQ(bytes[0], 'a');

  // A key opened for reading cannot write.
  EXPECT_EQ(KorvexHost_RegSetValue(key, "Brightness", KORVEX_HOST_REG_DWORD, &dword, 4),
            KORVEX_HOST_REG_ACCESS_DENIED);
  EXPECT_EQ(KorvexHost_RegQueryValue(key, "Absent", nullptr, nullptr, nullptr),
            KORVEX_HOST_REG_NOT_FOUND);
  KorvexHost_RegCloseKey(key);

  key = CreateKey("Software\\Quorel\\Camera_00");
  EXPECT_EQ(KorvexHost_RegDeleteValue(key, "BLOB"), 0);
  EXPECT_EQ(KorvexHost_RegQueryValue(key, "Blob", nullptr, nullptr, nullptr),
            KORVEX_HOST_REG_NOT_FOUND);
  KorvexHost_RegCloseKey(key);
}

TEST_F(HostRegistry, DefaultFolderFollowsXdgConfigHome) {
  const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
  const std::string saved = oldXdg ? oldXdg : "";
  KorvexHost_RegSetRoot(nullptr);
  char buffer[512];
  setenv("XDG_CONFIG_HOME", "/somewhere/config", 1);
  KorvexHost_RegGetRoot(buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "/somewhere/config/korvex/registry");
  unsetenv("XDG_CONFIG_HOME");
  KorvexHost_RegGetRoot(buffer, sizeof buffer);
  EXPECT_EQ(std::string(buffer), std::string(std::getenv("HOME")) + "/.config/korvex/registry");
  if (oldXdg) setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  KorvexHost_RegSetRoot(folder_.c_str());
  KorvexHost_RegGetRoot(buffer, sizeof buffer);
  EXPECT_EQ(std::string(buffer), folder_);
}

// Each writer adds its own values to one shared key; every one must survive.
void WriteMany(int writer, int count) {
  KorvexHostRegKey key = nullptr;
  if (KorvexHost_RegCreateKey(kHkcu, "Shared", KORVEX_HOST_KEY_ALL_ACCESS, &key, nullptr) != 0)
    return;
  for (int i = 0; i < count; ++i) {
    const std::string name = "W" + std::to_string(writer) + "_" + std::to_string(i);
    uint32_t v = static_cast<uint32_t>(writer * 1000 + i);
    KorvexHost_RegSetValue(key, name.c_str(), KORVEX_HOST_REG_DWORD, &v, 4);
  }
  KorvexHost_RegCloseKey(key);
}

void ExpectAllWritten(int writers, int count) {
  KorvexHostRegKey key = nullptr;
  ASSERT_EQ(KorvexHost_RegOpenKey(kHkcu, "Shared", KORVEX_HOST_KEY_READ, &key), 0);
  int found = 0;
  for (int w = 0; w < writers; ++w) {
    for (int i = 0; i < count; ++i) {
      const std::string name = "W" + std::to_string(w) + "_" + std::to_string(i);
      uint32_t v = 0, size = 4;
      if (KorvexHost_RegQueryValue(key, name.c_str(), nullptr, &v, &size) == 0 &&
          v == static_cast<uint32_t>(w * 1000 + i))
        ++found;
    }
  }
  EXPECT_EQ(found, writers * count);
  KorvexHost_RegCloseKey(key);
}

TEST_F(HostRegistry, ConcurrentProcessesLoseNoUpdate) {
  constexpr int kWriters = 4, kCount = 40;
  std::vector<pid_t> children;
  for (int w = 0; w < kWriters; ++w) {
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      WriteMany(w, kCount);
      _exit(0);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  ExpectAllWritten(kWriters, kCount);
}

TEST_F(HostRegistry, ConcurrentThreadsLoseNoUpdate) {
  constexpr int kWriters = 3, kCount = 20;
  std::vector<std::thread> threads;
  for (int w = 0; w < kWriters; ++w) threads.emplace_back(WriteMany, w, kCount);
  for (auto& t : threads) t.join();
  ExpectAllWritten(kWriters, kCount);
}

}  // namespace
}  // namespace korvex::test
