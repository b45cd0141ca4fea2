// The viewer's texts. Each row holds one text in both languages, so that a
// text can never exist in one language only; the rows follow the order of
// the Text enumeration, which the static_assert and the look-up check.
#include "texts.h"

#include <windows.h>

#include <iterator>

namespace korvex::viewer {
namespace {

struct Row {
  Text id;
  const wchar_t* english;
  const wchar_t* japanese;
};

// Filter lists of the Save As dialogs: '|' separates the entries and is
// turned into the NUL characters the dialog wants. The order of the image
// formats is the order of the save codes the viewer maps them to.
constexpr Row kRows[] = {
    {Text::kAppTitle, L"Korvex Viewer", L"Korvex ビューア"},
    {Text::kMenuFile, L"&File", L"ファイル(&F)"},
    {Text::kMenuSnapshot, L"&Snapshot...\tCtrl+S", L"スナップショット(&S)...\tCtrl+S"},
    {Text::kMenuRecord, L"&Record...\tCtrl+R", L"録画(&R)...\tCtrl+R"},
    {Text::kMenuStopRecording, L"S&top recording", L"録画停止(&T)"},
    {Text::kMenuRecordLength, L"Recording &length", L"録画時間(&L)"},
    {Text::kMenuUntilStopped, L"&Until stopped", L"停止するまで(&U)"},
    {Text::kMenuSeconds10, L"&10 seconds", L"10 秒(&1)"},
    {Text::kMenuSeconds30, L"&30 seconds", L"30 秒(&3)"},
    {Text::kMenuSeconds60, L"&60 seconds", L"60 秒(&6)"},
    {Text::kMenuExit, L"E&xit\tAlt+F4", L"終了(&X)\tAlt+F4"},
    {Text::kMenuView, L"&View", L"表示(&V)"},
    {Text::kMenuLive, L"&Live\tF5", L"ライブ(&L)\tF5"},
    {Text::kMenuZoom, L"&Zoom", L"ズーム(&Z)"},
    {Text::kMenuZoomFit, L"&Fit to window", L"ウィンドウに合わせる(&F)"},
    {Text::kMenuZoom100, L"&100%", L"&100%"},
    {Text::kMenuZoom50, L"&50%", L"&50%"},
    {Text::kMenuZoom25, L"&25%", L"&25%"},
    {Text::kMenuZoomCycle, L"&Next zoom\tZ", L"次のズーム(&N)\tZ"},
    {Text::kMenuHistogram, L"&Histogram\tH", L"ヒストグラム(&H)\tH"},
    {Text::kMenuLogScale, L"L&og scale", L"対数目盛(&O)"},
    {Text::kMenuClipping, L"&Clipped pixels\tC", L"飽和画素(&C)\tC"},
    {Text::kMenuFullScreen, L"F&ull screen\tF11", L"全画面(&U)\tF11"},
    {Text::kMenuCamera, L"&Camera", L"カメラ(&C)"},
    {Text::kMenuNoCamera, L"(no camera)", L"(カメラなし)"},
    {Text::kMenuReconnect, L"R&econnect", L"再接続(&E)"},
    {Text::kMenuCameraDialog, L"&Camera settings...\tCtrl+1", L"カメラ設定(&C)...\tCtrl+1"},
    {Text::kMenuAnalogDialog, L"&Analog gain...\tCtrl+2", L"アナログゲイン(&A)...\tCtrl+2"},
    {Text::kMenuImageDialog, L"&Image filter...\tCtrl+3", L"画像フィルタ(&I)...\tCtrl+3"},
    {Text::kMenuSimulator, L"&Simulator", L"シミュレータ(&S)"},
    {Text::kMenuUnplug, L"&Unplug camera", L"カメラを抜く(&U)"},
    {Text::kMenuPlug, L"&Plug camera in", L"カメラを挿す(&P)"},
    {Text::kMenuFastPace, L"&Fast pace", L"高速ペース(&F)"},
    {Text::kMenuHelp, L"&Help", L"ヘルプ(&H)"},
    {Text::kMenuAbout, L"&About Korvex Viewer...", L"Korvex ビューアについて(&A)..."},
    {Text::kToolLive, L"Live", L"ライブ"},
    {Text::kToolSnapshot, L"Snapshot", L"スナップショット"},
    {Text::kToolRecord, L"Record", L"録画"},
    {Text::kToolStop, L"Stop", L"停止"},
    {Text::kToolZoom, L"Zoom", L"ズーム"},
    {Text::kToolHistogram, L"Histogram", L"ヒストグラム"},
    {Text::kStateLive, L"Live", L"ライブ"},
    {Text::kStateStopped, L"Stopped", L"停止中"},
    {Text::kStateLost, L"camera lost: reconnects when it returns",
     L"カメラが失われました: 戻ると再接続します"},
    {Text::kStateNoCamera, L"No camera", L"カメラなし"},
    {Text::kStateRecording, L"Recording %ls of %ls", L"録画中 %ls / %ls"},
    {Text::kStateRecordingOpen, L"Recording %ls (until stopped)", L"録画中 %ls (停止するまで)"},
    {Text::kStateSaved, L"Saved %ls", L"保存しました: %ls"},
    {Text::kStateRecorded, L"Recorded %ls", L"録画しました: %ls"},
    {Text::kNoCameraMessage,
     L"No camera is connected. Connect a camera, or set KORVEX_SIMULATED_CAMERAS=1 "
     L"before starting the viewer to try the simulated camera.",
     L"カメラが接続されていません。カメラを接続するか、ビューアを起動する前に "
     L"KORVEX_SIMULATED_CAMERAS=1 を設定してシミュレータをお試しください。"},
    {Text::kColorGray8, L"8-bit gray", L"8 ビット グレー"},
    {Text::kColorGray16, L"16-bit gray", L"16 ビット グレー"},
    {Text::kColorColor24, L"24-bit colour", L"24 ビット カラー"},
    {Text::kColorColor32, L"32-bit colour", L"32 ビット カラー"},
    {Text::kColorColor48, L"48-bit colour", L"48 ビット カラー"},
    {Text::kColorColor64, L"64-bit colour", L"64 ビット カラー"},
    {Text::kRate, L"%.1f fps (camera %.1f)", L"%.1f fps (カメラ %.1f)"},
    {Text::kFrames, L"shown %u, dropped %u", L"表示 %u, 破棄 %u"},
    {Text::kExposureGain, L"%.2f ms, gain %d", L"%.2f ms, ゲイン %d"},
    {Text::kFilterImages,
     L"BMP picture (*.bmp)|*.bmp|Raw pixels (*.raw)|*.raw|JPEG, quality 100 (*.jpg)|*.jpg|"
     L"JPEG, quality 70 (*.jpg)|*.jpg|JPEG, quality 20 (*.jpg)|*.jpg|PNG picture (*.png)|*.png|"
     L"TIFF picture (*.tif)|*.tif|",
     L"BMP 画像 (*.bmp)|*.bmp|RAW 画素 (*.raw)|*.raw|JPEG 品質 100 (*.jpg)|*.jpg|"
     L"JPEG 品質 70 (*.jpg)|*.jpg|JPEG 品質 20 (*.jpg)|*.jpg|PNG 画像 (*.png)|*.png|"
     L"TIFF 画像 (*.tif)|*.tif|"},
    {Text::kFilterVideo, L"AVI video (*.avi)|*.avi|", L"AVI 動画 (*.avi)|*.avi|"},
    {Text::kSaveSnapshotTitle, L"Save snapshot as", L"スナップショットの保存"},
    {Text::kRecordTitle, L"Record video as", L"録画の保存"},
    {Text::kSaveFailed, L"Could not save %ls: %ls", L"%ls を保存できません: %ls"},
    {Text::kRecordFailed, L"Could not record %ls: %ls", L"%ls を録画できません: %ls"},
    {Text::kAboutTitle, L"About Korvex Viewer", L"Korvex ビューアについて"},
    {Text::kAboutText, L"Korvex Viewer\nfor the Korvex740K3-XLN camera\n\nSDK version %u.%u.%u.%u",
     L"Korvex ビューア\nKorvex740K3-XLN カメラ用\n\nSDK バージョン %u.%u.%u.%u"},
    {Text::kClipped, L"clipped %.2f %%", L"飽和 %.2f %%"},
    {Text::kOk, L"OK", L"OK"},
    {Text::kErrorCode, L"error code %u", L"エラーコード %u"},
    {Text::kErrNotPossible, L"not possible now (no camera or no picture yet)",
     L"今は実行できません (カメラまたは画像がありません)"},
    {Text::kErrDevice, L"the camera is not available", L"カメラを使用できません"},
    {Text::kErrMemory, L"out of memory", L"メモリが足りません"},
    {Text::kErrFrame, L"no frame came from the camera", L"カメラからフレームが届きません"},
    {Text::kErrFile, L"the file could not be written", L"ファイルを書き込めません"},
    {Text::kErrStreamEnded, L"the camera stopped sending frames",
     L"カメラがフレームの送信を停止しました"},
};
static_assert(std::size(kRows) == static_cast<size_t>(Text::kCount), "one row per text");

constexpr bool RowsInOrder() {
  for (size_t i = 0; i < std::size(kRows); ++i)
    if (kRows[i].id != static_cast<Text>(i)) return false;
  return true;
}
static_assert(RowsInOrder(), "rows follow the Text enumeration");

constexpr LANGID kJapanese = 1041;

}  // namespace

bool JapaneseSystem() {
  static const bool japanese = ::GetSystemDefaultLangID() == kJapanese;
  return japanese;
}

const wchar_t* Tr(Text text) {
  const size_t i = static_cast<size_t>(text);
  if (i >= std::size(kRows)) return L"";
  return JapaneseSystem() ? kRows[i].japanese : kRows[i].english;
}

}  // namespace korvex::viewer

#include "KorvexSdk_740K3_XLN.h"

#include <cwchar>

namespace korvex::viewer {

std::wstring ErrorReason(uint32_t code) {
  struct Reason {
    uint32_t code;
    Text text;
  };
  static constexpr Reason kReasons[] = {
      {KORVEX_ERR_NOT_POSSIBLE, Text::kErrNotPossible},
      {KORVEX_ERR_DEVICE, Text::kErrDevice},
      {KORVEX_ERR_MEMORY, Text::kErrMemory},
      {KORVEX_ERR_FRAME, Text::kErrFrame},
      {KORVEX_ERR_FILE, Text::kErrFile},
      {KORVEX_ERR_STREAM_ENDED, Text::kErrStreamEnded},
  };
  for (const Reason& r : kReasons)
    if (r.code == code) return Tr(r.text);
  wchar_t text[64];
  swprintf(text, 64, Tr(Text::kErrorCode), static_cast<unsigned>(code));
  return text;
}

}  // namespace korvex::viewer
