// Test helpers: a fresh simulator per test and the traffic it logged.
#pragma once

#include "korvex/host.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace korvex::testing {

inline std::vector<KorvexSimTraffic> Traffic() {
  std::vector<KorvexSimTraffic> all(KorvexHost_SimTrafficCount());
  for (size_t i = 0; i < all.size(); ++i) KorvexHost_SimGetTraffic(i, &all[i]);
  return all;
}

// The 64-byte command packets sent on pipe 0, in order.
inline std::vector<std::vector<uint8_t>> CommandPackets() {
  std::vector<std::vector<uint8_t>> packets;
  for (const KorvexSimTraffic& t : Traffic()) {
    if (t.pipe == 0 && t.outLength == 64 && t.packetLength == 64) {
      packets.emplace_back(t.packet, t.packet + 64);
    }
  }
  return packets;
}

// A 64-byte packet: the given leading bytes, zeros after them.
inline std::vector<uint8_t> Packet(std::initializer_list<int> bytes) {
  std::vector<uint8_t> p(64, 0);
  size_t i = 0;
  for (int b : bytes) p[i++] = static_cast<uint8_t>(b);
  return p;
}

// Resets the simulator (one camera at index 0) at fast pace.
class SimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    KorvexHost_SimReset();
    KorvexHost_SimSetFastPace(1);
  }
  void TearDown() override { KorvexHost_SimReset(); }
};

}  // namespace korvex::testing
