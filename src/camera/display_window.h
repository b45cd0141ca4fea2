// The library's own preview window: a child of the application's window at
// the rectangle it gave, or a top-level window centred on the screen whose
// client area is the image size reduced by the sub-sampling; its device
// context; and the drawing of a picture into it, one to one or scaled to
// the client area.
//
// The window, its device context and its class name are written by the
// threads that open and close the window and read by the acquisition
// workers while they draw: all of them under the camera's frame lock, which
// the window is given. Open and Close take it; Draw and VisibleClientSize
// expect the caller to hold it. The placement is written and read under the
// camera's acquisition lock.
#pragma once

#include "common/lock_guard.h"
#include "common/thread_annotations.h"
#include "platform/gdi.h"
#include "platform/platform.h"

#include <cstdint>

namespace korvex {

class CDibImage;

class DisplayWindow {
 public:
  explicit DisplayWindow(RecursiveMutex& frameLock) : frameLock_(frameLock) {}
  DisplayWindow(const DisplayWindow&) = delete;
  DisplayWindow& operator=(const DisplayWindow&) = delete;

  // Where the next window goes: a child of `parent` at (left, top) with the
  // size (right, bottom), or, without a parent, a top-level window.
  void Place(platform::WindowHandle parent, int left, int top, int right, int bottom);
  // True when the placement asks for a window: a parent or a rectangle
  // that is not all zeros.
  bool Wanted() const;

  // Registers a fresh window class and opens the window with its device
  // context, after closing the one an earlier start left. A top-level
  // window's client area is imageWidth x imageHeight reduced by the
  // sub-sampling mode. False when the window or its context is missing
  // (a window without a context stays until Close).
  bool Open(int imageWidth, int imageHeight, int subSample);
  // Releases the device context, destroys the window and unregisters its
  // class; nothing when none is open.
  void Close();

  // The client size of a visible window with a device context; false
  // otherwise. Frame lock held.
  bool VisibleClientSize(int* width, int* height) const KORVEX_REQUIRES(frameLock_);
  // Draws `source` (8 or 24 bits, stored bottom-up) into the window: one to
  // one when `direct` allows it and the sizes match, otherwise scaled into
  // `display` (re-created at the client size and depth when it differs) and
  // copied from there. Nothing without a visible window. Frame lock held.
  void Draw(CDibImage& source, bool direct, CDibImage& display) KORVEX_REQUIRES(frameLock_);

  // States that the caller holds the frame lock: the camera calls it where
  // it holds its own frame lock, which is the one this window was given.
  void AssertFrameLockHeld() const KORVEX_ASSERT_CAPABILITY(frameLock_) {}

 private:
  RecursiveMutex& frameLock_;
  // Placement (acquisition lock).
  platform::WindowHandle parent_ = nullptr;
  int32_t rect_[4] = {0, 0, 2560, 1920};
  // The window, its device context and the name of its class ("" when none
  // is registered); frame lock.
  platform::WindowHandle window_ KORVEX_GUARDED_BY(frameLock_) = nullptr;
  platform::DeviceContext dc_ KORVEX_GUARDED_BY(frameLock_) = nullptr;
  char className_[256] KORVEX_GUARDED_BY(frameLock_) = "";
};

}  // namespace korvex
