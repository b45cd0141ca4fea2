// The three property dialogs of the camera object: their launchers, which
// prepare the camera, run the dialog on the caller's thread and put things
// back afterwards.
#include "camera/korvex.h"

#include "device/korvex740k3xln_sdk.h"
#include "dialogs/analog_dialog.h"
#include "dialogs/camera_dialog.h"
#include "dialogs/image_dialog.h"
#include "platform/dialog.h"
#include "settings/registry_persistence.h"

#include <array>
#include <optional>

namespace korvex {
namespace {

dialogs::Language CurrentLanguage() { return dialogs::LanguageOf(platform::SystemLanguage()); }

class DriverAnalogSensor final : public dialogs::AnalogSensor {
 public:
  explicit DriverAnalogSensor(CKorvex740K3XLNSdk& driver) : driver_(driver) {}
  void SetGain(int gain) override { driver_.SetGlobalGain(gain); }
  void SetExposure(int exposure) override { driver_.SetExposure(exposure); }
  void SetMirrorV(bool on) override { driver_.SetMirrorV(on); }
  void SetMirrorH(bool on) override { driver_.SetMirrorH(on); }
  int GainMaximum() override { return CKorvex740K3XLNSdk::GainMaximum(); }
  int ExposureMaximum() override { return CKorvex740K3XLNSdk::ExposureMaximum(); }
  int DefaultGain() override { return CKorvex740K3XLNSdk::DefaultGlobalGain(); }

 private:
  CKorvex740K3XLNSdk& driver_;
};

class RegistryPresetStore final : public dialogs::PresetStore {
 public:
  explicit RegistryPresetStore(int cameraNumber) : cameraNumber_(cameraNumber) {}
  void Load(PresetList& list) override { LoadPresetList(list, cameraNumber_); }
  void Save(const PresetList& list) override { SavePresetList(list, cameraNumber_); }

 private:
  int cameraNumber_;
};

// A copy of a group of settings, field by field.
template <class Group>
class GroupCopy {
 public:
  static constexpr size_t kFields = sizeof(Group) / sizeof(Setting);
  explicit GroupCopy(const Group& group) {
    const Setting* field = reinterpret_cast<const Setting*>(&group);
    for (size_t i = 0; i < kFields; ++i) values_[i] = field[i].Get();
  }
  void RestoreInto(Group& group) const {
    Setting* field = reinterpret_cast<Setting*>(&group);
    for (size_t i = 0; i < kFields; ++i) field[i].Set(values_[i]);
  }
  int32_t operator[](size_t i) const { return values_[i]; }

 private:
  std::array<int32_t, kFields> values_{};
};

// Attaches a dialog to the camera for as long as it runs.
class Attachment {
 public:
  Attachment(DialogLink& link, DialogLink::Kind kind, dialogs::ModalDialog* dialog)
      : link_(link), kind_(kind), attached_(link.Attach(kind, dialog)) {}
  ~Attachment() {
    if (attached_) link_.Detach(kind_);
  }
  explicit operator bool() const { return attached_; }

 private:
  DialogLink& link_;
  DialogLink::Kind kind_;
  bool attached_;
};

}  // namespace

int CKorvex::SetCameraDlg(platform::WindowHandle owner) {
  if (!HasDevice()) return NotPossible();
  const dialogs::Language language = CurrentLanguage();
  RegistryPresetStore store(deviceNumber_);
  dialogs::CameraDialog dialog(store, language);
  // The acquisition must not read the settings the OK path reloads: once
  // the dialog is shown (not before: a launch that shows nothing leaves a
  // running acquisition alone), stop a preview or capture, pause a
  // triggered worker.
  int32_t state = kIdle;
  dialog.whenShown = [this, &state] {
    state = State();
    if (state == kPreviewing || state == kCapturing) {
      StopPreview();
    } else if (state == kTriggered) {
      // Only a running worker is paused: one a stop has ended stays ended.
      WorkerRun running = WorkerRun::kRun;
      workerRun_.compare_exchange_strong(running, WorkerRun::kPause);
    }
  };
  int result = -1;
  {
    Attachment attached(dialogLink_, DialogLink::kCamera, &dialog);
    if (attached) {
      result = platform::RunModalDialog(
          dialogs::TemplateFor(dialogs::DialogRole::kCamera, language), owner, dialog);
    }
  }
  if (result == dialogs::kIdOk) {
    LoadSize(settings_, deviceNumber_);
    LoadVideoFormat(settings_, deviceNumber_);
  }
  // Restart as before, after OK and Cancel alike.
  if (state == kPreviewing) {
    StartPreview();
  } else if (state == kCapturing) {
    Capture();
  } else if (state == kTriggered) {
    // Resumed only while still paused: a stop that came meanwhile must not
    // be undone, or the worker it waits for would run on.
    WorkerRun paused = WorkerRun::kPause;
    workerRun_.compare_exchange_strong(paused, WorkerRun::kRun);
  }
  if (result < 0) {
    // Another dialog of this kind is open for the camera, the camera is being
    // released, or the dialog could not be shown.
    return Fail(KORVEX_ERR_NOT_POSSIBLE);
  }
  return 1;
}

int CKorvex::SetAnalogDlg(platform::WindowHandle owner) {
  if (!HasDevice()) return NotPossible();
  AnalogGroup& a = settings_.analog;
  const dialogs::Language language = CurrentLanguage();
  DriverAnalogSensor sensor(*device_);
  dialogs::AnalogSheet sheet(a, sensor, language);
  // Only a dialog that is shown reads the sensor into the group, and only
  // one that was shown puts the sensor back: a launch that shows nothing
  // (another analog dialog is open) leaves the open one's live values alone.
  std::optional<GroupCopy<AnalogGroup>> saved;
  int32_t savedBayerMode = 0;
  sheet.whenShown = [&] {
    a.Global = device_->GetGlobalGain();
    a.ColorG1 = 0;
    a.ColorR = 0;
    a.ColorB = 0;
    a.ColorG2 = 0;
    a.Exposure = device_->GetExposure();
    a.V_Mirror = device_->GetMirrorV();
    a.H_Mirror = device_->GetMirrorH();
    saved.emplace(a);
    savedBayerMode = settings_.filter.BayerMode;
  };
  int result = -1;
  {
    Attachment attached(dialogLink_, DialogLink::kAnalog, &sheet);
    if (attached) {
      result = platform::RunModalDialog(
          dialogs::TemplateFor(dialogs::DialogRole::kAnalogSheet, language), owner, sheet);
    }
  }
  if (result != dialogs::kIdOk && saved) {
    // Sensor first, then the settings, as they were when the dialog opened.
    device_->SetGlobalGain((*saved)[0]);
    device_->SetExposure((*saved)[5]);
    device_->SetMirrorV((*saved)[6] != 0);
    device_->SetMirrorH((*saved)[7] != 0);
    saved->RestoreInto(a);
    settings_.filter.BayerMode = savedBayerMode;
  }
  if (result < 0) {
    // Another dialog of this kind is open for the camera, the camera is being
    // released, or the dialog could not be shown.
    return Fail(KORVEX_ERR_NOT_POSSIBLE);
  }
  return 1;
}

int CKorvex::SetImageDlg(platform::WindowHandle owner) {
  if (!HasDevice()) return NotPossible();
  FilterGroup& f = settings_.filter;
  const dialogs::Language language = CurrentLanguage();
  dialogs::ImageSheet sheet(f, dialogs::FilterEnables::ForColorMode(settings_.video.Color),
                            language);
  // The group is saved as the dialog is shown, and restored only if it was:
  // a launch that shows nothing must not put back a copy over what another
  // image dialog, or the pipeline, changed meanwhile.
  std::optional<GroupCopy<FilterGroup>> saved;
  sheet.whenShown = [&] { saved.emplace(f); };
  int result = -1;
  {
    Attachment attached(dialogLink_, DialogLink::kImage, &sheet);
    if (attached) {
      result = platform::RunModalDialog(
          dialogs::TemplateFor(dialogs::DialogRole::kImageSheet, language), owner, sheet);
    }
  }
  if (result != dialogs::kIdOk && saved) saved->RestoreInto(f);
  if (result < 0) {
    // Another dialog of this kind is open for the camera, the camera is being
    // released, or the dialog could not be shown.
    return Fail(KORVEX_ERR_NOT_POSSIBLE);
  }
  return 1;
}

}  // namespace korvex
