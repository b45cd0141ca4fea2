#include "camera/ownership_table.h"

#include "platform/shared_memory.h"

#include <cstring>

namespace korvex {

namespace {
// The owner module is the executable's module handle on Windows; here it is
// the token of the owning process, which the reserved field carries as well.
uint64_t ModuleToken() { return platform::CurrentProcessToken(); }
}  // namespace

OwnershipTable::OwnershipTable() = default;
OwnershipTable::~OwnershipTable() = default;

bool OwnershipTable::Open() {
  if (view_) return true;
  memory_ = std::make_unique<platform::SharedMemory>();
  if (!memory_->OpenOrCreate(kName, kSize) || memory_->View() == nullptr) {
    memory_.reset();
    return false;
  }
  view_ = memory_->View();
  if (memory_->NewlyCreated()) std::memset(view_, 0, kZeroedBytes);
  return true;
}

OwnershipTable::Entry* OwnershipTable::EntryAt(int n) const {
  if (view_ == nullptr || n < 0 || n > 31) return nullptr;
  return reinterpret_cast<Entry*>(view_ + static_cast<size_t>(kEntrySize) * (kFirstEntry + n));
}

const OwnershipTable::Entry* OwnershipTable::At(int n) const { return EntryAt(n); }

void OwnershipTable::Claim(int n, platform::WindowHandle owner) {
  Entry* entry = EntryAt(n);
  if (!entry) return;
  entry->ownerWindow = reinterpret_cast<uint64_t>(owner);
  entry->ownerModule = ModuleToken();
  entry->reserved = platform::CurrentProcessToken();
  std::memset(entry->ownerName, 0, sizeof entry->ownerName);
  std::memcpy(entry->ownerName, kOwnerName, std::strlen(kOwnerName));
}

void OwnershipTable::Release(int n, platform::WindowHandle owner) {
  Entry* entry = EntryAt(n);
  if (!entry) return;
  const uint64_t self = platform::CurrentProcessToken();
  if (entry->ownerWindow != reinterpret_cast<uint64_t>(owner) || entry->ownerModule != self) return;
  // A released entry has 0 in the reserved field; ours holds our identity.
  if (entry->reserved != 0 && entry->reserved != self) return;
  entry->ownerWindow = 0;
  entry->ownerModule = 0;
  entry->reserved = 0;
  std::memset(entry->ownerName, 0, sizeof entry->ownerName);
}

bool OwnershipTable::IsClaimed(int n) const {
  const Entry* entry = EntryAt(n);
  if (!entry) return false;
  // Our claims carry the owner's identity, whatever window it gave (null
  // included, which many applications pass). An owner that ended without
  // releasing (a crash) leaves its identity behind; such an entry is free
  // again.
  if (entry->reserved != 0) return platform::ProcessAlive(entry->reserved);
  // A claim without an identity can only be told by its window.
  return entry->ownerWindow != 0;
}

}  // namespace korvex
