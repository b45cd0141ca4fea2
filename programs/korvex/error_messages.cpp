#include "error_messages.h"

#include "KorvexSdk_740K3_XLN.h"

#include <iterator>

namespace korvex::tool {
namespace {

struct Entry {
  uint32_t code;
  ErrorText text;
};

#define KORVEX_ERROR(code_name, summary, advice) \
  {                                              \
    code_name, { #code_name, summary, advice }   \
  }

const Entry kErrors[] = {
    KORVEX_ERROR(KORVEX_ERR_NOT_POSSIBLE, "not possible now",
                 "the camera is not open, is busy in another acquisition mode, or has no "
                 "image yet; stop what is running, take a snapshot first, or reconnect the camera"),
    KORVEX_ERROR(KORVEX_ERR_DEVICE, "camera not available",
                 "check with 'korvex list' that the camera with this number is connected "
                 "and that no other program is streaming from it"),
    KORVEX_ERROR(KORVEX_ERR_WORKER, "the acquisition thread could not start",
                 "the system is short of threads or memory; close other programs and try again"),
    KORVEX_ERROR(KORVEX_ERR_WINDOW, "display window or stored size not available",
                 "the preview window could not be created, or no stored size preset has "
                 "this width and height; use --size instead"),
    KORVEX_ERROR(KORVEX_ERR_MEMORY, "out of memory or buffer too small",
                 "free some memory, or use a smaller image (--size) or colour mode"),
    KORVEX_ERROR(KORVEX_ERR_REFUSED, "the camera refused the request",
                 "check the register number (sensor registers 0 to 191 can be read back) "
                 "and the connection, then try again"),
    KORVEX_ERROR(KORVEX_ERR_GEOMETRY, "invalid image size or position",
                 "width plus left edge must not exceed 2560 and height plus top edge must "
                 "not exceed 2560; choose another --size"),
    KORVEX_ERROR(KORVEX_ERR_FRAME, "no frame came from the camera",
                 "check the cable (and the trigger signal in trigger mode), then try again"),
    KORVEX_ERROR(KORVEX_ERR_ARGUMENT, "invalid value",
                 "the value is outside the accepted range; 'korvex get --help' lists every "
                 "parameter with its range"),
    KORVEX_ERROR(KORVEX_ERR_RESERVED, "reserved error code", "report this to the SDK's developers"),
    KORVEX_ERROR(KORVEX_ERR_UNSUPPORTED, "not supported by this camera model",
                 "this function exists for other models only; leave it out"),
    KORVEX_ERROR(KORVEX_ERR_FILE, "the file could not be opened or the recording did not start",
                 "check that the folder exists, that you may write there and that the disk "
                 "has room"),
    KORVEX_ERROR(KORVEX_ERR_STREAM_ENDED, "the camera stopped sending frames",
                 "check the connection; the camera may have been unplugged"),
};

#undef KORVEX_ERROR

}  // namespace

const ErrorText* FindErrorText(uint32_t code) {
  for (const Entry& e : kErrors)
    if (e.code == code) return &e.text;
  return nullptr;
}

std::string DescribeError(uint32_t code) {
  const ErrorText* text = FindErrorText(code);
  if (text == nullptr) return "unknown error code " + std::to_string(code);
  return std::string(text->summary) + " (" + text->name + "): " + text->advice;
}

}  // namespace korvex::tool
