// A person's hands and eyes on KorvexViewer.exe, for its tests under Wine:
// starting the viewer, keystrokes and mouse clicks through SendInput (the
// input reaches the viewer as a user's would), screenshots of its windows
// from the screen, and reading its status bar back.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace korvex::viewer_test {

// Waits for `done` with a generous time-out; polls every 50 ms.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs);

class Viewer {
 public:
  ~Viewer();
  // Starts KorvexViewer.exe from the current folder and waits for its main
  // window; false when it did not appear.
  bool Start();
  // Alt+F4, as a person closes it; true when the process ended.
  bool CloseByKeyboard();
  HWND Main() const { return main_; }
  HANDLE Process() const { return process_; }
  DWORD ProcessId() const { return pid_; }

  HWND Child(const wchar_t* className) const;
  // The text of status bar part `part` (0 state, 4 frames shown and dropped).
  std::wstring Status(int part) const;
  // Frames shown and dropped, from the status bar.
  bool Frames(unsigned* shown, unsigned* dropped) const;
  // A visible top-level window of the viewer other than the main window
  // (a dialog), or null.
  HWND Dialog() const;
  // Clicks toolbar button `index` (0 the first) with the mouse.
  void ClickToolbarButton(int index) const;

 private:
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
  HWND main_ = nullptr;
};

// Input to whatever window has the focus (the viewer is brought to the
// front first by the caller).
void BringToFront(HWND window);
void Key(WORD vk, bool control = false, bool alt = false, bool shift = false);
void Type(const std::wstring& text);
void Click(HWND window);     // the left button at the window's centre
void ClickAt(int x, int y);  // the left button at a screen point
void MoveTo(int x, int y);   // the mouse to a screen point

// A screenshot of a window's client area as it is on the screen.
struct Shot {
  int width = 0, height = 0;
  std::vector<uint8_t> bgr;  // 3 bytes a pixel, top row first, no padding
  void At(int x, int y, int rgb[3]) const;
  bool Save(const std::string& path) const;  // a 24-bit BMP file
};
Shot Capture(HWND window);
// A screenshot of a rectangle of the screen.
Shot CaptureScreen(const RECT& area);

// The bounding box of the pixels that differ from `background` (0xRRGGBB).
RECT PictureBox(const Shot& shot, uint32_t background);
// Mean of all samples inside `box`.
double MeanLevel(const Shot& shot, const RECT& box);

}  // namespace korvex::viewer_test
