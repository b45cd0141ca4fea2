// The image filter dialog: a sheet with the "Image Filter" page and, for the
// monochrome colour modes, the "Gray Filter" page. Every change goes into the
// camera's filter group at once, so the next processed frame shows it; the
// launcher restores the whole group when the sheet does not end with OK.
//
// The pages know their controls only by id. Numbers typed past a row's
// range are clamped to it (typed_number.h); the Bayer mode buttons of both
// pages always show the same mode. After the pipeline's white
// balance or gray calibration changed gains, Refresh (show mode) moves every
// control to the current values on the dialog's thread.
#pragma once

#include "common/camera_settings.h"
#include "common/color_mode.h"
#include "dialogs/modal_dialog.h"

#include <functional>

namespace korvex::dialogs {

// Which controls the colour mode allows.
struct FilterEnables {
  bool colourRows = false;    // hue, saturation, R, G, B gain rows
  bool whiteBalance = false;  // "Once", "All frames" and the Bayer mode buttons
  bool grayTab = false;
  static FilterEnables ForColorMode(int32_t color);
};

class ImageFilterPage final : public DialogHandler {
 public:
  ImageFilterPage(FilterGroup& group, FilterEnables enables) : group_(group), enables_(enables) {}
  void OnInit(DialogSurface& surface) override;
  void OnCommand(DialogSurface& surface, int id, Notice notice) override;
  void OnScroll(DialogSurface& surface, int id) override;
  void Show(DialogSurface& surface);  // controls from the group
  void ShowBayerMode(DialogSurface& surface);
  void Commit(DialogSurface& surface);  // edits into the group

  // Called after a click on a Bayer mode button stored the mode.
  std::function<void()> bayerModePicked;

 private:
  FilterGroup& group_;
  FilterEnables enables_;
  bool initialised_ = false;
  bool rewriting_ = false;  // an edit is being set to its clamped number
};

class GrayPage final : public DialogHandler {
 public:
  explicit GrayPage(FilterGroup& group) : group_(group) {}
  void OnInit(DialogSurface& surface) override;
  void OnCommand(DialogSurface& surface, int id, Notice notice) override;
  void OnScroll(DialogSurface& surface, int id) override;
  void Show(DialogSurface& surface);
  void ShowBayerMode(DialogSurface& surface);
  void Commit(DialogSurface& surface);

  // Called after a click on a Bayer mode button stored the mode.
  std::function<void()> bayerModePicked;

 private:
  FilterGroup& group_;
  bool initialised_ = false;
  bool rewriting_ = false;  // an edit is being set to its clamped number
};

class ImageSheet final : public ModalDialog {
 public:
  ImageSheet(FilterGroup& group, FilterEnables enables, Language language);

  void OnInit(DialogSurface& surface) override;
  void OnCommand(DialogSurface& surface, int id, Notice notice) override;
  void OnTabChanged(DialogSurface& surface, int id) override;

  // Show mode: every control of both pages to the group's values. Dialog's
  // thread only.
  void Refresh();

 private:
  FilterGroup& group_;
  FilterEnables enables_;
  Language language_;
  ImageFilterPage filterPage_;
  GrayPage grayPage_;
  DialogSurface* filterSurface_ = nullptr;
  DialogSurface* graySurface_ = nullptr;
};

}  // namespace korvex::dialogs
