#include "camera.h"

#include <array>

namespace korvex::viewer {
namespace {

constexpr int kNameSlots = 32;
constexpr int kNameSlotBytes = 256;
constexpr int kNameLength = 64;

std::wstring Widen(const char* text) {
  std::wstring out;
  for (const char* p = text; *p; ++p) out += static_cast<wchar_t>(static_cast<unsigned char>(*p));
  return out;
}

}  // namespace

bool Camera::Open(KORVEX_HWND window, int number) {
  Close();
  handle_ = Korvex_Initialize(window);
  if (handle_ == 0) return false;
  // Korvex_Initialize selects camera 0; another remembered camera is chosen
  // when it is present, camera 0 otherwise.
  number_ = 0;
  if (number != 0 && Korvex_SetDeviceNumber(handle_, number)) number_ = number;
  // A camera object without a device refuses what needs one: the camera
  // information is the cheapest such question.
  KORVEX_CAMERA_INFO info{};
  info.size = sizeof info;
  hasDevice_ = Korvex_GetCameraInfo(handle_, &info) != 0 && !Enumerate().empty();
  while (Korvex_GetLastError(handle_) != 0) {  // the start-up's own codes are not news
  }
  std::array<char, kNameLength> name{};
  if (hasDevice_ && Korvex_GetDeviceName(handle_, number_, name.data(), kNameLength))
    name_ = Widen(name.data());
  // The viewer draws the picture itself: no preview window of the SDK.
  if (hasDevice_) Korvex_SetPreviewWindow(handle_, nullptr, 0, 0, 0, 0);
  return hasDevice_;
}

void Camera::Close() {
  if (handle_ != 0) Korvex_Release(handle_);  // stops the stream and stores the settings
  handle_ = 0;
  hasDevice_ = false;
  live_ = false;
  name_.clear();
}

std::vector<Camera::Present> Camera::Enumerate() const {
  std::vector<Present> out;
  if (handle_ == 0) return out;
  // Korvex_EnumDevice probes the cameras and counts them, naming them by
  // position; the camera numbers are those that Korvex_GetDeviceName then
  // names (by number, from the same probe). Absent numbers are not asked
  // once all present ones are found, so that few refusals are reported.
  std::vector<char> names(static_cast<size_t>(kNameSlots) * kNameSlotBytes, 0);
  const int count = Korvex_EnumDevice(handle_, names.data());
  for (int number = 0; number < kNameSlots && static_cast<int>(out.size()) < count; ++number) {
    std::array<char, kNameLength> name{};
    if (Korvex_GetDeviceName(handle_, number, name.data(), kNameLength))
      out.push_back({number, Widen(name.data())});
  }
  return out;
}

bool Camera::StartLive(KORVEX_HWND window) {
  if (!hasDevice_) return false;
  if (live_) return true;
  live_ = Korvex_CallBackPreview(handle_, window, nullptr, 0, 1) != 0;
  return live_;
}

void Camera::StopLive() {
  if (handle_ != 0) Korvex_StopPreview(handle_);
  live_ = false;
}

int Camera::BitsPerPixel() const {
  switch (Korvex_GetColorMode(handle_)) {
    case 8: return 8;
    case 10: return 16;
    case 24: return 24;
    case 32: return 32;
    case 42: return 48;
    case 58: return 64;
    default: return 0;
  }
}

bool Camera::CopyImage(Frame& frame) const {
  if (!hasDevice_) return false;
  frame.width = Korvex_Width(handle_);
  frame.height = Korvex_Height(handle_);
  frame.bitsPerPixel = BitsPerPixel();
  if (frame.width <= 0 || frame.height <= 0 || frame.bitsPerPixel == 0) return false;
  if (frame.bytes.size() != frame.Size()) frame.bytes.assign(frame.Size(), 0);
  return Korvex_GetImage(handle_, frame.bytes.data(), static_cast<int>(frame.bytes.size()), 1) != 0;
}

double Camera::ExposureMs() const {
  int ok = 0;
  const int us = hasDevice_ ? Korvex_GetRealExposureTime(handle_, &ok) : 0;
  return ok ? us / 1000.0 : 0.0;
}

int Camera::Gain() const { return hasDevice_ ? Korvex_GetGlobalGain(handle_, nullptr) : 0; }

}  // namespace korvex::viewer
