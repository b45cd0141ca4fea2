// The viewer's camera: one SDK handle, the selected camera number and the
// live picture. Frames come with the tear-free pattern: the SDK posts a frame
// notification to the viewer's window, and the viewer copies the newest image
// with Korvex_GetImage, which copies under the camera's frame lock; the SDK
// draws nothing itself (no preview window). All methods run on the window's
// thread.
#pragma once

#include "frame.h"

#include "KorvexSdk_740K3_XLN.h"

#include <cstdint>
#include <string>
#include <vector>

namespace korvex::viewer {

class Camera {
 public:
  ~Camera() { Close(); }

  // Opens the SDK with `window` as the notification window and selects
  // camera `number` (camera 0 when that one is absent). False when the SDK
  // has no camera at all; the handle is kept for enumeration then.
  bool Open(KORVEX_HWND window, int number);
  void Close();
  bool IsOpen() const { return handle_ != 0; }
  bool HasDevice() const { return hasDevice_; }
  KORVEX_HANDLE Handle() const { return handle_; }
  int Number() const { return number_; }

  // Names of the cameras present ("Korvex740K3-XLN_00" ...), by number.
  struct Present {
    int number;
    std::wstring name;
  };
  std::vector<Present> Enumerate() const;
  // The camera's name, read when it was opened (asking an absent camera for
  // its name would report an error each time).
  const std::wstring& Name() const { return name_; }

  // Frame notifications go to `window`; true when live.
  bool StartLive(KORVEX_HWND window);
  void StopLive();
  bool Live() const { return live_; }
  // After the stream ended (the camera went away) the SDK is idle again.
  void MarkStopped() { live_ = false; }

  // The newest processed image into `frame` (resized to the colour mode).
  bool CopyImage(Frame& frame) const;
  int BitsPerPixel() const;

  double ExposureMs() const;
  int Gain() const;

  // The most recent error code of the camera, or 0.
  uint32_t LastError() const { return handle_ ? Korvex_GetLastError(handle_) : 0; }

 private:
  KORVEX_HANDLE handle_ = 0;
  int number_ = 0;
  bool hasDevice_ = false;
  bool live_ = false;
  std::wstring name_;
};

}  // namespace korvex::viewer
