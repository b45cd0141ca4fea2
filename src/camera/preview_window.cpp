// The library's own preview window: a child of the application's window or
// a top-level window centred on the screen, and the drawing of each frame
// into it through the window's device context.
#include "camera/korvex.h"

#include "image/converters/format.h"
#include "image/converters/stretch.h"
#include "image/dib_image.h"
#include "image/dispatch.h"
#include "platform/window.h"

#include <cstdio>
#include <mutex>

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
    case 1: case 17: return 2;
    case 2: case 18: return 4;
    case 3: case 19: return 8;
    default: return 1;
  }
}

bool GrayMode(int mode) { return mode == 0 || mode == 1; }

}  // namespace

bool CKorvex::NeedsDisplayWindow() const {
  return previewParent_ != nullptr || previewRect_[0] != 0 || previewRect_[1] != 0 ||
         previewRect_[2] != 0 || previewRect_[3] != 0;
}

bool CKorvex::CreateDisplayWindow() {
  // A window left by an earlier start would otherwise stay on screen with
  // its class registered until the process ends.
  DestroyDisplayWindow();

  const platform::ModuleHandle module = platform::ExecutableModule();
  char name[sizeof className_];
  std::snprintf(name, sizeof name, "VideoRenderer_%08x_%08x",
                static_cast<unsigned>(reinterpret_cast<uintptr_t>(this)),
                static_cast<unsigned>(platform::TimeGetTime() +
                                      static_cast<uint32_t>(platform::Rand())));
  platform::WindowClass windowClass;
  windowClass.style = 0;
  windowClass.instance = module;
  windowClass.arrowCursor = true;
  windowClass.blackBackground = true;
  windowClass.name = name;
  if (!platform::RegisterWindowClass(windowClass)) return false;
  {
    std::lock_guard<platform::CriticalSection> guard(frameLock_);
    std::snprintf(className_, sizeof className_, "%s", name);
  }

  platform::WindowHandle window = nullptr;
  if (previewParent_ != nullptr) {
    window = platform::CreateWindowOfClass(0, name, "ActiveMovie Window", kChildStyle, previewRect_[0],
                                    previewRect_[1], previewRect_[2], previewRect_[3],
                                    previewParent_, kChildId, module);
  } else {
    if (!NeedsDisplayWindow()) return false;
    const int divisor = SubSampleDivisor(settings_.video.SubSample);
    platform::WindowRect rect{0, 0, settings_.size.EH / divisor, settings_.size.EV / divisor};
    if (!platform::AdjustWindowRectEx(&rect, kTopLevelStyle, false, 0)) return false;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    int x = (platform::ScreenWidth() - width) / 2;
    int y = (platform::ScreenHeight() - height) / 2;
    if (x < 0) x = 0;
    if (y < 0) y = 0;
    window = platform::CreateWindowOfClass(0, name, "Active Window", kTopLevelStyle, x, y, width, height,
                                    nullptr, 0, module);
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
  std::lock_guard<platform::CriticalSection> guard(frameLock_);
  displayWindow_ = window;
  displayDc_ = dc;
  return dc != nullptr;
}

void CKorvex::DestroyDisplayWindow() {
  std::lock_guard<platform::CriticalSection> guard(frameLock_);
  if (displayDc_ != nullptr) platform::ReleaseDC(displayWindow_, displayDc_);
  displayDc_ = nullptr;
  if (displayWindow_ != nullptr) platform::DestroyWindow(displayWindow_);
  displayWindow_ = nullptr;
  if (className_[0] != '\0') platform::UnregisterWindowClass(className_, platform::ExecutableModule());
  className_[0] = '\0';
}

void CKorvex::DrawFrame() {
  const int mode = FrameMode();  // the images are the prepared mode's
  CDibImage* source = nullptr;
  switch (mode) {
    case 0:
      source = images_[kGray8].get();
      break;
    case 1:
      image::ConvertRegion(*images_[kGray8], image::Reduce16To8, *images_[kGray16], nullptr, 0, 0,
                           nullptr);
      source = images_[kGray8].get();
      break;
    case 2:
      source = images_[kColor24].get();
      break;
    case 3:
      image::ConvertRegion(*images_[kColor24], image::Copy32To24, *images_[kColor32], nullptr, 0,
                           0, nullptr);
      source = images_[kColor24].get();
      break;
    case 4:
    case 5:
      image::ConvertRegion(*images_[kColor24], image::Reduce48To24,
                           *images_[mode == 4 ? kColor48 : kColor64], nullptr, 0, 0, nullptr);
      source = images_[kColor24].get();
      break;
    default:
      return;
  }

  platform::WindowRect client;
  if (displayWindow_ == nullptr || !platform::GetClientRect(displayWindow_, &client)) return;
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  if (!platform::IsWindowVisible(displayWindow_) || width <= 0 || height <= 0 ||
      displayDc_ == nullptr || source->IsEmpty())
    return;

  if (width == source->Width() && height == source->Height() && mode != 1) {
    // One to one; the negative source extent turns the picture upright.
    platform::StretchBlt(displayDc_, 0, 0, width, height, source->Dc(), 0, source->Height(),
                         source->Width(), -source->Height(), platform::kSrcCopy);
    return;
  }
  CDibImage& display = *images_[kDisplay];
  const int bits = GrayMode(mode) ? 8 : 24;
  // The depth is checked too: a display image of the other depth would be
  // overrun by the scaling converter.
  if (display.Width() != width || display.Height() != height || display.BitsPerPixel() != bits) {
    display.Release();
    if (!display.Create(width, height, bits)) return;
    if (bits == 8) display.SetGrayPalette();
  }
  image::ConvertScaled(display, bits == 8 ? image::StretchFlip8 : image::StretchFlip24, *source,
                       nullptr, nullptr);
  platform::BitBlt(displayDc_, 0, 0, width, height, display.Dc(), 0, 0, platform::kSrcCopy);
}

}  // namespace korvex
