#include "simulator.h"

#include <windows.h>

namespace korvex::viewer {
namespace {

template <typename F>
void Resolve(HMODULE module, const char* name, F* out) {
  *out = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

void Simulator::Find() {
  HMODULE module = GetModuleHandleA("korvexsim.dll");
  if (module == nullptr) return;
  Resolve(module, "KorvexHost_SimPlug", &plug_);
  Resolve(module, "KorvexHost_SimUnplug", &unplug_);
  Resolve(module, "KorvexHost_SimIsPlugged", &isPlugged_);
  Resolve(module, "KorvexHost_SimSetFastPace", &fastPace_);
}

}  // namespace korvex::viewer
