// Message windows and posted messages: the stand-in for PostMessage and the
// application's message loop.
#include "host/window_table.h"

#include <chrono>
#include <map>

namespace korvex::host {
namespace {

struct WindowTable {
  Mutex mutex;
  uintptr_t nextId KORVEX_GUARDED_BY(mutex) = 0x10;  // never 0, so a handle is never null
  std::map<uintptr_t, std::shared_ptr<Window>> windows KORVEX_GUARDED_BY(mutex);
};

WindowTable& Table() {
  static WindowTable* table = new WindowTable;  // lives as long as the process
  return *table;
}

uintptr_t IdOf(KorvexHostWindow handle) { return reinterpret_cast<uintptr_t>(handle); }

}  // namespace

void MessageQueue::Push(const KorvexHostMessage& message) {
  {
    LockGuard<Mutex> lock(mutex);
    messages.push_back(message);
  }
  arrived.notify_all();
}

bool MessageQueue::Pop(KorvexHostMessage* out, uint32_t timeoutMs) {
  UniqueLock<Mutex> lock(mutex);
  if (messages.empty() && timeoutMs != 0) {
    arrived.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                     [this]() KORVEX_REQUIRES(mutex) { return !messages.empty(); });
  }
  if (messages.empty()) return false;
  if (out) *out = messages.front();
  messages.pop_front();
  return true;
}

int MessageQueue::Size() {
  LockGuard<Mutex> lock(mutex);
  return static_cast<int>(messages.size());
}

void MessageQueue::Clear() {
  LockGuard<Mutex> lock(mutex);
  messages.clear();
}

KorvexHostWindow RegisterWindow(std::shared_ptr<Window> window) {
  WindowTable& table = Table();
  LockGuard<Mutex> lock(table.mutex);
  window->id = table.nextId;
  table.nextId += 0x10;
  table.windows[window->id] = std::move(window);
  return reinterpret_cast<KorvexHostWindow>(table.nextId - 0x10);
}

std::shared_ptr<Window> FindWindow(KorvexHostWindow handle) {
  WindowTable& table = Table();
  LockGuard<Mutex> lock(table.mutex);
  auto it = table.windows.find(IdOf(handle));
  return it == table.windows.end() ? nullptr : it->second;
}

bool UnregisterWindow(KorvexHostWindow handle) {
  WindowTable& table = Table();
  LockGuard<Mutex> lock(table.mutex);
  return table.windows.erase(IdOf(handle)) != 0;
}

MessageQueue& ThreadQueue() {
  thread_local MessageQueue queue;
  return queue;
}

}  // namespace korvex::host

using namespace korvex::host;

extern "C" {

KorvexHostWindow KorvexHost_CreateMessageWindow(void) {
  auto window = std::make_shared<Window>();
  window->owner = std::this_thread::get_id();
  return RegisterWindow(std::move(window));
}

int KorvexHost_DestroyWindow(KorvexHostWindow window) {
  std::shared_ptr<Window> target = FindWindow(window);
  if (target && target->screen) return DestroyScreenWindow(window);
  return UnregisterWindow(window) ? 1 : 0;
}

int KorvexHost_IsWindow(KorvexHostWindow window) { return FindWindow(window) ? 1 : 0; }

int KorvexHost_PostMessage(KorvexHostWindow window, uint32_t message, uintptr_t wParam,
                           intptr_t lParam) {
  KorvexHostMessage posted{window, message, wParam, lParam};
  if (window == nullptr) {
    ThreadQueue().Push(posted);
    return 1;
  }
  std::shared_ptr<Window> target = FindWindow(window);
  if (!target) return 0;
  target->queue.Push(posted);
  return 1;
}

int KorvexHost_GetMessage(KorvexHostWindow window, KorvexHostMessage* out, uint32_t timeoutMs) {
  if (window == nullptr) return ThreadQueue().Pop(out, timeoutMs) ? 1 : 0;
  std::shared_ptr<Window> target = FindWindow(window);
  if (!target) return 0;
  return target->queue.Pop(out, timeoutMs) ? 1 : 0;
}

int KorvexHost_PendingMessages(KorvexHostWindow window) {
  if (window == nullptr) return ThreadQueue().Size();
  std::shared_ptr<Window> target = FindWindow(window);
  return target ? target->queue.Size() : 0;
}

void KorvexHost_FlushMessages(KorvexHostWindow window) {
  if (window == nullptr) {
    ThreadQueue().Clear();
    return;
  }
  if (std::shared_ptr<Window> target = FindWindow(window)) target->queue.Clear();
}

}  // extern "C"
