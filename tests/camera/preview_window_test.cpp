// The library's own preview window on the simulated camera and the host's
// screen: when it is created, where it sits, what is drawn into it, and its
// removal by Close.
#include "KorvexSdk_740K3_XLN.h"
#include "image/converters/format.h"
#include "image/converters/stretch.h"
#include "image/dispatch.h"
#include "korvex/host.h"
#include "korvex/host_sim.h"
#include "support/registry_util.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr uint32_t kTopLevelStyle = 0x16CF0000u;
constexpr uint32_t kChildStyle = 0x52000000u;
constexpr int kW = 640, kH = 480;  // capture geometry of most tests

std::vector<uint8_t> PatternFrame() {
  std::vector<uint8_t> raw(2560u * 2008u);
  for (size_t i = 0; i < raw.size(); ++i)
    raw[i] = static_cast<uint8_t>((i * 13 + i / 2560 * 5) % 251);
  return raw;
}

class PreviewWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    KorvexHost_SimReset();
    KorvexHost_SimSetFastPace(1);
    KorvexHost_SetScreenSize(1920, 1080);
    raw_ = PatternFrame();
    ASSERT_EQ(KorvexHost_SimSetRawFrame(0, raw_.data(), raw_.size()), 1);
    frames_ = KorvexHost_CreateMessageWindow();
    handle_ = Korvex_Initialize(nullptr);
    ASSERT_NE(handle_, 0u);
    ASSERT_EQ(Korvex_GetLastError(handle_), 0u);
  }
  void TearDown() override {
    EXPECT_EQ(Korvex_Release(handle_), 1);
    KorvexHost_DestroyWindow(frames_);
    KorvexHost_SimSetRawFrame(0, nullptr, 0);
    KorvexHost_SetWindowFaults(0);
    KorvexHost_SetScreenSize(1920, 1080);
  }
  void SmallGeometry(int bitsPerPixel) {
    ASSERT_EQ(Korvex_SetCaptureWindowEx(handle_, kW, 0, kW, kH, 0, kH), 1);
    ASSERT_EQ(Korvex_SetColorMode(handle_, bitsPerPixel), 1);
  }
  // Starts a preview that copies each output image into output_ in memory
  // order and notifies frames_.
  void StartPreview(int bytesPerPixel) {
    output_.assign(static_cast<size_t>(kW) * bytesPerPixel * kH, 0);
    ASSERT_EQ(Korvex_CallBackPreview(handle_, reinterpret_cast<KORVEX_HWND>(frames_),
                                     output_.data(), static_cast<int>(output_.size()), 1),
              1);
  }
  void WaitFrames(int count) {
    for (int seen = 0; seen < count;) {
      KorvexHostMessage m{};
      ASSERT_EQ(KorvexHost_GetMessage(frames_, &m, 5000), 1) << "frame " << seen;
      if (m.wParam != 0) ++seen;
    }
  }
  std::vector<uint8_t> Codes() {
    std::vector<uint8_t> codes;
    for (uint32_t code; (code = Korvex_GetLastError(handle_)) != 0;) codes.push_back(code);
    return codes;
  }

  korvex::test::ScopedRegistryRoot registry_;
  std::vector<uint8_t> raw_;
  std::vector<uint8_t> output_;
  KorvexHostWindow frames_ = nullptr;
  KORVEX_HANDLE handle_ = 0;
};

// The newest window with this parent and title.
KorvexHostWindow Newest(KorvexHostWindow parent, const char* title) {
  KorvexHostWindow found = nullptr;
  for (KorvexHostWindow w = nullptr;
       (w = KorvexHost_FindWindowEx(parent, w, nullptr, title)) != nullptr;)
    found = w;
  return found;
}

int CountPreviewWindows() {
  int n = 0;
  for (const char* title : {"Active Window", "ActiveMovie Window"})
    for (KorvexHostWindow w = nullptr;
         (w = KorvexHost_FindWindowEx(nullptr, w, nullptr, title)) != nullptr;)
      ++n;
  return n;
}

KorvexHostRect ClientOf(KorvexHostWindow w) {
  KorvexHostRect r{};
  KorvexHost_GetClientRect(w, &r);
  return r;
}

std::vector<uint8_t> WindowPixels(KorvexHostWindow w) {
  const KorvexHostRect r = ClientOf(w);
  std::vector<uint8_t> out(static_cast<size_t>(r.right) * r.bottom * 3);
  EXPECT_EQ(KorvexHost_ReadClientPixels(w, out.data(), out.size()), 1);
  return out;
}

// 8-bit gray as the window shows it: three equal channels.
std::vector<uint8_t> GrayAsBgr(const std::vector<uint8_t>& gray) {
  std::vector<uint8_t> out;
  out.reserve(gray.size() * 3);
  for (uint8_t v : gray) out.insert(out.end(), {v, v, v});
  return out;
}

TEST_F(PreviewWindow, AnEmptyRectangleWithoutParentOpensNoWindow) {
  ASSERT_EQ(Korvex_SetPreviewWindow(handle_, nullptr, 0, 0, 0, 0), 1);
  SmallGeometry(8);
  const int before = CountPreviewWindows();
  StartPreview(1);
  WaitFrames(2);
  EXPECT_EQ(CountPreviewWindows(), before);
  EXPECT_EQ(Korvex_StopPreview(handle_), 1);
  EXPECT_TRUE(Codes().empty());
}

TEST_F(PreviewWindow, DefaultRectangleOpensACentredTopLevelWindowThatCloseRemoves) {
  // After initialisation the rectangle is 0, 0, width, height: a window of
  // its own, its client area the capture size, at 0, 0 when the screen is
  // smaller.
  ASSERT_EQ(Korvex_Preview(handle_), 1);
  KorvexHostWindow w = Newest(nullptr, "Active Window");
  ASSERT_NE(w, nullptr);
  KorvexHostWindowInfo info{};
  ASSERT_EQ(KorvexHost_GetWindowInfo(w, &info), 1);
  EXPECT_EQ(info.style, kTopLevelStyle);
  EXPECT_EQ(info.exStyle, 0u);
  EXPECT_EQ(info.parent, nullptr);
  EXPECT_EQ(info.x, 0);
  EXPECT_EQ(info.y, 0);
  EXPECT_EQ(ClientOf(w).right, 2560);
  EXPECT_EQ(ClientOf(w).bottom, 1920);
  EXPECT_EQ(KorvexHost_IsWindowVisible(w), 1);
  EXPECT_EQ(KorvexHost_GetFocus(), w);

  const std::string name = info.className;
  unsigned address = 0, stamp = 0;
  char tail = 0;
  EXPECT_EQ(name.size(), 31u) << name;
  EXPECT_EQ(std::sscanf(name.c_str(), "VideoRenderer_%8x_%8x%c", &address, &stamp, &tail), 2)
      << name;
  KorvexHostWindowClass cls{};
  ASSERT_EQ(KorvexHost_GetClassInfo(info.className, KorvexHost_ProcessId(), &cls), 1);
  EXPECT_EQ(cls.style, 0u);
  EXPECT_EQ(cls.cursor, KORVEX_HOST_IDC_ARROW);
  EXPECT_EQ(cls.background, KORVEX_HOST_BLACK_BRUSH);

  EXPECT_EQ(Korvex_Close(handle_), 1);
  EXPECT_EQ(KorvexHost_IsWindow(w), 0);
  EXPECT_EQ(KorvexHost_GetClassInfo(info.className, KorvexHost_ProcessId(), &cls), 0);

  // On a screen larger than the window it is centred: outer size 2568 x 1947.
  KorvexHost_SetScreenSize(4000, 3000);
  ASSERT_EQ(Korvex_Preview(handle_), 1);
  w = Newest(nullptr, "Active Window");
  ASSERT_EQ(KorvexHost_GetWindowInfo(w, &info), 1);
  EXPECT_EQ(info.x, (4000 - 2568) / 2);
  EXPECT_EQ(info.y, (3000 - 1947) / 2);
  EXPECT_EQ(info.width, 2568);
  EXPECT_EQ(info.height, 1947);
  EXPECT_NE(std::string(info.className), name) << "a fresh class for each window";
}

TEST_F(PreviewWindow, ChildWindowSitsAtItsRectangleAndShowsTheFrameUpright) {
  KorvexHostWindowClass c{};
  c.instance = KorvexHost_ProcessId();
  c.name = "PreviewWindowParent";
  ASSERT_NE(KorvexHost_RegisterClass(&c), 0);
  KorvexHostWindow parent = KorvexHost_CreateWindow(0, c.name, "app", kTopLevelStyle, 0, 0, 900,
                                                    700, nullptr, 0, c.instance);
  ASSERT_NE(parent, nullptr);
  ASSERT_EQ(
      Korvex_SetPreviewWindow(handle_, reinterpret_cast<KORVEX_HWND>(parent), 10, 20, 640, 480), 1);
  for (int bits : {24, 8}) {
    SCOPED_TRACE(bits);
    SmallGeometry(bits);
    StartPreview(bits / 8);
    KorvexHostWindow child = Newest(parent, "ActiveMovie Window");
    ASSERT_NE(child, nullptr);
    KorvexHostWindowInfo info{};
    ASSERT_EQ(KorvexHost_GetWindowInfo(child, &info), 1);
    EXPECT_EQ(std::vector<int>({info.x, info.y, info.width, info.height}),
              (std::vector<int>{10, 20, 640, 480}));
    EXPECT_EQ(info.style, kChildStyle);
    EXPECT_EQ(info.id, 6540u);
    WaitFrames(2);
    ASSERT_EQ(Korvex_StopPreview(handle_), 1);
    // Stopping leaves the last frame in the window, top row on top.
    EXPECT_EQ(WindowPixels(child), bits == 24 ? output_ : GrayAsBgr(output_));
    EXPECT_EQ(Korvex_Close(handle_), 1);
    EXPECT_EQ(KorvexHost_IsWindow(child), 0);
    EXPECT_EQ(KorvexHost_IsWindow(parent), 1);
  }
  EXPECT_TRUE(Codes().empty());
  KorvexHost_DestroyWindow(parent);
  EXPECT_EQ(KorvexHost_UnregisterClass(c.name, c.instance), 1);
}

TEST_F(PreviewWindow, ResizedWindowGetsTheFrameScaledToItsNewClientArea) {
  SmallGeometry(24);
  StartPreview(3);
  KorvexHostWindow w = Newest(nullptr, "Active Window");
  ASSERT_NE(w, nullptr);
  ASSERT_EQ(ClientOf(w).right, kW);
  WaitFrames(1);

  // Outer size for a 320 x 200 client area.
  constexpr int kCw = 320, kCh = 200;
  KorvexHostRect outer{0, 0, kCw, kCh};
  KorvexHost_AdjustWindowRectEx(&outer, kTopLevelStyle, 0, 0);
  ASSERT_EQ(KorvexHost_MoveWindow(w, 3, 4, outer.right - outer.left, outer.bottom - outer.top), 1);
  KorvexHost_FlushMessages(frames_);
  WaitFrames(2);
  ASSERT_EQ(Korvex_StopPreview(handle_), 1);

  // The display stretch writes rows for a bottom-up surface; the window shows
  // them the other way up.
  std::vector<uint8_t> display(static_cast<size_t>(kCw) * 3 * kCh);
  korvex::image::ImageView dst{display.data(), kCw, kCh, kCw * 3, 24};
  korvex::image::ImageView src{output_.data(), kW, kH, kW * 3, 24};
  ASSERT_EQ(korvex::image::ConvertScaled(dst, korvex::image::StretchFlip24, src, nullptr, nullptr),
            1);
  std::vector<uint8_t> expected;
  for (int y = kCh - 1; y >= 0; --y)
    expected.insert(expected.end(), display.begin() + y * kCw * 3,
                    display.begin() + (y + 1) * kCw * 3);
  EXPECT_EQ(WindowPixels(w), expected);
}

TEST_F(PreviewWindow, DeepGrayIsReducedAndDrawnThroughTheDisplayImage) {
  SmallGeometry(16);
  StartPreview(2);
  KorvexHostWindow w = Newest(nullptr, "Active Window");
  ASSERT_NE(w, nullptr);
  WaitFrames(2);
  ASSERT_EQ(Korvex_StopPreview(handle_), 1);
  std::vector<uint8_t> gray(static_cast<size_t>(kW) * kH);
  korvex::image::ImageView dst{gray.data(), kW, kH, kW, 8};
  korvex::image::ImageView src{output_.data(), kW, kH, kW * 2, 16};
  ASSERT_EQ(
      korvex::image::ConvertRegion(dst, korvex::image::Reduce16To8, src, nullptr, 0, 0, nullptr),
      1);
  EXPECT_EQ(WindowPixels(w), GrayAsBgr(gray));
}

TEST_F(PreviewWindow, TriggeredFramesAreDrawnOnlyWhileTheWindowIsVisible) {
  SmallGeometry(8);
  output_.assign(static_cast<size_t>(kW) * kH, 0);
  for (bool hidden : {true, false}) {
    SCOPED_TRACE(hidden);
    ASSERT_EQ(Korvex_Trigger(handle_, reinterpret_cast<KORVEX_HWND>(frames_), output_.data(),
                             static_cast<int>(output_.size()), 1),
              1);
    KorvexHostWindow w = Newest(nullptr, "Active Window");
    ASSERT_NE(w, nullptr);
    if (hidden) KorvexHost_ShowWindow(w, KORVEX_HOST_SW_HIDE);
    ASSERT_EQ(KorvexHost_SimTrigger(0), 1);
    WaitFrames(1);
    ASSERT_EQ(Korvex_StopPreview(handle_), 1);
    EXPECT_EQ(WindowPixels(w), hidden ? std::vector<uint8_t>(static_cast<size_t>(kW) * kH * 3, 0)
                                      : GrayAsBgr(output_));
    EXPECT_EQ(Korvex_Close(handle_), 1);
  }
  EXPECT_TRUE(Codes().empty());
}

TEST_F(PreviewWindow, AWindowOrContextThatCannotBeHadFailsTheStartWithTheWindowCode) {
  SmallGeometry(8);
  const int before = CountPreviewWindows();
  KorvexHost_SetWindowFaults(KORVEX_HOST_WINDOW_FAIL_REGISTER);
  EXPECT_EQ(Korvex_Preview(handle_), 0);
  EXPECT_EQ(Codes(), (std::vector<uint8_t>{KORVEX_ERR_WINDOW}));
  EXPECT_EQ(CountPreviewWindows(), before);

  // A window that cannot be updated is not left behind.
  KorvexHost_SetWindowFaults(KORVEX_HOST_WINDOW_FAIL_UPDATE);
  EXPECT_EQ(Korvex_Trigger(handle_, nullptr, nullptr, 0, 1), 0);
  EXPECT_EQ(Codes(), (std::vector<uint8_t>{KORVEX_ERR_WINDOW}));
  EXPECT_EQ(CountPreviewWindows(), before);

  // Without a device context the window exists until Close.
  KorvexHost_SetWindowFaults(KORVEX_HOST_WINDOW_FAIL_GETDC);
  EXPECT_EQ(Korvex_Preview(handle_), 0);
  EXPECT_EQ(Codes(), (std::vector<uint8_t>{KORVEX_ERR_WINDOW}));
  EXPECT_EQ(CountPreviewWindows(), before + 1);
  KorvexHost_SetWindowFaults(0);
  EXPECT_EQ(Korvex_Close(handle_), 1);
  EXPECT_EQ(CountPreviewWindows(), before);
}

// Writes a capture-size preset under the settings key.
void WritePreset(int n, int th, int tv, int eh, int ev, int ehs, int evs, int buf) {
  char name[16];
  std::snprintf(name, sizeof name, "\\Size_%02d", n);
  const std::string key = korvex::test::kRoot + name;
  const std::pair<const char*, int> values[] = {{"TH", th},   {"TV", tv},   {"EH", eh},  {"EV", ev},
                                                {"EHS", ehs}, {"EVS", evs}, {"Buf", buf}};
  for (const auto& [value, number] : values)
    korvex::test::WriteDword(key, value, static_cast<uint32_t>(number));
}

std::vector<int> CaptureWindow(KORVEX_HANDLE handle) {
  std::vector<int> v(6, -1);
  EXPECT_EQ(Korvex_GetCaptureWindowEx(handle, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5]), 1);
  return v;  // TH, EHS, EH, TV, EVS, EV
}

TEST_F(PreviewWindow, SetCaptureWindowTakesTheFirstStoredPresetOfThatSize) {
  korvex::test::ScopedRegistryRoot registry;  // no settings key yet
  const std::vector<int> initial = CaptureWindow(handle_);
  EXPECT_EQ(Korvex_SetCaptureWindow(handle_, 640, 480), 0);
  EXPECT_EQ(Korvex_GetLastError(handle_), static_cast<uint32_t>(KORVEX_ERR_WINDOW));
  EXPECT_EQ(CaptureWindow(handle_), initial);

  WritePreset(0, 2560, 2560, 1280, 960, 0, 0, 4);
  WritePreset(1, 1000, 900, 640, 480, 16, 8, 2);
  WritePreset(2, 2560, 2560, 640, 480, 32, 32, 2);   // the same size again: never chosen
  WritePreset(3, 2560, 2560, 2000, 480, 600, 0, 2);  // 600 + 2000 is wider than the sensor
  WritePreset(5, 2560, 2560, 320, 240, 0, 0, 2);     // after the gap at 4: never read
  EXPECT_EQ(Korvex_SetCaptureWindow(handle_, 640, 481), 0);
  EXPECT_EQ(Korvex_GetLastError(handle_), static_cast<uint32_t>(KORVEX_ERR_WINDOW));
  EXPECT_EQ(Korvex_SetCaptureWindow(handle_, 320, 240), 0);
  EXPECT_EQ(Korvex_GetLastError(handle_), static_cast<uint32_t>(KORVEX_ERR_WINDOW));
  EXPECT_EQ(CaptureWindow(handle_), initial);

  EXPECT_EQ(Korvex_SetCaptureWindow(handle_, 640, 480), 1);
  EXPECT_EQ(Korvex_GetLastError(handle_), 0u);
  EXPECT_EQ(CaptureWindow(handle_), (std::vector<int>{1000, 16, 640, 900, 8, 480}));
  EXPECT_EQ(Korvex_Width(handle_), 640);
  EXPECT_EQ(Korvex_Height(handle_), 480);
  // The next acquisition uses it: a gray image of 640 x 480 fits exactly.
  ASSERT_EQ(Korvex_SetPreviewWindow(handle_, nullptr, 0, 0, 0, 0), 1);
  ASSERT_EQ(Korvex_SetColorMode(handle_, 8), 1);
  std::vector<uint8_t> image(640u * 480u);
  EXPECT_EQ(Korvex_SnapShot(handle_, image.data(), static_cast<int>(image.size()), 1), 1);

  // A preset that fails the geometry check is taken, reported as a geometry error
  // and replaced by the whole sensor; the call still succeeds.
  EXPECT_EQ(Korvex_SetCaptureWindow(handle_, 2000, 480), 1);
  EXPECT_EQ(Korvex_GetLastError(handle_), static_cast<uint32_t>(KORVEX_ERR_GEOMETRY));
  EXPECT_EQ(Korvex_GetLastError(handle_), 0u);
  EXPECT_EQ(CaptureWindow(handle_), (std::vector<int>{2560, 0, 2560, 2560, 0, 2560}));
}

}  // namespace
