/* A kernel-mode test driver that serves the simulated cameras through the
 * camera driver's own interface, so that the SDK's Windows DLL can be tested
 * on the path it takes for a customer's camera: CreateFileA on
 * "\\.\Kvrx740K3XLN-<index>", synchronous DeviceIoControl with the five
 * control codes, CloseHandle.
 *
 * One device object "\Device\Kvrx740K3XLN-<c>" and link "\??\Kvrx740K3XLN-<c>"
 * per camera, as many as the service key's "Cameras" value says. Each
 * request is handed, buffers as the I/O manager describes them (the 4-byte
 * pipe number in the system buffer, the transfer in the MDL's buffer), to
 * the same simulated camera model that korvexsim.dll serves
 * (KorvexHost_OpenDevice, KorvexHost_DeviceIoControl, KorvexHost_CloseDevice
 * of src/host/driver.cpp over src/sim): one device model, two ways in. The
 * byte count it reports goes back in IoStatus.Information. A control device
 * of its own (test_driver_control.h) gives test programs the simulator's
 * controls.
 *
 * Under Wine a kernel driver runs in a user process (winedevice.exe), which
 * is why this driver may link the simulator's C++ code and its runtime. It is
 * a test fixture: it must never go into a package or an installer, and it
 * would not load on Windows.
 *
 * Frame transfers (pipe 2) wait for the simulated sensor, so they are
 * completed on a thread of their own: the driver host dispatches requests one
 * at a time, and a waiting frame must not hold up the commands that other
 * threads of the application send meanwhile. */
#include <ntddk.h>

#include "korvex/host_driver.h"
#include "korvex/host_sim.h"
#include "test_driver_control.h"

/* The C++ runtime's start-up, which no C library start code runs here:
 * pseudo relocations, then the static constructors. */
extern void _pei386_runtime_relocator(void);
extern void __main(void);

/* The runtime registers static destructors here. The simulator lives as long
 * as the driver host's process, so they need not run; and the C library's
 * atexit, called through a 32-bit displacement, would be out of reach of an
 * image that the driver host loads far from the C library. */
int atexit(void (*function)(void)) {
  (void)function;
  return 0;
}

#define POOL_TAG 0x7876724Bu /* "Krvx" */
#define PIPE_OUT_DIRECT 0x22204Eu
#define PIPE_IN_DIRECT 0x222051u
#define LARGE_PIPE_OUT_DIRECT 0x2220A6u
#define LARGE_PIPE_IN_DIRECT 0x2220A9u
#define FRAME_PIPE 2u

static const char kIndexAlphabet[] = "0123456789ABCDEFGHIJKLNMOPQRSTUVWXYZ";

typedef struct DeviceExtension {
  BOOLEAN control;
  ULONG index;
  /* Pipe requests being served on threads of their own. */
  volatile LONG inFlight;
  UNICODE_STRING link;
  WCHAR linkBuffer[48];
} DeviceExtension;

typedef struct FrameRequest {
  PIRP irp;
  DeviceExtension* device;
  KorvexHostDevice handle;
  ULONG code;
  ULONG pipe;
  void* buffer;
  ULONG length;
} FrameRequest;

/* Only the dispatch routines and the unload routine, which the driver host
 * runs one at a time, touch these. */
static PDEVICE_OBJECT gCameras[KORVEX_SIM_MAX_CAMERAS];
static PDEVICE_OBJECT gControl;

static NTSTATUS Complete(PIRP irp, NTSTATUS status, ULONG_PTR information) {
  irp->IoStatus.Status = status;
  irp->IoStatus.Information = information;
  IoCompleteRequest(irp, IO_NO_INCREMENT);
  return status;
}

static PFILE_OBJECT FileOf(PIRP irp) {
  PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
  return stack->FileObject != NULL ? stack->FileObject : irp->Tail.Overlay.OriginalFileObject;
}

static ULONG CamerasFromServiceKey(PUNICODE_STRING registryPath) {
  ULONG cameras = 1;
  OBJECT_ATTRIBUTES attributes;
  HANDLE key;
  InitializeObjectAttributes(&attributes, registryPath, OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE,
                             NULL, NULL);
  if (!NT_SUCCESS(ZwOpenKey(&key, KEY_READ, &attributes))) return cameras;
  UNICODE_STRING name;
  RtlInitUnicodeString(&name, L"" KORVEX_TEST_DRIVER_CAMERAS_VALUE);
  union {
    KEY_VALUE_PARTIAL_INFORMATION info;
    UCHAR bytes[sizeof(KEY_VALUE_PARTIAL_INFORMATION) + 8];
  } value;
  ULONG length = 0;
  if (NT_SUCCESS(
          ZwQueryValueKey(key, &name, KeyValuePartialInformation, &value, sizeof value, &length)) &&
      value.info.Type == REG_DWORD && value.info.DataLength == 4) {
    const ULONG n = *(const ULONG*)value.info.Data;
    if (n >= 1 && n <= KORVEX_SIM_MAX_CAMERAS) cameras = n;
  }
  ZwClose(key);
  return cameras;
}

/* Creates a device named `name` with a zeroed extension and its \??\ link
 * `link`, started with the I/O method `ioFlag`. */
static NTSTATUS CreateLinkedDevice(PDRIVER_OBJECT driver, PUNICODE_STRING name, PCWSTR link,
                                   ULONG ioFlag, PDEVICE_OBJECT* created) {
  PDEVICE_OBJECT device;
  NTSTATUS status = IoCreateDevice(driver, sizeof(DeviceExtension), name, FILE_DEVICE_UNKNOWN, 0,
                                   FALSE, &device);
  if (!NT_SUCCESS(status)) return status;
  DeviceExtension* ext = device->DeviceExtension;
  RtlZeroMemory(ext, sizeof *ext);
  ext->link.Buffer = ext->linkBuffer;
  ext->link.MaximumLength = sizeof ext->linkBuffer;
  RtlAppendUnicodeToString(&ext->link, link);
  status = IoCreateSymbolicLink(&ext->link, name);
  if (!NT_SUCCESS(status)) {
    IoDeleteDevice(device);
    return status;
  }
  device->Flags |= ioFlag;
  *created = device;
  return STATUS_SUCCESS;
}

static NTSTATUS CreateCameraDevice(PDRIVER_OBJECT driver, ULONG index) {
  WCHAR c[2] = {(WCHAR)kIndexAlphabet[index], 0};
  WCHAR nameBuffer[48], linkBuffer[48];
  UNICODE_STRING name = {0, sizeof nameBuffer, nameBuffer};
  UNICODE_STRING link = {0, sizeof linkBuffer, linkBuffer};
  RtlAppendUnicodeToString(&name, L"\\Device\\Kvrx740K3XLN-");
  RtlAppendUnicodeToString(&name, c);
  RtlAppendUnicodeToString(&link, L"\\??\\Kvrx740K3XLN-");
  RtlAppendUnicodeToString(&link, c);
  PDEVICE_OBJECT device;
  const NTSTATUS status = CreateLinkedDevice(driver, &name, linkBuffer, DO_DIRECT_IO, &device);
  if (!NT_SUCCESS(status)) return status;
  ((DeviceExtension*)device->DeviceExtension)->index = index;
  device->Flags &= ~DO_DEVICE_INITIALIZING;
  gCameras[index] = device;
  return STATUS_SUCCESS;
}

/* Pulls camera index out: the simulated camera fails every transfer from
 * now on and ends those that wait; once they have completed, the device and
 * its link go away, so the path no longer opens and open handles fail. */
static void UnplugCamera(ULONG index) {
  PDEVICE_OBJECT device = gCameras[index];
  if (device == NULL) return;
  DeviceExtension* ext = device->DeviceExtension;
  KorvexHost_SimUnplug((int)index);
  LARGE_INTEGER millisecond;
  millisecond.QuadPart = -10000;
  while (InterlockedCompareExchange(&ext->inFlight, 0, 0) != 0) {
    KeDelayExecutionThread(KernelMode, FALSE, &millisecond);
  }
  IoDeleteSymbolicLink(&ext->link);
  gCameras[index] = NULL;
  IoDeleteDevice(device);
}

static NTSTATUS Create(PDEVICE_OBJECT device, PIRP irp) {
  DeviceExtension* ext = device->DeviceExtension;
  PFILE_OBJECT file = FileOf(irp);
  if (ext->control) return Complete(irp, STATUS_SUCCESS, 0);
  char path[] = "\\\\.\\Kvrx740K3XLN-?";
  path[sizeof path - 2] = kIndexAlphabet[ext->index];
  KorvexHostDevice handle = KorvexHost_OpenDevice(
      path, KORVEX_HOST_GENERIC_WRITE, KORVEX_HOST_FILE_SHARE_WRITE, KORVEX_HOST_OPEN_EXISTING, 0);
  if (handle == KORVEX_HOST_INVALID_DEVICE || file == NULL) {
    return Complete(irp, STATUS_NO_SUCH_DEVICE, 0);
  }
  file->FsContext = handle;
  return Complete(irp, STATUS_SUCCESS, 0);
}

static NTSTATUS Close(PDEVICE_OBJECT device, PIRP irp) {
  DeviceExtension* ext = device->DeviceExtension;
  PFILE_OBJECT file = FileOf(irp);
  if (!ext->control && file != NULL && file->FsContext != NULL) {
    KorvexHost_CloseDevice((KorvexHostDevice)file->FsContext);
    file->FsContext = NULL;
  }
  return Complete(irp, STATUS_SUCCESS, 0);
}

static NTSTATUS Serve(PIRP irp, KorvexHostDevice handle, ULONG code, const void* in, ULONG inLength,
                      void* out, ULONG outLength) {
  uint32_t returned = 0;
  const int ok = KorvexHost_DeviceIoControl(handle, code, in, inLength, out, outLength, &returned);
  return Complete(irp, ok ? STATUS_SUCCESS : STATUS_UNSUCCESSFUL, ok ? returned : 0);
}

static VOID NTAPI FrameThread(PVOID context) {
  FrameRequest* request = context;
  DeviceExtension* ext = request->device;
  Serve(request->irp, request->handle, request->code, &request->pipe, sizeof request->pipe,
        request->buffer, request->length);
  ExFreePoolWithTag(request, POOL_TAG);
  InterlockedDecrement(&ext->inFlight);
  PsTerminateSystemThread(STATUS_SUCCESS);
}

static NTSTATUS CameraControl(PDEVICE_OBJECT device, PIRP irp) {
  DeviceExtension* ext = device->DeviceExtension;
  PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
  const ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
  const ULONG inLength = stack->Parameters.DeviceIoControl.InputBufferLength;
  const ULONG outLength = stack->Parameters.DeviceIoControl.OutputBufferLength;
  PFILE_OBJECT file = FileOf(irp);
  KorvexHostDevice handle = file != NULL ? (KorvexHostDevice)file->FsContext : NULL;
  const void* in = irp->AssociatedIrp.SystemBuffer;
  void* out = NULL;
  switch (code & 3) {
    case METHOD_IN_DIRECT:
    case METHOD_OUT_DIRECT:
      /* Direct I/O: the transfer buffer is the MDL's, in either direction. */
      if (irp->MdlAddress != NULL) {
        out = MmGetSystemAddressForMdlSafe(irp->MdlAddress, NormalPagePriority);
        if (out == NULL) return Complete(irp, STATUS_INSUFFICIENT_RESOURCES, 0);
      }
      break;
    case METHOD_BUFFERED:
      if (outLength != 0) out = irp->AssociatedIrp.SystemBuffer;
      break;
    default: in = NULL; break;
  }
  const BOOLEAN pipeCode = code == PIPE_OUT_DIRECT || code == PIPE_IN_DIRECT ||
                           code == LARGE_PIPE_OUT_DIRECT || code == LARGE_PIPE_IN_DIRECT;
  if (pipeCode && in != NULL && inLength >= 4 && *(const ULONG*)in == FRAME_PIPE) {
    FrameRequest* request = ExAllocatePoolWithTag(NonPagedPool, sizeof *request, POOL_TAG);
    if (request != NULL) {
      request->irp = irp;
      request->device = ext;
      request->handle = handle;
      request->code = code;
      request->pipe = FRAME_PIPE;
      request->buffer = out;
      request->length = outLength;
      InterlockedIncrement(&ext->inFlight);
      IoMarkIrpPending(irp);
      HANDLE thread;
      if (NT_SUCCESS(PsCreateSystemThread(&thread, THREAD_ALL_ACCESS, NULL, NULL, NULL, FrameThread,
                                          request))) {
        ZwClose(thread);
        return STATUS_PENDING;
      }
      /* No thread: serve it here after all. */
      InterlockedDecrement(&ext->inFlight);
      ExFreePoolWithTag(request, POOL_TAG);
      Serve(irp, handle, code, in, inLength, out, outLength);
      return STATUS_PENDING;
    }
  }
  return Serve(irp, handle, code, in, inLength, out, outLength);
}

static uint32_t ReadIndex(const void* in, ULONG inLength) {
  return in != NULL && inLength >= sizeof(KorvexTestCamera) ? ((const KorvexTestCamera*)in)->index
                                                            : 0xFFFFFFFFu;
}

static NTSTATUS ControlRequest(PIRP irp) {
  PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
  const ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
  const ULONG inLength = stack->Parameters.DeviceIoControl.InputBufferLength;
  const ULONG outLength = stack->Parameters.DeviceIoControl.OutputBufferLength;
  UCHAR* buffer = irp->AssociatedIrp.SystemBuffer;
  const uint32_t index = ReadIndex(buffer, inLength);
  switch (code) {
    case KORVEX_TEST_SET_RAW_FRAME: {
      if (inLength < sizeof(KorvexTestCamera)) return Complete(irp, STATUS_INVALID_PARAMETER, 0);
      const ULONG bytes = inLength - sizeof(KorvexTestCamera);
      const int ok = KorvexHost_SimSetRawFrame((int)index, bytes ? buffer + 4 : NULL, bytes);
      return Complete(irp, ok ? STATUS_SUCCESS : STATUS_NO_SUCH_DEVICE, 0);
    }
    case KORVEX_TEST_UNPLUG:
      if (index >= KORVEX_SIM_MAX_CAMERAS || gCameras[index] == NULL) {
        return Complete(irp, STATUS_NO_SUCH_DEVICE, 0);
      }
      UnplugCamera(index);
      return Complete(irp, STATUS_SUCCESS, 0);
    case KORVEX_TEST_SET_FAULT: {
      if (inLength < sizeof(KorvexTestFault)) return Complete(irp, STATUS_INVALID_PARAMETER, 0);
      const KorvexTestFault* f = (const KorvexTestFault*)buffer;
      const int ok = KorvexHost_SimSetFault((int)f->index, f->fault, f->pipe, f->count);
      return Complete(irp, ok ? STATUS_SUCCESS : STATUS_INVALID_PARAMETER, 0);
    }
    case KORVEX_TEST_SET_FAST_PACE:
      if (inLength < 4) return Complete(irp, STATUS_INVALID_PARAMETER, 0);
      KorvexHost_SimSetFastPace(*(const uint32_t*)buffer != 0);
      return Complete(irp, STATUS_SUCCESS, 0);
    case KORVEX_TEST_GET_TRAFFIC: {
      if (inLength < 4) return Complete(irp, STATUS_INVALID_PARAMETER, 0);
      const size_t first = *(const uint32_t*)buffer;
      KorvexSimTraffic* entries = (KorvexSimTraffic*)buffer;
      const ULONG room = outLength / sizeof(KorvexSimTraffic);
      ULONG n = 0;
      while (n < room && KorvexHost_SimGetTraffic(first + n, &entries[n])) ++n;
      return Complete(irp, STATUS_SUCCESS, n * sizeof(KorvexSimTraffic));
    }
    case KORVEX_TEST_TRAFFIC_COUNT:
      if (outLength < 4) return Complete(irp, STATUS_BUFFER_TOO_SMALL, 0);
      *(uint32_t*)buffer = (uint32_t)KorvexHost_SimTrafficCount();
      return Complete(irp, STATUS_SUCCESS, 4);
    case KORVEX_TEST_CLEAR_TRAFFIC:
      KorvexHost_SimClearTraffic();
      return Complete(irp, STATUS_SUCCESS, 0);
    case KORVEX_TEST_CAMERA_STATE: {
      if (outLength < sizeof(KorvexTestCameraState)) {
        return Complete(irp, STATUS_BUFFER_TOO_SMALL, 0);
      }
      KorvexTestCameraState state;
      state.plugged = (uint32_t)KorvexHost_SimIsPlugged((int)index);
      state.transferTimeoutMs = KorvexHost_SimTransferTimeout((int)index);
      state.framesServed = KorvexHost_SimFramesServed((int)index);
      state.openHandles = KorvexHost_SimOpenHandles((int)index);
      RtlCopyMemory(buffer, &state, sizeof state);
      return Complete(irp, STATUS_SUCCESS, sizeof state);
    }
    default: return Complete(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
  }
}

static NTSTATUS DeviceControl(PDEVICE_OBJECT device, PIRP irp) {
  DeviceExtension* ext = device->DeviceExtension;
  return ext->control ? ControlRequest(irp) : CameraControl(device, irp);
}

static VOID NTAPI Unload(PDRIVER_OBJECT driver) {
  (void)driver;
  for (ULONG i = 0; i < KORVEX_SIM_MAX_CAMERAS; ++i) UnplugCamera(i);
  if (gControl != NULL) {
    DeviceExtension* ext = gControl->DeviceExtension;
    IoDeleteSymbolicLink(&ext->link);
    IoDeleteDevice(gControl);
    gControl = NULL;
  }
}

static NTSTATUS CreateControlDevice(PDRIVER_OBJECT driver) {
  UNICODE_STRING name;
  RtlInitUnicodeString(&name, L"\\Device\\KorvexTestDriverControl");
  PDEVICE_OBJECT device;
  const NTSTATUS status = CreateLinkedDevice(driver, &name, L"\\??\\KorvexTestDriverControl",
                                             DO_BUFFERED_IO, &device);
  if (!NT_SUCCESS(status)) return status;
  ((DeviceExtension*)device->DeviceExtension)->control = TRUE;
  device->Flags &= ~DO_DEVICE_INITIALIZING;
  gControl = device;
  return STATUS_SUCCESS;
}

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registryPath) {
  /* Wine's loader takes an image that imports kernel32.dll, as this one does
   * for the C++ runtime, for an ordinary module and calls its entry point
   * the way it calls a DLL's, with the module handle and a reason code from
   * 0 to 3 in place of the registry path. Those calls are answered "done";
   * the driver host calls again with the real arguments. */
  if ((ULONG_PTR)registryPath <= 3) return 1;
  _pei386_runtime_relocator();
  __main();
  driver->MajorFunction[IRP_MJ_CREATE] = Create;
  driver->MajorFunction[IRP_MJ_CLOSE] = Close;
  driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = DeviceControl;
  driver->DriverUnload = Unload;

  /* The simulator starts with one camera at index 0; plug in the rest. */
  const ULONG cameras = CamerasFromServiceKey(registryPath);
  for (ULONG i = 1; i < cameras; ++i) KorvexHost_SimPlug((int)i);
  NTSTATUS status = CreateControlDevice(driver);
  for (ULONG i = 0; NT_SUCCESS(status) && i < cameras; ++i) {
    status = CreateCameraDevice(driver, i);
  }
  if (!NT_SUCCESS(status)) Unload(driver);
  return status;
}
