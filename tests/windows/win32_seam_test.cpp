// The Win32 backend of the platform seam against the real (Wine's) Win32
// services: registry results and sizes, named shared memory seen twice,
// process identity, code-page conversion, windows and bitmap surfaces.
#include "platform/driver.h"
#include "platform/file.h"
#include "platform/gdi.h"
#include "platform/registry.h"
#include "platform/shared_memory.h"
#include "platform/text.h"
#include "platform/thread_priority.h"
#include "platform/window.h"
#include "support/registry_util.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace korvex::platform {
namespace {

const std::string kTestKey = test::kRoot + "\\SeamTest";

TEST(Win32Registry, ValuesRoundTripWithTheirTypeAndSize) {
  ScopedRegKey key;
  ASSERT_EQ(CreateRegistryKey(CurrentUserKey(), kTestKey.c_str(), kKeyAllAccess, key.out()),
            kRegOk);
  const uint32_t value = 0xA5A5F00Du;
  ASSERT_EQ(SetRegistryValue(key.get(), "Word", kRegDword, &value, sizeof value), kRegOk);
  ASSERT_EQ(SetRegistryValue(key.get(), "Text", kRegSz, "abc", 4), kRegOk);

  uint32_t read = 0, type = 0, size = sizeof read;
  EXPECT_EQ(QueryRegistryValue(key.get(), "Word", &type, &read, &size), kRegOk);
  EXPECT_EQ(read, value);
  EXPECT_EQ(type, kRegDword);
  EXPECT_EQ(size, 4u);

  char small[2];
  size = sizeof small;
  EXPECT_EQ(QueryRegistryValue(key.get(), "Text", &type, small, &size), kRegMoreData);
  EXPECT_EQ(size, 4u);
  size = sizeof read;
  EXPECT_EQ(QueryRegistryValue(key.get(), "Missing", &type, &read, &size), kRegNotFound);

  ScopedRegKey missing;
  EXPECT_EQ(
      OpenRegistryKey(CurrentUserKey(), (kTestKey + "\\None").c_str(), kKeyRead, missing.out()),
      kRegNotFound);
  EXPECT_FALSE(missing);
  test::DeleteStoredSettings();
}

TEST(Win32SharedMemory, ASecondOpenSeesTheFirstOnesBytes) {
  SharedMemory first, second;
  ASSERT_TRUE(first.OpenOrCreate("KorvexSeamTestBlock", 5000));
  EXPECT_TRUE(first.NewlyCreated());
  EXPECT_EQ(first.Size(), 5000u);
  EXPECT_EQ(first.View()[4999], 0);
  first.View()[4999] = 0x5A;
  ASSERT_TRUE(second.OpenOrCreate("KorvexSeamTestBlock", 5000));
  EXPECT_FALSE(second.NewlyCreated());
  EXPECT_GE(second.Size(), 5000u);
  EXPECT_EQ(second.View()[4999], 0x5A);
  EXPECT_NE(second.View(), first.View());
}

TEST(Win32Process, TokensNameLiveProcessesOnly) {
  const uint64_t self = CurrentProcessToken();
  EXPECT_EQ(static_cast<uint32_t>(self), ::GetCurrentProcessId());
  EXPECT_TRUE(ProcessAlive(self));
  EXPECT_TRUE(ProcessAlive(::GetCurrentProcessId()));
  // The same id with another creation time is a recycled id: not alive.
  EXPECT_FALSE(ProcessAlive(self ^ (uint64_t{0x5A5A} << 40)));
  EXPECT_FALSE(ProcessAlive(0));
}

TEST(Win32Text, AnsiRoundTripAndStrictRefusal) {
  KORVEX_WCHAR wide[16];
  ASSERT_EQ(AnsiToWide("Cam 1", wide, 16), 6);
  EXPECT_EQ(wide[0], u'C');
  EXPECT_EQ(wide[5], 0);
  char narrow[16];
  ASSERT_EQ(WideToAnsi(wide, narrow, 16), 6);
  EXPECT_STREQ(narrow, "Cam 1");
  EXPECT_EQ(WideToAnsi(wide, narrow, 3), 0);  // does not fit
  // A character no single-byte Western code page has.
  const KORVEX_WCHAR snowman[] = {0x2603, 0};
  if (::GetACP() != CP_UTF8) EXPECT_EQ(WideToAnsi(snowman, narrow, 16), 0);
  EXPECT_EQ(AnsiToWide(nullptr, wide, 16), 0);
}

TEST(Win32Window, ClassWindowVisibilityAndClientSize) {
  const ModuleHandle module = ExecutableModule();
  WindowClass windowClass;
  windowClass.instance = module;
  windowClass.arrowCursor = true;
  windowClass.blackBackground = true;
  windowClass.name = "KorvexSeamTestClass";
  ASSERT_TRUE(RegisterWindowClass(windowClass));
  EXPECT_FALSE(RegisterWindowClass(windowClass));  // already there
  WindowRect rect{0, 0, 320, 240};
  ASSERT_TRUE(AdjustWindowRectEx(&rect, kWsOverlappedWindow, false, 0));
  EXPECT_GT(rect.right - rect.left, 320);
  const WindowHandle window =
      CreateWindowOfClass(0, windowClass.name, "Seam", kWsOverlappedWindow, 0, 0,
                          rect.right - rect.left, rect.bottom - rect.top, nullptr, 0, module);
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(platform::IsWindowVisible(window));
  EXPECT_FALSE(platform::ShowWindow(window, kSwShow));  // was hidden
  EXPECT_TRUE(platform::IsWindowVisible(window));
  WindowRect client{};
  ASSERT_TRUE(platform::GetClientRect(window, &client));
  EXPECT_EQ(client.right, 320);
  EXPECT_EQ(client.bottom, 240);
  const DeviceContext dc = platform::GetDC(window);
  EXPECT_NE(dc, nullptr);
  EXPECT_TRUE(platform::ReleaseDC(window, dc));
  EXPECT_TRUE(PostWindowMessage(window, 0x0400, 1, 2));
  MSG message{};
  ASSERT_TRUE(::PeekMessageA(&message, reinterpret_cast<HWND>(window), 0x0400, 0x0400, PM_REMOVE));
  EXPECT_EQ(message.wParam, 1u);
  EXPECT_EQ(message.lParam, 2);
  EXPECT_TRUE(platform::DestroyWindow(window));
  EXPECT_TRUE(UnregisterWindowClass(windowClass.name, module));
  EXPECT_GT(ScreenWidth(), 0);
}

TEST(Win32Gdi, SectionsBlitAndRefuseDeepDepths) {
  BitmapInfo256 info{};
  info.header.biWidth = 4;
  info.header.biHeight = 2;
  info.header.biPlanes = 1;
  info.header.biBitCount = 24;
  void* sourceBits = nullptr;
  void* targetBits = nullptr;
  Bitmap source = platform::CreateDIBSection(info, &sourceBits);
  Bitmap target = platform::CreateDIBSection(info, &targetBits);
  ASSERT_NE(source, nullptr);
  ASSERT_NE(target, nullptr);
  auto* s = static_cast<uint8_t*>(sourceBits);
  for (int i = 0; i < 24; ++i) s[i] = static_cast<uint8_t>(i * 7 + 1);
  DeviceContext sourceDc = platform::CreateCompatibleDC(nullptr);
  DeviceContext targetDc = platform::CreateCompatibleDC(nullptr);
  Bitmap oldSource = platform::SelectObject(sourceDc, source);
  Bitmap oldTarget = platform::SelectObject(targetDc, target);
  ASSERT_NE(oldSource, nullptr);
  ::GdiFlush();
  ASSERT_TRUE(platform::BitBlt(targetDc, 0, 0, 4, 2, sourceDc, 0, 0, kSrcCopy));
  ::GdiFlush();
  EXPECT_EQ(std::memcmp(sourceBits, targetBits, 24), 0);
  // Mirrored top to bottom, the seam's way: source origin at the bottom edge.
  ASSERT_TRUE(platform::StretchBlt(targetDc, 0, 0, 4, 2, sourceDc, 0, 2, 4, -2, kSrcCopy));
  ::GdiFlush();
  const auto* t = static_cast<const uint8_t*>(targetBits);
  EXPECT_EQ(std::memcmp(t, s + 12, 12), 0) << "first row from the last";
  EXPECT_EQ(std::memcmp(t + 12, s, 12), 0) << "last row from the first";
  // And left to right.
  ASSERT_TRUE(platform::StretchBlt(targetDc, 0, 0, 4, 2, sourceDc, 4, 0, -4, 2, kSrcCopy));
  ::GdiFlush();
  for (int px = 0; px < 4; ++px) EXPECT_EQ(std::memcmp(t + 3 * px, s + 3 * (3 - px), 3), 0) << px;
  platform::SelectObject(sourceDc, oldSource);
  platform::SelectObject(targetDc, oldTarget);
  EXPECT_TRUE(platform::DeleteDC(sourceDc));
  EXPECT_TRUE(platform::DeleteDC(targetDc));
  EXPECT_TRUE(platform::DeleteObject(source));
  EXPECT_TRUE(platform::DeleteObject(target));

  info.header.biBitCount = 48;
  void* deep = reinterpret_cast<void*>(1);
  EXPECT_EQ(platform::CreateDIBSection(info, &deep), nullptr);
  EXPECT_EQ(deep, nullptr);
}

// Every way the library opens a file to write it refuses other opens until
// it is closed.
TEST(Win32File, NoOtherOpenWhileTheFileIsWritten) {
  char folder[MAX_PATH] = {};
  ASSERT_GT(::GetTempPathA(MAX_PATH, folder), 0u);
  const std::string path = std::string(folder) + "korvex-seam-exclusive.bin";
  ::DeleteFileA(path.c_str());
  for (int way = 0; way < 2; ++way) {
    bool taken = true;
    const FileHandle file =
        way == 0 ? OpenRegularFileForWriting(path.c_str()) : CreateNewFile(path.c_str(), &taken);
    ASSERT_NE(file, kNoFile) << way;
    for (const DWORD access : {DWORD{GENERIC_READ}, DWORD{GENERIC_WRITE}, DWORD{DELETE}}) {
      HANDLE other = ::CreateFileA(path.c_str(), access,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
      EXPECT_EQ(other, INVALID_HANDLE_VALUE) << way << " " << access;
      EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
      if (other != INVALID_HANDLE_VALUE) ::CloseHandle(other);
    }
    EXPECT_TRUE(CloseFile(file));
    HANDLE reader = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(reader, INVALID_HANDLE_VALUE) << "free again once closed";
    if (reader != INVALID_HANDLE_VALUE) ::CloseHandle(reader);
    if (way == 0) ASSERT_TRUE(::DeleteFileA(path.c_str()));
  }
  ::DeleteFileA(path.c_str());
}

// Devices by their reserved names and the device namespace are no files.
TEST(Win32File, DevicesAndPipeNamesAreNotFiles) {
  for (const char* name :
       {"NUL", "CON", "nul.txt", "C:\\data\\com1.avi", "\\\\.\\pipe\\korvex-none",
        "//./pipe/korvex-none", "\\\\.\\COM1", "\\\\?\\GLOBALROOT\\Device\\Null"}) {
    EXPECT_EQ(KindOfFileName(name), FileNameKind::kOther) << name;
    EXPECT_EQ(OpenRegularFileForWriting(name), kNoFile) << name;
    uint64_t size = 0;
    EXPECT_EQ(OpenRegularFileForReading(name, &size), kNoFile) << name;
  }
  char folder[MAX_PATH] = {};
  ASSERT_GT(::GetTempPathA(MAX_PATH, folder), 0u);
  EXPECT_EQ(KindOfFileName(folder), FileNameKind::kOther) << "a folder";
  const std::string longForm = std::string("\\\\?\\") + folder + "korvex-long-form.bin";
  const FileHandle file = OpenRegularFileForWriting(longForm.c_str());
  EXPECT_NE(file, kNoFile) << "a drive path in the long form is a file";
  EXPECT_TRUE(CloseFile(file));
  EXPECT_EQ(KindOfFileName(longForm.c_str()), FileNameKind::kRegularFile);
  EXPECT_TRUE(RemoveFile(longForm.c_str()));
}

TEST(Win32Thread, PriorityIsRaisedToHighest) {
  ASSERT_TRUE(RaiseCurrentThreadPriority());
  EXPECT_EQ(::GetThreadPriority(::GetCurrentThread()), THREAD_PRIORITY_HIGHEST);
  ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_NORMAL);
}

TEST(Win32Driver, PathsWithoutADeviceDoNotOpen) {
  EXPECT_EQ(OpenDriver("\\\\.\\Kvrx740K3XLN-Z"), InvalidDriverHandle());
  EXPECT_EQ(OpenDriver(nullptr), InvalidDriverHandle());
  EXPECT_FALSE(CloseDriver(InvalidDriverHandle()));
}

}  // namespace
}  // namespace korvex::platform
