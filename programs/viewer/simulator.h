// The simulated cameras' controls, when the SDK runs on them: the SDK loads
// korvexsim.dll next to itself when KORVEX_SIMULATED_CAMERAS is set, and the
// viewer then offers a Simulator menu (unplug and plug the camera, the fast
// pace) so that a technician can try the viewer's reactions without
// hardware. Found at run time, so the viewer needs nothing beyond the SDK.
#pragma once

namespace korvex::viewer {

class Simulator {
 public:
  // Looks for the simulator in the process; Present() tells the result.
  void Find();
  bool Present() const { return plug_ && unplug_ && isPlugged_ && fastPace_; }

  bool Plug(int index) const { return plug_ && plug_(index) != 0; }
  bool Unplug(int index) const { return unplug_ && unplug_(index) != 0; }
  bool IsPlugged(int index) const { return isPlugged_ && isPlugged_(index) != 0; }
  void SetFastPace(bool on) const {
    if (fastPace_) fastPace_(on ? 1 : 0);
  }

 private:
  int (*plug_)(int) = nullptr;
  int (*unplug_)(int) = nullptr;
  int (*isPlugged_)(int) = nullptr;
  void (*fastPace_)(int) = nullptr;
};

}  // namespace korvex::viewer
