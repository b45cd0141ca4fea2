// Window classes: registration, lookup and removal.
#include "korvex/host_windows.h"

#include "host/screen.h"
#include "host/window_table.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

using namespace korvex::host;
using namespace korvex::host::screen;
using korvex::LockGuard;
using korvex::Mutex;

extern "C" {

uint16_t KorvexHost_RegisterClass(const KorvexHostWindowClass* windowClass) {
  if (windowClass == nullptr || windowClass->name == nullptr || windowClass->name[0] == '\0' ||
      Faulty(KORVEX_HOST_WINDOW_FAIL_REGISTER))
    return 0;
  Screen& screen = TheScreen();
  LockGuard<Mutex> lock(screen.mutex);
  const std::string key = ClassKey(windowClass->name, windowClass->instance);
  if (screen.classes.count(key) != 0) return 0;
  ClassEntry& entry = screen.classes[key];
  entry.name = windowClass->name;
  entry.fields = *windowClass;
  entry.fields.name = nullptr;
  const uint16_t atom = screen.nextAtom;
  screen.nextAtom = static_cast<uint16_t>(screen.nextAtom == 0xFFFF ? 0xC000 : screen.nextAtom + 1);
  return atom;
}

int KorvexHost_UnregisterClass(const char* name, uint64_t instance) {
  if (name == nullptr) return 0;
  Screen& screen = TheScreen();
  LockGuard<Mutex> lock(screen.mutex);
  auto it = screen.classes.find(ClassKey(name, instance));
  if (it == screen.classes.end() || it->second.windows != 0) return 0;
  screen.classes.erase(it);
  return 1;
}

int KorvexHost_GetClassInfo(const char* name, uint64_t instance, KorvexHostWindowClass* out) {
  if (name == nullptr || out == nullptr) return 0;
  Screen& screen = TheScreen();
  LockGuard<Mutex> lock(screen.mutex);
  auto it = screen.classes.find(ClassKey(name, instance));
  if (it == screen.classes.end()) return 0;
  *out = it->second.fields;
  out->name = it->second.name.c_str();
  return 1;
}

}  // extern "C"
