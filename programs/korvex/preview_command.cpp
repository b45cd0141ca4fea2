// preview: the live picture for a number of seconds, printing once a second
// the frame rate and what the automatic brightness and white balance have
// settled on. Ctrl-C stops early.
#include "commands.h"
#include "session.h"
#include "stop_signal.h"

#include <chrono>
#include <cstdio>

namespace korvex::tool {
namespace {

void PrintSecond(KORVEX_HANDLE camera, int second, int frames) {
  std::printf(
      "%3d s  %2d fps  gain %4d  exposure %4d lines (%6d us)  white balance "
      "R %3d G %3d B %3d %%\n",
      second, frames, Korvex_GetGlobalGain(camera, nullptr),
      Korvex_GetExposureTime(camera, nullptr), Korvex_GetRealExposureTime(camera, nullptr),
      Korvex_GetBayerGainRed(camera, nullptr), Korvex_GetBayerGainGreen(camera, nullptr),
      Korvex_GetBayerGainBlue(camera, nullptr));
  std::fflush(stdout);
}

}  // namespace

int RunPreview(const PreviewOptions& o) {
  // Written so that "nan" fails too.
  if (!(o.seconds > 0 && o.seconds <= 3600)) {
    PrintError("--seconds must lie above 0 and up to 3600");
    return kExitUsage;
  }
  Session session;
  if (const int opened = OpenForAcquisition(session, o.common, o.acquisition); opened != kExitOk)
    return opened;
  const KORVEX_HANDLE camera = session.Camera();
  if (o.autoBrightness >= 0 && !session.Run("cannot set the automatic brightness", [&] {
        return Korvex_SetAutoIris(camera, static_cast<unsigned>(o.autoBrightness));
      }))
    return kExitFailed;
  if (o.autoWhiteBalance && !session.Run("cannot switch the automatic white balance on",
                                         [&] { return Korvex_SetBayerGainAuto(camera, 1); }))
    return kExitFailed;

  // No display window (the tool only counts), frame notifications to the
  // tool's window and no copy.
  NotifyWindow& window = session.Notifications();
  Korvex_SetPreviewWindow(camera, nullptr, 0, 0, 0, 0);
  if (!session.Run("cannot start the preview",
                   [&] { return Korvex_CallBackPreview(camera, window.Handle(), nullptr, 0, 1); }))
    return kExitFailed;

  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  auto nextReport = start + std::chrono::seconds(1);
  const auto end =
      start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(o.seconds));
  int framesThisSecond = 0, second = 0;
  uint32_t failure = 0;
  while (Clock::now() < end && !StopRequested() && failure == 0) {
    Notification n;
    if (window.Wait(&n, 50) && n.message == KORVEX_WM_FRAME) {
      // wParam 0 is a frame error with its code in lParam.
      if (n.wParam != 0)
        ++framesThisSecond;
      else if (n.lParam == KORVEX_ERR_STREAM_ENDED)
        failure = KORVEX_ERR_STREAM_ENDED;
    }
    if (Clock::now() >= nextReport) {
      PrintSecond(camera, ++second, framesThisSecond);
      framesThisSecond = 0;
      nextReport += std::chrono::seconds(1);
    }
  }
  Korvex_StopPreview(camera);
  if (failure != 0) {
    session.ReportFailure("the preview ended early");
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace korvex::tool
