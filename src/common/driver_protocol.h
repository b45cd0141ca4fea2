// The camera driver's protocol, as both ends know it: the I/O control codes,
// the pipes, the 64-byte packets and their command codes, and the device
// paths' index characters. The device layer speaks it to the driver; the
// simulated camera and the host library's driver answer it. Only the names
// are shared: what each command does is each side's own, so the simulated
// camera stays an independent check of the device layer.
#pragma once

#include <cstdint>

namespace korvex::protocol {

// I/O control codes (device type 0x22, any access). The pipe codes carry the
// pipe number as a 4-byte input and the transfer in the output buffer.
inline constexpr uint32_t kPipeOutDirect = 0x22204E;       // METHOD_OUT_DIRECT
inline constexpr uint32_t kPipeInDirect = 0x222051;        // METHOD_IN_DIRECT
inline constexpr uint32_t kLargePipeOutDirect = 0x2220A6;  // METHOD_OUT_DIRECT
inline constexpr uint32_t kLargePipeInDirect = 0x2220A9;   // METHOD_IN_DIRECT
inline constexpr uint32_t kSetTimeout = 0x2220A0;          // METHOD_BUFFERED, 44-byte record

// Pipes: commands to the camera, replies from it, frame data from it.
inline constexpr uint32_t kCommandPipe = 0;
inline constexpr uint32_t kReplyPipe = 1;
inline constexpr uint32_t kFramePipe = 2;

inline constexpr uint32_t kPacketSize = 64;
inline constexpr uint32_t kTimeoutRecordSize = 44;
// The longest frame transfer the ordinary pipe codes carry; longer ones use
// the large-transfer codes.
inline constexpr uint32_t kMaxOrdinaryTransfer = 3071999;

// Byte 0 of a command packet.
enum class Command : uint8_t {
  kPrepareTransfer = 0x01,       // before every capture start
  kRequestFrame = 0x02,          // one frame follows on the frame pipe
  kWriteSensorRegister = 0x04,   // register-write header and data
  kAnnounceTransferSize = 0x09,  // the frame transfer size, 32-bit little-endian
  kTransferWidth = 0x0A,         // byte (0) or word (1) pixels
  kWriteControllerRegister = 0x25,
  kReadControllerRegister = 0x26,
  kWriteSerialBus = 0x40,  // serial ROM write
  kReadSerialBus = 0x41,   // serial ROM write-then-read
};
constexpr uint8_t Byte(Command command) { return static_cast<uint8_t>(command); }

// Characters that name device indices in paths ("\\.\Kvrx740K3XLN-<c>");
// N comes before M.
inline constexpr char kDeviceIndexAlphabet[] = "0123456789ABCDEFGHIJKLNMOPQRSTUVWXYZ";

}  // namespace korvex::protocol
