// The Korvex740K3-XLN model driver: construction and its initialisation
// sequence, device selection, size, sample width, gain, exposure, trigger and
// clock, checked packet by packet.
#include "device/korvex740k3xln_init_table.h"
#include "device/korvex740k3xln_sdk.h"
#include "sim_traffic.h"

#include <optional>
#include <utility>

namespace korvex {
namespace {

using testing::CommandPackets;
using testing::Packet;
using Packets = std::vector<std::vector<uint8_t>>;

std::vector<uint8_t> SensorWrite8(int reg, int value) {
  return Packet({0x04, 0x20, 0xFE, reg, 0, value});
}
std::vector<uint8_t> Controller(int reg, int value) { return Packet({0x25, reg, value}); }

// One sensor register write decoded from its packet: 8-bit space (0x20)
// or 16-bit space (0x30) with a 24-bit value.
struct Write {
  int reg;
  uint32_t value;
  bool operator==(const Write&) const = default;
};
std::optional<Write> DecodeSensorWrite(const std::vector<uint8_t>& p) {
  if (p[0] != 0x04 || p[2] != 0xFE) return std::nullopt;
  if (p[1] == 0x20) return Write{p[3], p[5]};
  if (p[1] == 0x30)
    return Write{p[3] | p[4] << 8, p[5] | p[6] << 8 | static_cast<uint32_t>(p[7]) << 16};
  return std::nullopt;
}

// The initialisation sequence as sent, packet by packet, from `first` on:
// register 0x80 = 0x09, the sensor reset through controller register 6,
// the 256 8-bit and 130 16-bit table writes, register 0x80 = 0x89. The
// expected values are the sensor's documented ones, fixed here as sample
// writes and as a checksum (FNV-1a over each write's register, two bytes,
// and value, three bytes, little-endian, in sending order) taken once from
// the documented table; nothing is derived from the library's own table.
// Returns the number of packets the sequence took.
size_t ExpectInitialisationSequence(const Packets& sent, size_t first) {
  constexpr size_t kPackets = 388 + 2;
  EXPECT_GE(sent.size(), first + kPackets);
  if (sent.size() < first + kPackets) return 0;
  EXPECT_EQ(sent[first + 1], Controller(6, 0x11));
  EXPECT_EQ(sent[first + 2], Controller(6, 0x00));
  std::vector<Write> writes;
  for (size_t i = first; i < first + kPackets; ++i) {
    if (i == first + 1 || i == first + 2) continue;
    const std::optional<Write> w = DecodeSensorWrite(sent[i]);
    EXPECT_TRUE(w.has_value()) << "packet " << i << " is not a sensor write";
    if (w) writes.push_back(*w);
  }
  EXPECT_EQ(writes.size(), 388u);
  if (writes.size() != 388u) return kPackets;
  const std::pair<size_t, Write> samples[] = {
      {0, {0x80, 0x09}},         {1, {0x00, 0x80}},         {120, {0x77, 0xF7}},
      {152, {0x97, 0x09}},       {194, {0xC1, 0x00}},       {256, {0xFF, 0x00}},
      {257, {0x8000, 0x840001}}, {286, {0x8200, 0x59003E}}, {322, {0x8229, 0x38813B}},
      {386, {0x880C, 0x6473D9}}, {387, {0x80, 0x89}}};
  for (const auto& [index, write] : samples) EXPECT_EQ(writes[index], write) << "write " << index;
  uint32_t hash = 0x811C9DC5u;
  for (const Write& w : writes) {
    const uint8_t bytes[5] = {static_cast<uint8_t>(w.reg), static_cast<uint8_t>(w.reg >> 8),
                              static_cast<uint8_t>(w.value), static_cast<uint8_t>(w.value >> 8),
                              static_cast<uint8_t>(w.value >> 16)};
    for (uint8_t b : bytes) hash = (hash ^ b) * 0x01000193u;
  }
  EXPECT_EQ(hash, 0x947213A9u) << "the table writes differ from the sensor's documented values";
  return kPackets;
}

class ModelTest : public testing::SimTest {};

TEST_F(ModelTest, InitialisationTableHoldsTheSensorValues) {
  // Spot checks against the sensor's documented values and run lengths.
  EXPECT_EQ(kKorvex740K3XLNInitRegisters[0x00], 0x80);
  EXPECT_EQ(kKorvex740K3XLNInitRegisters[0x0F], 0x1C);
  EXPECT_EQ(kKorvex740K3XLNInitRegisters[0x77], 0xF7);
  EXPECT_EQ(kKorvex740K3XLNInitRegisters[0x78], 0xFF);
  EXPECT_EQ(kKorvex740K3XLNInitRegisters[0x97], 0x09);
  EXPECT_EQ(kKorvex740K3XLNInitRegisters[0xAB], 0x80);
  EXPECT_EQ(kKorvex740K3XLNInitRegisters[0xFF], 0x00);
  int nonZero = 0;
  for (uint8_t v : kKorvex740K3XLNInitRegisters) nonZero += v != 0;
  EXPECT_EQ(nonZero, 49);
  const SensorWrite* w = kKorvex740K3XLNInitWrites16;
  EXPECT_EQ(w[0].reg, 0x8000);
  EXPECT_EQ(w[0].value, 0x840001u);
  EXPECT_EQ(w[29].reg, 0x8200);
  EXPECT_EQ(w[29].value, 0x59003Eu);
  EXPECT_EQ(w[129].reg, 0x880C);
  EXPECT_EQ(w[129].value, 0x6473D9u);
}

TEST_F(ModelTest, ConstructionSendsTheWholeSequenceInOrder) {
  CKorvex740K3XLNSdk model;
  const Packets sent = CommandPackets();
  // Byte mode first, then the full sequence.
  ASSERT_GE(sent.size(), 2u);
  EXPECT_EQ(sent[0], Packet({0x0A, 0x01}));
  EXPECT_EQ(sent[1], Controller(14, 0));
  const size_t after = 2 + ExpectInitialisationSequence(sent, 2);
  // Then the window (transfer size 5,140,480 into controller registers 0
  // to 3), trigger off, gain 512, exposure 64 and sensor register 8.
  const Packets rest = {Packet({0x09, 0x00, 0x70, 0x4E, 0x00}),
                        Controller(0, 0x00),
                        Controller(1, 0x70),
                        Controller(2, 0x4E),
                        Controller(3, 0x00),
                        Controller(11, 0x00),
                        SensorWrite8(2, 0x00),
                        SensorWrite8(3, 0x02),
                        SensorWrite8(0xA0, 0xB6),
                        SensorWrite8(0xA1, 0x93),
                        SensorWrite8(8, 0)};
  ASSERT_EQ(sent.size(), after + rest.size());
  for (size_t i = 0; i < rest.size(); ++i)
    EXPECT_EQ(sent[after + i], rest[i]) << "packet " << after + i;

  EXPECT_STREQ(model.DevicePath(), "\\\\.\\Kvrx740K3XLN-0");
  EXPECT_TRUE(model.IsDevicePresent(0));
  EXPECT_EQ(model.GetGlobalGain(), 512);
  EXPECT_EQ(model.GetExposure(), 64);
  EXPECT_FALSE(model.ReinitialisePending());
  EXPECT_EQ(model.TransferSize(), 5140480);
  EXPECT_EQ(model.ProgrammedTransferSize(), 5140480);
  EXPECT_EQ(model.LargeTransfer(), 1);
  EXPECT_EQ(model.RingCount(), 4);
  int32_t cached = 0;
  EXPECT_TRUE(model.ReadSensorRegister(0x97, cached));
  EXPECT_EQ(cached, 0x09);
  EXPECT_EQ(KorvexHost_SimOpenHandles(0), 0u);
}

TEST_F(ModelTest, SelectingTheSameIndexSkipsTheSequence) {
  KorvexHost_SimPlug(2);
  CKorvex740K3XLNSdk model;
  KorvexHost_SimClearTraffic();
  ASSERT_EQ(model.SelectDevice(0), 0);
  for (const auto& p : CommandPackets()) EXPECT_NE(p[0], 0x04);

  KorvexHost_SimClearTraffic();
  ASSERT_EQ(model.SelectDevice(2), 0);
  EXPECT_STREQ(model.DevicePath(), "\\\\.\\Kvrx740K3XLN-2");
  size_t sensorWrites = 0;
  for (const KorvexSimTraffic& t : testing::Traffic()) {
    EXPECT_EQ(t.device, 2);
    if (t.pipe == 0 && t.packet[0] == 0x04) ++sensorWrites;
  }
  EXPECT_EQ(sensorWrites, 388u);
  EXPECT_EQ(model.SelectDevice(32), 22);
  EXPECT_EQ(model.CurrentDeviceIndex(), 2);
}

TEST_F(ModelTest, WindowAndWordMode) {
  CKorvex740K3XLNSdk model;
  EXPECT_FALSE(model.SetWindow(1, 0, 3000, 3000, 0));
  EXPECT_FALSE(model.SetWindow(0, 0, 3, 10, 0));
  EXPECT_FALSE(model.SetWindow(0, 0, 100, 100, 4));
  KorvexHost_SimClearTraffic();
  model.SetWordMode(false);
  EXPECT_EQ(CommandPackets(), (Packets{Packet({0x0A, 0x01}), Controller(14, 0)}));

  KorvexHost_SimClearTraffic();
  model.SetWordMode(true);
  ASSERT_TRUE(model.SetWindow(8, 4, 640, 480, 2));
  EXPECT_EQ(CommandPackets(),
            (Packets{Packet({0x0A, 0x01}), Controller(14, 1), Packet({0x09, 0x00, 0x70, 0x4E}),
                     Controller(0, 0x00), Controller(1, 0x70), Controller(2, 0x4E),
                     Controller(3, 0x00)}));
  EXPECT_EQ(model.WordMode(), 1);
  EXPECT_EQ(model.WindowWidth(), 640);
  EXPECT_EQ(model.SubSample(), 2);
  EXPECT_EQ(model.Width(), 2560);  // the raw frame is always the whole sensor
  EXPECT_EQ(model.LargeTransfer(), 1);
}

TEST_F(ModelTest, GainExposureTriggerAndClock) {
  CKorvex740K3XLNSdk model;
  KorvexHost_SimClearTraffic();
  ASSERT_TRUE(model.SetExposure(1014));
  ASSERT_TRUE(model.SetGlobalGain(512));
  ASSERT_TRUE(model.SetTriggerMode(true));
  ASSERT_TRUE(model.SetTriggerMode(false));
  EXPECT_EQ(CommandPackets(),
            (Packets{SensorWrite8(0xA0, 0x00), SensorWrite8(0xA1, 0x90), SensorWrite8(2, 0x00),
                     SensorWrite8(3, 0x02), Controller(11, 0x25), Controller(11, 0x00)}));
  EXPECT_EQ(model.GetExposure(), 1014);
  ASSERT_TRUE(model.SetExposure(0));
  uint32_t reg = 0;
  KorvexHost_SimReadSensorRegister(0, 0xA0, &reg);
  EXPECT_EQ(reg, 0xF6u);
  ASSERT_TRUE(model.SetGlobalGain(0x7FF));
  EXPECT_EQ(model.GetGlobalGain(), 0x3FF);

  // Failed writes keep the previous values.
  KorvexHost_SimSetFault(0, KORVEX_SIM_FAULT_FAIL_REGISTER_WRITE, 0, 1);
  EXPECT_FALSE(model.SetGlobalGain(100));
  EXPECT_EQ(model.GetGlobalGain(), 0x3FF);
  KorvexHost_SimSetFault(0, KORVEX_SIM_FAULT_FAIL_REGISTER_WRITE, 0, 1);
  EXPECT_FALSE(model.SetExposure(100));
  EXPECT_EQ(model.GetExposure(), 0);

  KorvexHost_SimClearTraffic();
  ASSERT_TRUE(model.SetClockMode(2));
  const Packets sent = CommandPackets();
  ASSERT_GE(sent.size(), 2u);
  EXPECT_EQ(sent[0], SensorWrite8(0x20, 0));
  EXPECT_EQ(sent[1], Controller(15, 3));
  EXPECT_EQ(ExpectInitialisationSequence(sent, 2) + 2, sent.size());
  uint8_t mode = 0;
  ASSERT_TRUE(model.ReadClockMode(mode));
  EXPECT_EQ(mode, 2);
  EXPECT_EQ(model.ClockMode(), 2);
}

TEST_F(ModelTest, WorksWithoutACamera) {
  KorvexHost_SimUnplug(0);
  CKorvex740K3XLNSdk model;
  EXPECT_FALSE(model.IsDevicePresent(0));
  EXPECT_EQ(model.GetGlobalGain(), 0);
  EXPECT_EQ(model.GetExposure(), 0);
  EXPECT_EQ(model.SelectDevice(0), 0);
  EXPECT_EQ(model.CaptureSingleFrame(), 10);
  EXPECT_EQ(model.SingleCaptureStatus(), 19);
  uint8_t mode = 9;
  EXPECT_FALSE(model.ReadClockMode(mode));
  EXPECT_EQ(KorvexHost_SimTrafficCount(), 0u);
}

}  // namespace
}  // namespace korvex
