// KorvexSdk_740K3_XLN.dll ending while it records: a child process loads
// the DLL with LoadLibraryA, starts a recording on a simulated camera, waits
// for the first frame in the file and then ends the process (ExitProcess,
// or the C runtime's exit as a return from main does) or unloads the DLL
// (FreeLibrary). Either way the file must describe the frames written.
// Runs with KORVEX_SIMULATED_CAMERAS set.
#include "KorvexSdk_740K3_XLN.h"
#include "image/avi/finished_avi.h"
#include "korvex/host_sim.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace korvex::test {
namespace {

constexpr int kWidth = 32, kHeight = 24;
// Child exit codes for a set-up that failed.
constexpr int kNoLibrary = 20, kNoRecording = 21, kNoFrame = 22;

uint64_t SizeOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return uint64_t{data.nFileSizeHigh} << 32 | data.nFileSizeLow;
}

// The child's whole life.
int RecordThenEnd(const std::string& ending, const std::string& path) {
  HMODULE dll = ::LoadLibraryA("KorvexSdk_740K3_XLN.dll");
  if (dll == nullptr) return kNoLibrary;
  auto proc = [&](const char* name) {
    return reinterpret_cast<void*>(::GetProcAddress(dll, name));
  };
  auto initialize =
      reinterpret_cast<KORVEX_HANDLE(KORVEX_CALL*)(KORVEX_HWND)>(proc("Korvex_Initialize"));
  auto setPreview =
      reinterpret_cast<int(KORVEX_CALL*)(KORVEX_HANDLE, KORVEX_HWND, int, int, int, int)>(
          proc("Korvex_SetPreviewWindow"));
  auto setWindow = reinterpret_cast<int(KORVEX_CALL*)(KORVEX_HANDLE, int, int, int, int, int, int)>(
      proc("Korvex_SetCaptureWindowEx"));
  auto record = reinterpret_cast<int(KORVEX_CALL*)(KORVEX_HANDLE, const char*, int, int)>(
      proc("Korvex_Record"));
  if (!initialize || !setPreview || !setWindow || !record) return kNoLibrary;
  KorvexHost_SimSetFastPace(1);
  const KORVEX_HANDLE camera = initialize(nullptr);
  if (camera == 0 || setPreview(camera, nullptr, 0, 0, 0, 0) != 1 ||
      setWindow(camera, 2560, 0, kWidth, 2560, 0, kHeight) != 1 ||
      record(camera, path.c_str(), 60000, 0) != 1)
    return kNoRecording;
  const uint64_t firstFrameEnd = 232 + 8 + ((kWidth * 3 + 3) & ~3) * kHeight;
  for (int i = 0; SizeOf(path) < firstFrameEnd; ++i) {
    if (i > 6000) return kNoFrame;
    ::Sleep(5);
  }
  if (ending == "exit-process") ::ExitProcess(0);
  if (ending == "exit") std::exit(0);
  // FreeLibrary: the camera's threads were not stopped by the application
  // and may fail once the code is gone; the process ends at once.
  ::FreeLibrary(dll);
  ::ExitProcess(0);
}

// Runs this program as the child for `ending`; its exit code.
DWORD RunChild(const std::string& ending, const std::string& path) {
  char self[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string command =
      std::string("\"") + self + "\" --record-then-end " + ending + " \"" + path + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child{};
  if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &child))
    return 0xFFFFFFFF;
  DWORD code = 0xFFFFFFFE;
  if (::WaitForSingleObject(child.hProcess, 120000) == WAIT_OBJECT_0)
    ::GetExitCodeProcess(child.hProcess, &code);
  else
    ::TerminateProcess(child.hProcess, 9);
  ::CloseHandle(child.hThread);
  ::CloseHandle(child.hProcess);
  return code;
}

class DllEndingWhileRecording : public ::testing::TestWithParam<const char*> {};

TEST_P(DllEndingWhileRecording, LeavesAFinishedFileOfTheFramesWritten) {
  TempFolder folder;
  const std::string path = folder.File("ended.avi");
  const DWORD code = RunChild(GetParam(), path);
  ASSERT_NE(code, 0xFFFFFFFFu) << "the child did not start";
  ASSERT_NE(code, 0xFFFFFFFEu) << "the child did not end";
  ASSERT_NE(code, static_cast<DWORD>(kNoLibrary));
  ASSERT_NE(code, static_cast<DWORD>(kNoRecording));
  ASSERT_NE(code, static_cast<DWORD>(kNoFrame));
  if (std::strcmp(GetParam(), "free-library") != 0) EXPECT_EQ(code, 0u);

  AviContents avi;
  ASSERT_NO_FATAL_FAILURE(ExpectFinishedAvi(path, &avi));
}

INSTANTIATE_TEST_SUITE_P(Endings, DllEndingWhileRecording,
                         ::testing::Values("exit-process", "exit", "free-library"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           std::string name;
                           for (const char* c = info.param; *c != '\0'; ++c)
                             if (*c != '-') name += *c;
                           return name;
                         });

}  // namespace
}  // namespace korvex::test

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--record-then-end") == 0)
    return korvex::test::RecordThenEnd(argv[2], argv[3]);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
