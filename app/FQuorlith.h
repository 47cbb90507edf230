#pragma once

// The main form. It is the settings object (its option controls, loaded from and saved to the
// settings store), the configuration dialog, the preview's still picture, and the owner of one world
// show: the engine started for the chosen render mode, the world's containers, the render window,
// the timer, the sound and the day-time cycle, torn down in a fixed order when the show ends.
//
// Sections: construction, first show, errors and closing (FQuorlith.cpp); the dialog's controls,
// hints, buttons and video test (ConfigDialog.cpp); settings (Settings.cpp); the show (WorldShow.cpp).

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>
#include <memory>
#include <string>

#include "anim/DayAnimation.h"
#include "app/ScreenSaver.h"
#include "app/SoundLock.h"
#include "app/Timeserv.h"
#include "render/View3D.h"
#include "scene/Light3D.h"
#include "scene/World3D.h"
#include "sound/Sound.h"

class TFormSaver : public QWidget {
 public:
  static constexpr const char* kTitle = "Quorlith 3D";
  // The data folder's files.
  static constexpr const char* kWorldFile = "Quorlith 3D.q3w";
  static constexpr const char* kPictureFile = "Quorlith 3D.jpg";
  static constexpr const char* kHelpFile = "Quorlith 3D.html";

  explicit TFormSaver(TInvocation invocation);
  ~TFormSaver() override;

  // The dialog.
  void ButtonsClick(QPushButton* button);
  void ButtonTestClick();
  // A full-screen trial frame of the chosen video mode on a fresh engine; never raises.
  bool TestVideoMode();
  // The version the caption and the about box show: "7.8".
  static QString Version();

  // Settings.
  void LoadSettings();
  void SaveSettings();
  void ApplyRunOptions(const TRunOptions& options);
  // The data folder: the stored one, else where the program's data lives.
  static std::string StoredDataPath(os::Registry& registry);

  // The show.
  void StartShow();
  void CreateWorld();
  void LoadScene(TWindow3D* window);
  void SetupWindowOptions();
  void LoadWorldFile(const std::string& fileName);
  void SetupDayTime();
  void SetAmbientColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
  void ScreenSaverExecute(TScreenSaver* sender);
  void ScreenSaverPassword(TScreenSaver* sender);
  void StepFrame();
  void DrawOverlay(TWindow3D* window, TDDCanvas* canvas);
  void DestroyWorld();
  // The show under the screen lock stands still while its locker asks for the password.
  void PauseShow();
  void ResumeShow();
  // The overlay's bottom line: the long date and, three spaces on, the time, in the user's locale.
  static QString BottomText(bool date, bool time, const QDateTime& now);

  // The status the program ends with: 0, or 1 after a failure the user was told of.
  int ExitCode() const { return FExitCode; }
  bool Failed() const { return FFailed; }
  // The message the show stopped with; empty while nothing failed.
  const std::string& ErrorMessage() const { return FErrorMessage; }
  const std::string& DataPath() const { return FDataPath; }
  TWindow3D* Window3D() const { return FWindow3D; }
  int FrameState() const { return FFrameState; }
  const TDayAnimation* DayAnimation() const { return FDayAnimation.get(); }
  TLight3D* AmbientLight() const { return FAmbientLight; }
  TWorld3D* World() const { return FWorld.get(); }

  TScreenSaver ScreenSaver1;

  // The option controls, named as the settings know them.
  QWidget* PanelConfigure;
  QLabel* Image1;
  QRadioButton* RadioButtonHardware;
  QRadioButton* RadioButtonSoftware;
  QCheckBox* CheckBox3DFX;
  QCheckBox* CheckBoxWaitHardware;
  QCheckBox* CheckBoxMouseMove;
  QCheckBox* CheckBoxPower;
  QComboBox* ComboBoxVideoModes;
  QCheckBox* CheckBoxWindow;
  QCheckBox* CheckBox3Dsound;
  QRadioButton* RadioButtonAuto;
  QRadioButton* RadioButtonCustom;
  QRadioButton* RadioButtonClock;
  QLabel* LabelTime;
  QComboBox* ComboBoxTime;
  QCheckBox* CheckBoxFPS;
  QCheckBox* CheckBoxTime;
  QCheckBox* CheckBoxDate;
  QLabel* LabelResolution;
  QLabel* PanelPicture;
  QLabel* LabelHint;
  QPushButton* ButtonTest;
  QPushButton* ButtonHelp;
  QPushButton* ButtonOK;
  QPushButton* ButtonCancel;
  QPushButton* ButtonAbout;

 protected:
  bool event(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateControls();
  void CreateOptionGroups(class QGridLayout* groups);
  void UpdateEnabling();
  void PrepareDialog();
  void FormShow();
  void ShowPicture();
  void InstallWallpaper();
  void CoverOtherScreens();
  void StartLock();
  void RaiseLock();
  // Standalone: a message box; hosted: the message drawn in the window. Both print it on stderr.
  void ShowError(const std::string& message);
  void FailShow(const std::string& message);
  static void EndProgram(int status);
  bool ShowVisible();
  void CopyCamera();
  void ApplyDayKey();
  void SelectVideoMode();
  void ApplyRenderSettings(bool hardware);

  std::unique_ptr<TTimer> FTimer;
  std::unique_ptr<TSoundDevice> FSoundDevice;
  std::unique_ptr<TSoundLock> FSoundLock;  // held by the one hosted show that plays sound
  std::unique_ptr<TWorld3D> FWorld;        // the collections and the map, bound as the show binds them
  TWindow3D* FWindow3D = nullptr;          // a child widget of the form, freed by DestroyWorld
  TFrame3D* FCameraFrame = nullptr;
  int FFrameState = 0;
  std::uint32_t FFramePeriodMs = 0;  // the screen's refresh period: no more frames than it shows
  bool FFailed = false;
  bool FShown = false;
  bool FWasActive = false;  // the show had the focus once: losing it now ends the show
  int FExitCode = 0;
  std::string FVideoModeText;
  std::string FErrorMessage;
  std::string FDataPath;
  TLight3D* FAmbientLight = nullptr;
  std::unique_ptr<TDayAnimation> FDayAnimation;
  std::uintptr_t FHostWindow = 0;  // the window the form was put into: the host's or the preview's
  bool FEmbedded = false;
  std::vector<std::unique_ptr<QWidget>> FCovers;  // black windows over the other monitors
  QLabel* FMessage = nullptr;                     // a hosted show's error, drawn where the world would be
  std::unique_ptr<class TShowWatch> FWatch;       // whether anybody can see the show
  std::unique_ptr<class TShowChild> FShowChild;   // the locker's show, in a process of its own
  std::unique_ptr<class TLockLink> FLockLink;     // the locked show's reports to its locker
};
