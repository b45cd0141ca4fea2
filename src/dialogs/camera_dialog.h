// The camera dialog: colour mode, size preset, sub-sampling, wait time and
// clock, edited on the stored copy of these settings. It loads the stored
// presets and per-camera values when it opens and saves them on OK and
// Apply; the launcher then makes the camera reload them after OK. On this
// model only the colour mode and the wait time can be changed.
//
// The dialog knows its controls only by id and reaches the stored settings
// through a PresetStore.
#pragma once

#include "dialogs/modal_dialog.h"
#include "settings/registry_persistence.h"

namespace korvex::dialogs {

// Where the dialog's copy of the settings lives.
class PresetStore {
 public:
  virtual ~PresetStore() = default;
  virtual void Load(PresetList& list) = 0;
  virtual void Save(const PresetList& list) = 0;
};

class CameraDialog final : public ModalDialog {
 public:
  CameraDialog(PresetStore& store, Language language) : store_(store), language_(language) {}

  void OnInit(DialogSurface& surface) override;
  void OnCommand(DialogSurface& surface, int id, Notice notice) override;

 private:
  void ShowPreset(DialogSurface& surface, int index);
  void ReadControls(DialogSurface& surface);

  PresetStore& store_;
  Language language_;
  PresetList list_;
};

}  // namespace korvex::dialogs
