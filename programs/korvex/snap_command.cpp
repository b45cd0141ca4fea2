// snap: one frame, processed in the chosen colour mode, saved to a file.
#include "commands.h"
#include "host_seam.h"
#include "parameters.h"
#include "save_formats.h"
#include "session.h"

#include <cstdio>

namespace korvex::tool {

int RunSnap(const SnapOptions& o) {
  SaveFormat format{};
  if (!o.format.empty()) {
    if (!FormatByName(o.format, o.quality, &format)) {
      PrintError("unknown --format '" + o.format + "'; use bmp, raw, jpeg, png or tiff");
      return kExitUsage;
    }
  } else if (!FormatByExtension(o.path, o.quality, &format)) {
    PrintError("cannot tell the format of '" + o.path +
               "': end the name in .bmp .raw .jpg .png or .tif, or give --format");
    return kExitUsage;
  }

  Session session;
  if (const int opened = OpenForAcquisition(session, o.common, o.acquisition); opened != kExitOk)
    return opened;
  const KORVEX_HANDLE camera = session.Camera();
  // No buffer: the frame stays in the camera's output image, which the save
  // below writes.
  if (!session.Run("cannot take a snapshot",
                   [&] { return Korvex_SnapShot(camera, nullptr, 0, 1); }))
    return kExitFailed;
  if (!session.Run(
          "cannot write '" + o.path + "'", [&] { return SaveImageTo(camera, o.path, format.code); },
          "check that the folder exists, that you may write there and that the disk "
          "has room"))
    return kExitFailed;

  int ok = 0;
  const int bits = FindParameter("color-mode")->get(camera, &ok);
  uint64_t bytes = 0;
  const bool sized = FileSize(o.path, &bytes);
  std::printf("saved %s (%s, %d x %d, %d bits per pixel, %llu bytes)\n", o.path.c_str(),
              format.label, Korvex_Width(camera), Korvex_Height(camera), bits,
              sized ? static_cast<unsigned long long>(bytes) : 0ull);
  return kExitOk;
}

}  // namespace korvex::tool
