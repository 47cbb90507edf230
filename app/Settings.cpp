// The settings of the main form: the options as the settings store keeps them.

#include <QCoreApplication>

#include "app/DataFolder.h"
#include "app/FQuorlith.h"

namespace {

// The values the Part's program stores, in the order it writes them, then the data path it only
// reads, then the options this port keeps as well so that a confirmed choice stays.
constexpr const char* kHardware = "Hardware";
constexpr const char* k3DFX = "3DFX";
constexpr const char* kWaitHardware = "WaitHardware";
constexpr const char* kMouseMove = "ExitOnMouseMove";
constexpr const char* kPower = "PowerSaving";
constexpr const char* kDataPath = "DataPath";
constexpr const char* kResolution = "Resolution";
constexpr const char* kWindow = "Window";
constexpr const char* kSound = "Sound3D";
constexpr const char* kTimeMode = "TimeMode";  // "auto", "custom" or "clock"
constexpr const char* kTimeOfDay = "TimeOfDay";
constexpr const char* kFps = "FPS";
constexpr const char* kDate = "Date";
constexpr const char* kTime = "Time";

void LoadBool(os::Registry& registry, const char* name, QAbstractButton* control) {
  if (registry.ValueExists(name)) control->setChecked(registry.ReadBool(name));
}

// A pair of radio buttons kept as one value: true selects `on`, false `off`.
void LoadChoice(os::Registry& registry, const char* name, QRadioButton* on, QRadioButton* off) {
  if (registry.ValueExists(name)) (registry.ReadBool(name) ? on : off)->setChecked(true);
}

void LoadText(os::Registry& registry, const char* name, QComboBox* control) {
  if (!registry.ValueExists(name)) return;
  const int index = control->findText(QString::fromStdString(registry.ReadString(name)));
  if (index >= 0) control->setCurrentIndex(index);
}

std::string TimeMode(const TFormSaver& form) {
  if (form.RadioButtonCustom->isChecked()) return "custom";
  return form.RadioButtonClock->isChecked() ? "clock" : "auto";
}

void LoadTimeMode(os::Registry& registry, TFormSaver& form) {
  if (!registry.ValueExists(kTimeMode)) return;
  const std::string mode = registry.ReadString(kTimeMode);
  if (mode == "custom") form.RadioButtonCustom->setChecked(true);
  if (mode == "clock") form.RadioButtonClock->setChecked(true);
}

}  // namespace

void TFormSaver::LoadSettings() {
  RadioButtonHardware->setChecked(true);
  CheckBox3DFX->setChecked(true);
  CheckBoxWindow->setChecked(false);
  ComboBoxVideoModes->setCurrentIndex(0);
  CheckBoxWaitHardware->setChecked(false);
  ComboBoxTime->setCurrentIndex(1);
  RadioButtonAuto->setChecked(true);

  os::Registry& registry = ScreenSaver1.Registry();
  LoadChoice(registry, kHardware, RadioButtonHardware, RadioButtonSoftware);
  LoadBool(registry, k3DFX, CheckBox3DFX);
  LoadBool(registry, kWaitHardware, CheckBoxWaitHardware);
  FDataPath = StoredDataPath(registry);
  LoadBool(registry, kMouseMove, CheckBoxMouseMove);
  LoadBool(registry, kPower, CheckBoxPower);
  LoadText(registry, kResolution, ComboBoxVideoModes);
  LoadBool(registry, kWindow, CheckBoxWindow);
  LoadBool(registry, kSound, CheckBox3Dsound);
  LoadTimeMode(registry, *this);
  LoadText(registry, kTimeOfDay, ComboBoxTime);
  LoadBool(registry, kFps, CheckBoxFPS);
  LoadBool(registry, kDate, CheckBoxDate);
  LoadBool(registry, kTime, CheckBoxTime);

  if (ScreenSaver1.Mode() == smSaver) ApplyRunOptions(ScreenSaver1.Invocation().Options);
  ScreenSaver1.MouseMoveExit = CheckBoxMouseMove->isChecked();
  ScreenSaver1.SuspendEnabled = CheckBoxPower->isChecked();
  RadioButtonSoftware->setChecked(!RadioButtonHardware->isChecked());
  UpdateEnabling();
}

// The options of this run win over the stored ones, for this run only.
void TFormSaver::ApplyRunOptions(const TRunOptions& options) {
  if (options.Software) (*options.Software ? RadioButtonSoftware : RadioButtonHardware)->setChecked(true);
  if (options.Resolution) {
    const QString resolution = QString::fromStdString(*options.Resolution);
    if (ComboBoxVideoModes->findText(resolution) < 0) ComboBoxVideoModes->addItem(resolution);
    ComboBoxVideoModes->setCurrentText(resolution);
  }
  if (options.DayTime) {
    const QString time = QString::fromStdString(*options.DayTime);
    const int item = ComboBoxTime->findText(time);
    (item >= 0 ? RadioButtonCustom : time == "clock" ? RadioButtonClock : RadioButtonAuto)->setChecked(true);
    if (item >= 0) ComboBoxTime->setCurrentIndex(item);
  }
  const std::pair<const std::optional<bool>&, QCheckBox*> flags[] = {
      {options.Window, CheckBoxWindow}, {options.Sound, CheckBox3Dsound}, {options.Fps, CheckBoxFPS},
      {options.Date, CheckBoxDate},     {options.Time, CheckBoxTime},     {options.MouseMoveExit, CheckBoxMouseMove}};
  for (const auto& [value, box] : flags)
    if (value) box->setChecked(*value);
}

// The stored folder gets its separator whatever it ends in: a doubled one still resolves.
std::string TFormSaver::StoredDataPath(os::Registry& registry) {
  return registry.ValueExists(kDataPath) ? registry.ReadString(kDataPath) + "/"
                                         : DefaultDataFolder(QCoreApplication::applicationDirPath().toStdString());
}

void TFormSaver::SaveSettings() {
  os::Registry& registry = ScreenSaver1.Registry();
  registry.WriteBool(kHardware, RadioButtonHardware->isChecked());
  registry.WriteBool(k3DFX, CheckBox3DFX->isChecked());
  registry.WriteBool(kWaitHardware, CheckBoxWaitHardware->isChecked());
  registry.WriteBool(kMouseMove, CheckBoxMouseMove->isChecked());
  registry.WriteBool(kPower, CheckBoxPower->isChecked());
  registry.WriteString(kResolution, ComboBoxVideoModes->currentText().toStdString());
  registry.WriteBool(kWindow, CheckBoxWindow->isChecked());
  registry.WriteBool(kSound, CheckBox3Dsound->isChecked());
  registry.WriteString(kTimeMode, TimeMode(*this));
  registry.WriteString(kTimeOfDay, ComboBoxTime->currentText().toStdString());
  registry.WriteBool(kFps, CheckBoxFPS->isChecked());
  registry.WriteBool(kDate, CheckBoxDate->isChecked());
  registry.WriteBool(kTime, CheckBoxTime->isChecked());
}
