// The cross-process ownership table: a named shared memory block in which
// each camera device has an entry naming the process that streams from it,
// so that two processes do not stream from one camera at once.
#pragma once

#include "platform/platform.h"

#include <cstdint>
#include <memory>

namespace korvex {

namespace platform {
class SharedMemory;
}

class OwnershipTable {
 public:
  static constexpr const char* kName = "QUOREL_USBCAMERA";
  static constexpr uint32_t kSize = 4980736;  // 0x4C0000
  static constexpr uint32_t kZeroedBytes = 32768;
  static constexpr uint32_t kEntrySize = 152;
  static constexpr uint32_t kFirstEntry = 13568;
  static constexpr const char* kOwnerName = "KorvexSdk_740K3_XLN.dll";

  // Entry layout, little-endian.
  struct Entry {
    uint64_t ownerWindow;  // notification window of the owner (may be 0); 0 when free
    uint64_t ownerModule;  // the owning process's executable module
    uint64_t reserved;     // the owning process's identity while claimed; 0 when free
    char ownerName[128];
  };
  static_assert(sizeof(Entry) == kEntrySize);

  OwnershipTable();
  ~OwnershipTable();

  // Opens the block by name, or creates it (then zeroes its first bytes).
  bool Open();
  bool HasView() const { return view_ != nullptr; }

  // Overwrites entry n with this process and window as owner.
  void Claim(int n, platform::WindowHandle owner);
  // Clears entry n when this process with this window owns it.
  void Release(int n, platform::WindowHandle owner);
  // True when entry n is claimed by a process that still runs, whatever
  // window (null included) it claimed with. An entry left behind by a
  // process that ended without releasing is free.
  bool IsClaimed(int n) const;

  // The raw entry (for diagnostics and tests); null without a view.
  const Entry* At(int n) const;

 private:
  Entry* EntryAt(int n) const;

  std::unique_ptr<platform::SharedMemory> memory_;
  uint8_t* view_ = nullptr;
};

}  // namespace korvex
