// Construction, destruction and the operations of the camera object that do
// not belong to a more specific file.
#include "camera/korvex.h"

#include "settings/config_file.h"

namespace korvex {

CKorvex::CKorvex() { rateWindowStart_ = platform::TimeGetTime(); }

CKorvex::~CKorvex() {
  Close();
}

int CKorvex::Initialize(platform::WindowHandle notifyWindow) {
  errors_.SetNotifyWindow(notifyWindow);
  // No model driver can be created on this build: the object stays without
  // a device and every device operation answers with code 1.
  errors_.ReportError(5);
  return 0;
}

int CKorvex::SetDeviceNumber(int) { return NoDevice(); }
int CKorvex::EnumDevice(char*) { return NoDevice(); }
int CKorvex::EnumDeviceW(KORVEX_WCHAR*) { return NoDevice(); }
int CKorvex::GetDeviceName(int, char*, int) { return NoDevice(); }
int CKorvex::GetDeviceNameW(int, KORVEX_WCHAR*, int) { return NoDevice(); }
int CKorvex::GetCameraInfo(KORVEX_CAMERA_INFO*) { return NoDevice(); }

int CKorvex::Close() {
  StopPreview();  // without a device this records code 1; Close goes on
  imageReady_.store(0, std::memory_order_release);
  return 1;
}

// ---- capture and preview -------------------------------------------------

int CKorvex::Preview() { return NoDevice(); }
int CKorvex::CallBackPreview(platform::WindowHandle, void*, int, int) { return NoDevice(); }
int CKorvex::StartPreview() { return NoDevice(); }
int CKorvex::StopPreview() { return NoDevice(); }
int CKorvex::Capture() { return NoDevice(); }
int CKorvex::SnapShot(void*, int, int) { return NoDevice(); }
int CKorvex::GetImage(void*, int, int) { return NoDevice(); }
int CKorvex::Trigger(platform::WindowHandle, void*, int, int) { return NoDevice(); }

int CKorvex::GetRealExposureTime(int* ok) {
  if (ok) *ok = 0;
  return NoDevice();
}

// ---- window geometry -----------------------------------------------------

int CKorvex::SetPreviewWindow(platform::WindowHandle, int, int, int, int) { return NoDevice(); }
int CKorvex::SetCaptureWindow(int, int) { return NoDevice(); }
int CKorvex::SetCaptureWindowEx(int, int, int, int, int, int) { return NoDevice(); }

int CKorvex::GetCaptureWindowEx(int* th, int* ehs, int* eh, int* tv, int* evs, int* ev) {
  const SizeGroup& s = settings_.size;
  if (th) *th = s.TH;
  if (ehs) *ehs = s.EHS;
  if (eh) *eh = s.EH;
  if (tv) *tv = s.TV;
  if (evs) *evs = s.EVS;
  if (ev) *ev = s.EV;
  return 1;
}

// ---- registers and serial ROM ----------------------------------------------

int CKorvex::ReadRegister(int, int* ok) {
  if (ok) *ok = 0;
  return NoDevice();
}
int CKorvex::WriteRegister(int, int) { return NoDevice(); }

int CKorvex::ReadSromID(int, int* ok) {
  if (ok) *ok = 0;
  errors_.NotifyError(1);
  return 0;
}

int CKorvex::WriteSromID(int, int) {
  errors_.NotifyError(1);
  return 0;
}

// ---- files, configuration and dialogs -------------------------------------

int CKorvex::SaveImage(const char*, int) { return NoDevice(); }
int CKorvex::SaveImageW(const KORVEX_WCHAR*, int) { return NoDevice(); }
int CKorvex::Record(const char*, int, int) { return NoDevice(); }
int CKorvex::RecordW(const KORVEX_WCHAR*, int, int) { return NoDevice(); }
int CKorvex::SetCameraDlg(platform::WindowHandle) { return NoDevice(); }
int CKorvex::SetAnalogDlg(platform::WindowHandle) { return NoDevice(); }
int CKorvex::SetImageDlg(platform::WindowHandle) { return NoDevice(); }

int CKorvex::LoadConfigFile(const char* fileName) {
  // The file is read before the list's lock is taken; a failed read keeps
  // the list of the previous load.
  auto entries = ReadConfigFile(fileName);
  if (!entries) return 0;
  std::lock_guard<platform::CriticalSection> guard(configLock_);
  configList_ = std::move(*entries);
  return 1;
}

int CKorvex::LoadConfigFileW(const KORVEX_WCHAR*) {
  errors_.ReportError(12);
  return 0;
}

std::vector<std::pair<int32_t, int32_t>> CKorvex::ConfigList() {
  std::lock_guard<platform::CriticalSection> guard(configLock_);
  return configList_;
}

}  // namespace korvex
