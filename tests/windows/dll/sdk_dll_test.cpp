// KorvexSdk_740K3_XLN.dll as an application sees it: its export table read
// from the file, every export found by name, the version resource, and, with
// KORVEX_SIMULATED_CAMERAS=2, two cameras, every colour mode, a recording,
// settings in the registry and two processes contending for one camera.
// The NoDriver suite runs without the variable, where no camera exists.
#include "KorvexSdk_740K3_XLN.h"
#include "api/export_table.h"
#include "image/avi/avi_reader.h"
#include "image/files/file_readers.h"
#include "korvex/host_sim.h"
#include "support/registry_util.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace korvex::test {
namespace {

const char kDllName[] = "KorvexSdk_740K3_XLN.dll";

std::string ModulePath(HMODULE module) {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(module, path, MAX_PATH);
  return path;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  return at + 4 <= b.size() ? uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 |
                                  uint32_t{b[at + 2]} << 16 | uint32_t{b[at + 3]} << 24
                            : 0;
}

// The names in a PE file's export directory, read from its bytes.
std::vector<std::string> ExportNames(const std::vector<uint8_t>& pe) {
  std::vector<std::string> names;
  const uint32_t header = U32(pe, 0x3C);
  if (U32(pe, header) != 0x4550) return names;  // "PE\0\0"
  const size_t optional = header + 24;
  if ((U32(pe, optional) & 0xFFFF) != 0x20B) return names;  // PE32+
  const uint32_t exportRva = U32(pe, optional + 112);
  const uint16_t sections = static_cast<uint16_t>(U32(pe, header + 6) & 0xFFFF);
  const uint16_t optionalSize = static_cast<uint16_t>(U32(pe, header + 20) & 0xFFFF);
  const size_t table = optional + optionalSize;
  auto toFile = [&](uint32_t rva) -> size_t {
    for (uint16_t s = 0; s < sections; ++s) {
      const size_t at = table + s * 40u;
      const uint32_t va = U32(pe, at + 12), size = U32(pe, at + 8), raw = U32(pe, at + 20);
      if (rva >= va && rva < va + size) return rva - va + raw;
    }
    return 0;
  };
  const size_t directory = toFile(exportRva);
  if (directory == 0) return names;
  const uint32_t count = U32(pe, directory + 24);
  const size_t nameTable = toFile(U32(pe, directory + 32));
  for (uint32_t i = 0; i < count && nameTable != 0; ++i) {
    const size_t at = toFile(U32(pe, nameTable + 4 * i));
    if (at == 0 || at >= pe.size()) break;
    names.emplace_back(reinterpret_cast<const char*>(&pe[at]),
                       strnlen(reinterpret_cast<const char*>(&pe[at]), pe.size() - at));
  }
  return names;
}

TEST(DllExports, TheFileExportsExactlyTheDocumentedNames) {
  const std::vector<std::string> names =
      ExportNames(ReadFile(ModulePath(::GetModuleHandleA(kDllName))));
  std::set<std::string> documented;
  for (int i = 0; i < kKorvexExportCount; ++i) documented.insert(kKorvexExportTable[i].name);
  ASSERT_EQ(documented.size(), 124u);
  EXPECT_EQ(names.size(), 124u);
  EXPECT_EQ(std::set<std::string>(names.begin(), names.end()), documented);
}

// The table's addresses, taken in C at load time, are the program's import
// stubs (jmp [rip+disp32]); the function is where the stub's slot points.
const void* ThroughImportStub(KorvexExportAddress address) {
  const auto* code = reinterpret_cast<const uint8_t*>(address);
  if (code[0] != 0xFF || code[1] != 0x25) return reinterpret_cast<const void*>(address);
  int32_t displacement;
  std::memcpy(&displacement, code + 2, 4);
  const void* slot = code + 6 + displacement;
  const void* target;
  std::memcpy(&target, slot, sizeof target);
  return target;
}

TEST(DllExports, EveryNameResolvesToTheFunctionTheHeaderDeclares) {
  HMODULE module = ::LoadLibraryA(kDllName);
  ASSERT_NE(module, nullptr);
  for (int i = 0; i < kKorvexExportCount; ++i) {
    const void* found =
        reinterpret_cast<const void*>(::GetProcAddress(module, kKorvexExportTable[i].name));
    ASSERT_NE(found, nullptr) << kKorvexExportTable[i].name;
    EXPECT_EQ(found, ThroughImportStub(kKorvexExportTable[i].address))
        << kKorvexExportTable[i].name;
  }
  EXPECT_EQ(::GetProcAddress(module, "KorvexHost_SimReset"), nullptr);
  ::FreeLibrary(module);
}

TEST(DllExports, VersionResourceMatchesGetDllVersion) {
  const std::string path = ModulePath(::GetModuleHandleA(kDllName));
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<uint8_t> block(size);
  ASSERT_TRUE(::GetFileVersionInfoA(path.c_str(), 0, size, block.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(::VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  const uint32_t fromResource =
      HIWORD(fixed->dwFileVersionMS) << 24 | LOWORD(fixed->dwFileVersionMS) << 16 |
      HIWORD(fixed->dwFileVersionLS) << 8 | LOWORD(fixed->dwFileVersionLS);
  EXPECT_EQ(fromResource, 27788575u);  // 1.168.5.31
  EXPECT_EQ(Korvex_GetDllVersion(), fromResource);
}

uint32_t LastError(KORVEX_HANDLE h) { return Korvex_GetLastError(h); }

bool Simulated() {
  char value[8] = {};
  return ::GetEnvironmentVariableA("KORVEX_SIMULATED_CAMERAS", value, sizeof value) > 0;
}

class SimulatedDll : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Simulated()) GTEST_SKIP() << "needs KORVEX_SIMULATED_CAMERAS";
    KorvexHost_SimSetFastPace(1);
  }
  ScopedRegistryRoot registry_;
  TempFolder folder_;
};

TEST_F(SimulatedDll, BothCamerasOpenAndDeliverFramesInEveryColourMode) {
  KORVEX_HANDLE first = Korvex_Initialize(nullptr);
  KORVEX_HANDLE second = Korvex_Initialize(nullptr);
  ASSERT_NE(first, 0u);
  ASSERT_NE(second, 0u);
  char names[10][256] = {};
  EXPECT_EQ(Korvex_EnumDevice(first, &names[0][0]), 2);
  ASSERT_EQ(Korvex_SetDeviceNumber(second, 1), 1);
  const uint32_t servedBefore = KorvexHost_SimFramesServed(1);
  for (KORVEX_HANDLE h : {first, second}) {
    ASSERT_EQ(Korvex_SetPreviewWindow(h, nullptr, 0, 0, 0, 0), 1);
    for (const int mode : {8, 16, 24, 32, 48, 64}) {
      SCOPED_TRACE(mode);
      ASSERT_EQ(Korvex_SetColorMode(h, mode), 1);
      const int bytes = mode / 8;
      std::vector<uint8_t> image(static_cast<size_t>(Korvex_Width(h)) * Korvex_Height(h) * bytes);
      ASSERT_EQ(Korvex_SnapShot(h, image.data(), static_cast<int>(image.size()), 1), 1);
      EXPECT_NE(std::count(image.begin(), image.end(), image[0]),
                static_cast<std::ptrdiff_t>(image.size()));
    }
    EXPECT_EQ(LastError(h), 0u);
  }
  EXPECT_GE(KorvexHost_SimFramesServed(1) - servedBefore, 6u) << "the second camera served";
  EXPECT_EQ(Korvex_Release(second), 1);
  EXPECT_EQ(Korvex_Release(first), 1);
}

TEST_F(SimulatedDll, ARecordingIsAFinishedAviFile) {
  KORVEX_HANDLE h = Korvex_Initialize(nullptr);
  ASSERT_NE(h, 0u);
  ASSERT_EQ(Korvex_SetPreviewWindow(h, nullptr, 0, 0, 0, 0), 1);
  ASSERT_EQ(Korvex_SetColorMode(h, 24), 1);
  const std::string path = folder_.File("short.avi");
  ASSERT_EQ(Korvex_Record(h, path.c_str(), 300, 0), 1);
  AviContents contents;
  std::string error;
  for (int i = 0; i < 1000; ++i) {
    if (ParseAvi(ReadFile(path), &contents, &error) && contents.hasIndex && contents.strh[3] != 0)
      break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_TRUE(contents.hasIndex) << error;
  EXPECT_EQ(Korvex_StopPreview(h), 1);
  EXPECT_GE(contents.frames.size(), 1u);
  EXPECT_EQ(contents.index.size(), contents.frames.size());
  EXPECT_EQ(contents.riffSize + 8, ReadFile(path).size());
  EXPECT_EQ(Korvex_Release(h), 1);
}

TEST_F(SimulatedDll, SettingsAreStoredInTheRegistryAndReadBack) {
  KORVEX_HANDLE h = Korvex_Initialize(nullptr);
  ASSERT_NE(h, 0u);
  ASSERT_EQ(Korvex_SetGamma(h, 17), 1);
  ASSERT_EQ(Korvex_Release(h), 1);
  EXPECT_TRUE(KeyExists(kRoot)) << "the release stored the settings";

  h = Korvex_Initialize(nullptr);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(Korvex_GetGamma(h, nullptr), 17);
  EXPECT_EQ(Korvex_Release(h), 1);
}

// The child side of the contention test: takes camera 0, with a window of
// its own or with none, says so through the event, then waits to be ended.
int HoldCamera(const char* readyEvent, bool withWindow) {
  HANDLE ready = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, readyEvent);
  HWND window = withWindow ? ::CreateWindowExA(0, "STATIC", "holder", 0, 0, 0, 10, 10, nullptr,
                                               nullptr, nullptr, nullptr)
                           : nullptr;
  KORVEX_HANDLE h = Korvex_Initialize(reinterpret_cast<KORVEX_HWND>(window));
  if (ready == nullptr || (withWindow && window == nullptr) || h == 0) return 3;
  KorvexHost_SimSetFastPace(1);
  if (!Korvex_SetPreviewWindow(h, nullptr, 0, 0, 0, 0) || !Korvex_StartPreview(h)) return 4;
  ::SetEvent(ready);
  ::Sleep(INFINITE);
  return 0;
}

// Another process holds camera 0 (`how` is "window" or "none"): this one is
// refused until the holder is killed, and then gets the camera.
void ExpectRefusedUntilTheHolderEnds(const char* how) {
  const std::string eventName =
      std::string("KorvexHoldReady") + how + std::to_string(::GetCurrentProcessId());
  HANDLE ready = ::CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
  ASSERT_NE(ready, nullptr);
  char self[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string command = std::string("\"") + self + "\" --hold-camera " + eventName + " " + how;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child{};
  ASSERT_TRUE(::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &child));
  const DWORD waited = ::WaitForSingleObject(ready, 60000);
  ASSERT_EQ(waited, WAIT_OBJECT_0) << "the child never took the camera";

  HWND window = ::CreateWindowExA(0, "STATIC", "contender", 0, 0, 0, 10, 10, nullptr, nullptr,
                                  nullptr, nullptr);
  KORVEX_HANDLE h = Korvex_Initialize(reinterpret_cast<KORVEX_HWND>(window));
  ASSERT_NE(h, 0u);
  ASSERT_EQ(Korvex_SetPreviewWindow(h, nullptr, 0, 0, 0, 0), 1);
  while (LastError(h) != 0) {
  }
  EXPECT_EQ(Korvex_StartPreview(h), 0);
  EXPECT_EQ(LastError(h), static_cast<uint32_t>(KORVEX_ERR_NOT_POSSIBLE));
  EXPECT_EQ(LastError(h), static_cast<uint32_t>(KORVEX_ERR_DEVICE));

  // The holder dies without releasing: its claim no longer counts.
  ::TerminateProcess(child.hProcess, 9);
  ::WaitForSingleObject(child.hProcess, 60000);
  EXPECT_EQ(Korvex_StartPreview(h), 1);
  EXPECT_EQ(Korvex_StopPreview(h), 1);
  EXPECT_EQ(Korvex_Release(h), 1);
  ::DestroyWindow(window);
  ::CloseHandle(child.hThread);
  ::CloseHandle(child.hProcess);
  ::CloseHandle(ready);
}

TEST_F(SimulatedDll, ACameraPreviewingInAnotherProcessIsRefusedUntilThatProcessEnds) {
  ExpectRefusedUntilTheHolderEnds("window");
}

TEST_F(SimulatedDll, ACameraPreviewingInAnotherProcessWithoutAWindowIsRefusedToo) {
  ExpectRefusedUntilTheHolderEnds("none");
}

// Without the variable and without the driver there is no camera; nothing
// that needs one hangs or claims success.
class NoDriver : public ::testing::Test {
 protected:
  void SetUp() override {
    if (Simulated()) GTEST_SKIP() << "runs without KORVEX_SIMULATED_CAMERAS";
  }
};

TEST_F(NoDriver, InitializeSucceedsButNoCameraIsFoundAndCaptureFails) {
  const auto start = std::chrono::steady_clock::now();
  KORVEX_HANDLE h = Korvex_Initialize(nullptr);
  ASSERT_NE(h, 0u);
  while (LastError(h) != 0) {
  }
  char names[10][256] = {};
  EXPECT_EQ(Korvex_EnumDevice(h, &names[0][0]), 0);
  EXPECT_EQ(names[0][0], '\0');
  uint8_t buffer[64];
  EXPECT_EQ(Korvex_SnapShot(h, buffer, sizeof buffer, 1), 0);
  EXPECT_EQ(LastError(h), static_cast<uint32_t>(KORVEX_ERR_NOT_POSSIBLE));
  EXPECT_EQ(Korvex_StartPreview(h), 0);
  EXPECT_EQ(LastError(h), static_cast<uint32_t>(KORVEX_ERR_NOT_POSSIBLE));
  EXPECT_EQ(Korvex_Capture(h), 0);
  EXPECT_EQ(Korvex_SetDeviceNumber(h, 0), 0);
  EXPECT_EQ(Korvex_Release(h), 1);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
}

}  // namespace
}  // namespace korvex::test

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--hold-camera") == 0)
    return korvex::test::HoldCamera(argv[2], std::strcmp(argv[3], "none") != 0);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
