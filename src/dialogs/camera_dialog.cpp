#include "dialogs/camera_dialog.h"

#include "dialogs/control_ids.h"
#include "dialogs/template_table.h"
#include "dialogs/typed_number.h"

#include <iterator>

namespace korvex::dialogs {
namespace {

constexpr int kPresetEdits[] = {ids::kTotalH,     ids::kTotalV, ids::kEffectiveH,
                                ids::kEffectiveV, ids::kStartH, ids::kStartV};

constexpr int32_t SizePreset::*kPresetFields[] = {&SizePreset::TH,  &SizePreset::TV,
                                                  &SizePreset::EH,  &SizePreset::EV,
                                                  &SizePreset::EHS, &SizePreset::EVS};

// A list's selection, or, when it has none (the stored value names no
// entry), the stored value if it is one of the `count` entries' values, else
// the dialog's default.
int32_t Selected(DialogSurface& s, int id, int32_t stored, int count, int32_t fallback) {
  const int selection = s.ListSelection(id);
  if (selection >= 0) return selection;
  return stored >= 0 && stored < count ? stored : fallback;
}

std::string SizeText(const SizePreset& p) { return Format(table::kSizeFormat, p.EH, p.EV); }

bool IsList(int id) {
  return id == ids::kColorList || id == ids::kSizeList || id == ids::kSubSampleList ||
         id == ids::kClockList;
}

bool IsEdit(int id) {
  for (int e : kPresetEdits) {
    if (e == id) return true;
  }
  return id == ids::kWaitTime;
}

}  // namespace

void CameraDialog::ShowPreset(DialogSurface& s, int index) {
  const SizePreset preset = index >= 0 && index < kMaxSizePresets
                                ? list_.presets[static_cast<size_t>(index)]
                                : SizePreset{};
  for (size_t i = 0; i < std::size(kPresetEdits); ++i)
    s.SetNumber(kPresetEdits[i], preset.*kPresetFields[i], false);
}

void CameraDialog::OnInit(DialogSurface& s) {
  Opened(s);
  store_.Load(list_);
  // A stored selection outside the list counts as "Custom", so no preset
  // outside the array is ever shown or written.
  if (list_.size < 0 || list_.size > list_.count) list_.size = list_.count;

  s.AddTab(ids::kTab, 0, table::kStreamFormatTab.In(language_));

  s.ClearList(ids::kColorList);
  for (const DualText& t : table::kColorModeTexts)
    s.AddListItem(ids::kColorList, Format(t.In(language_), table::kDeepGrayBits));
  s.SelectListItem(ids::kColorList, list_.color);

  s.ClearList(ids::kSubSampleList);
  int subSample = 0;
  for (size_t i = 0; i < std::size(table::kSubSampleTexts); ++i) {
    s.AddListItem(ids::kSubSampleList, table::kSubSampleTexts[i].In(language_));
    if (table::kSubSampleValues[i] == list_.subSample) subSample = static_cast<int>(i);
  }
  s.SelectListItem(ids::kSubSampleList, subSample);
  s.Enable(ids::kSubSampleList, false);

  s.ClearList(ids::kClockList);
  for (const DualText& t : table::kClockTexts)
    s.AddListItem(ids::kClockList, Format(t.In(language_), table::kHighClockMHz));
  s.SelectListItem(ids::kClockList, list_.clock);

  s.ClearList(ids::kSizeList);
  for (int i = 0; i < list_.count; ++i)
    s.AddListItem(ids::kSizeList, SizeText(list_.presets[static_cast<size_t>(i)]));
  s.AddListItem(ids::kSizeList, table::kCustomSizeText.In(language_));
  s.SelectListItem(ids::kSizeList, list_.size);

  ShowPreset(s, list_.size);
  s.SetNumber(ids::kWaitTime, list_.waitTime, false);

  s.Enable(ids::kApply, false);
  s.Enable(ids::kClockList, false);
  for (int id : kPresetEdits) s.Enable(id, false);
  s.Enable(ids::kSizeList, false);
  s.Enable(ids::kSubSampleList, false);
}

void CameraDialog::ReadControls(DialogSurface& s) {
  const PresetList defaults;
  list_.color = Selected(s, ids::kColorList, list_.color,
                         static_cast<int>(std::size(table::kColorModeTexts)), defaults.color);
  list_.size = s.ListSelection(ids::kSizeList);
  const int subSample = s.ListSelection(ids::kSubSampleList);
  list_.subSample =
      subSample >= 0 && subSample < static_cast<int>(std::size(table::kSubSampleValues))
          ? table::kSubSampleValues[subSample]
          : 0;
  list_.clock = Selected(s, ids::kClockList, list_.clock,
                         static_cast<int>(std::size(table::kClockTexts)), defaults.clock);
  // A wait time past what the interface holds (INT32_MAX) means the
  // longest; stored as typed it would read back as a negative number.
  bool rewriting = false;
  list_.waitTime = ReadTyped(s, ids::kWaitTime, false, 0, INT32_MAX, list_.waitTime, rewriting);

  SizePreset edited = SizePreset{};
  for (size_t i = 0; i < std::size(kPresetEdits); ++i)
    edited.*kPresetFields[i] = s.Number(kPresetEdits[i], false, nullptr);

  if (list_.size < 0 || list_.size > list_.count) list_.size = list_.count;
  if (list_.size == list_.count) {
    if (list_.count < kMaxSizePresets) {
      // "Custom": the edits become a new preset before the "Custom" entry.
      list_.presets[static_cast<size_t>(list_.count)] = edited;  // Buf keeps 4
      s.InsertListItem(ids::kSizeList, list_.count, SizeText(edited));
      ++list_.count;
    } else {
      // Every preset is in use: the custom size replaces the last one.
      list_.size = kMaxSizePresets - 1;
      SizePreset& last = list_.presets[static_cast<size_t>(list_.size)];
      for (auto field : kPresetFields) last.*field = edited.*field;
      s.DeleteListItem(ids::kSizeList, list_.size);
      s.InsertListItem(ids::kSizeList, list_.size, SizeText(last));
    }
  } else {
    SizePreset& preset = list_.presets[static_cast<size_t>(list_.size)];
    for (auto field : kPresetFields) preset.*field = edited.*field;
    s.DeleteListItem(ids::kSizeList, list_.size);
    s.InsertListItem(ids::kSizeList, list_.size, SizeText(preset));
  }
  s.SelectListItem(ids::kSizeList, list_.size);
  s.Enable(ids::kApply, false);
}

void CameraDialog::OnCommand(DialogSurface& s, int id, Notice notice) {
  if (notice == Notice::kClicked) {
    switch (id) {
      case kIdOk:
        ReadControls(s);
        store_.Save(list_);
        s.End(kIdOk);
        return;
      case kIdCancel: s.End(kIdCancel); return;
      case ids::kApply:
        ReadControls(s);
        store_.Save(list_);
        return;
      default: return;
    }
  }
  if (notice == Notice::kSelectionChanged && IsList(id)) {
    if (id == ids::kSizeList) {
      const int index = s.ListSelection(id);
      if (index >= 0 && index < list_.count) {
        list_.size = index;
        ShowPreset(s, index);
      } else {
        list_.size = list_.count;
      }
    }
    s.Enable(ids::kApply, true);
  } else if (notice == Notice::kEditChanged && IsEdit(id)) {
    s.Enable(ids::kApply, true);
  }
}

}  // namespace korvex::dialogs
