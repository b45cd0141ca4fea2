// Construction, destruction and the operations of the camera object that do
// not belong to a more specific file.
#include "camera/korvex.h"

#include "device/korvex740k3xln_sdk.h"
#include "image/dib_image.h"
#include "settings/config_file.h"
#include "platform/text.h"
#include "settings/registry_persistence.h"

namespace korvex {

// ---- capture and preview -------------------------------------------------

// ---- window geometry -----------------------------------------------------

int CKorvex::SetPreviewWindow(platform::WindowHandle parent, int left, int top, int right,
                              int bottom) {
  LockGuard<RecursiveMutex> control(acquisitionLock_);
  if (!HasDevice()) return NotPossible();
  // Takes effect at the next start; no window is created or moved here.
  display_.Place(parent, left, top, right, bottom);
  return 1;
}

int CKorvex::SetCaptureWindow(int width, int height) {
  LockGuard<RecursiveMutex> control(acquisitionLock_);
  if (!HasDevice()) return NotPossible();
  SizePreset preset;
  if (!FindRootSizePreset(width, height, &preset)) return Fail(KORVEX_ERR_WINDOW);
  SizeGroup& s = settings_.size;
  s.TH = preset.TH;
  s.TV = preset.TV;
  s.EH = preset.EH;
  s.EV = preset.EV;
  s.EHS = preset.EHS;
  s.EVS = preset.EVS;
  s.Buf = preset.Buf;
  if (!CheckGeometry()) {
    errors_.ReportError(KORVEX_ERR_GEOMETRY);
    ResetGeometry();
  }
  // A running acquisition keeps its buffers: the new geometry reaches the
  // device at the next preparation.
  if (State() == kIdle) ApplyWindow();
  return 1;
}

int CKorvex::SetCaptureWindowEx(int th, int ehs, int eh, int tv, int evs, int ev) {
  LockGuard<RecursiveMutex> control(acquisitionLock_);
  if (!HasDevice()) return NotPossible();
  SizeGroup& s = settings_.size;
  s.TH = th;
  s.EHS = ehs;
  s.EH = eh;
  s.TV = tv;
  s.EVS = evs;
  s.EV = ev;
  // Rejected values stay stored: the next acquisition then fails with KORVEX_ERR_GEOMETRY
  // until valid ones are set.
  if (!CheckGeometry()) return Fail(KORVEX_ERR_GEOMETRY);
  if (State() == kIdle) ApplyWindow();
  return 1;
}

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

// ---- files, configuration and dialogs -------------------------------------

int CKorvex::LoadConfigFile(const platform::FileName& fileName) {
  // The file is read before the list's lock is taken; a failed read keeps
  // the list of the previous load.
  std::vector<ConfigEntry> entries;
  switch (ReadConfigFile(fileName, &entries)) {
    case ConfigRead::kRead: break;
    case ConfigRead::kUnreadable: return 0;  // missing or unreadable: nothing raised
    case ConfigRead::kTooLarge:
      // Larger than any configuration: refused unread, and said so.
      return Fail(KORVEX_ERR_FILE);
  }
  LockGuard<RecursiveMutex> guard(configLock_);
  configList_ = std::move(entries);
  return 1;
}

int CKorvex::LoadConfigFileW(const KORVEX_WCHAR* fileName) {
  // The wide name is used as it is (converted on Linux to the locale's
  // character set); a name that cannot be a file name is refused.
  const std::optional<platform::FileName> name = platform::FileName::FromWide(fileName);
  if (!name) return Fail(KORVEX_ERR_FILE);
  return LoadConfigFile(*name);
}

std::vector<std::pair<int32_t, int32_t>> CKorvex::ConfigList() {
  LockGuard<RecursiveMutex> guard(configLock_);
  return configList_;
}

}  // namespace korvex
