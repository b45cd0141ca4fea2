// Frame buffers, single frames and the streaming ring, on the simulated
// camera at fast pace.
#include "device/korvex740k3xln_sdk.h"
#include "sim_traffic.h"

#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

namespace korvex {
namespace {

using testing::CommandPackets;
using testing::Packet;
using Clock = std::chrono::steady_clock;
// The frame reads' arguments: the raw region of interest, unconverted.

constexpr size_t kByteFrame = 2560u * 2008u;

class TestDevice : public CKVXSdkLib {
 public:
  TestDevice() {
    SetModelIdentifier("Kvrx740K3XLN");
    BuildDevicePath(0);
  }
};

class FrameEngineTest : public testing::SimTest {
 protected:
  // Polls as the camera object's frame loop does until a frame is copied
  // (true) or the run answers 1 (false).
  static bool NextFrame(CKVXSdkLib& device, uint8_t* out) {
    for (int polls = 0; polls < 10000; ++polls) {
      const int r = device.WaitForFrame();
      if (r == CKVXSdkLib::kFrameReady) return device.GetStreamFrame(out) == 0;
      if (r == CKVXSdkLib::kStreamEnded) return false;
      if (r == CKVXSdkLib::kStreamIdle) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
  }
  // Polls until WaitForFrame answers 1.
  static bool RunEnds(CKVXSdkLib& device) {
    std::vector<uint8_t> sink(2 * kByteFrame);
    for (int polls = 0; polls < 10000; ++polls) {
      const int r = device.WaitForFrame();
      if (r == CKVXSdkLib::kStreamEnded) return true;
      if (r == CKVXSdkLib::kFrameReady) device.GetStreamFrame(sink.data());
    }
    return false;
  }
};

TEST_F(FrameEngineTest, AllocateFrameBuffers) {
  TestDevice device;
  ASSERT_EQ(device.AllocateFrameBuffers(2560, 0, 2560, 2008, 0, 2008, 4), 0);
  EXPECT_EQ(device.TransferSize(), 5140480);
  EXPECT_EQ(device.RingBufferSize(), 10280960);
  EXPECT_EQ(device.RawFrameBytes(), 5140480);
  EXPECT_EQ(device.RingCount(), 4);
  EXPECT_EQ(CommandPackets().back(), Packet({0x09, 0x00, 0x70, 0x4E, 0x00}));

  EXPECT_EQ(device.AllocateFrameBuffers(2560, 0, 2560, 2008, 0, 2008, 1), 1);
  // Two slots are too few: the producer would have to rewrite the slot it
  // just completed, which the consumer may be taking.
  EXPECT_EQ(device.AllocateFrameBuffers(2560, 0, 2560, 2008, 0, 2008, 2), 1);
  // A region starting before the buffer would be copied from before it.
  EXPECT_EQ(device.AllocateFrameBuffers(100, -1, 50, 10, 0, 10, 4), 3);
  EXPECT_EQ(device.AllocateFrameBuffers(100, 0, 100, 10, -2, 10, 4), 4);
  EXPECT_EQ(device.AllocateFrameBuffers(100, 0, 101, 10, 0, 10, 4), 3);
  EXPECT_EQ(device.AllocateFrameBuffers(0, 0, 0, 10, 0, 10, 4), 3);
  EXPECT_EQ(device.AllocateFrameBuffers(100, 0, 100, 10, 1, 10, 4), 4);
  EXPECT_EQ(device.AllocateFrameBuffers(100, 0, 100, 0, 0, 0, 4), 4);
  EXPECT_EQ(device.RingCount(), 4);  // refused requests leave the old buffers
  EXPECT_EQ(device.TransferSize(), 5140480);
  EXPECT_NE(device.RingBuffer(3), nullptr);

  ASSERT_EQ(device.AllocateFrameBuffers(1339, 50, 1280, 1040, 10, 1028, 3), 0);
  EXPECT_EQ(device.ExactTransferBytes(), 1389882);
  EXPECT_EQ(device.TransferSize(), 1390592);
  EXPECT_EQ(device.RingBufferSize(), 2 * 1390592);
  EXPECT_EQ(device.RingCount(), 3);
}

TEST_F(FrameEngineTest, TheSameGeometryAgainKeepsItsBuffersAndStillSendsTheTransferSize) {
  // Every acquisition start sets the geometry again; buffers of that
  // geometry are kept rather than freed, allocated and zeroed once more.
  TestDevice device;
  ASSERT_EQ(device.AllocateFrameBuffers(2560, 0, 2560, 2008, 0, 2008, 4), 0);
  const uint8_t marker[4] = {0xDE, 0xAD, 0xBE, 0xEF};
  // The driver fills the ring; here the test stands in for it.
  for (int i = 0; i < 4; ++i) std::memcpy(const_cast<uint8_t*>(device.RingBuffer(i)), marker, 4);
  KorvexHost_SimClearTraffic();
  ASSERT_EQ(device.AllocateFrameBuffers(2560, 0, 2560, 2008, 0, 2008, 4), 0);
  EXPECT_EQ(CommandPackets(),
            std::vector<std::vector<uint8_t>>{Packet({0x09, 0x00, 0x70, 0x4E, 0x00})});
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(std::memcmp(device.RingBuffer(i), marker, 4), 0) << "slot " << i;
  EXPECT_EQ(device.TransferSize(), 5140480);
  EXPECT_EQ(device.RingBufferSize(), 10280960);

  // Another geometry gets fresh, zeroed buffers.
  ASSERT_EQ(device.AllocateFrameBuffers(2560, 0, 2560, 2008, 0, 2008, 3), 0);
  EXPECT_EQ(device.RingCount(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(device.RingBuffer(i)[0], 0) << "slot " << i;
}

TEST_F(FrameEngineTest, RingIndexRules) {
  EXPECT_EQ(CKVXSdkLib::NextWriteIndex(0, 1, 4), 2);  // skips the consumer's slot
  EXPECT_EQ(CKVXSdkLib::NextWriteIndex(3, 0, 4), 1);  // wraps, then skips
  EXPECT_EQ(CKVXSdkLib::NextWriteIndex(3, 2, 4), 0);
  EXPECT_EQ(CKVXSdkLib::PendingFrames(0, 3, 4), 1);  // write behind read: unwrapped
  EXPECT_EQ(CKVXSdkLib::NewestFrameIndex(0 + 4, 4), 3);
  EXPECT_EQ(CKVXSdkLib::NewestFrameIndex(0, 4), 3);
  EXPECT_EQ(CKVXSdkLib::PendingFrames(2, 2, 4), 0);
  EXPECT_EQ(CKVXSdkLib::PendingFrames(3, 1, 4), 2);
  EXPECT_EQ(CKVXSdkLib::NewestFrameIndex(3, 4), 2);
  // With the smallest ring the producer moves on from the slot it completed
  // and never onto the consumer's.
  for (int write = 0; write < 3; ++write)
    for (int read = 0; read < 3; ++read) {
      const int next = CKVXSdkLib::NextWriteIndex(write, read, 3);
      EXPECT_NE(next, write) << write << "," << read;
      EXPECT_NE(next, read) << write << "," << read;
    }
}

TEST_F(FrameEngineTest, CopyRawFrameCutsTheRegion) {
  TestDevice device;
  ASSERT_EQ(device.AllocateFrameBuffers(8, 2, 3, 6, 1, 4, 3), 0);
  std::vector<uint8_t> src(device.RingBufferSize());
  for (size_t i = 0; i < src.size(); ++i) src[i] = static_cast<uint8_t>(i);
  std::vector<uint8_t> out(12, 0xEE);
  ASSERT_EQ(device.CopyRawFrame(out.data(), src.data()), 0);
  EXPECT_EQ(out, (std::vector<uint8_t>{10, 11, 12, 18, 19, 20, 26, 27, 28, 34, 35, 36}));
  EXPECT_EQ(device.CopyRawFrame(nullptr, src.data()), 14);
  EXPECT_EQ(device.GetSingleFrame(nullptr), 14);
  EXPECT_EQ(device.GetStreamFrame(nullptr), 14);
}

TEST_F(FrameEngineTest, RefusedRawCopiesAreFailures) {
  TestDevice device;
  // A first column so far out that the region ends past the buffers.
  ASSERT_EQ(device.AllocateFrameBuffers(8, 5000, 3, 6, 1, 4, 3), 0);
  std::vector<uint8_t> out(64);
  EXPECT_EQ(device.GetSingleFrame(out.data()), 4);
  EXPECT_EQ(device.GetStreamFrame(out.data()), 4);
}

TEST_F(FrameEngineTest, SingleFramesMatchTheCameraByteForByte) {
  CKorvex740K3XLNSdk model;
  std::vector<uint8_t> out(2 * kByteFrame), expected(2 * kByteFrame);
  ASSERT_EQ(model.CaptureSingleFrame(), 0);
  ASSERT_EQ(model.GetSingleFrame(out.data()), 0);
  ASSERT_EQ(KorvexHost_SimRenderFrame(0, 0, expected.data(), kByteFrame), kByteFrame);
  EXPECT_EQ(0, std::memcmp(out.data(), expected.data(), kByteFrame));

  model.SetWordMode(true);
  model.SetWindow(0, 0, 3000, 3000, 0);
  KorvexHost_SimClearTraffic();
  ASSERT_EQ(model.CaptureSingleFrame(), 0);
  const auto log = testing::Traffic();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back().code, IOCTL_LARGE_PIPE_IN_DIRECT);
  EXPECT_EQ(log.back().outLength, 2 * kByteFrame);
  ASSERT_EQ(model.GetSingleFrame(out.data()), 0);
  ASSERT_EQ(KorvexHost_SimRenderFrame(0, 1, expected.data(), 2 * kByteFrame), 2 * kByteFrame);
  EXPECT_EQ(out, expected);

  // A frame supplied by the program arrives unchanged.
  std::vector<uint8_t> supplied(2 * kByteFrame);
  for (size_t i = 0; i < supplied.size(); ++i) supplied[i] = static_cast<uint8_t>(i * 7 + 3);
  KorvexHost_SimSetRawFrame(0, supplied.data(), supplied.size());
  ASSERT_EQ(model.CaptureSingleFrame(), 0);
  model.GetSingleFrame(out.data());
  EXPECT_EQ(out, supplied);
  EXPECT_EQ(KorvexHost_SimOpenHandles(0), 1u);  // the capture handle stays open
  model.CloseCaptureHandle();
  EXPECT_EQ(KorvexHost_SimOpenHandles(0), 0u);
}

TEST_F(FrameEngineTest, FailedSingleFrameClosesTheHandle) {
  CKorvex740K3XLNSdk model;
  KorvexHost_SimSetFault(0, KORVEX_SIM_FAULT_SHORT_TRANSFER, 2, 1);
  EXPECT_EQ(model.CaptureSingleFrame(), 19);
  EXPECT_EQ(model.SingleCaptureStatus(), 19);
  EXPECT_EQ(KorvexHost_SimOpenHandles(0), 0u);
  EXPECT_EQ(model.CaptureSingleFrame(), 0);  // reopens
  KorvexHost_SimUnplug(0);
  EXPECT_EQ(model.CaptureSingleFrame(), 19);
  EXPECT_EQ(model.CaptureSingleFrame(), 10);
}

TEST_F(FrameEngineTest, StreamRunsStopsAndStartsAgain) {
  CKorvex740K3XLNSdk model;
  EXPECT_EQ(model.StopStreaming(), 0);  // idle: nothing to do
  EXPECT_EQ(model.WaitForFrame(), 0);
  std::vector<uint8_t> first(kByteFrame), second(kByteFrame);
  for (int run = 0; run < 2; ++run) {
    ASSERT_EQ(model.StartStreaming(), 0);
    EXPECT_EQ(model.StartStreaming(), 21);
    ASSERT_TRUE(NextFrame(model, first.data()));
    ASSERT_TRUE(NextFrame(model, second.data()));
    EXPECT_NE(first, second);  // the scene moves
    EXPECT_EQ(model.StopStreaming(), 0);
    EXPECT_GE(model.StreamFrameCount(), 2);
    EXPECT_EQ(model.WaitForFrame(), 0);
    EXPECT_EQ(KorvexHost_SimOpenHandles(0), 0u);
  }
  // The streaming loop requests frames with the OUT code on pipe 0 and takes
  // them with the large-transfer code.
  bool sawRequest = false, sawFrame = false;
  for (const KorvexSimTraffic& t : testing::Traffic()) {
    if (t.pipe == 0 && t.code == IOCTL_PIPE_OUT_DIRECT && t.packet[0] == 0x02) sawRequest = true;
    if (t.pipe == 2) {
      EXPECT_EQ(t.code, IOCTL_LARGE_PIPE_IN_DIRECT);
      EXPECT_EQ(t.outLength, kByteFrame);
      sawFrame = true;
    }
  }
  EXPECT_TRUE(sawRequest && sawFrame);
}

// Stamps each frame with its number, to see which frame the consumer got.
void StampFrameNumber(void*, uint32_t frameNumber, int, uint8_t* buffer, size_t length) {
  if (length >= 4) std::memcpy(buffer, &frameNumber, 4);
}

TEST_F(FrameEngineTest, ConsumerNeverGetsTheSameFrameTwiceOrAnOlderOne) {
  CKorvex740K3XLNSdk model;
  KorvexHost_SimSetFrameCallback(0, StampFrameNumber, nullptr);
  ASSERT_EQ(model.StartStreaming(), 0);
  std::vector<uint8_t> frame(kByteFrame);
  uint32_t previous = 0;
  for (int i = 0; i < 200; ++i) {
    ASSERT_TRUE(NextFrame(model, frame.data()));
    uint32_t number;
    std::memcpy(&number, frame.data(), 4);
    if (i > 0) {
      ASSERT_GT(number, previous) << "frame " << i;
    }
    previous = number;
  }
  EXPECT_EQ(model.StopStreaming(), 0);
  KorvexHost_SimSetFrameCallback(0, nullptr, nullptr);
}

TEST_F(FrameEngineTest, OneShortTransferPerRunIsForgiven) {
  CKorvex740K3XLNSdk model;
  std::vector<uint8_t> frame(kByteFrame);
  KorvexHost_SimSetFault(0, KORVEX_SIM_FAULT_SHORT_TRANSFER, 2, 1);
  ASSERT_EQ(model.StartStreaming(), 0);
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(NextFrame(model, frame.data()));
  EXPECT_EQ(model.StopStreaming(), 0);

  KorvexHost_SimSetFault(0, KORVEX_SIM_FAULT_SHORT_TRANSFER, 2, 2);
  ASSERT_EQ(model.StartStreaming(), 0);
  EXPECT_TRUE(RunEnds(model));
  EXPECT_EQ(model.WaitForFrame(), 1);  // until stopped
  EXPECT_EQ(model.StreamStatus(), 19);
  EXPECT_EQ(model.StopStreaming(), 19);
  EXPECT_EQ(model.WaitForFrame(), 0);
  ASSERT_EQ(model.StartStreaming(), 0);  // a new run has its allowance again
  ASSERT_TRUE(NextFrame(model, frame.data()));
  EXPECT_EQ(model.StopStreaming(), 0);
}

TEST_F(FrameEngineTest, UnplugDuringAStreamEndsTheRun) {
  CKorvex740K3XLNSdk model;
  std::vector<uint8_t> frame(kByteFrame);
  ASSERT_EQ(model.StartStreaming(), 0);
  ASSERT_TRUE(NextFrame(model, frame.data()));
  KorvexHost_SimUnplug(0);
  EXPECT_TRUE(RunEnds(model));
  EXPECT_EQ(model.StopStreaming(), 19);
  EXPECT_EQ(model.StartStreaming(), 0);  // no device: the thread ends at once
  for (int i = 0; i < 2000 && model.Streaming(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_EQ(model.StreamStatus(), 10);
  EXPECT_EQ(model.WaitForFrame(), CKVXSdkLib::kStreamEnded) << "a run that never opened failed";
  EXPECT_EQ(model.StopStreaming(), 10);
  EXPECT_EQ(model.WaitForFrame(), CKVXSdkLib::kStreamIdle) << "stopped: nothing to report";
}

TEST_F(FrameEngineTest, StopReturnsWithinTheTimeoutWhenTheDriverStalls) {
  CKorvex740K3XLNSdk model;
  constexpr int kTimeoutMs = 300;
  model.SetTransferTimeout(kTimeoutMs);
  std::vector<uint8_t> frame(kByteFrame);
  ASSERT_EQ(model.StartStreaming(), 0);
  ASSERT_TRUE(NextFrame(model, frame.data()));
  // From now on every frame transfer hangs until the driver's time-out.
  KorvexHost_SimSetFault(0, KORVEX_SIM_FAULT_STALL_STREAM, 0, -1);
  // A transfer already in flight still ends; on a loaded machine (and under
  // ThreadSanitizer) that can take over 100 ms, so wait until the count has
  // held still for 250 ms. Whether or not the stalled transfer has reached
  // its time-out by then, it ends the run as a failed transfer.
  uint32_t served = KorvexHost_SimFramesServed(0);
  auto stillSince = Clock::now();
  bool stalled = false;
  for (const auto giveUp = Clock::now() + std::chrono::seconds(10);
       !stalled && Clock::now() < giveUp;) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const uint32_t now = KorvexHost_SimFramesServed(0);
    if (now != served) {
      served = now;
      stillSince = Clock::now();
    }
    stalled = Clock::now() - stillSince >= std::chrono::milliseconds(250);
  }
  ASSERT_TRUE(stalled) << "the stream is stalled";
  const auto start = Clock::now();
  const int status = model.StopStreaming();
  const auto waited = Clock::now() - start;
  // The stalled transfer ends at its time-out as a failed transfer, which is
  // the run's status; the stop waits for that, not for the default time-out
  // (3 s), with room for a slow machine in between.
  EXPECT_EQ(status, 19);
  EXPECT_LT(waited, std::chrono::milliseconds(2500));
  EXPECT_EQ(model.WaitForFrame(), 0) << "stopped";
  KorvexHost_SimSetFault(0, KORVEX_SIM_FAULT_STALL_STREAM, 0, 0);
  ASSERT_EQ(model.StartStreaming(), 0);
  EXPECT_TRUE(NextFrame(model, frame.data())) << "a new run streams again";
  EXPECT_EQ(model.StopStreaming(), 0);
}

TEST_F(FrameEngineTest, TriggerModeReleasesOneFramePerTrigger) {
  CKorvex740K3XLNSdk model;
  model.SetTransferTimeout(100);
  ASSERT_TRUE(model.SetTriggerMode(true));
  EXPECT_EQ(model.CaptureSingleFrame(), 19);  // no trigger: the transfer times out
  KorvexHost_SimTrigger(0);
  KorvexHost_SimTrigger(0);
  EXPECT_EQ(model.CaptureSingleFrame(), 0);
  EXPECT_EQ(model.CaptureSingleFrame(), 0);
  EXPECT_EQ(model.CaptureSingleFrame(), 19);

  // A trigger given while the transfer waits releases it.
  std::thread trigger([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    KorvexHost_SimTrigger(0);
  });
  model.SetTransferTimeout(2000);
  EXPECT_EQ(model.CaptureSingleFrame(), 0);
  trigger.join();
  ASSERT_TRUE(model.SetTriggerMode(false));
  EXPECT_EQ(model.CaptureSingleFrame(), 0);
}

}  // namespace
}  // namespace korvex
