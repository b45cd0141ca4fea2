// The viewer's tests under Wine, each driven as a person would through the
// real windows (see viewer_hands.h). One scenario a run:
//   viewer_test <scenario> <folder for screenshots and files>
// bars      the simulator's colour bars in their order and places on screen;
//           the pixel under the mouse on the status line; Z zooms to 100%
//           and the zoom is remembered
// snapshot  Ctrl+S, Save As a PNG: the file equals a snapshot through the C API
// gamma     the image dialog from the menu, gamma lowered, OK: the picture
//           brightens and the gamma is stored when the viewer closes
// record    Ctrl+R, Save As, the Stop button: a finished AVI file, live again
// first-run no camera at the first start ("No camera"), then one: it gets
//           the SDK's first-run settings
// unplug    the camera unplugged: "camera lost" within 3 s and a red frame;
//           plugged back: frames again
// japanese  the menu texts under a Japanese system
// measure   not a test: frame rates and CPU time at the fast pace with the
//           histogram on, printed for the developer's notes
// Every test starts from settings it writes itself: a 2560 x 800 picture
// (the bars and the gray ramp, above the moving disc, so every frame is the
// same). The measurement uses the camera's default, the full 2560 x 1920.
#include "viewer_hands.h"

#include "KorvexSdk_740K3_XLN.h"

#include <cmath>
#include <cstdlib>
#include <cwchar>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace korvex::viewer_test;

namespace {

constexpr int kPictureWidth = 2560, kPictureHeight = 800;
// The colour the viewer paints around the picture.
constexpr uint32_t kViewerBackground = 0x342C28;
const wchar_t kRoot[] = L"Software\\Quorel\\Korvex740K3XLNSdk";

std::string folder;
int failures = 0;

void Fail(const char* what) {
  std::printf("FAILED: %s\n", what);
  ++failures;
}
#define CHECK(condition, ...)                                \
  do {                                                       \
    if (!(condition)) {                                      \
      char message_[512];                                    \
      std::snprintf(message_, sizeof message_, __VA_ARGS__); \
      Fail(message_);                                        \
    }                                                        \
  } while (0)

void SetDword(const std::wstring& key, const wchar_t* name, DWORD value) {
  HKEY k = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                      nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExW(k, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  RegCloseKey(k);
}

bool GetDword(const std::wstring& key, const wchar_t* name, DWORD* value) {
  DWORD size = sizeof *value;
  return RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, value,
                      &size) == ERROR_SUCCESS;
}

// Fresh settings: camera 0 with the one size preset 2560 x 800 in 24-bit
// colour; the viewer's window at a known place, histogram off.
void FreshSettings() {
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quorel");
  const std::wstring camera = std::wstring(kRoot) + L"\\Camera_00";
  const std::wstring size = camera + L"\\Size_00";
  const std::pair<const wchar_t*, DWORD> preset[] = {
      {L"TH", 2560}, {L"TV", 2560}, {L"EH", kPictureWidth}, {L"EV", kPictureHeight}, {L"EHS", 0},
      {L"EVS", 0},   {L"Buf", 4}};
  for (const auto& [name, value] : preset) SetDword(size, name, value);
  const std::pair<const wchar_t*, DWORD> format[] = {
      {L"Size", 0}, {L"Color", 2}, {L"SubSample", 0}, {L"WaitTime", 1}, {L"Clock", 2}};
  for (const auto& [name, value] : format) SetDword(camera, name, value);
  const std::wstring viewer = std::wstring(kRoot) + L"\\Viewer";
  SetDword(viewer, L"Left", 0);
  SetDword(viewer, L"Top", 0);
  SetDword(viewer, L"Width", 1000);
  SetDword(viewer, L"Height", 700);
}

std::string Path(const char* name) { return folder + "\\" + name; }

bool WaitFrames(const Viewer& v, unsigned atLeast) {
  return WaitUntil(
      [&] {
        unsigned shown = 0, dropped = 0;
        return v.Frames(&shown, &dropped) && shown >= atLeast;
      },
      60000);
}

// The picture as on screen, kept as a file; `box` receives where the picture
// lies in it.
Shot ShootPicture(const Viewer& v, const char* name, RECT* box) {
  Shot shot = Capture(v.Child(L"KorvexViewerPicture"));
  shot.Save(Path(name));
  *box = PictureBox(shot, kViewerBackground);
  return shot;
}

void AveragePatch(const Shot& s, int x, int y, double rgb[3]) {
  rgb[0] = rgb[1] = rgb[2] = 0;
  int n = 0;
  for (int dy = -2; dy <= 2; ++dy)
    for (int dx = -2; dx <= 2; ++dx) {
      int c[3];
      s.At(x + dx, y + dy, c);
      for (int k = 0; k < 3; ++k) rgb[k] += c[k];
      ++n;
    }
  for (int k = 0; k < 3; ++k) rgb[k] /= n;
}

// ---------------------------------------------------------------------------

void Bars() {
  Viewer v;
  CHECK(v.Start(), "the viewer did not show its window");
  CHECK(WaitFrames(v, 3), "no frames shown");
  RECT box;
  const Shot shot = ShootPicture(v, "bars.bmp", &box);
  const int w = box.right - box.left, h = box.bottom - box.top;
  CHECK(w > 100 && h > 30, "no picture on the screen (box %ld,%ld-%ld,%ld)", box.left, box.top,
        box.right, box.bottom);
  if (w <= 100 || h <= 30) return;
  // Fit to window keeps the picture's aspect ratio.
  const double aspect = static_cast<double>(w) / h;
  CHECK(std::fabs(aspect - 3.2) < 0.1, "picture shown %d x %d, not at 2560:800", w, h);
  // The eight bars, 320 pixels each, in the top 640 rows: white, yellow,
  // cyan, green, magenta, red, blue, black. Each bar's centre is sampled
  // and its channels judged against the white bar's.
  static const char* kNames[8] = {"white",   "yellow", "cyan", "green",
                                  "magenta", "red",    "blue", "black"};
  static const int kOn[8][3] = {{1, 1, 1}, {1, 1, 0}, {0, 1, 1}, {0, 1, 0},
                                {1, 0, 1}, {1, 0, 0}, {0, 0, 1}, {0, 0, 0}};
  const int y = box.top + h * 320 / kPictureHeight;
  double white[3];
  AveragePatch(shot, box.left + w / 16, y, white);
  CHECK(white[0] > 80 && white[1] > 80 && white[2] > 80,
        "the first bar is not white: %.0f %.0f %.0f", white[0], white[1], white[2]);
  for (int i = 0; i < 8; ++i) {
    double c[3];
    AveragePatch(shot, box.left + (2 * i + 1) * w / 16, y, c);
    for (int k = 0; k < 3; ++k) {
      const bool on = c[k] > 0.4 * white[k];
      CHECK(on == (kOn[i][k] != 0), "bar %d should be %s, is R %.0f G %.0f B %.0f", i + 1,
            kNames[i], c[0], c[1], c[2]);
    }
  }
  // Below the bars the gray ramp: dark on the left, bright on the right.
  double left[3], right[3];
  const int rampY = box.top + h * 720 / kPictureHeight;
  AveragePatch(shot, box.left + 4, rampY, left);
  AveragePatch(shot, box.right - 5, rampY, right);
  CHECK(left[1] + 60 < right[1], "no gray ramp below the bars (%.0f to %.0f)", left[1], right[1]);
  // The mouse over the red bar: the status line names the image pixel under
  // it (x in the sixth bar's columns 1600 to 1919) and its red value.
  POINT over{box.left + 11 * w / 16, y};
  ClientToScreen(v.Child(L"KorvexViewerPicture"), &over);
  MoveTo(over.x, over.y);
  int px = -1, py = -1, r = -1, g = -1, b = -1;
  CHECK(WaitUntil(
            [&] {
              return swscanf(v.Status(6).c_str(), L"%d, %d: R %d G %d B %d", &px, &py, &r, &g,
                             &b) == 5;
            },
            10000),
        "no pixel value on the status line (it says \"%ls\")", v.Status(6).c_str());
  CHECK(px >= 1600 && px < 1920 && std::abs(py - 320) < 8 && r > 2 * g && r > 2 * b,
        "under the mouse the status names pixel %d, %d: R %d G %d B %d, not the red bar", px, py, r,
        g, b);
  // Z: 100%, the picture larger than the window fills it (scroll bars), and
  // the zoom is remembered for the next start.
  BringToFront(v.Main());
  Key('Z');
  RECT zoomed{};
  CHECK(WaitUntil(
            [&] {
              const Shot s = ShootPicture(v, "bars-zoom-100.bmp", &zoomed);
              return zoomed.left == 0 && zoomed.top == 0 && zoomed.right == s.width &&
                     zoomed.bottom == s.height;
            },
            10000),
        "after Z the picture does not fill the window (%ld,%ld-%ld,%ld)", zoomed.left, zoomed.top,
        zoomed.right, zoomed.bottom);
  CHECK(v.CloseByKeyboard(), "the viewer did not close on Alt+F4");
  DWORD zoom = 0;
  CHECK(GetDword(std::wstring(kRoot) + L"\\Viewer", L"Zoom", &zoom) && zoom == 1,
        "the registry holds zoom %lu, not 1 (100%%)", zoom);
}

std::vector<char> Bytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

void Snapshot() {
  const std::string saved = Path("snapshot.png"), reference = Path("snapshot-c-api.png");
  DeleteFileA(saved.c_str());
  DeleteFileA(reference.c_str());
  {
    Viewer v;
    CHECK(v.Start(), "the viewer did not show its window");
    CHECK(WaitFrames(v, 3), "no frames shown");
    BringToFront(v.Main());
    Key('S', true);
    HWND dialog = nullptr;
    CHECK(WaitUntil([&] { return (dialog = v.Dialog()) != nullptr; }, 30000),
          "no Save As after Ctrl+S");
    if (!dialog) return;
    BringToFront(dialog);
    // The file name box has the focus with a dated default name: replace it.
    Key(VK_HOME);
    Key(VK_END, false, false, true);
    std::wstring name(saved.begin(), saved.end());
    Type(name);
    Key(VK_RETURN);
    CHECK(WaitUntil([&] { return v.Status(0) == L"Saved snapshot.png"; }, 30000),
          "no \"Saved\" on the status line (it says \"%ls\")", v.Status(0).c_str());
    CHECK(v.CloseByKeyboard(), "the viewer did not close on Alt+F4");
  }
  // The same camera and settings through the C API, in this process.
  const KORVEX_HANDLE h = Korvex_Initialize(nullptr);
  CHECK(h != 0 && Korvex_SnapShot(h, nullptr, 0, 1) &&
            Korvex_SaveImage(h, reference.c_str(), KORVEX_SAVE_PNG),
        "the C API snapshot failed");
  Korvex_Release(h);
  const auto a = Bytes(saved), b = Bytes(reference);
  CHECK(!a.empty(), "the viewer wrote no %s", saved.c_str());
  CHECK(a == b, "the viewer's PNG (%zu bytes) differs from the C API's (%zu bytes)", a.size(),
        b.size());
}

HWND FindControl(HWND dialog, int id) {
  struct Search {
    int id;
    HWND found;
  } s{id, nullptr};
  EnumChildWindows(
      dialog,
      [](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        if (GetDlgCtrlID(w) == s->id && IsWindowVisible(w)) {
          s->found = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&s));
  return s.found;
}

void Gamma() {
  constexpr int kGammaEdit = 2082, kOk = 1;
  constexpr DWORD kNewGamma = 50;  // below 100: an exponent under 1, a brighter picture
  {
    Viewer v;
    CHECK(v.Start(), "the viewer did not show its window");
    CHECK(WaitFrames(v, 3), "no frames shown");
    RECT box;
    const Shot before = ShootPicture(v, "gamma-before.bmp", &box);
    const double level = MeanLevel(before, box);
    // Camera menu, "Image filter...", by its keys.
    BringToFront(v.Main());
    Key('C', false, true);
    Key('I');
    HWND dialog = nullptr;
    CHECK(
        WaitUntil([&] { return (dialog = v.Dialog()) && FindControl(dialog, kGammaEdit); }, 30000),
        "the image dialog did not open from the menu");
    if (!dialog) return;
    HWND edit = FindControl(dialog, kGammaEdit);
    BringToFront(dialog);
    Click(edit);
    Key(VK_HOME);
    Key(VK_END, false, false, true);
    Type(std::to_wstring(kNewGamma));
    Click(FindControl(dialog, kOk));
    CHECK(WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 30000),
          "the image dialog did not close on OK");
    // Frames drawn after the dialog closed, over the same place on screen.
    unsigned closedAt = 0, dropped = 0;
    v.Frames(&closedAt, &dropped);
    CHECK(WaitFrames(v, closedAt + 3), "no frames after the dialog closed");
    RECT afterBox;
    const Shot shot = ShootPicture(v, "gamma-after.bmp", &afterBox);
    CHECK(EqualRect(&box, &afterBox), "the picture moved or is covered (%ld,%ld-%ld,%ld)",
          afterBox.left, afterBox.top, afterBox.right, afterBox.bottom);
    const double after = MeanLevel(shot, box);
    CHECK(after > level + 10, "the picture did not brighten: mean %.1f before, %.1f after", level,
          after);
    std::printf("mean level %.1f before, %.1f after gamma %lu\n", level, after, kNewGamma);
    CHECK(v.CloseByKeyboard(), "the viewer did not close on Alt+F4");
  }
  DWORD stored = 0;
  CHECK(GetDword(std::wstring(kRoot) + L"\\Camera_00\\Filter", L"Gamma", &stored) &&
            stored == kNewGamma,
        "the registry holds gamma %lu, not %lu", stored, kNewGamma);
}

uint32_t Le32(const std::vector<char>& b, size_t at) {
  if (b.size() < at + 4) return 0;
  return static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8 |
         static_cast<uint8_t>(b[at + 2]) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24;
}

void Record() {
  const std::string path = Path("recording.avi");
  DeleteFileA(path.c_str());
  Viewer v;
  CHECK(v.Start(), "the viewer did not show its window");
  CHECK(WaitFrames(v, 3), "no frames shown");
  BringToFront(v.Main());
  Key('R', true);
  HWND dialog = nullptr;
  CHECK(WaitUntil([&] { return (dialog = v.Dialog()) != nullptr; }, 30000),
        "no Save As after Ctrl+R");
  if (!dialog) return;
  BringToFront(dialog);
  Key(VK_HOME);
  Key(VK_END, false, false, true);
  Type(std::wstring(path.begin(), path.end()));
  Key(VK_RETURN);
  CHECK(WaitUntil([&] { return v.Status(0).rfind(L"Recording", 0) == 0; }, 30000),
        "no progress line while recording (it says \"%ls\")", v.Status(0).c_str());
  // The toolbar's Stop button ends the recording; the live picture comes
  // back.
  CHECK(WaitUntil([&] { return v.Status(0).rfind(L"Recording 0:01 of 0:10", 0) == 0; }, 30000),
        "the progress line does not count the seconds (it says \"%ls\")", v.Status(0).c_str());
  BringToFront(v.Main());
  constexpr int kStopButton = 3;  // Live, Snapshot, Record, Stop...
  v.ClickToolbarButton(kStopButton);
  CHECK(WaitUntil([&] { return v.Status(0) == L"Recorded recording.avi"; }, 30000),
        "no \"Recorded\" after stopping (it says \"%ls\")", v.Status(0).c_str());
  unsigned shown = 0, dropped = 0;
  v.Frames(&shown, &dropped);
  CHECK(WaitFrames(v, shown + 3), "no live frames after the recording");
  CHECK(v.CloseByKeyboard(), "the viewer did not close on Alt+F4");
  // A finished file: RIFF size matches, 2560 x 800, frames, then the index.
  std::ifstream f(path, std::ios::binary);
  std::vector<char> avi(240, 0);
  f.read(avi.data(), static_cast<std::streamsize>(avi.size()));
  f.seekg(0, std::ios::end);
  const uint64_t size = static_cast<uint64_t>(f.tellg());
  const uint32_t frames = Le32(avi, 48);
  CHECK(size > 240 && std::string(avi.data(), 4) == "RIFF" && Le32(avi, 4) + 8ull == size,
        "%s is not a finished AVI file (%llu bytes)", path.c_str(),
        static_cast<unsigned long long>(size));
  CHECK(Le32(avi, 64) == kPictureWidth && Le32(avi, 68) == kPictureHeight && frames >= 1,
        "the recording is %u x %u with %u frames", Le32(avi, 64), Le32(avi, 68), frames);
  const uint64_t index =
      232 + static_cast<uint64_t>(frames) * (8 + kPictureWidth * kPictureHeight * 3);
  char tag[5] = {};
  f.clear();
  f.seekg(static_cast<std::streamoff>(index));
  f.read(tag, 4);
  CHECK(std::string(tag) == "idx1", "no index after the %u frames", frames);
  f.close();
  if (!failures)
    DeleteFileA(path.c_str());  // hundreds of megabytes: kept only to look into a failure
  std::printf("recorded %u frames\n", frames);
}

// A first start without any camera shows "No camera" and leaves the SDK's
// first-run settings in place: the next start, with a camera, gets 24-bit
// colour at the full 2560 x 1920.
void FirstRun() {
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quorel");
  char cameras[16] = {};
  GetEnvironmentVariableA("KORVEX_SIMULATED_CAMERAS", cameras, sizeof cameras);
  SetEnvironmentVariableA("KORVEX_SIMULATED_CAMERAS", nullptr);
  {
    Viewer v;
    CHECK(v.Start(), "the viewer did not show its window without a camera");
    CHECK(WaitUntil([&] { return v.Status(0) == L"No camera"; }, 30000),
          "no \"No camera\" on the status line (it says \"%ls\")", v.Status(0).c_str());
    Shot s = Capture(v.Main());
    s.Save(Path("no-camera.bmp"));
    CHECK(v.CloseByKeyboard(), "the viewer did not close on Alt+F4");
  }
  SetEnvironmentVariableA("KORVEX_SIMULATED_CAMERAS", cameras);
  Viewer v;
  CHECK(v.Start(), "the viewer did not show its window");
  CHECK(WaitFrames(v, 1), "no frames shown");
  CHECK(v.Status(2) == L"24-bit colour, 2560 x 1920", "the camera starts with \"%ls\"",
        v.Status(2).c_str());
  CHECK(v.CloseByKeyboard(), "the viewer did not close on Alt+F4");
}

void Unplug() {
  Viewer v;
  CHECK(v.Start(), "the viewer did not show its window");
  CHECK(WaitFrames(v, 3), "no frames shown");
  BringToFront(v.Main());
  const ULONGLONG pulled = GetTickCount64();
  Key('S', false, true);  // the Simulator menu
  Key('U');               // "Unplug camera"
  const bool lost = WaitUntil([&] { return v.Status(0).rfind(L"camera lost", 0) == 0; }, 10000);
  const ULONGLONG took = GetTickCount64() - pulled;
  CHECK(lost, "no \"camera lost\" on the status line (it says \"%ls\")", v.Status(0).c_str());
  CHECK(took <= 3000, "\"camera lost\" took %llu ms", took);
  std::printf("camera lost shown %llu ms after the unplug keys\n", took);
  RECT box;
  Sleep(300);  // the red frame is painted after the state changes
  const Shot frozen = ShootPicture(v, "camera-lost.bmp", &box);
  int red = 0, edge = 0;
  for (int x = box.left + 10; x < box.right - 10; x += 7) {
    for (int y : {static_cast<int>(box.top) + 1, static_cast<int>(box.bottom) - 2}) {
      int c[3];
      frozen.At(x, y, c);
      ++edge;
      red += c[0] > 180 && c[1] < 60 && c[2] < 60;
    }
  }
  CHECK(edge > 0 && red == edge, "the frozen picture has no red frame (%d of %d edge points red)",
        red, edge);
  unsigned shownAtLoss = 0, dropped = 0;
  v.Frames(&shownAtLoss, &dropped);
  BringToFront(v.Main());
  Key('S', false, true);
  Key('P');  // "Plug camera in"
  const bool resumed = WaitUntil(
      [&] {
        unsigned shown = 0, d = 0;
        return v.Status(0) == L"Live" && v.Frames(&shown, &d) && shown >= shownAtLoss + 3;
      },
      30000);
  CHECK(resumed, "no frames after plugging the camera back (status \"%ls\", \"%ls\")",
        v.Status(0).c_str(), v.Status(4).c_str());
  ShootPicture(v, "camera-back.bmp", &box);
  CHECK(v.CloseByKeyboard(), "the viewer did not close on Alt+F4");
}

// The menu texts of `window`, read inside its process by the probe library
// (menu_probe.cpp), one line a text, submenu items indented.
std::vector<std::wstring> MenuTexts(HWND window) {
  static std::wstring received;
  received.clear();
  WNDCLASSW c{};
  c.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    if (m == WM_COPYDATA) {
      const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lp);
      received.assign(static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t));
      return TRUE;
    }
    return DefWindowProcW(w, m, wp, lp);
  };
  c.hInstance = GetModuleHandleW(nullptr);
  c.lpszClassName = L"ViewerTestMenuAnswers";
  RegisterClassW(&c);
  HWND answers = CreateWindowExW(0, c.lpszClassName, L"", 0, 0, 0, 0, 0, nullptr, nullptr,
                                 c.hInstance, nullptr);
  HMODULE probe = LoadLibraryW(L"viewer_menu_probe.dll");
  auto* hook =
      reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(probe, "MenuProbeHook")));
  const DWORD thread = GetWindowThreadProcessId(window, nullptr);
  HHOOK installed = hook ? SetWindowsHookExW(WH_CALLWNDPROC, hook, probe, thread) : nullptr;
  if (installed) {
    // The answer comes as a message sent to `answers` while this send waits.
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, RegisterWindowMessageW(L"KorvexViewerTestMenuTexts"),
                        reinterpret_cast<WPARAM>(answers), 0, SMTO_NORMAL, 10000, &result);
    UnhookWindowsHookEx(installed);
  }
  DestroyWindow(answers);
  std::vector<std::wstring> out;
  size_t start = 0;
  for (size_t end; (end = received.find(L'\n', start)) != std::wstring::npos; start = end + 1)
    out.push_back(received.substr(start, end - start));
  return out;
}

void Japanese() {
  CHECK(GetSystemDefaultLangID() == 1041, "the system language is %u, not Japanese (1041)",
        GetSystemDefaultLangID());
  Viewer v;
  CHECK(v.Start(), "the viewer did not show its window");
  CHECK(WaitFrames(v, 1), "no frames shown");
  const std::vector<std::wstring> texts = MenuTexts(v.Main());
  // Expected texts, written out here, not taken from the viewer's table.
  const wchar_t* expected[] = {
      L"ファイル(&F)",          L"表示(&V)",         L"カメラ(&C)",
      L"シミュレータ(&S)",      L"ヘルプ(&H)",       L"  スナップショット(&S)...\tCtrl+S",
      L"  録画(&R)...\tCtrl+R", L"  ライブ(&L)\tF5", L"  画像フィルタ(&I)...\tCtrl+3",
      L"  カメラを抜く(&U)"};
  FILE* f = fopen(Path("japanese-menu.txt").c_str(), "wb");
  for (const auto& t : texts) {
    if (f) {
      char utf8[1024];
      const int n =
          WideCharToMultiByte(CP_UTF8, 0, t.c_str(), -1, utf8, sizeof utf8, nullptr, nullptr);
      if (n > 0) fprintf(f, "%s\n", utf8);
    }
  }
  if (f) fclose(f);
  for (const wchar_t* e : expected) {
    bool found = false;
    for (const auto& t : texts) found |= t == e;
    char utf8[256];
    WideCharToMultiByte(CP_UTF8, 0, e, -1, utf8, sizeof utf8, nullptr, nullptr);
    CHECK(found, "the menu has no \"%s\" (%zu texts read, see japanese-menu.txt)", utf8,
          texts.size());
  }
  // For the reader: the window with its Camera menu open, as a person sees it.
  BringToFront(v.Main());
  Key('C', false, true);
  Sleep(500);
  RECT area;
  GetWindowRect(v.Main(), &area);
  CaptureScreen(area).Save(Path("japanese-menu.bmp"));
  Key(VK_ESCAPE);
  Key(VK_ESCAPE);
  CHECK(v.CloseByKeyboard(), "the viewer did not close on Alt+F4");
}

// CPU seconds (user and system) in a /proc stat file; -1 when unreadable.
double StatSeconds(const std::string& path) {
  std::ifstream stat(path);
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const size_t close = text.rfind(')');
  if (close == std::string::npos) return -1;
  // Fields after the name, from the state (field 3): utime and stime are
  // fields 14 and 15.
  std::vector<std::string> fields;
  for (size_t i = close + 2; i < text.size();) {
    const size_t space = text.find(' ', i);
    fields.push_back(text.substr(i, space == std::string::npos ? std::string::npos : space - i));
    if (space == std::string::npos) break;
    i = space + 1;
  }
  if (fields.size() < 13) return -1;
  constexpr double kTicksPerSecond = 100.0;  // USER_HZ of Linux
  return (atof(fields[11].c_str()) + atof(fields[12].c_str())) / kTicksPerSecond;
}

// CPU seconds of the viewer's host process (all threads) and of its first
// thread, the window's thread. Wine reports no times for another process,
// so they are read from the host system's /proc through Wine's Z: drive:
// the newest process named after the viewer.
struct Cpu {
  double process = -1, window = -1;
};
Cpu CpuSeconds() {
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA("Z:\\proc\\*", &entry);
  Cpu cpu;
  if (find == INVALID_HANDLE_VALUE) return cpu;
  long newest = -1;
  do {
    const long pid = atol(entry.cFileName);
    if (pid <= newest) continue;
    const std::string dir = std::string("Z:\\proc\\") + entry.cFileName;
    std::ifstream comm(dir + "\\comm");
    std::string name;
    std::getline(comm, name);
    if (name.rfind("KorvexViewer", 0) != 0) continue;
    cpu.process = StatSeconds(dir + "\\stat");
    cpu.window = StatSeconds(dir + "\\task\\" + entry.cFileName + "\\stat");
    newest = pid;
  } while (FindNextFileA(find, &entry));
  FindClose(find);
  return cpu;
}

void Measure() {
  Viewer v;
  CHECK(v.Start(), "the viewer did not show its window");
  CHECK(WaitFrames(v, 3), "no frames shown");
  BringToFront(v.Main());
  Key('H');               // histogram on
  Key('S', false, true);  // Simulator menu
  Key('F');               // fast pace
  Sleep(3000);            // settle (not a test: a measurement)
  unsigned shown0 = 0, dropped0 = 0, shown1 = 0, dropped1 = 0;
  v.Frames(&shown0, &dropped0);
  const Cpu cpu0 = CpuSeconds();
  const ULONGLONG t0 = GetTickCount64();
  Sleep(10000);
  v.Frames(&shown1, &dropped1);
  const Cpu cpu1 = CpuSeconds();
  const double seconds = (GetTickCount64() - t0) / 1000.0;
  const unsigned shown = shown1 - shown0, delivered = shown + (dropped1 - dropped0);
  std::printf("over %.1f s: delivered %.1f fps, shown %.1f fps, dropped %u\n", seconds,
              delivered / seconds, shown / seconds, dropped1 - dropped0);
  const double process = cpu1.process - cpu0.process, window = cpu1.window - cpu0.window;
  std::printf("viewer process (SDK pipeline included): %.2f cores, %.1f ms CPU per shown frame\n",
              process / seconds, shown ? process * 1000.0 / shown : 0.0);
  std::printf(
      "viewer window thread (drawing; the copy and histogram run on the fetch thread): %.2f cores, "
      "%.1f ms CPU per shown frame\n",
      window / seconds, shown ? window * 1000.0 / shown : 0.0);
  Shot s = Capture(v.Main());
  s.Save(Path("measure.bmp"));
  v.CloseByKeyboard();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::printf(
        "usage: viewer_test bars|snapshot|gamma|record|first-run|unplug|japanese|measure "
        "<folder>\n");
    return 2;
  }
  const std::string scenario = argv[1];
  folder = argv[2];
  CreateDirectoryA(folder.c_str(), nullptr);
  FreshSettings();
  if (scenario == "measure") {  // the camera's first-run defaults: 24-bit colour, 2560 x 1920
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quorel");
  }
  if (scenario == "bars")
    Bars();
  else if (scenario == "snapshot")
    Snapshot();
  else if (scenario == "gamma")
    Gamma();
  else if (scenario == "record")
    Record();
  else if (scenario == "first-run")
    FirstRun();
  else if (scenario == "unplug")
    Unplug();
  else if (scenario == "japanese")
    Japanese();
  else if (scenario == "measure")
    Measure();
  else {
    std::printf("unknown scenario %s\n", scenario.c_str());
    return 2;
  }
  std::printf("%s: %s\n", scenario.c_str(), failures ? "FAILED" : "passed");
  return failures ? 1 : 0;
}
