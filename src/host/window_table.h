// The host's window table: every window handle the host gives out names an
// entry here, so that a stale or foreign handle is recognised instead of
// being dereferenced.
#pragma once

#include "common/lock_guard.h"
#include "common/thread_annotations.h"
#include "korvex/host_base.h"
#include "korvex/host_messages.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <thread>

namespace korvex::host {

// One queue of posted messages, owned by a window or by a thread.
struct MessageQueue {
  Mutex mutex;
  std::condition_variable_any arrived;
  std::deque<KorvexHostMessage> messages KORVEX_GUARDED_BY(mutex);

  void Push(const KorvexHostMessage& message);
  bool Pop(KorvexHostMessage* out, uint32_t timeoutMs);
  int Size();
  void Clear();
};

// What an on-screen window has beyond its message queue (host_windows.cpp).
struct ScreenWindow;

struct Window {
  uintptr_t id = 0;
  std::thread::id owner;
  MessageQueue queue;
  // Null for a message-only window. Set before the window is registered and
  // never changed; its contents have a lock of their own.
  std::shared_ptr<ScreenWindow> screen;
};

// Registers a new window and returns its handle.
KorvexHostWindow RegisterWindow(std::shared_ptr<Window> window);
// The live window behind a handle, or null.
std::shared_ptr<Window> FindWindow(KorvexHostWindow handle);
// Removes a window; false when it did not exist.
bool UnregisterWindow(KorvexHostWindow handle);
// Destroys an on-screen window with its children, its device context and
// its queue; 1 on success (host_windows.cpp).
int DestroyScreenWindow(KorvexHostWindow handle);
// The calling thread's own message queue.
MessageQueue& ThreadQueue();

}  // namespace korvex::host
