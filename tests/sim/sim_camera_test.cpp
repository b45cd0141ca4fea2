// The simulated camera through the raw driver calls: device names, several
// handles, frame layout and content, brightness, program-supplied frames,
// trigger and unplug while a transfer waits.
#include "korvex/host.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

namespace {

constexpr uint32_t kPipeOut = 0x22204E;
constexpr uint32_t kPipeIn = 0x222051;
constexpr uint32_t kLargeIn = 0x2220A9;
constexpr uint32_t kSetTimeout = 0x2220A0;
constexpr size_t kWidth = 2560;
constexpr size_t kLines = 2008;
constexpr size_t kByteFrame = kWidth * kLines;

class SimCameraTest : public ::testing::Test {
 protected:
  void SetUp() override {
    KorvexHost_SimReset();
    KorvexHost_SimSetFastPace(1);
    device_ = Open("\\\\.\\Kvrx740K3XLN-0");
    ASSERT_NE(device_, KORVEX_HOST_INVALID_DEVICE);
  }
  void TearDown() override {
    KorvexHost_CloseDevice(device_);
    KorvexHost_SimReset();
  }
  static KorvexHostDevice Open(const char* path) {
    return KorvexHost_OpenDevice(path, KORVEX_HOST_GENERIC_WRITE, KORVEX_HOST_FILE_SHARE_WRITE,
                                 KORVEX_HOST_OPEN_EXISTING, 0);
  }
  static int Pipe(KorvexHostDevice d, uint32_t code, uint32_t pipe, void* buffer, uint32_t length,
                  uint32_t* returned) {
    return KorvexHost_DeviceIoControl(d, code, &pipe, 4, buffer, length, returned);
  }
  static int Send(KorvexHostDevice d, std::initializer_list<int> bytes) {
    uint8_t packet[64] = {};
    size_t i = 0;
    for (int b : bytes) packet[i++] = static_cast<uint8_t>(b);
    uint32_t n = 0;
    return Pipe(d, kPipeIn, 0, packet, 64, &n);
  }
  static void SetTimeout(KorvexHostDevice d, uint32_t ms) {
    uint32_t record[11] = {1, ms};
    uint32_t n = 0;
    KorvexHost_DeviceIoControl(d, kSetTimeout, record, 44, nullptr, 0, &n);
  }
  // Requests and reads one frame of `length` bytes; the byte count or -1.
  static long Frame(KorvexHostDevice d, std::vector<uint8_t>& out) {
    Send(d, {0x02});
    uint32_t n = 0;
    if (!Pipe(d, kLargeIn, 2, out.data(), static_cast<uint32_t>(out.size()), &n)) return -1;
    return n;
  }
  static double Mean(const std::vector<uint8_t>& f, size_t row, size_t col0, size_t cols) {
    double sum = 0;
    for (size_t c = col0; c < col0 + cols; ++c) sum += f[row * kWidth + c];
    return sum / cols;
  }

  KorvexHostDevice device_ = nullptr;
};

TEST_F(SimCameraTest, DeviceNames) {
  EXPECT_EQ(Open("\\\\.\\Kvrx740K3XLN-1"), KORVEX_HOST_INVALID_DEVICE);
  EXPECT_EQ(Open("\\\\.\\Kvrx740K3XLN-W"), KORVEX_HOST_INVALID_DEVICE);  // index 32
  EXPECT_EQ(Open("\\\\.\\Kvrx740K3XLN-00"), KORVEX_HOST_INVALID_DEVICE);
  EXPECT_EQ(Open(nullptr), KORVEX_HOST_INVALID_DEVICE);
  ASSERT_EQ(KorvexHost_SimPlug(22), 1);
  EXPECT_EQ(KorvexHost_SimPlug(22), 0);
  KorvexHostDevice n = Open("\\\\.\\Kvrx740K3XLN-N");
  ASSERT_NE(n, KORVEX_HOST_INVALID_DEVICE);
  EXPECT_EQ(Open("\\\\.\\Kvrx740K3XLN-M"), KORVEX_HOST_INVALID_DEVICE);
  EXPECT_EQ(KorvexHost_CloseDevice(n), 1);
  EXPECT_EQ(KorvexHost_CloseDevice(n), 0);
  uint32_t count = 7;
  EXPECT_EQ(Pipe(n, kPipeIn, 0, &count, 4, &count), 0);  // closed handle
  EXPECT_EQ(count, 0u);
}

TEST_F(SimCameraTest, RawFrameLayoutAndScene) {
  std::vector<uint8_t> f(kByteFrame);
  ASSERT_EQ(Frame(device_, f), static_cast<long>(kByteFrame));
  // Rows outside the two fields are black; fields start at raw rows 5 and 1019.
  EXPECT_LT(Mean(f, 4, 0, kWidth), 5.0);
  EXPECT_LT(Mean(f, 1018, 0, kWidth), 5.0);
  EXPECT_LT(Mean(f, 1979, 0, kWidth), 5.0);
  EXPECT_GT(Mean(f, 5, 0, 320), 40.0);     // white bar at power-on gain, picture row 0
  EXPECT_GT(Mean(f, 1019, 0, 320), 40.0);  // picture row 1
  // White through the cast: green sites brightest, blue sites darkest. Picture
  // row 0 holds R G, row 1 holds G B.
  const uint8_t r = f[5 * kWidth + 100], g1 = f[5 * kWidth + 101];
  const uint8_t g2 = f[1019 * kWidth + 100], b = f[1019 * kWidth + 101];
  EXPECT_GT(g1, r);
  EXPECT_EQ(g1, g2);
  EXPECT_GT(r, b);
  // Gray ramp rises left to right.
  EXPECT_LT(Mean(f, 5 + 400, 0, 64), Mean(f, 5 + 400, 2400, 64));
  // The next frame differs (the moving disc); a re-render of frame 0 does not.
  std::vector<uint8_t> next(kByteFrame), again(kByteFrame);
  ASSERT_EQ(Frame(device_, next), static_cast<long>(kByteFrame));
  EXPECT_NE(f, next);
  ASSERT_EQ(KorvexHost_SimRenderFrame(0, 0, again.data(), again.size()), kByteFrame);
  EXPECT_EQ(f, again);
}

TEST_F(SimCameraTest, WordModeCarriesTenBitsAndBrightnessFollowsTheSensor) {
  std::vector<uint8_t> bytes(kByteFrame);
  ASSERT_EQ(Frame(device_, bytes), static_cast<long>(kByteFrame));
  ASSERT_EQ(Send(device_, {0x0A, 0x01}), 1);
  ASSERT_EQ(Send(device_, {0x25, 14, 1}), 1);
  std::vector<uint8_t> words(2 * kByteFrame);
  ASSERT_EQ(Frame(device_, words), static_cast<long>(2 * kByteFrame));
  uint16_t maxWord = 0;
  for (size_t i = 5 * kWidth; i < 6 * kWidth; ++i) {
    const uint16_t w = static_cast<uint16_t>(words[2 * i] | words[2 * i + 1] << 8);
    maxWord = std::max(maxWord, w);
    if (i % kWidth < 1500) {  // away from the disc
      EXPECT_EQ(w >> 2, bytes[i]) << i;
    }
  }
  EXPECT_LE(maxWord, 1023);
  EXPECT_GT(maxWord, 255);

  ASSERT_EQ(Send(device_, {0x25, 14, 0}), 1);
  const double base = Mean(bytes, 5, 320, 320);
  // Shorter exposure (register pair 0xA1:0xA0 = 0x9000 | (1014 - 200)).
  Send(device_, {0x04, 0x20, 0xFE, 0xA0, 0, (1014 - 200) & 0xFF});
  Send(device_, {0x04, 0x20, 0xFE, 0xA1, 0, 0x90 | ((1014 - 200) >> 8)});
  std::vector<uint8_t> dark(kByteFrame);
  ASSERT_GT(Frame(device_, dark), 0);
  EXPECT_LT(Mean(dark, 5, 320, 320), base * 0.5);
  // More gain (registers 2 and 3: 1023) brightens it again.
  Send(device_, {0x04, 0x20, 0xFE, 2, 0, 0xFF});
  Send(device_, {0x04, 0x20, 0xFE, 3, 0, 3});
  std::vector<uint8_t> gained(kByteFrame);
  ASSERT_GT(Frame(device_, gained), 0);
  EXPECT_GT(Mean(gained, 5, 320, 320), Mean(dark, 5, 320, 320) * 1.3);
}

void FillPattern(void* user, uint32_t frameNumber, int wordMode, uint8_t* buffer, size_t length) {
  *static_cast<int*>(user) += 1;
  std::memset(buffer, static_cast<int>(frameNumber + 1 + wordMode * 0x10), length);
}

TEST_F(SimCameraTest, FramesSuppliedByTheProgram) {
  std::vector<uint8_t> raw(kByteFrame / 2);
  for (size_t i = 0; i < raw.size(); ++i) raw[i] = static_cast<uint8_t>(i % 251);
  ASSERT_EQ(KorvexHost_SimSetRawFrame(0, raw.data(), raw.size()), 1);
  std::vector<uint8_t> f(kByteFrame);
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(Frame(device_, f), static_cast<long>(kByteFrame));
    EXPECT_EQ(0, std::memcmp(f.data(), raw.data(), raw.size()));
    EXPECT_EQ(f.back(), 0);  // zero beyond the supplied bytes
  }
  int calls = 0;
  ASSERT_EQ(KorvexHost_SimSetFrameCallback(0, FillPattern, &calls), 1);
  ASSERT_EQ(Frame(device_, f), static_cast<long>(kByteFrame));
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(f[12345], 3);  // third frame since plugging
  KorvexHost_SimSetFrameCallback(0, nullptr, nullptr);
  KorvexHost_SimSetRawFrame(0, nullptr, 0);
  ASSERT_EQ(Frame(device_, f), static_cast<long>(kByteFrame));
  EXPECT_NE(0, std::memcmp(f.data(), raw.data(), raw.size()));
}

TEST_F(SimCameraTest, TransferRules) {
  std::vector<uint8_t> f(kByteFrame);
  uint32_t n = 0;
  Send(device_, {0x02});
  // Frames above 3,071,999 bytes need the large-transfer request.
  EXPECT_EQ(Pipe(device_, kPipeIn, 2, f.data(), static_cast<uint32_t>(f.size()), &n), 0);
  EXPECT_EQ(Pipe(device_, kPipeIn, 2, f.data(), 3071999, &n), 1);
  EXPECT_EQ(n, 3071999u);
  // Without a request the transfer waits for the time-out.
  SetTimeout(device_, 30);
  EXPECT_EQ(KorvexHost_SimTransferTimeout(0), 30u);
  EXPECT_EQ(Pipe(device_, kLargeIn, 2, f.data(), static_cast<uint32_t>(f.size()), &n), 0);
  EXPECT_EQ(Pipe(device_, kPipeIn, 7, f.data(), 64, &n), 0);  // no such pipe
  EXPECT_EQ(KorvexHost_DeviceIoControl(device_, 0x222000, nullptr, 0, nullptr, 0, &n), 0);
}

TEST_F(SimCameraTest, CommandsFlowWhileAFrameTransferWaits) {
  SetTimeout(device_, 5000);
  Send(device_, {0x25, 11, 0x25});  // trigger mode
  std::vector<uint8_t> f(kByteFrame);
  long got = 0;
  std::thread reader([&] { got = Frame(device_, f); });
  KorvexHostDevice other = Open("\\\\.\\Kvrx740K3XLN-0");
  ASSERT_NE(other, KORVEX_HOST_INVALID_DEVICE);
  ASSERT_EQ(Send(other, {0x25, 7, 0x42}), 1);
  ASSERT_EQ(Send(other, {0x26, 7}), 1);
  uint8_t reply[64] = {};
  uint32_t n = 0;
  ASSERT_EQ(Pipe(other, kPipeOut, 1, reply, 64, &n), 1);
  EXPECT_EQ(n, 64u);
  EXPECT_EQ(reply[0], 0x42);
  EXPECT_EQ(KorvexHost_SimFramesServed(0), 0u);
  KorvexHost_SimTrigger(0);
  reader.join();
  EXPECT_EQ(got, static_cast<long>(kByteFrame));
  KorvexHost_CloseDevice(other);
}

TEST_F(SimCameraTest, UnplugEndsAWaitingTransferAtOnce) {
  SetTimeout(device_, 10000);
  Send(device_, {0x25, 11, 0x25});
  std::vector<uint8_t> f(kByteFrame);
  long got = 0;
  std::thread reader([&] { got = Frame(device_, f); });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(KorvexHost_SimUnplug(0), 1);
  reader.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_EQ(got, -1);
  EXPECT_EQ(Send(device_, {0x01}), 0);
  // Plugged again it is a fresh camera; the old handle stays dead.
  ASSERT_EQ(KorvexHost_SimPlug(0), 1);
  EXPECT_EQ(Send(device_, {0x01}), 0);
  uint8_t trigger = 0xFF;
  KorvexHost_SimReadControllerRegister(0, 11, &trigger);
  EXPECT_EQ(trigger, 0);
}

TEST_F(SimCameraTest, NormalPaceFollowsTheClock) {
  KorvexHost_SimSetFastPace(0);
  std::vector<uint8_t> f(kByteFrame);
  // The first frame comes at once, the next one a read-out later: 2008 lines
  // of 2894 clocks, 242 ms at 24 MHz, then 145 ms at 40 MHz.
  const auto start = std::chrono::steady_clock::now();
  ASSERT_GT(Frame(device_, f), 0);
  ASSERT_GT(Frame(device_, f), 0);
  Send(device_, {0x25, 15, 3});
  ASSERT_GT(Frame(device_, f), 0);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_GT(elapsed, std::chrono::milliseconds(380));
}

}  // namespace
