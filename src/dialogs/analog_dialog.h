// The analog gain dialog: a sheet with one page, "Analog Gain", on which the
// user sets the global gain, the exposure (with its time read-out), the
// mirrors and the automatic brightness mode of a running camera. Gain,
// exposure and mirror changes go to the sensor at once; the launcher puts
// everything back when the sheet does not end with OK.
//
// The page knows its controls only by id. The automatic brightness loop's
// results arrive through ShowAutomatic on the dialog's thread, and the page
// handles them like the user typing the value. Numbers typed past a row's
// range are clamped to it (typed_number.h).
#pragma once

#include "common/analog_field.h"
#include "common/camera_settings.h"
#include "dialogs/modal_dialog.h"

namespace korvex::dialogs {

// The model driver as the page sees it. Called on the dialog's thread.
class AnalogSensor {
 public:
  virtual ~AnalogSensor() = default;
  virtual void SetGain(int gain) = 0;
  virtual void SetExposure(int exposure) = 0;
  virtual void SetMirrorV(bool on) = 0;
  virtual void SetMirrorH(bool on) = 0;
  virtual int GainMaximum() = 0;      // minimum 0
  virtual int ExposureMaximum() = 0;  // minimum 0
  virtual int DefaultGain() = 0;
};

// "=%.2fms" for an exposure setting (1014 counting as 2028 lines).
std::string ExposureTimeText(int32_t exposure);

class AnalogPage final : public DialogHandler {
 public:
  AnalogPage(AnalogGroup& group, AnalogSensor& sensor) : group_(group), sensor_(sensor) {}

  void OnInit(DialogSurface& surface) override;
  void OnCommand(DialogSurface& surface, int id, Notice notice) override;
  void OnScroll(DialogSurface& surface, int id) override;

  // Writes a value into the edit of a field; the edit change does the rest.
  static void ShowValue(DialogSurface& surface, AnalogField field, int32_t value);
  // OK: reads the six edits into the group.
  void Commit(DialogSurface& surface);
  // Default: gain 512, colour gains 0, exposure maximum, to the sensor and
  // the controls.
  void Default(DialogSurface& surface);

 private:
  AnalogGroup& group_;
  AnalogSensor& sensor_;
  bool initialised_ = false;
  bool rewriting_ = false;  // an edit is being set to its clamped number
};

class AnalogSheet final : public ModalDialog {
 public:
  AnalogSheet(AnalogGroup& group, AnalogSensor& sensor, Language language)
      : page_(group, sensor), language_(language) {}

  void OnInit(DialogSurface& surface) override;
  void OnCommand(DialogSurface& surface, int id, Notice notice) override;
  void OnTabChanged(DialogSurface& surface, int id) override;

  // The automatic brightness loop's new value. Dialog's thread only.
  void ShowAutomatic(AnalogField field, int32_t value);

 private:
  AnalogPage page_;
  Language language_;
  DialogSurface* pageSurface_ = nullptr;
};

}  // namespace korvex::dialogs
