// KorvexViewer.exe: the live picture of a Korvex740K3-XLN camera with its
// property dialogs, snapshots and recordings, on the SDK's public functions.
#include "main_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  korvex::viewer::MainWindow window;
  if (!window.Create(instance, show)) return 1;
  return window.Run();
}
