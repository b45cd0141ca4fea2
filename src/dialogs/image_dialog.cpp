#include "dialogs/image_dialog.h"

#include "dialogs/control_ids.h"
#include "dialogs/template_table.h"
#include "dialogs/typed_number.h"

namespace korvex::dialogs {
namespace {

enum class Enable { kAlways, kColour };

struct Row {
  int track, edit, spin;
  int32_t minimum, maximum, tick;
  Setting FilterGroup::*field;
  Enable enable;
};

constexpr Row kFilterRows[] = {
    {2001, 2002, 2004, -255, 255, 64, &FilterGroup::Brightness, Enable::kAlways},
    {2011, 2012, 2014, -127, 127, 32, &FilterGroup::Contrast, Enable::kAlways},
    {2021, 2022, 2024, -360, 360, 90, &FilterGroup::Hue, Enable::kColour},
    {2031, 2032, 2034, -255, 255, 64, &FilterGroup::Saturation, Enable::kColour},
    {2041, 2042, 2044, 0, 30, 4, &FilterGroup::Sharpness, Enable::kAlways},
    {2051, 2052, 2054, 0, 400, 32, &FilterGroup::R_Gain, Enable::kColour},
    {2061, 2062, 2063, 0, 400, 32, &FilterGroup::G_Gain, Enable::kColour},
    {2071, 2072, 2073, 0, 400, 32, &FilterGroup::B_Gain, Enable::kColour},
    {2081, 2082, 2084, 0, 200, 32, &FilterGroup::Gamma, Enable::kAlways},
};

constexpr Row kGrayRows[] = {
    {2100, 2101, 2102, 0, 400, 32, &FilterGroup::GainR1, Enable::kAlways},
    {2103, 2104, 2105, 0, 400, 32, &FilterGroup::GainG1, Enable::kAlways},
    {2106, 2107, 2108, 0, 400, 32, &FilterGroup::GainG2, Enable::kAlways},
    {2109, 2110, 2111, 0, 400, 32, &FilterGroup::GainB1, Enable::kAlways},
    {2112, 2113, 2114, 0, 400, 32, &FilterGroup::OffsetR1, Enable::kAlways},
    {2115, 2116, 2117, 0, 400, 32, &FilterGroup::OffsetG1, Enable::kAlways},
    {2118, 2119, 2120, 0, 400, 32, &FilterGroup::OffsetG2, Enable::kAlways},
    {2121, 2122, 2123, 0, 400, 32, &FilterGroup::OffsetB1, Enable::kAlways},
};

constexpr int kBayerButtons[] = {ids::kBayer0, ids::kBayer1, ids::kBayer2, ids::kBayer3};
constexpr int kGrayModeButtons[] = {ids::kGrayModeBayer, ids::kGrayModeConvert,
                                    ids::kGrayModeGrayscale};

template <size_t N>
const Row* Find(const Row (&rows)[N], int id, int Row::*which) {
  for (const Row& r : rows) {
    if (r.*which == id) return &r;
  }
  return nullptr;
}

template <size_t N>
void InitRows(DialogSurface& s, const Row (&rows)[N], FilterGroup& group, bool colour) {
  for (const Row& r : rows) {
    const int32_t value = (group.*r.field).Get();
    const bool enabled = r.enable == Enable::kAlways || colour;
    s.SetTrackRange(r.track, r.minimum, r.maximum);
    s.SetTrackPosition(r.track, value);
    s.SetTickFrequency(r.track, r.tick);
    s.SetSpinRange(r.spin, r.minimum, r.maximum);
    s.SetSpinPosition(r.spin, value);
    s.SetBuddy(r.spin, r.edit);
    s.SetNumber(r.edit, value, true);
    s.Enable(r.track, enabled);
    s.Enable(r.spin, enabled);
    s.Enable(r.edit, enabled);
  }
}

template <size_t N>
void ShowRows(DialogSurface& s, const Row (&rows)[N], FilterGroup& group) {
  for (const Row& r : rows) {
    const int32_t value = (group.*r.field).Get();
    s.SetTrackPosition(r.track, value);
    s.SetNumber(r.edit, value, true);
  }
}

// The row's value as its edit holds it, typed numbers clamped to the row's
// range.
int32_t RowValue(DialogSurface& s, const Row& row, FilterGroup& group, bool& rewriting) {
  return ReadTyped(s, row.edit, true, row.minimum, row.maximum, (group.*row.field).Get(),
                   rewriting);
}

// An edit changed; true when it was one of the rows.
template <size_t N>
bool RowCommand(DialogSurface& s, const Row (&rows)[N], FilterGroup& group, int id, Notice notice,
                bool initialised, bool& rewriting) {
  const Row* row = Find(rows, id, &Row::edit);
  if (row == nullptr) return false;
  // An edit that clamping rewrites is stored by the change being handled.
  if (notice == Notice::kEditChanged && initialised && !rewriting) {
    const int32_t value = RowValue(s, *row, group, rewriting);
    (group.*row->field) = value;
    s.SetTrackPosition(row->track, value);
  }
  return true;
}

template <size_t N>
void RowScroll(DialogSurface& s, const Row (&rows)[N], FilterGroup& group, int id) {
  if (const Row* row = Find(rows, id, &Row::track)) {
    const int32_t value = s.TrackPosition(id);
    (group.*row->field) = value;
    s.SetNumber(row->edit, value, true);
  }
}

template <size_t N>
void CommitRows(DialogSurface& s, const Row (&rows)[N], FilterGroup& group, bool& rewriting) {
  for (const Row& r : rows) (group.*r.field) = RowValue(s, r, group, rewriting);
}

void TickOne(DialogSurface& s, const int* buttons, int count, int32_t value) {
  for (int i = 0; i < count; ++i) s.SetChecked(buttons[i], i == value);
}

int IndexOf(const int* buttons, int count, int id) {
  for (int i = 0; i < count; ++i) {
    if (buttons[i] == id) return i;
  }
  return -1;
}

}  // namespace

FilterEnables FilterEnables::ForColorMode(int32_t color) {
  const std::optional<ColorMode> mode = ColorModeOf(color);
  const bool colour = mode && !IsGray(*mode);
  return FilterEnables{colour, colour, mode && IsGray(*mode)};
}

// ---- image filter page ----------------------------------------------------------

void ImageFilterPage::OnInit(DialogSurface& s) {
  initialised_ = false;
  InitRows(s, kFilterRows, group_, enables_.colourRows);
  s.Enable(ids::kOnce, enables_.whiteBalance);
  s.Enable(ids::kAllFrames, enables_.whiteBalance);
  for (int id : kBayerButtons) s.Enable(id, enables_.whiteBalance);
  ShowBayerMode(s);
  initialised_ = true;
}

void ImageFilterPage::OnCommand(DialogSurface& s, int id, Notice notice) {
  if (RowCommand(s, kFilterRows, group_, id, notice, initialised_, rewriting_)) return;
  if (notice != Notice::kClicked) return;
  if (const int mode = IndexOf(kBayerButtons, 4, id); mode >= 0) {
    group_.BayerMode = mode;
    if (bayerModePicked) bayerModePicked();
  } else if (id == ids::kAllFrames) {
    // Continuous white balance, or none.
    group_.BayerGainAuto = s.Checked(id) ? 1 : 0;
    group_.BayerGainOnce1 = 0;
    group_.BayerGainOnce2 = 0;
  } else if (id == ids::kOnce) {
    group_.BayerGainAuto = 1;
    group_.BayerGainOnce1 = 1;
    group_.BayerGainOnce2 = 1;
    s.SetChecked(ids::kAllFrames, false);
  }
}

void ImageFilterPage::OnScroll(DialogSurface& s, int id) { RowScroll(s, kFilterRows, group_, id); }

void ImageFilterPage::Show(DialogSurface& s) {
  ShowRows(s, kFilterRows, group_);
  ShowBayerMode(s);
}

void ImageFilterPage::ShowBayerMode(DialogSurface& s) {
  TickOne(s, kBayerButtons, 4, group_.BayerMode);
}

// The Bayer mode is not read from this page's buttons: every click on them,
// or on the gray page's, has stored it already, and in the monochrome modes
// only the gray page's can be clicked.
void ImageFilterPage::Commit(DialogSurface& s) { CommitRows(s, kFilterRows, group_, rewriting_); }

// ---- gray page ------------------------------------------------------------------

void GrayPage::OnInit(DialogSurface& s) {
  initialised_ = false;
  InitRows(s, kGrayRows, group_, true);
  TickOne(s, kGrayModeButtons, 3, group_.Mode);
  ShowBayerMode(s);
  initialised_ = true;
}

void GrayPage::OnCommand(DialogSurface& s, int id, Notice notice) {
  if (RowCommand(s, kGrayRows, group_, id, notice, initialised_, rewriting_)) return;
  if (notice != Notice::kClicked) return;
  if (const int mode = IndexOf(kBayerButtons, 4, id); mode >= 0) {
    group_.BayerMode = mode;
    if (bayerModePicked) bayerModePicked();
  } else if (const int gray = IndexOf(kGrayModeButtons, 3, id); gray >= 0) {
    group_.Mode = gray;
  } else if (id == ids::kAllFrames) {
    // Continuous calibration on and off.
    group_.GrayCalibrate = group_.GrayCalibrate == 0 ? -1 : 0;
  } else if (id == ids::kOnce) {
    group_.GrayCalibrate = 1;
  }
}

void GrayPage::OnScroll(DialogSurface& s, int id) { RowScroll(s, kGrayRows, group_, id); }

void GrayPage::Show(DialogSurface& s) {
  ShowRows(s, kGrayRows, group_);
  ShowBayerMode(s);
}

void GrayPage::ShowBayerMode(DialogSurface& s) { TickOne(s, kBayerButtons, 4, group_.BayerMode); }

void GrayPage::Commit(DialogSurface& s) { CommitRows(s, kGrayRows, group_, rewriting_); }

// ---- sheet ----------------------------------------------------------------------

ImageSheet::ImageSheet(FilterGroup& group, FilterEnables enables, Language language)
    : group_(group),
      enables_(enables),
      language_(language),
      filterPage_(group, enables),
      grayPage_(group) {
  // Both pages have Bayer mode buttons: a pick on either shows on both.
  auto showBoth = [this] {
    if (filterSurface_) filterPage_.ShowBayerMode(*filterSurface_);
    if (graySurface_) grayPage_.ShowBayerMode(*graySurface_);
  };
  filterPage_.bayerModePicked = showBoth;
  grayPage_.bayerModePicked = showBoth;
}

void ImageSheet::OnInit(DialogSurface& s) {
  Opened(s);
  s.AddTab(ids::kTab, 0, table::kImageFilterTab.In(language_));
  filterSurface_ = s.CreatePage(TemplateFor(DialogRole::kImageFilterPage, language_), ids::kTab, 30,
                                25, filterPage_);
  if (filterSurface_) filterSurface_->Show(true);
  if (enables_.grayTab) {
    s.AddTab(ids::kTab, 1, table::kGrayFilterTab.In(language_));
    graySurface_ =
        s.CreatePage(TemplateFor(DialogRole::kGrayPage, language_), ids::kTab, 30, 25, grayPage_);
    if (graySurface_) graySurface_->Show(false);
  }
}

void ImageSheet::OnCommand(DialogSurface& s, int id, Notice notice) {
  if (notice != Notice::kClicked) return;
  switch (id) {
    case kIdOk:
      if (filterSurface_) filterPage_.Commit(*filterSurface_);
      if (graySurface_) grayPage_.Commit(*graySurface_);
      s.End(kIdOk);
      return;
    case kIdCancel: s.End(kIdCancel); return;
    case kIdDefault:
      group_.Brightness = 0;
      group_.Contrast = 0;
      group_.Hue = 0;
      group_.Saturation = 0;
      group_.Sharpness = 0;
      group_.R_Gain = 100;
      group_.G_Gain = 100;
      group_.B_Gain = 100;
      group_.Gamma = 100;
      group_.BayerMode = 1;
      if (filterSurface_) filterPage_.Show(*filterSurface_);
      if (graySurface_) {
        group_.GainR1 = 128;
        group_.GainG1 = 128;
        group_.GainG2 = 128;
        group_.GainB1 = 128;
        group_.OffsetR1 = 0;
        group_.OffsetG1 = 0;
        group_.OffsetG2 = 0;
        group_.OffsetB1 = 0;
        grayPage_.Show(*graySurface_);
      }
      return;
    default: return;
  }
}

void ImageSheet::OnTabChanged(DialogSurface& s, int id) {
  if (id != ids::kTab) return;
  const bool gray = s.TabSelection(id) == 1;
  if (filterSurface_) filterSurface_->Show(!gray);
  if (graySurface_) graySurface_->Show(gray);
}

void ImageSheet::Refresh() {
  if (filterSurface_) filterPage_.Show(*filterSurface_);
  if (graySurface_) grayPage_.Show(*graySurface_);
}

}  // namespace korvex::dialogs
