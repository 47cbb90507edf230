// The main form in this process: its settings, the mouse-move rule, and the time of day the show
// sets up for each render mode and time option.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QTimer>

#include "app/AboutBox.h"
#include "app/FQuorlith.h"
#include "tests/e2e/ShowProcess.h"
#include "tests/support/ScopedEnvironment.h"

using testing_support::ScopedEnvironment;

namespace {

class FormSaverTest : public testing::Test {
 protected:
  FormSaverTest() { FSavedEngine = ReplaceEngine3D(std::make_unique<TEngine3D>()); }
  ~FormSaverTest() override { ReplaceEngine3D(std::move(FSavedEngine)); }

  // A form as the program makes it for `args`, its settings loaded.
  std::unique_ptr<TFormSaver> Form(std::vector<std::string> args = {"/c"}) {
    auto form = std::make_unique<TFormSaver>(ParseInvocation(args, nullptr));
    form->LoadSettings();
    return form;
  }
  QString StoredSettings() {
    QFile file(Folders.ConfigFolder() + "/local-machine.ini");
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
  }

  e2e::ShowFolders Folders;
  ScopedEnvironment FConfig{"QUORLITH_CONFIG_DIR", Folders.ConfigFolder().toUtf8().constData()};
  ScopedEnvironment FData{"QUORLITH_DATA_DIR", Folders.DataFolder().toUtf8().constData()};

 private:
  std::unique_ptr<TEngine3D> FSavedEngine;
};

std::array<int, 3> Rgb(TColor3D& c) { return {c.GetComponent(2), c.GetComponent(1), c.GetComponent(0)}; }

}  // namespace

TEST_F(FormSaverTest, AFreshStoreGivesTheDefaultsAndOkKeepsEveryOption) {
  auto form = Form();
  EXPECT_TRUE(form->RadioButtonHardware->isChecked());
  EXPECT_TRUE(form->CheckBox3DFX->isChecked());
  EXPECT_EQ(form->ComboBoxVideoModes->currentText(), "640X480X16");
  EXPECT_EQ(form->ComboBoxVideoModes->itemText(4), "1280X1024X32") << "the screen's own size";
  EXPECT_EQ(form->ComboBoxTime->currentText(), "afternoon");
  EXPECT_TRUE(form->RadioButtonAuto->isChecked());
  EXPECT_FALSE(form->CheckBoxMouseMove->isChecked());
  EXPECT_FALSE(form->ScreenSaver1.MouseMoveExit);
  EXPECT_FALSE(form->ComboBoxTime->isEnabled()) << "a fixed time needs Custom";

  form->RadioButtonSoftware->setChecked(true);
  form->RadioButtonCustom->setChecked(true);
  form->ComboBoxTime->setCurrentIndex(3);
  form->ComboBoxVideoModes->setCurrentIndex(2);
  for (QCheckBox* box : {form->CheckBoxMouseMove, form->CheckBoxWindow, form->CheckBox3Dsound, form->CheckBoxFPS,
                         form->CheckBoxDate, form->CheckBoxTime, form->CheckBoxWaitHardware})
    box->setChecked(true);
  form->SaveSettings();
  EXPECT_TRUE(StoredSettings().contains("Hardware=0")) << StoredSettings().toStdString();

  auto next = Form();
  EXPECT_TRUE(next->RadioButtonSoftware->isChecked());
  EXPECT_FALSE(next->CheckBox3DFX->isEnabled());
  EXPECT_FALSE(next->ComboBoxTime->isEnabled()) << "software rendering has no time of day";
  EXPECT_TRUE(next->RadioButtonCustom->isChecked());
  EXPECT_EQ(next->ComboBoxTime->currentText(), "night");
  EXPECT_EQ(next->ComboBoxVideoModes->currentText(), "1024X768X16");
  for (QCheckBox* box : {next->CheckBoxMouseMove, next->CheckBoxWindow, next->CheckBox3Dsound, next->CheckBoxFPS,
                         next->CheckBoxDate, next->CheckBoxTime, next->CheckBoxWaitHardware})
    EXPECT_TRUE(box->isChecked()) << box->text().toStdString();
  EXPECT_TRUE(next->ScreenSaver1.MouseMoveExit);
}

// A stored folder gets its separator whatever it ends in; the doubled one still finds the files.
TEST_F(FormSaverTest, AStoredDataPathEndingInASeparatorStillFindsTheWorld) {
  Folders.SetSaverText("DataPath", Folders.DataFolder().toStdString() + "/");
  auto form = Form();
  EXPECT_TRUE(form->DataPath().ends_with("//")) << form->DataPath();
  EXPECT_TRUE(QFile::exists(QString::fromStdString(form->DataPath() + TFormSaver::kWorldFile)));
}

TEST_F(FormSaverTest, MouseMovesCountOnlyPastFiveAndTwoPixelsOnBothAxes) {
  auto form = Form({"/s"});
  TScreenSaver& saver = form->ScreenSaver1;
  EXPECT_FALSE(saver.CheckMouseMove(500, 500)) << "off: no move is input";
  saver.MouseMoveExit = true;
  saver.ResetMouse();
  for (int i = 0; i < 5; ++i) EXPECT_FALSE(saver.CheckMouseMove(900 * i, 900 * i)) << "skipped " << i;
  EXPECT_FALSE(saver.CheckMouseMove(100, 100)) << "the reference point";
  EXPECT_FALSE(saver.CheckMouseMove(103, 100));
  EXPECT_FALSE(saver.CheckMouseMove(102, 98)) << "two pixels is not past the threshold";
  EXPECT_TRUE(saver.CheckMouseMove(97, 103));
  EXPECT_FALSE(saver.CheckMouseMove(500, 500)) << "after input the five skips start again";
}

TEST_F(FormSaverTest, TheOverlaysBottomLineStartsWithThreeSpacesWhenItHasNoDate) {
  const QDateTime now(QDate(2026, 12, 8), QTime(21, 5));
  const QString time = TFormSaver::BottomText(false, true, now);
  EXPECT_TRUE(time.startsWith("   ") && !time.startsWith("    ")) << time.toStdString();
  const QString both = TFormSaver::BottomText(true, true, now);
  EXPECT_TRUE(both.startsWith(QLocale::system().toString(now.date(), QLocale::LongFormat)));
  EXPECT_TRUE(both.endsWith(time));
  EXPECT_TRUE(TFormSaver::BottomText(false, false, now).isEmpty());
}

// The time of day is set up while the world loads, and only when rendering is not software.
TEST_F(FormSaverTest, TheTimeOfDayFollowsTheOptionsOnlyWithHardwareRendering) {
  auto software = Form({"/s"});
  software->RadioButtonSoftware->setChecked(true);
  software->RadioButtonCustom->setChecked(true);
  software->StartShow();
  software->LoadScene(software->Window3D());
  TBackground3D& plain = software->World()->Map().Background();
  EXPECT_EQ(software->DayAnimation(), nullptr);
  EXPECT_FALSE(plain.FogEnable());
  EXPECT_FLOAT_EQ(plain.FogStart(), 8000.0f);
  EXPECT_FLOAT_EQ(plain.FogEnd(), 20000.0f);
  software.reset();

  auto night = Form({"/s"});
  night->RadioButtonCustom->setChecked(true);
  night->ComboBoxTime->setCurrentIndex(3);
  night->StartShow();
  night->LoadScene(night->Window3D());
  TBackground3D& dark = night->World()->Map().Background();
  EXPECT_EQ(night->DayAnimation(), nullptr);
  EXPECT_EQ(Rgb(dark.Color()), (std::array<int, 3>{5, 5, 20}));
  EXPECT_TRUE(dark.FogEnable());
  EXPECT_FLOAT_EQ(dark.FogEnd(), 15000.0f);
  ASSERT_NE(night->AmbientLight(), nullptr) << "the world's ambient light";
  EXPECT_EQ(Rgb(night->AmbientLight()->Color()), (std::array<int, 3>{100, 100, 220}));
  night.reset();

  auto cycle = Form({"/s"});
  cycle->StartShow();
  cycle->LoadScene(cycle->Window3D());
  ASSERT_NE(cycle->DayAnimation(), nullptr);
  EXPECT_EQ(cycle->DayAnimation()->KeyCount(), 11);
  EXPECT_TRUE(cycle->DayAnimation()->Loop());
}

namespace {

// Runs `inspect` on the modal dialog that `open` brings up, then closes that dialog.
template <class Open, class Inspect>
void WithModal(Open open, Inspect inspect) {
  bool seen = false;
  QTimer::singleShot(300, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    ASSERT_NE(modal, nullptr);
    inspect(modal);
    seen = true;
    static_cast<QDialog*>(modal)->done(0);
  });
  open();
  EXPECT_TRUE(seen);
}

}  // namespace

TEST_F(FormSaverTest, TheDialogShowsItsVersionFollowsTheMouseWithHintsAndKeepsItsRules) {
  TFormSaver form(ParseInvocation({"/c"}, nullptr));
  form.show();
  e2e::Pause(300);
  EXPECT_EQ(form.windowTitle(), "Quorlith 3D Screen Saver  v7.8");
  EXPECT_EQ(form.size(), QSize(464, 359));

  for (QWidget* control : std::initializer_list<QWidget*>{form.CheckBoxWindow, form.ButtonTest, form.CheckBoxFPS}) {
    const QPoint centre = control->mapToGlobal(control->rect().center());
    e2e::XDoTool({"mousemove", QString::number(centre.x()), QString::number(centre.y())});
    e2e::Pause(200);
    EXPECT_EQ(form.LabelHint->text(), control->statusTip()) << control->statusTip().toStdString();
  }
  EXPECT_TRUE(form.LabelHint->text().startsWith("Showing the current frame per second"));

  form.RadioButtonSoftware->click();
  for (QWidget* off : std::initializer_list<QWidget*>{form.CheckBox3DFX, form.RadioButtonAuto, form.RadioButtonCustom,
                                                      form.LabelTime, form.ComboBoxTime})
    EXPECT_FALSE(off->isEnabled());
  form.RadioButtonHardware->click();
  EXPECT_TRUE(form.CheckBox3DFX->isEnabled());
  EXPECT_TRUE(form.RadioButtonCustom->isEnabled());
  EXPECT_FALSE(form.ComboBoxTime->isEnabled()) << "the list waits for Custom";
  form.RadioButtonCustom->click();
  EXPECT_TRUE(form.ComboBoxTime->isEnabled());

  form.ButtonCancel->click();
  EXPECT_FALSE(QFile::exists(Folders.ConfigFolder() + "/local-machine.ini")) << "Cancel stores nothing";
}

TEST_F(FormSaverTest, AVideoTestOfAModeTheDriverLacksFailsAndTheDialogStaysUsable) {
  TFormSaver form(ParseInvocation({"/c"}, nullptr));
  form.show();
  e2e::Pause(200);
  form.ComboBoxVideoModes->addItem("9999X9999X16");
  form.ComboBoxVideoModes->setCurrentIndex(form.ComboBoxVideoModes->count() - 1);
  WithModal([&] { form.ButtonTest->click(); },
            [](QWidget* box) {
              EXPECT_TRUE(static_cast<QMessageBox*>(box)->text().contains("9999X9999X16 cannot be shown"));
            });
  form.ComboBoxVideoModes->setCurrentIndex(0);
  EXPECT_TRUE(form.TestVideoMode()) << "640X480X16 is offered";
  EXPECT_TRUE(form.isVisible());
  WithModal([&] { form.ButtonAbout->click(); },
            [](QWidget* box) {
              auto* about = dynamic_cast<TAboutBox*>(box);
              ASSERT_NE(about, nullptr);
              EXPECT_EQ(about->windowTitle(), "About Quorlith 3D Screen Saver");
              EXPECT_EQ(about->ProductName->text(), "Quorlith 3D Screen Saver");
              EXPECT_EQ(about->LabelVersion->text(), "Version 7.8");
            });
}
