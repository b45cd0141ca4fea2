// CTRing: a circular, doubly linked ring of records with a current record,
// `head`. Lookups rotate the ring so that the record found becomes `head`,
// which makes repeated lookups of the same handle constant-time.
//
// The ring's `lock` guards `head` and `count`; every operation runs with it
// held, and the owner takes it around each one. The destructor runs when no
// other thread can reach the ring.
#pragma once

#include "common/lock_guard.h"
#include "common/thread_annotations.h"
#include "platform/platform.h"

#include <cstdint>

namespace korvex {

template <class T>
class CTRing {
 public:
  CTRing() = default;
  CTRing(const CTRing&) = delete;
  CTRing& operator=(const CTRing&) = delete;
  ~CTRing() { RemoveAll(); }  // not virtual: the ring is never deleted through a base

  // Links a copy of `record` in before `head` and makes it the new head.
  void Add(const T& record) KORVEX_REQUIRES(lock) {
    T* added = new T(record);
    if (head == nullptr) {
      added->prev = added;
      added->next = added;
    } else {
      added->prev = head->prev;
      added->next = head;
      head->prev->next = added;
      head->prev = added;
    }
    head = added;
    ++count;
  }

  // Rotates `head` forward until it holds `handle`. A failed search leaves
  // `head` on the record that was last before it started.
  bool Find(uint32_t handle) KORVEX_REQUIRES(lock) {
    if (head == nullptr) return false;
    const uint32_t stopKey = head->prev->handle;
    if (head->handle == handle) return true;
    while (head->handle != stopKey) {
      head = head->next;
      if (head->handle == handle) return true;
    }
    return false;
  }

  // Unlinks and frees `head`; the record after it becomes `head`.
  bool RemoveCurrent() KORVEX_REQUIRES(lock) {
    if (head == nullptr) return false;
    T* removed = head;
    if (removed->next == removed) {
      head = nullptr;
    } else {
      removed->prev->next = removed->next;
      removed->next->prev = removed->prev;
      head = removed->next;
    }
    --count;
    delete removed;
    return true;
  }

  void RemoveAll() KORVEX_REQUIRES(lock) {
    while (RemoveCurrent()) {
    }
  }

  RecursiveMutex lock;
  T* head KORVEX_GUARDED_BY(lock) = nullptr;
  int32_t count KORVEX_GUARDED_BY(lock) = 0;
};

}  // namespace korvex
