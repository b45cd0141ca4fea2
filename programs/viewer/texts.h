// Every text the viewer shows, in English and Japanese, as one table
// (texts.cpp). The language follows the system language, as the SDK's own
// dialogs do: a Japanese system (language 1041) gets the Japanese texts, any
// other system the English ones.
#pragma once

namespace korvex::viewer {

enum class Text {
  kAppTitle,
  kMenuFile,
  kMenuSnapshot,
  kMenuRecord,
  kMenuStopRecording,
  kMenuRecordLength,
  kMenuUntilStopped,
  kMenuSeconds10,
  kMenuSeconds30,
  kMenuSeconds60,
  kMenuExit,
  kMenuView,
  kMenuLive,
  kMenuZoom,
  kMenuZoomFit,
  kMenuZoom100,
  kMenuZoom50,
  kMenuZoom25,
  kMenuZoomCycle,
  kMenuHistogram,
  kMenuLogScale,
  kMenuClipping,
  kMenuFullScreen,
  kMenuCamera,
  kMenuNoCamera,
  kMenuReconnect,
  kMenuCameraDialog,
  kMenuAnalogDialog,
  kMenuImageDialog,
  kMenuSimulator,
  kMenuUnplug,
  kMenuPlug,
  kMenuFastPace,
  kMenuHelp,
  kMenuAbout,
  kToolLive,
  kToolSnapshot,
  kToolRecord,
  kToolStop,
  kToolZoom,
  kToolHistogram,
  kStateLive,
  kStateStopped,
  kStateLost,
  kStateNoCamera,
  kStateRecording,      // %ls elapsed, %ls of what: "Recording 0:03 of 0:10"
  kStateRecordingOpen,  // "Recording 0:03 (until stopped)"
  kStateSaved,          // %ls file name
  kStateRecorded,       // %ls file name
  kNoCameraMessage,
  kColorGray8,
  kColorGray16,
  kColorColor24,
  kColorColor32,
  kColorColor48,
  kColorColor64,
  kRate,          // "%.1f fps (camera %.1f)"
  kFrames,        // "shown %u, dropped %u"
  kExposureGain,  // "%.2f ms, gain %d"
  kFilterImages,  // the Save As filter list for snapshots
  kFilterVideo,   // the Save As filter list for recordings
  kSaveSnapshotTitle,
  kRecordTitle,
  kSaveFailed,  // %ls file name, %ls reason
  kRecordFailed,
  kAboutTitle,
  kAboutText,  // %u.%u.%u.%u SDK version
  kClipped,    // "clipped %.2f %%"
  kOk,
  kErrorCode,  // %u: an SDK error code without a text of its own
  kErrNotPossible,
  kErrDevice,
  kErrMemory,
  kErrFrame,
  kErrFile,
  kErrStreamEnded,
  kCount
};

// The text in the system's language. Never null.
const wchar_t* Tr(Text text);

// True when the system language is Japanese (decided once).
bool JapaneseSystem();

}  // namespace korvex::viewer

#include <cstdint>
#include <string>

namespace korvex::viewer {

// The reason for an SDK error code (a KORVEX_ERR_* value) in the system's
// language, for the status line.
std::wstring ErrorReason(uint32_t code);

}  // namespace korvex::viewer
