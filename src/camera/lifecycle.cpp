// Initialisation, device selection, enumeration and naming, camera
// information, Close and destruction of the camera object.
#include "camera/korvex.h"

#include "camera/ownership_table.h"
#include "device/korvex740k3xln_sdk.h"
#include "image/dib_image.h"
#include "platform/text.h"
#include "settings/registry_persistence.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace korvex {

namespace {

constexpr const char kDeviceName[] = "Korvex740K3-XLN";
constexpr int kNameSlot = 256;      // bytes per EnumDevice slot
constexpr int kWideNameSlot = 256;  // UTF-16 units per EnumDeviceW slot (512 bytes)
constexpr int kMinimumSlots = 10;

// "Korvex740K3-XLN_NN": 18 characters and the terminator.
void FormatDeviceName(char (&out)[32], int number) {
  std::snprintf(out, sizeof out, "%s_%02d", kDeviceName, number);
}

}  // namespace

CKorvex::CKorvex()
    : ownership_(std::make_unique<OwnershipTable>()), frameRate_(platform::TimeGetTime()) {
  // The pipeline's threads live as long as the camera, so starting and
  // stopping acquisition never creates or ends one.
  try {
    pipelineWorkers_ = std::make_unique<image::PipelineWorkers>();
  } catch (...) {
    // Without them each frame runs on the capturing thread alone.
  }
}

CKorvex::~CKorvex() {
  // A camera that never got its device never loaded the stored settings;
  // saving its constructor defaults would overwrite what the user stored.
  if (HasDevice()) SaveSettings();
  Close();
  ReleaseDevice();
  device_.reset();
  for (auto& image : images_) image.reset();
  pipelineWorkers_.reset();  // waits for the pipeline's threads
}

void CKorvex::SaveSettings() {
  SaveGain(settings_, deviceNumber_);
  SaveFilter(settings_, deviceNumber_);
  SaveGray(settings_, deviceNumber_);
}

void CKorvex::LoadAndApplyAnalogSettings() {
  LoadFilter(settings_, deviceNumber_);
  LoadGray(settings_, deviceNumber_);
  GainDefaults defaults;
  defaults.global = CKorvex740K3XLNSdk::kDefaultGain;
  defaults.exposure = CKorvex740K3XLNSdk::kExposureMax;
  defaults.vMirror = device_->GetMirrorV();
  defaults.hMirror = device_->GetMirrorH();
  LoadGain(settings_, deviceNumber_, defaults);
  const AnalogGroup& a = settings_.analog;
  device_->SetGlobalGain(static_cast<uint16_t>(a.Global.Get()));
  device_->SetExposure(static_cast<uint16_t>(a.Exposure.Get()));
  device_->SetMirrorV(a.V_Mirror != 0);
  device_->SetMirrorH(a.H_Mirror != 0);
}

bool CKorvex::CheckGeometry() const {
  const SizeGroup& s = settings_.size;
  const int32_t eh = s.EH, ev = s.EV, ehs = s.EHS, evs = s.EVS;
  auto within = [](int32_t v) { return v >= 0 && v <= 2560; };
  if (!within(eh) || !within(ev) || !within(ehs) || !within(evs)) return false;
  if (ehs + eh > 2560 || evs + ev > 2560) return false;
  switch (settings_.video.SubSample.Get()) {
    case 1:
    case 2:
    case 3:
    case 17:
    case 18:
    case 19: return false;
    default: return true;
  }
}

void CKorvex::ResetGeometry() {
  SizeGroup& s = settings_.size;
  s.TH = 2560;
  s.TV = 2560;
  s.EH = 2560;
  s.EV = 2560;
  s.EHS = 0;
  s.EVS = 0;
}

void CKorvex::ApplyWindow() {
  const SizeGroup& s = settings_.size;
  device_->SetWindow(s.EHS, s.EVS, s.EH, s.EV, settings_.video.SubSample);
}

int CKorvex::Initialize(platform::WindowHandle notifyWindow) {
  if (!ownership_->Open()) {
    errors_.Record(KORVEX_ERR_MEMORY);  // the window is not stored yet: recorded, not posted
    return 0;
  }
  try {
    device_ = std::make_unique<CKorvex740K3XLNSdk>();
    for (auto& image : images_) image = std::make_unique<CDibImage>();
  } catch (const std::bad_alloc&) {
    device_.reset();
  }
  errors_.SetNotifyWindow(notifyWindow);
  if (!device_) return Fail(KORVEX_ERR_MEMORY);
  hasDevice_.store(true, std::memory_order_release);

  LoadSize(settings_, deviceNumber_);
  device_->InitializeSensor();
  if (!CheckGeometry()) {
    errors_.ReportError(KORVEX_ERR_GEOMETRY);
    ResetGeometry();
  }
  ApplyWindow();
  display_.Place(nullptr, 0, 0, settings_.size.EH, settings_.size.EV);
  LoadAndApplyAnalogSettings();
  LoadVideoFormat(settings_, deviceNumber_);
  return 1;
}

int CKorvex::SetDeviceNumber(int number) {
  LockGuard<RecursiveMutex> control(acquisitionLock_);
  if (!HasDevice()) return NotPossible();
  // Selecting a device resets the driver's frame buffers and capture handle,
  // which a running acquisition is using: stop it first.
  if (State() != kIdle) return NotPossible();
  SaveSettings();
  if (!device_->IsDevicePresent(number) || device_->SelectDevice(number) != 0) {
    return Fail(KORVEX_ERR_DEVICE);
  }
  deviceNumber_ = number;  // the loads below read the new camera's keys
  LoadAndApplyAnalogSettings();
  device_->ApplyConfigurationByte();
  return 1;
}

// The body both enumerations share: probes the device paths once, then
// names the present cameras by their position (01, 02, ...) into slots of
// `Char` of `slotSize` units, and empties the slots up to the tenth. A slot
// whose name does not convert is left empty.
template <class Char, class Write>
int CKorvex::EnumerateDevices(Char* names, int slotSize, Write write) {
  // Probing rewrites the presence table that selection and starts read.
  LockGuard<RecursiveMutex> control(acquisitionLock_);
  if (!HasDevice()) return NotPossible();
  if (names == nullptr) return Fail(KORVEX_ERR_ARGUMENT);
  device_->ProbeDevices();
  int found = 0;
  for (int index = 0; index < kMaxDevices; ++index) {
    if (!device_->IsDevicePresent(index)) continue;
    char name[32];
    FormatDeviceName(name, found + 1);
    Char* slot = names + found * slotSize;
    if (!write(name, slot)) slot[0] = 0;
    ++found;
  }
  for (int slot = found; slot < kMinimumSlots; ++slot) names[slot * slotSize] = 0;
  return found;
}

int CKorvex::EnumDevice(char* names) {
  return EnumerateDevices(names, kNameSlot, [](const char* name, char* slot) {
    std::memcpy(slot, name, std::strlen(name) + 1);
    return true;
  });
}

int CKorvex::EnumDeviceW(KORVEX_WCHAR* names) {
  return EnumerateDevices(names, kWideNameSlot, [](const char* name, KORVEX_WCHAR* slot) {
    return platform::AnsiToWide(name, slot, kWideNameSlot) > 0;
  });
}

bool CKorvex::DeviceNameFor(int number, bool haveBuffer, int size, char (&text)[32]) {
  if (!HasDevice()) {
    NotPossible();
    return false;
  }
  // A name takes 19 bytes (or characters) with its terminator; smaller
  // buffers are refused rather than written past.
  if (size < 19 || number < 0 || number > 31 || !haveBuffer) {
    errors_.ReportError(KORVEX_ERR_ARGUMENT);
    return false;
  }
  if (!device_->IsDevicePresent(number)) {
    errors_.ReportError(KORVEX_ERR_DEVICE);
    return false;
  }
  FormatDeviceName(text, number + 1);
  return true;
}

int CKorvex::GetDeviceName(int number, char* name, int size) {
  LockGuard<RecursiveMutex> control(acquisitionLock_);
  char text[32];
  if (!DeviceNameFor(number, name != nullptr, size, text)) return 0;
  std::memcpy(name, text, std::strlen(text) + 1);
  return 1;
}

int CKorvex::GetDeviceNameW(int number, KORVEX_WCHAR* name, int size) {
  LockGuard<RecursiveMutex> control(acquisitionLock_);
  char text[32];
  if (!DeviceNameFor(number, name != nullptr, size, text)) return 0;
  if (platform::AnsiToWide(text, name, size) <= 0) return Fail(KORVEX_ERR_DEVICE);
  return 1;
}

int CKorvex::GetCameraInfo(KORVEX_CAMERA_INFO* info) {
  if (!HasDevice()) return NotPossible();
  if (info == nullptr) return Fail(KORVEX_ERR_ARGUMENT);
  if (info->size < 36u) return Fail(KORVEX_ERR_MEMORY);
  info->maxWidth = 2560;
  info->maxHeight = 2560;
  info->gainMin = 0;
  info->gainMax = CKorvex740K3XLNSdk::kGainMax;
  info->reserved1 = 0;
  info->reserved2 = 0;
  info->exposureMin = 0;
  info->exposureMax = CKorvex740K3XLNSdk::kExposureMax;
  return 1;
}

int CKorvex::Close() {
  // Serialised with the other starts and stops, so two closing threads do
  // not both close the capture handle.
  LockGuard<RecursiveMutex> control(acquisitionLock_);
  StopPreview();  // without a device this records KORVEX_ERR_NOT_POSSIBLE; Close goes on
  imageReady_.store(0, std::memory_order_release);
  if (HasDevice()) device_->CloseCaptureHandle();
  display_.Close();
  return 1;
}

void CKorvex::ClaimDevice(int number) {
  ownership_->Claim(number, errors_.NotifyWindow());
  claimedDevice_.store(number);
}

void CKorvex::ReleaseDevice() {
  const int32_t number = claimedDevice_.exchange(-1);
  if (number >= 0) ownership_->Release(number, errors_.NotifyWindow());
}

}  // namespace korvex
