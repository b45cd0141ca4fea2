// Snapshots and recordings through Save As, and the about box.
#include "main_window.h"

#include <commdlg.h>

#include <cwctype>
#include <string>
#include <vector>

namespace korvex::viewer {
namespace {

// The Save As filter entries in the order of the KORVEX_SAVE_* codes 0 to 6.
const wchar_t* const kExtensions[] = {L"bmp", L"raw", L"jpg", L"jpg", L"jpg", L"png", L"tif"};

std::vector<wchar_t> FilterList(Text text) {
  std::vector<wchar_t> list;
  for (const wchar_t* p = Tr(text); *p; ++p) list.push_back(*p == L'|' ? L'\0' : *p);
  list.push_back(L'\0');
  return list;
}

std::wstring Lower(std::wstring s) {
  for (auto& c : s) c = static_cast<wchar_t>(std::towlower(c));
  return s;
}

std::wstring ExtensionOf(const std::wstring& path) {
  const size_t dot = path.find_last_of(L'.');
  const size_t slash = path.find_last_of(L"\\/");
  if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) return L"";
  return Lower(path.substr(dot + 1));
}

// The format to write: the chosen filter entry, unless the typed name ends
// in another format's extension (then that format; a JPEG keeps the chosen
// quality when a JPEG entry was chosen).
int FormatFor(const std::wstring& path, int chosen) {
  const std::wstring ext = ExtensionOf(path);
  if (ext.empty() || ext == kExtensions[chosen]) return chosen;
  if (ext == L"jpeg" || ext == L"jpg")
    return chosen >= KORVEX_SAVE_JPEG_HIGH && chosen <= KORVEX_SAVE_JPEG_LOW
               ? chosen
               : KORVEX_SAVE_JPEG_HIGH;
  if (ext == L"tiff") return KORVEX_SAVE_TIFF;
  for (int i = 0; i < 7; ++i)
    if (ext == kExtensions[i]) return i;
  return chosen;
}

std::wstring FolderOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? L"" : path.substr(0, slash);
}

std::wstring FileNameOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// "Korvex_20260314_093015": the default name of a new file.
std::wstring DatedName() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  wchar_t name[64];
  swprintf(name, 64, L"Korvex_%04u%02u%02u_%02u%02u%02u", t.wYear, t.wMonth, t.wDay, t.wHour,
           t.wMinute, t.wSecond);
  return name;
}

// Runs Save As; false when cancelled. `filterIndex` is 1-based, in and out.
bool AskSaveName(HWND owner, Text title, Text filter, const wchar_t* extension,
                 const std::wstring& folder, std::wstring* path, int* filterIndex) {
  std::vector<wchar_t> name(4096, L'\0');
  const std::wstring initial = DatedName() + L"." + extension;
  initial.copy(name.data(), name.size() - 1);
  const std::vector<wchar_t> filters = FilterList(filter);
  OPENFILENAMEW o{};
  o.lStructSize = sizeof o;
  o.hwndOwner = owner;
  o.lpstrFilter = filters.data();
  o.nFilterIndex = static_cast<DWORD>(*filterIndex);
  o.lpstrFile = name.data();
  o.nMaxFile = static_cast<DWORD>(name.size());
  o.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  o.lpstrTitle = Tr(title);
  o.lpstrDefExt = extension;
  o.Flags =
      OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_EXPLORER;
  if (!GetSaveFileNameW(&o)) return false;
  *path = name.data();
  *filterIndex = static_cast<int>(o.nFilterIndex);
  return true;
}

}  // namespace

void MainWindow::Snapshot() {
  if (!camera_.HasDevice() || state_ == State::kLost || state_ == State::kRecording) return;
  // The picture on screen when the key was pressed is the one saved: the
  // stream pauses while Save As is open, keeping the camera's image as shown.
  const bool wasLive = state_ == State::kLive;
  if (wasLive) StopLive();
  std::wstring path;
  int index = settings_.imageFormat + 1;
  if (AskSaveName(window_, Text::kSaveSnapshotTitle, Text::kFilterImages,
                  kExtensions[settings_.imageFormat], settings_.folder, &path, &index)) {
    const int format = FormatFor(path, index - 1);
    settings_.imageFormat = index - 1;
    settings_.folder = FolderOf(path);
    while (camera_.LastError() != 0) {  // only this save's own codes below
    }
    wchar_t text[1024];
    if (Korvex_SaveImageW(camera_.Handle(), reinterpret_cast<const KORVEX_WCHAR*>(path.c_str()),
                          format)) {
      swprintf(text, 1024, Tr(Text::kStateSaved), FileNameOf(path).c_str());
    } else {
      const uint32_t code = camera_.LastError();
      swprintf(text, 1024, Tr(Text::kSaveFailed), FileNameOf(path).c_str(),
               (code ? ErrorReason(code) : std::wstring(Tr(Text::kErrFile))).c_str());
    }
    if (wasLive) StartLive();
    SetState(text);  // after the restart, which clears the state text
    return;
  }
  if (wasLive) StartLive();
}

void MainWindow::StartRecording() {
  if (!camera_.HasDevice() || state_ == State::kLost || state_ == State::kRecording) return;
  std::wstring path;
  int index = 1;
  if (!AskSaveName(window_, Text::kRecordTitle, Text::kFilterVideo, L"avi", settings_.folder, &path,
                   &index))
    return;
  settings_.folder = FolderOf(path);
  liveBeforeRecording_ = state_ == State::kLive;
  // The recorder takes the stream over (no notifications while it records):
  // the picture is polled from the status timer meanwhile.
  camera_.StopLive();
  recordSeconds_ = settings_.recordSeconds;
  constexpr int kUntilStoppedMs = 24 * 3600 * 1000;
  const int ms = recordSeconds_ > 0 ? recordSeconds_ * 1000 : kUntilStoppedMs;
  while (camera_.LastError() != 0) {
  }
  if (!Korvex_RecordW(camera_.Handle(), reinterpret_cast<const KORVEX_WCHAR*>(path.c_str()), ms,
                      0)) {
    wchar_t text[1024];
    swprintf(text, 1024, Tr(Text::kRecordFailed), FileNameOf(path).c_str(),
             ErrorReason(camera_.LastError()).c_str());
    state_ = State::kStopped;
    if (liveBeforeRecording_) StartLive();
    SetState(text);
    return;
  }
  recordFile_ = path;
  recordStart_ = GetTickCount64();
  state_ = State::kRecording;
  stateText_.clear();
  UpdateMenuChecks();
  UpdateStatus();
}

// Ends a recording, by the Stop button or once its length has passed (the
// SDK has then finished the file already): stopping the stream finishes the
// file (index and header) at once, and the live picture comes back.
void MainWindow::StopRecording() {
  camera_.StopLive();
  state_ = State::kStopped;
  wchar_t text[1024];
  swprintf(text, 1024, Tr(Text::kStateRecorded), FileNameOf(recordFile_).c_str());
  if (liveBeforeRecording_) StartLive();
  SetState(text);
  UpdateMenuChecks();
}

namespace {

constexpr wchar_t kAboutClass[] = L"KorvexViewerAbout";

LRESULT CALLBACK AboutProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  switch (m) {
    case WM_COMMAND:
      if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) DestroyWindow(w);
      return 0;
    case WM_CLOSE: DestroyWindow(w); return 0;
    case WM_DESTROY: {
      auto* slot = reinterpret_cast<HWND*>(GetWindowLongPtrW(w, GWLP_USERDATA));
      if (slot) *slot = nullptr;
      return 0;
    }
    default: return DefWindowProcW(w, m, wp, lp);
  }
}

}  // namespace

// A small window, not a modal box: the live picture goes on behind it.
void MainWindow::ShowAbout() {
  if (about_) {
    SetForegroundWindow(about_);
    return;
  }
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW c{};
  c.lpfnWndProc = AboutProc;
  c.hInstance = instance;
  c.hCursor = LoadCursor(nullptr, IDC_ARROW);
  c.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  c.lpszClassName = kAboutClass;
  RegisterClassW(&c);
  RECT owner;
  GetWindowRect(window_, &owner);
  constexpr int kWidth = 340, kHeight = 200;
  about_ = CreateWindowExW(
      WS_EX_DLGMODALFRAME, kAboutClass, Tr(Text::kAboutTitle), WS_POPUP | WS_CAPTION | WS_SYSMENU,
      (owner.left + owner.right - kWidth) / 2, (owner.top + owner.bottom - kHeight) / 2, kWidth,
      kHeight, window_, nullptr, instance, nullptr);
  if (!about_) return;
  SetWindowLongPtrW(about_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&about_));
  // The version is the SDK's own, one byte a part: 1.168.5.31.
  const uint32_t v = Korvex_GetDllVersion();
  wchar_t text[256];
  swprintf(text, 256, Tr(Text::kAboutText), v >> 24, (v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
  HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  HWND label = CreateWindowExW(0, L"STATIC", text, WS_CHILD | WS_VISIBLE | SS_CENTER, 10, 15,
                               kWidth - 30, 100, about_, nullptr, instance, nullptr);
  HWND ok = CreateWindowExW(0, L"BUTTON", Tr(Text::kOk),
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                            (kWidth - 90) / 2, 120, 80, 26, about_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDOK)), instance, nullptr);
  SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  SendMessageW(ok, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  ShowWindow(about_, SW_SHOW);
  SetFocus(ok);
}

}  // namespace korvex::viewer
