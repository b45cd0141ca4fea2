#include "viewer_hands.h"

#include <commctrl.h>

#include <cstdio>
#include <cwctype>

namespace korvex::viewer_test {

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    if (done()) return true;
    if (GetTickCount64() >= end) return false;
    Sleep(50);
  }
}

Viewer::~Viewer() {
  if (process_) {
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) TerminateProcess(process_, 1);
    CloseHandle(process_);
  }
}

bool Viewer::Start() {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  wchar_t command[] = L"KorvexViewer.exe";
  if (!CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return false;
  CloseHandle(pi.hThread);
  process_ = pi.hProcess;
  pid_ = pi.dwProcessId;
  return WaitUntil(
      [this] {
        main_ = nullptr;
        EnumWindows(
            [](HWND w, LPARAM self) -> BOOL {
              auto* v = reinterpret_cast<Viewer*>(self);
              DWORD pid = 0;
              GetWindowThreadProcessId(w, &pid);
              wchar_t name[64] = {};
              GetClassNameW(w, name, 64);
              if (pid == v->pid_ && IsWindowVisible(w) && wcscmp(name, L"KorvexViewerMain") == 0) {
                v->main_ = w;
                return FALSE;
              }
              return TRUE;
            },
            reinterpret_cast<LPARAM>(this));
        return main_ != nullptr;
      },
      60000);
}

bool Viewer::CloseByKeyboard() {
  // A keystroke sent while the window is not yet the foreground one (just
  // after a dialog closed, on a loaded machine) goes elsewhere: the keys are
  // sent again while the main window is still shown and the process runs.
  // A viewer that hides its window and then does not end is not retried.
  for (int attempt = 1; attempt <= 3; ++attempt) {
    BringToFront(main_);
    Key(VK_F4, false, true);
    if (WaitForSingleObject(process_, 15000) == WAIT_OBJECT_0) return true;
    const bool shown = IsWindow(main_) && IsWindowVisible(main_);
    std::printf("Alt+F4 (%d): still running after 15 s; main window %s, %s, %s\n", attempt,
                shown ? "shown" : "gone or hidden", IsWindowEnabled(main_) ? "enabled" : "disabled",
                GetForegroundWindow() == main_ ? "in front" : "not in front");
    if (!shown) break;
    // A lone Alt that reached the window opens its menu bar: leave it.
    Key(VK_ESCAPE);
    Key(VK_ESCAPE);
  }
  return WaitForSingleObject(process_, 30000) == WAIT_OBJECT_0;
}

HWND Viewer::Child(const wchar_t* className) const {
  return FindWindowExW(main_, nullptr, className, nullptr);
}

std::wstring Viewer::Status(int part) const {
  // The status bar's own message, with a buffer in the viewer's process.
  HWND bar = Child(STATUSCLASSNAMEW);
  if (!bar) return L"";
  constexpr SIZE_T kBytes = 1024;
  void* remote = VirtualAllocEx(process_, nullptr, kBytes, MEM_COMMIT, PAGE_READWRITE);
  if (!remote) return L"";
  wchar_t text[kBytes / sizeof(wchar_t)] = {};
  DWORD_PTR length = 0;
  if (SendMessageTimeoutW(bar, SB_GETTEXTLENGTHW, part, 0, SMTO_ABORTIFHUNG, 5000, &length) &&
      LOWORD(length) < kBytes / sizeof(wchar_t) &&
      SendMessageTimeoutW(bar, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(remote),
                          SMTO_ABORTIFHUNG, 5000, &length))
    ReadProcessMemory(process_, remote, text, kBytes - sizeof(wchar_t), nullptr);
  VirtualFreeEx(process_, remote, 0, MEM_RELEASE);
  return text;
}

bool Viewer::Frames(unsigned* shown, unsigned* dropped) const {
  // "shown 12, dropped 3" or its Japanese form: the first two numbers.
  const std::wstring text = Status(4);
  unsigned numbers[2] = {};
  int found = 0;
  for (size_t i = 0; i < text.size() && found < 2;) {
    if (!iswdigit(text[i])) {
      ++i;
      continue;
    }
    unsigned v = 0;
    while (i < text.size() && iswdigit(text[i])) v = v * 10 + (text[i++] - L'0');
    numbers[found++] = v;
  }
  if (found < 2) return false;
  *shown = numbers[0];
  *dropped = numbers[1];
  return true;
}

void Viewer::ClickToolbarButton(int index) const {
  HWND bar = Child(TOOLBARCLASSNAMEW);
  void* remote = VirtualAllocEx(process_, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
  if (!bar || !remote) return;
  RECT r{};
  DWORD_PTR ok = 0;
  if (SendMessageTimeoutW(bar, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(remote),
                          SMTO_ABORTIFHUNG, 5000, &ok) &&
      ok && ReadProcessMemory(process_, remote, &r, sizeof r, nullptr)) {
    MapWindowPoints(bar, nullptr, reinterpret_cast<POINT*>(&r), 2);
    ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }
  VirtualFreeEx(process_, remote, 0, MEM_RELEASE);
}

HWND Viewer::Dialog() const {
  struct Search {
    DWORD pid;
    HWND main, found;
  } s{pid_, main_, nullptr};
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        wchar_t name[64] = {};
        GetClassNameW(w, name, 64);
        if (pid == s->pid && w != s->main && IsWindowVisible(w) && wcscmp(name, L"#32770") == 0) {
          s->found = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&s));
  return s.found;
}

void BringToFront(HWND window) {
  SetForegroundWindow(window);
  WaitUntil([window] { return GetForegroundWindow() == window; }, 5000);
}

namespace {

void Send(std::vector<INPUT>& inputs) {
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  Sleep(30);  // lets the target's queue take the input before the next burst
}

INPUT KeyInput(WORD vk, bool up) {
  INPUT i{};
  i.type = INPUT_KEYBOARD;
  i.ki.wVk = vk;
  i.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return i;
}

}  // namespace

void Key(WORD vk, bool control, bool alt, bool shift) {
  std::vector<INPUT> in;
  if (control) in.push_back(KeyInput(VK_CONTROL, false));
  if (alt) in.push_back(KeyInput(VK_MENU, false));
  if (shift) in.push_back(KeyInput(VK_SHIFT, false));
  in.push_back(KeyInput(vk, false));
  in.push_back(KeyInput(vk, true));
  if (shift) in.push_back(KeyInput(VK_SHIFT, true));
  if (alt) in.push_back(KeyInput(VK_MENU, true));
  if (control) in.push_back(KeyInput(VK_CONTROL, true));
  Send(in);
}

void Type(const std::wstring& text) {
  for (wchar_t c : text) {
    std::vector<INPUT> in(2);
    for (int k = 0; k < 2; ++k) {
      in[k].type = INPUT_KEYBOARD;
      in[k].ki.wScan = c;
      in[k].ki.dwFlags = KEYEVENTF_UNICODE | (k ? KEYEVENTF_KEYUP : 0);
    }
    Send(in);
  }
}

void Click(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

void MoveTo(int x, int y) {
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  std::vector<INPUT> in(1);
  in[0].type = INPUT_MOUSE;
  in[0].mi.dx = x * 65535 / (w - 1);
  in[0].mi.dy = y * 65535 / (h - 1);
  in[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  Send(in);
}

void ClickAt(int x, int y) {
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  std::vector<INPUT> in(3);
  for (auto& i : in) {
    i.type = INPUT_MOUSE;
    i.mi.dx = x * 65535 / (w - 1);
    i.mi.dy = y * 65535 / (h - 1);
  }
  in[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
  in[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
  Send(in);
}

void Shot::At(int x, int y, int rgb[3]) const {
  const uint8_t* p = bgr.data() + (static_cast<size_t>(y) * width + x) * 3;
  rgb[0] = p[2];
  rgb[1] = p[1];
  rgb[2] = p[0];
}

bool Shot::Save(const std::string& path) const {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return false;
  const int stride = (width * 3 + 3) & ~3;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;  // bottom-up, as BMP files usually are
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biSizeImage = static_cast<DWORD>(stride) * height;
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + info.biSizeImage;
  fwrite(&file, sizeof file, 1, f);
  fwrite(&info, sizeof info, 1, f);
  std::vector<uint8_t> row(stride, 0);
  for (int y = height - 1; y >= 0; --y) {
    std::copy_n(bgr.data() + static_cast<size_t>(y) * width * 3, width * 3, row.begin());
    fwrite(row.data(), 1, row.size(), f);
  }
  return fclose(f) == 0;
}

Shot Capture(HWND window) {
  RECT r;
  GetClientRect(window, &r);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  OffsetRect(&r, origin.x, origin.y);
  return CaptureScreen(r);
}

Shot CaptureScreen(const RECT& area) {
  Shot shot;
  const POINT origin{area.left, area.top};
  shot.width = area.right - area.left;
  shot.height = area.bottom - area.top;
  if (shot.width <= 0 || shot.height <= 0) return shot;
  // From the screen, not from the window: what a person sees.
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = shot.width;
  info.bmiHeader.biHeight = -shot.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, shot.width, shot.height, screen, origin.x, origin.y, SRCCOPY);
  GdiFlush();
  const int stride = (shot.width * 3 + 3) & ~3;
  shot.bgr.resize(static_cast<size_t>(shot.width) * shot.height * 3);
  for (int y = 0; y < shot.height; ++y)
    std::copy_n(static_cast<uint8_t*>(bits) + static_cast<size_t>(y) * stride, shot.width * 3,
                shot.bgr.begin() + static_cast<size_t>(y) * shot.width * 3);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return shot;
}

RECT PictureBox(const Shot& shot, uint32_t background) {
  RECT box{shot.width, shot.height, 0, 0};
  const int br = (background >> 16) & 0xFF, bg = (background >> 8) & 0xFF, bb = background & 0xFF;
  for (int y = 0; y < shot.height; ++y)
    for (int x = 0; x < shot.width; ++x) {
      int c[3];
      shot.At(x, y, c);
      if (c[0] == br && c[1] == bg && c[2] == bb) continue;
      box.left = std::min<LONG>(box.left, x);
      box.top = std::min<LONG>(box.top, y);
      box.right = std::max<LONG>(box.right, x + 1);
      box.bottom = std::max<LONG>(box.bottom, y + 1);
    }
  return box;
}

double MeanLevel(const Shot& shot, const RECT& box) {
  double sum = 0;
  size_t n = 0;
  for (int y = box.top; y < box.bottom; ++y)
    for (int x = box.left; x < box.right; ++x) {
      int c[3];
      shot.At(x, y, c);
      sum += c[0] + c[1] + c[2];
      n += 3;
    }
  return n ? sum / n : 0;
}

}  // namespace korvex::viewer_test
