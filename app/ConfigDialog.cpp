// The main form as the configuration dialog: its controls and layout, the hint area, the
// dependency rules between options, the buttons, and the video test.

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStatusTipEvent>
#include <QVBoxLayout>
#include <type_traits>

#include "app/AboutBox.h"
#include "app/FQuorlith.h"
#include "app/HelpViewer.h"

namespace {

// The dialog's client area at a device pixel ratio of 1; Qt scales it on denser screens.
constexpr int kDialogWidth = 464;
constexpr int kDialogHeight = 359;
constexpr int kPictureSide = 232;
constexpr float kVersion = 7.8f;

// Hints for the controls whose help text the dialog shows while the mouse is over them.
constexpr const char* kRenderHint = "Use these options to tune the screen saver for your video card.";
constexpr const char* kResolutionHint =
    "Video modes for displaying a virtual world. Higher mode is higher quality and the more slowly show.";
constexpr const char* kWaitHardwareHint =
    "For quick graphics, screen saver doesn't wait video hardware. Check this option only if you have problems "
    "with your 3d accelerator";
constexpr const char* kShowHint = "Use these options to view the date, time, and performance of your computer.";
constexpr const char* kTimeHint =
    "Choose the light of the prehistoric world: a running day, a fixed time of day, or the day of your own clock.";
constexpr const char* kTimeListHint =
    "The fixed time of day for Custom: morning mist, afternoon sun, red evening or blue night.";

QGroupBox* Group(QGridLayout* into, const char* caption, const char* hint, int row) {
  auto* group = new QGroupBox(caption);
  group->setStatusTip(hint);
  auto* grid = new QGridLayout(group);
  grid->setContentsMargins(6, 2, 6, 4);
  grid->setVerticalSpacing(1);
  into->addWidget(group, row, 0);
  return group;
}

template <class Control>
Control* Put(QGroupBox* group, const char* caption, const char* hint, int row, int column, int span = 1) {
  Control* control;
  if constexpr (std::is_constructible_v<Control, const char*>) {
    control = new Control(caption);
  } else {
    control = new Control;
  }
  control->setStatusTip(hint);
  static_cast<QGridLayout*>(group->layout())->addWidget(control, row, column, 1, span);
  return control;
}

QPushButton* Button(QHBoxLayout* row, const char* caption, const char* hint) {
  auto* button = new QPushButton(caption);
  button->setStatusTip(hint);
  row->addWidget(button);
  return button;
}

// The size of the trial form for a resolution item: the four classic modes, then the screen's own.
QSize TrialSize(int item) {
  static const QSize kSizes[] = {{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}};
  if (item >= 0 && item < 4) return kSizes[item];
  return QGuiApplication::primaryScreen()->size();
}

}  // namespace

QString TFormSaver::Version() { return QString::asprintf("%1.1f", static_cast<double>(kVersion)); }

// The controls carry the options in every mode; only the dialog shows them.
void TFormSaver::CreateControls() {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  PanelConfigure = new QWidget;
  layout->addWidget(PanelConfigure);
  Image1 = new QLabel;
  Image1->setScaledContents(true);
  Image1->hide();
  layout->addWidget(Image1);

  auto* panel = new QGridLayout(PanelConfigure);
  panel->setContentsMargins(6, 6, 6, 6);
  panel->setSpacing(4);
  auto* groups = new QGridLayout;
  panel->addLayout(groups, 0, 0);
  CreateOptionGroups(groups);

  auto* side = new QVBoxLayout;
  panel->addLayout(side, 0, 1);
  PanelPicture = new QLabel;
  PanelPicture->setFixedSize(kPictureSide, kPictureSide);
  PanelPicture->setScaledContents(true);
  PanelPicture->setFrameShape(QFrame::Panel);
  PanelPicture->setFrameShadow(QFrame::Sunken);
  side->addWidget(PanelPicture);
  LabelHint = new QLabel;
  LabelHint->setWordWrap(true);
  LabelHint->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  LabelHint->setFrameShape(QFrame::Panel);
  LabelHint->setFrameShadow(QFrame::Sunken);
  LabelHint->setFixedWidth(kPictureSide);
  side->addWidget(LabelHint, 1);

  auto* buttons = new QHBoxLayout;
  panel->addLayout(buttons, 1, 0, 1, 2);
  ButtonHelp = Button(buttons, "Help", "Displaying the help information about the screen saver.");
  buttons->addStretch();
  ButtonOK = Button(buttons, "OK", "Storing the current options and quit from the screen saver.");
  ButtonCancel = Button(buttons, "Cancel", "Quit from the screen saver without saving the current options.");
  ButtonAbout = Button(buttons, "About...", "Visit our web site to check out 3D screen savers");
  ButtonOK->setDefault(true);
  connect(ButtonOK, &QPushButton::clicked, this, [this] { ButtonsClick(ButtonOK); });
  connect(ButtonCancel, &QPushButton::clicked, this, [this] { ButtonsClick(ButtonCancel); });
  connect(ButtonHelp, &QPushButton::clicked, this, [this] { ButtonsClick(ButtonHelp); });
  connect(ButtonAbout, &QPushButton::clicked, this, [this] { ButtonsClick(ButtonAbout); });
}

void TFormSaver::CreateOptionGroups(QGridLayout* groups) {
  QGroupBox* render = Group(groups, "Render and sound options", kRenderHint, 0);
  RadioButtonHardware = Put<QRadioButton>(render, "Hardware",
                                          "Using 3D accelerator for displaying a virtual world. All features are "
                                          "supported.",
                                          0, 0);
  RadioButtonSoftware = Put<QRadioButton>(render, "Software",
                                          "Using of Software emulation for displaying without 3D accelerator. Some "
                                          "features are supported.",
                                          0, 1);
  LabelResolution = Put<QLabel>(render, "Resolution", kResolutionHint, 1, 0);
  ComboBoxVideoModes = Put<QComboBox>(render, nullptr, kResolutionHint, 1, 1);
  ComboBoxVideoModes->addItems({"640X480X16", "800X600X16", "1024X768X16", "1280X1024X16"});
  const QSize screen = QGuiApplication::primaryScreen()->size();
  ComboBoxVideoModes->addItem(QString("%1X%2X32").arg(screen.width()).arg(screen.height()));
  CheckBox3DFX = Put<QCheckBox>(
      render, "3DFX", "Using the second 3D accelerator like 3Dfx Voodoo for displaying a virtual world.", 2, 0);
  CheckBoxWindow = Put<QCheckBox>(render, "Window",
                                  "Displaying a virtual world in the window to accelerate a show. Using with Software "
                                  "emulation is recommended.",
                                  2, 1);
  CheckBox3Dsound = Put<QCheckBox>(render, "3D sound",
                                   "Using of full 3D Sounds in prehistoric World. Four speakers are supported.", 3, 0);
  CheckBoxWaitHardware = Put<QCheckBox>(render, "Wait Hardware", kWaitHardwareHint, 3, 1);
  CheckBoxWaitHardware->setToolTip(kWaitHardwareHint);
  ButtonTest = Put<QPushButton>(render, "Test",
                                "Testing of screen saver how it can work with the selected video mode. If you have "
                                "problems, then use 640x480.",
                                4, 0, 2);
  connect(ButtonTest, &QPushButton::clicked, this, [this] { ButtonTestClick(); });

  QGroupBox* time = Group(groups, "Time options", kTimeHint, 1);
  RadioButtonAuto = Put<QRadioButton>(time, "Auto", "A day of a few minutes runs while the show goes on.", 0, 0);
  RadioButtonCustom = Put<QRadioButton>(time, "Custom", "The world keeps the time of day chosen below.", 0, 1);
  RadioButtonClock = Put<QRadioButton>(time, "Clock", "The world's day follows your clock: dark at your night.", 0, 2);
  LabelTime = Put<QLabel>(time, "Time of the day", kTimeListHint, 1, 0, 2);
  ComboBoxTime = Put<QComboBox>(time, nullptr, kTimeListHint, 2, 0, 3);
  ComboBoxTime->addItems({"morning", "afternoon", "evening", "night"});

  QGroupBox* show = Group(groups, "Show options", kShowHint, 2);
  CheckBoxDate = Put<QCheckBox>(show, "Date", "Showing the current date at the bottom of screen saver window.", 0, 0);
  CheckBoxTime = Put<QCheckBox>(show, "Time", "Showing the current time at the bottom of screen saver window.", 0, 1);
  CheckBoxFPS = Put<QCheckBox>(show, "FPS",
                               "Showing the current frame per second at the top of screen saver window to watch "
                               "performance of your computer.",
                               0, 2);

  QGroupBox* system = Group(groups, "System options", kShowHint, 3);
  CheckBoxMouseMove =
      Put<QCheckBox>(system, "Exit on Mouse Move", "Enable stopping of screen saver by mouse move.", 0, 0);
  CheckBoxPower = Put<QCheckBox>(system, "Enable Power Saving", "Enable Power saving features.", 0, 1);
  CheckBoxPower->hide();

  for (QRadioButton* radio :
       {RadioButtonHardware, RadioButtonSoftware, RadioButtonAuto, RadioButtonCustom, RadioButtonClock})
    connect(radio, &QAbstractButton::toggled, this, [this] { UpdateEnabling(); });
}

// "3DFX" and the time of day need hardware rendering (the software driver has no day-time
// lighting); the fixed time list needs Custom as well.
void TFormSaver::UpdateEnabling() {
  const bool hardware = RadioButtonHardware->isChecked();
  CheckBox3DFX->setEnabled(hardware);
  for (QRadioButton* radio : {RadioButtonAuto, RadioButtonCustom, RadioButtonClock}) radio->setEnabled(hardware);
  const bool custom = hardware && RadioButtonCustom->isChecked();
  LabelTime->setEnabled(custom);
  ComboBoxTime->setEnabled(custom);
}

// The configuration branch of the first show: the dialog's caption, its options and its hints.
void TFormSaver::PrepareDialog() {
  setWindowTitle(QString("Quorlith 3D Screen Saver  v") + Version());
  setFixedSize(kDialogWidth, kDialogHeight);
  LoadSettings();
  PanelPicture->setPixmap(QPixmap(QString::fromStdString(FDataPath + kPictureFile)));
  LabelHint->clear();
  PanelConfigure->setStatusTip(windowTitle());
}

// The application's hint handler: the help text of the control under the mouse.
bool TFormSaver::event(QEvent* event) {
  if (event->type() == QEvent::StatusTip && ScreenSaver1.Mode() != smSaver) {
    LabelHint->setText(static_cast<QStatusTipEvent*>(event)->tip());
    return true;
  }
  return QWidget::event(event);
}

void TFormSaver::ButtonsClick(QPushButton* button) {
  try {
    if (button == ButtonOK) {
      SaveSettings();
      close();
    } else if (button == ButtonCancel) {
      close();
    } else if (button == ButtonHelp) {
      ShowHelp(FDataPath + kHelpFile);
    } else if (button == ButtonAbout) {
      TAboutBox about(this, FDataPath);
      about.ShowAbout(Version(), {});
    }
  } catch (const std::exception& error) {
    QMessageBox::critical(this, kTitle, error.what());
  }
}

void TFormSaver::ButtonTestClick() {
  const QString mode = ComboBoxVideoModes->currentText();
  if (TestVideoMode()) {
    QMessageBox::information(this, kTitle, QString("The video mode %1 works on this computer.").arg(mode));
  } else {
    QMessageBox::critical(this, kTitle,
                          QString("The video mode %1 cannot be shown with these options.\n").arg(mode) +
                              "Choose another resolution, or Software or Window.");
  }
}

// A full-screen trial of the chosen mode on a fresh engine; everything is released again and the
// global engine left empty, so the next use starts it anew.
bool TFormSaver::TestVideoMode() {
  ReplaceEngine3D(std::make_unique<TEngine3D>());
  bool result = false;
  std::unique_ptr<QWidget> trial;
  TWindow3D* window = nullptr;
  try {
    dd::qt::UseScreen();
    Engine3D().SetRenderMode(
        RadioButtonSoftware->isChecked() ? rmSoftware : (CheckBox3DFX->isChecked() ? rmSecondAccelerator : rmHardware));
    Engine3D().Initialize();
    trial = std::make_unique<QWidget>(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    trial->resize(TrialSize(ComboBoxVideoModes->currentIndex()));
    trial->show();
    window = new TWindow3D(trial.get());
    const std::string wanted = ComboBoxVideoModes->currentText().toStdString();
    const TVideoModeList& modes = *window->CurrentDriver().VideoModes;
    for (int i = 0; i < modes.Count() && !result; ++i) {
      if (modes.GetMode(i).Text != wanted) continue;
      window->SetVideoMode(i);
      window->RequestClear();
      window->Render(nullptr);
      result = true;
    }
  } catch (const std::exception&) {
    result = false;
  }
  if (window != nullptr) {
    try {
      window->RestoreDisplay();
    } catch (const std::exception&) {  // the trial is over either way
    }
    delete window;
  }
  trial.reset();
  ReplaceEngine3D(nullptr);
  update();
  return result;
}
