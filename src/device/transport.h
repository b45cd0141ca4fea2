// The driver transport: device paths, handles, pipe transfers and the
// 64-byte command and reply packets every camera command is built on.
#pragma once

#include "platform/driver.h"

#include <cstdint>

namespace korvex {

using DeviceHandle = platform::DriverHandle;

// I/O control codes of the camera driver (device type 0x22, any access).
constexpr uint32_t IOCTL_PIPE_OUT_DIRECT = 0x22204E;
constexpr uint32_t IOCTL_PIPE_IN_DIRECT = 0x222051;
constexpr uint32_t IOCTL_LARGE_PIPE_OUT_DIRECT = 0x2220A6;
constexpr uint32_t IOCTL_LARGE_PIPE_IN_DIRECT = 0x2220A9;
constexpr uint32_t IOCTL_SET_TIMEOUT = 0x2220A0;

// Pipes: commands to the camera, replies from it, frame data from it.
constexpr uint32_t kCommandPipe = 0;
constexpr uint32_t kReplyPipe = 1;
constexpr uint32_t kFramePipe = 2;

constexpr uint32_t kPacketSize = 64;
constexpr uint32_t kTimeoutRecordSize = 44;
constexpr int kMaxDevices = 32;

// Characters that name device indices in paths; N comes before M.
constexpr char kDeviceIndexAlphabet[] = "0123456789ABCDEFGHIJKLNMOPQRSTUVWXYZ";

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
