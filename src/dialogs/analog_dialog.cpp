#include "dialogs/analog_dialog.h"

#include "dialogs/control_ids.h"
#include "dialogs/template_table.h"
#include "dialogs/typed_number.h"

#include <cstdio>

namespace korvex::dialogs {
namespace {

struct Row {
  int track, edit, spin;
  Setting AnalogGroup::*field;
  bool live;  // enabled, with the sensor's range; otherwise 0..0 and disabled
};

constexpr Row kRows[] = {
    {ids::kGainTrack, ids::kGainEdit, ids::kGainSpin, &AnalogGroup::Global, true},
    {ids::kColorG1Track, ids::kColorG1Edit, ids::kColorG1Spin, &AnalogGroup::ColorG1, false},
    {ids::kColorRTrack, ids::kColorREdit, ids::kColorRSpin, &AnalogGroup::ColorR, false},
    {ids::kColorBTrack, ids::kColorBEdit, ids::kColorBSpin, &AnalogGroup::ColorB, false},
    {ids::kColorG2Track, ids::kColorG2Edit, ids::kColorG2Spin, &AnalogGroup::ColorG2, false},
    {ids::kExposureTrack, ids::kExposureEdit, ids::kExposureSpin, &AnalogGroup::Exposure, true},
};

// The row's range is 0 up to this.
int32_t Maximum(const Row& r, AnalogSensor& sensor) {
  return r.field == &AnalogGroup::Global     ? sensor.GainMaximum()
         : r.field == &AnalogGroup::Exposure ? sensor.ExposureMaximum()
                                             : 0;
}

const Row* RowOfEdit(int id) {
  for (const Row& r : kRows) {
    if (r.edit == id) return &r;
  }
  return nullptr;
}

const Row* RowOfTrack(int id) {
  for (const Row& r : kRows) {
    if (r.track == id) return &r;
  }
  return nullptr;
}

}  // namespace

std::string ExposureTimeText(int32_t exposure) {
  const int64_t lines = exposure == 1014 ? 2028 : exposure;
  const double ms =
      (static_cast<double>(kLinePeriodClocks) * static_cast<double>(lines) + kFixedOffsetClocks) *
      kClockPeriodMs;
  char text[64];
  std::snprintf(text, sizeof text, "=%.2fms", ms);
  return text;
}

void AnalogPage::OnInit(DialogSurface& s) {
  initialised_ = false;
  for (const Row& r : kRows) {
    const int32_t maximum = Maximum(r, sensor_);
    const int32_t value = (group_.*r.field).Get();
    s.SetTrackRange(r.track, 0, maximum);
    s.SetTrackPosition(r.track, value);
    s.SetTickFrequency(r.track, maximum / 8);
    s.SetSpinRange(r.spin, 0, maximum);
    s.SetSpinPosition(r.spin, value);
    s.SetBuddy(r.spin, r.edit);
    s.SetNumber(r.edit, value, true);
    s.Enable(r.track, r.live);
    s.Enable(r.spin, r.live);
    s.Enable(r.edit, r.live);
  }
  s.SetChecked(ids::kMirrorV, group_.V_Mirror != 0);
  s.SetChecked(ids::kMirrorH, group_.H_Mirror != 0);
  s.SetChecked(ids::kAutoIrisExposure, group_.AutoIris == 1);
  s.SetChecked(ids::kAutoIrisGain, group_.AutoIris == 2);
  s.SetText(ids::kExposureTime, ExposureTimeText(group_.Exposure));
  initialised_ = true;
}

void AnalogPage::OnCommand(DialogSurface& s, int id, Notice notice) {
  switch (id) {
    case ids::kMirrorV:
      group_.V_Mirror = s.Checked(id) ? 1 : 0;
      sensor_.SetMirrorV(group_.V_Mirror != 0);
      return;
    case ids::kMirrorH:
      group_.H_Mirror = s.Checked(id) ? 1 : 0;
      sensor_.SetMirrorH(group_.H_Mirror != 0);
      return;
    case ids::kAutoIrisGain:
      if (s.Checked(id)) s.SetChecked(ids::kAutoIrisExposure, false);
      group_.AutoIris = s.Checked(id) ? 2 : 0;
      return;
    case ids::kAutoIrisExposure:
      if (s.Checked(id)) s.SetChecked(ids::kAutoIrisGain, false);
      group_.AutoIris = s.Checked(id) ? 1 : 0;
      return;
    default: break;
  }
  const Row* row = RowOfEdit(id);
  // An edit that clamping rewrites is handled by the change that clamped it.
  if (row == nullptr || notice != Notice::kEditChanged || !initialised_ || rewriting_) return;
  // A number typed past the row's ends means that end: it reaches the sensor
  // whole instead of being cut to the bits its register keeps.
  const int32_t value =
      ReadTyped(s, id, true, 0, Maximum(*row, sensor_), (group_.*row->field).Get(), rewriting_);
  (group_.*row->field) = value;
  s.SetTrackPosition(row->track, value);
  if (row->field == &AnalogGroup::Global) sensor_.SetGain(value);
  if (row->field == &AnalogGroup::Exposure) {
    sensor_.SetExposure(value);
    s.SetText(ids::kExposureTime, ExposureTimeText(value));
  }
}

void AnalogPage::OnScroll(DialogSurface& s, int id) {
  if (const Row* row = RowOfTrack(id)) s.SetNumber(row->edit, s.TrackPosition(id), true);
}

void AnalogPage::ShowValue(DialogSurface& s, AnalogField field, int32_t value) {
  s.SetNumber(field == AnalogField::kGain ? ids::kGainEdit : ids::kExposureEdit, value, true);
}

void AnalogPage::Commit(DialogSurface& s) {
  for (const Row& r : kRows) {
    (group_.*r.field) =
        ReadTyped(s, r.edit, true, 0, Maximum(r, sensor_), (group_.*r.field).Get(), rewriting_);
  }
}

void AnalogPage::Default(DialogSurface& s) {
  group_.Global = sensor_.DefaultGain();
  group_.ColorG1 = 0;
  group_.ColorR = 0;
  group_.ColorB = 0;
  group_.ColorG2 = 0;
  group_.Exposure = sensor_.ExposureMaximum();
  sensor_.SetGain(group_.Global);
  sensor_.SetExposure(group_.Exposure);
  for (const Row& r : kRows) {
    const int32_t value = (group_.*r.field).Get();
    s.SetTrackPosition(r.track, value);
    s.SetNumber(r.edit, value, true);
  }
}

void AnalogSheet::OnInit(DialogSurface& s) {
  Opened(s);
  s.AddTab(ids::kTab, 0, table::kAnalogGainTab.In(language_));
  pageSurface_ =
      s.CreatePage(TemplateFor(DialogRole::kAnalogPage, language_), ids::kTab, 30, 25, page_);
  if (pageSurface_) pageSurface_->Show(true);
}

void AnalogSheet::OnCommand(DialogSurface& s, int id, Notice notice) {
  if (notice != Notice::kClicked) return;
  switch (id) {
    case kIdOk:
      if (pageSurface_) page_.Commit(*pageSurface_);
      s.End(kIdOk);
      return;
    case kIdCancel: s.End(kIdCancel); return;
    case kIdDefault:
      if (pageSurface_) page_.Default(*pageSurface_);
      return;
    default: return;
  }
}

void AnalogSheet::OnTabChanged(DialogSurface& s, int id) {
  if (id == ids::kTab && s.TabSelection(id) == 0 && pageSurface_) pageSurface_->Show(true);
}

void AnalogSheet::ShowAutomatic(AnalogField field, int32_t value) {
  if (pageSurface_) AnalogPage::ShowValue(*pageSurface_, field, value);
}

}  // namespace korvex::dialogs
