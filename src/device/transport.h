// The driver transport: device paths, handles, pipe transfers and the
// 64-byte command and reply packets every camera command is built on.
#pragma once

#include "common/driver_protocol.h"
#include "platform/driver.h"

#include <cstdint>

namespace korvex {

using DeviceHandle = platform::DriverHandle;

// The driver's I/O control codes under the names the driver's interface
// gives them, and the rest of the protocol's words.
constexpr uint32_t IOCTL_PIPE_OUT_DIRECT = protocol::kPipeOutDirect;
constexpr uint32_t IOCTL_PIPE_IN_DIRECT = protocol::kPipeInDirect;
constexpr uint32_t IOCTL_LARGE_PIPE_OUT_DIRECT = protocol::kLargePipeOutDirect;
constexpr uint32_t IOCTL_LARGE_PIPE_IN_DIRECT = protocol::kLargePipeInDirect;
constexpr uint32_t IOCTL_SET_TIMEOUT = protocol::kSetTimeout;
using protocol::Byte;
using protocol::Command;
using protocol::kCommandPipe;
using protocol::kDeviceIndexAlphabet;
using protocol::kFramePipe;
using protocol::kPacketSize;
using protocol::kReplyPipe;
using protocol::kTimeoutRecordSize;

constexpr int kMaxDevices = 32;

// Formats "\\.\<model>-<index character>" into out (size bytes). The index
// must be 0..35.
void FormatDevicePath(char* out, int size, const char* model, int index);

// Opens path: 1 with the handle in out; 0 with out null when the open failed;
// 0 with out untouched for a null path.
int OpenDevice(DeviceHandle& out, const char* path);
// Closes h and sets it null: 1; 0 when h was null.
int CloseDevice(DeviceHandle& h);

// One pipe transfer of length bytes through buffer. -2 for a null buffer,
// -3 for a null handle (nothing sent); else 0 when the driver answered TRUE
// and -1 when not, with its byte count in transferred.
int PipeTransfer(DeviceHandle handle, uint32_t pipe, uint32_t length, void* buffer,
                 uint32_t& transferred, bool inDirect);
// The same with the large-transfer codes.
int LargePipeTransfer(DeviceHandle handle, uint32_t pipe, uint32_t length, void* buffer,
                      uint32_t& transferred, bool inDirect);

// Sends a command packet: 0, 10 for a null handle, 12 when the transfer
// failed or moved fewer bytes than length.
int SendPacket(DeviceHandle handle, uint32_t pipe, uint32_t length, void* packet);
// Reads a reply packet over packet: results as SendPacket.
int ReceivePacket(DeviceHandle handle, uint32_t pipe, uint32_t length, void* packet);

}  // namespace korvex
