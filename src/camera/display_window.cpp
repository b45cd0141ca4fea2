#include "camera/display_window.h"

#include "common/lock_guard.h"

#include "image/converters/stretch.h"
#include "image/dib_image.h"
#include "image/dispatch.h"
#include "platform/window.h"

#include <cstdio>

namespace korvex {

namespace {

constexpr uint32_t kChildStyle =
    platform::kWsChild | platform::kWsVisible | platform::kWsClipChildren;  // 0x52000000
constexpr uint32_t kTopLevelStyle = platform::kWsOverlappedWindow | platform::kWsVisible |
                                    platform::kWsClipSiblings |
                                    platform::kWsClipChildren;  // 0x16CF0000
constexpr uintptr_t kChildId = 6540;

// Client size divisor of a sub-sampling mode.
int SubSampleDivisor(int mode) {
  switch (mode) {
    case 1:
    case 17: return 2;
    case 2:
    case 18: return 4;
    case 3:
    case 19: return 8;
    default: return 1;
  }
}

}  // namespace

void DisplayWindow::Place(platform::WindowHandle parent, int left, int top, int right, int bottom) {
  parent_ = parent;
  rect_[0] = left;
  rect_[1] = top;
  rect_[2] = right;
  rect_[3] = bottom;
}

bool DisplayWindow::Wanted() const {
  return parent_ != nullptr || rect_[0] != 0 || rect_[1] != 0 || rect_[2] != 0 || rect_[3] != 0;
}

bool DisplayWindow::Open(int imageWidth, int imageHeight, int subSample) {
  // A window left by an earlier start would otherwise stay on screen with
  // its class registered until the process ends.
  Close();

  const platform::ModuleHandle module = platform::ExecutableModule();
  char name[sizeof className_];
  std::snprintf(
      name, sizeof name, "VideoRenderer_%08x_%08x",
      static_cast<unsigned>(reinterpret_cast<uintptr_t>(this)),
      static_cast<unsigned>(platform::TimeGetTime() + static_cast<uint32_t>(platform::Rand())));
  platform::WindowClass windowClass;
  windowClass.style = 0;
  windowClass.instance = module;
  windowClass.arrowCursor = true;
  windowClass.blackBackground = true;
  windowClass.name = name;
  if (!platform::RegisterWindowClass(windowClass)) return false;
  {
    LockGuard<RecursiveMutex> guard(frameLock_);
    std::snprintf(className_, sizeof className_, "%s", name);
  }

  platform::WindowHandle window = nullptr;
  if (parent_ != nullptr) {
    window = platform::CreateWindowOfClass(0, name, "ActiveMovie Window", kChildStyle, rect_[0],
                                           rect_[1], rect_[2], rect_[3], parent_, kChildId, module);
  } else {
    if (!Wanted()) return false;
    const int divisor = SubSampleDivisor(subSample);
    platform::WindowRect rect{0, 0, imageWidth / divisor, imageHeight / divisor};
    if (!platform::AdjustWindowRectEx(&rect, kTopLevelStyle, false, 0)) return false;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    int x = (platform::ScreenWidth() - width) / 2;
    int y = (platform::ScreenHeight() - height) / 2;
    if (x < 0) x = 0;
    if (y < 0) y = 0;
    window = platform::CreateWindowOfClass(0, name, "Active Window", kTopLevelStyle, x, y, width,
                                           height, nullptr, 0, module);
  }
  if (window == nullptr) return false;
  platform::SetFocus(window);
  platform::ShowWindow(window, platform::kSwShow);
  if (!platform::UpdateWindow(window)) {
    // Nobody could remove a window that is not kept: remove it now.
    platform::DestroyWindow(window);
    return false;
  }
  const platform::DeviceContext dc = platform::GetDC(window);
  LockGuard<RecursiveMutex> guard(frameLock_);
  window_ = window;
  dc_ = dc;
  return dc != nullptr;
}

void DisplayWindow::Close() {
  LockGuard<RecursiveMutex> guard(frameLock_);
  if (dc_ != nullptr) platform::ReleaseDC(window_, dc_);
  dc_ = nullptr;
  if (window_ != nullptr) platform::DestroyWindow(window_);
  window_ = nullptr;
  if (className_[0] != '\0')
    platform::UnregisterWindowClass(className_, platform::ExecutableModule());
  className_[0] = '\0';
}

bool DisplayWindow::VisibleClientSize(int* width, int* height) const {
  platform::WindowRect client;
  if (window_ == nullptr || dc_ == nullptr || !platform::IsWindowVisible(window_) ||
      !platform::GetClientRect(window_, &client))
    return false;
  *width = client.right - client.left;
  *height = client.bottom - client.top;
  return *width > 0 && *height > 0;
}

void DisplayWindow::Draw(CDibImage& source, bool direct, CDibImage& display) {
  platform::WindowRect client;
  if (window_ == nullptr || !platform::GetClientRect(window_, &client)) return;
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  if (!platform::IsWindowVisible(window_) || width <= 0 || height <= 0 || dc_ == nullptr ||
      source.IsEmpty())
    return;

  if (direct && width == source.Width() && height == source.Height()) {
    // One to one; the negative source extent turns the picture upright.
    platform::StretchBlt(dc_, 0, 0, width, height, source.Dc(), 0, source.Height(), source.Width(),
                         -source.Height(), platform::kSrcCopy);
    return;
  }
  const int bits = source.BitsPerPixel() == 8 ? 8 : 24;
  // The depth is checked too: a display image of the other depth would be
  // overrun by the scaling converter.
  if (display.Width() != width || display.Height() != height || display.BitsPerPixel() != bits) {
    display.Release();
    if (!display.Create(width, height, bits)) return;
    if (bits == 8) display.SetGrayPalette();
  }
  image::ConvertScaled(display, bits == 8 ? image::StretchFlip8 : image::StretchFlip24, source,
                       nullptr, nullptr);
  platform::BitBlt(dc_, 0, 0, width, height, display.Dc(), 0, 0, platform::kSrcCopy);
}

}  // namespace korvex
