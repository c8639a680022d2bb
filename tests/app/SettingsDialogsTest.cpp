// The settings dialogs on the offscreen platform: each one writes every
// setting it shows on OK and nothing on Cancel, refuses values out of range,
// follows its enabling rules, and Default and Reset restore what they should.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "FakePrompts.h"
#include "app/CAdvancedDjvuDlg.h"
#include "app/CBatchSettingsDlg.h"
#include "app/CDjvuSettingsDlg.h"
#include "app/CGeneralSettingsDlg.h"
#include "app/CIw44SettingsDlg.h"
#include "app/CJpegSettingsDlg.h"
#include "app/CLeafDoc.h"
#include "app/CMainFrame.h"
#include "app/CSweeperOptionsDlg.h"
#include "app/CThumbnailOptionsDlg.h"
#include "app/DjvuQuickSet.h"
#include "app/SettingsControls.h"
#include "app/SettingsTable.h"
#include "app/SweepDirectories.h"
#include "formats/SaveImageFile.h"
#include "tests/support/Fixtures.h"
#include "tests/support/TempDir.h"

namespace leaf {
namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// The child of a dialog named after a profile key.
template <typename Widget>
Widget* Field(QWidget& dialog, const char* key) {
  auto* widget = dialog.findChild<Widget*>(QString::fromLatin1(key));
  EXPECT_NE(widget, nullptr) << key;
  return widget;
}

// The radio button or check box with this text (without "&").
QAbstractButton* ButtonNamed(QWidget& dialog, const QString& text) {
  for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) {
    if (button->text().remove('&') == text) return button;
  }
  ADD_FAILURE() << "no button " << text.toStdString();
  return nullptr;
}

void Click(QWidget& dialog, const QString& text) {
  if (QAbstractButton* button = ButtonNamed(dialog, text)) button->click();
}

void Type(QLineEdit* edit, const QString& text) {
  edit->clear();
  QTest::keyClicks(edit, text);
}

void Type(CRangeSpinBox* spin, const QString& text) {
  spin->edit()->clear();
  QTest::keyClicks(spin->edit(), text);
}

// Runs action once the next modal dialog is open (the code under test calls exec()).
void WhenModalOpens(std::function<void(QDialog&)> action) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, action] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    timer->stop();
    timer->deleteLater();
    action(*dialog);
  });
  timer->start();
}

class SettingsDialogTest : public ::testing::Test {
 protected:
  SettingsDialogTest() : settings(AppSettings::Defaults(dir.path())), stored(settings) {}

  // OK, as the button does it; true when the dialog closed.
  static bool PressOk(QDialog& dialog) {
    dialog.accept();
    return dialog.result() == QDialog::Accepted;
  }

  test::TempDir dir;
  AppSettings settings;
  AppSettings stored;  // the settings as they were before the dialog
  test::FakePrompts prompts;
};

// ----- General Settings -----

TEST_F(SettingsDialogTest, GeneralSettingsRoundTrip) {
  CGeneralSettingsDlg dialog(settings, prompts);
  // The association boxes wait for the desktop's answer.
  EXPECT_FALSE(dialog.associationBox(FileGroup::Jpeg)->isEnabled());
  dialog.setRegisteredGroups({FileGroup::Jpeg});
  EXPECT_TRUE(dialog.associationBox(FileGroup::Jpeg)->isEnabled());
  Field<QCheckBox>(dialog, "WindowFit")->click();  // off
  EXPECT_FALSE(Field<QCheckBox>(dialog, "WindowCenter")->isEnabled());
  Field<QCheckBox>(dialog, "WindowFit")->click();  // on again
  EXPECT_TRUE(Field<QCheckBox>(dialog, "WindowCenter")->isEnabled());
  Field<QCheckBox>(dialog, "WindowCenter")->click();
  Click(dialog, "Do not fit image");
  Field<QCheckBox>(dialog, "Dither")->click();
  Field<QCheckBox>(dialog, "FancyZoom")->click();
  Type(Field<CGammaField>(dialog, "DisplayGamma")->edit(), "1.8");
  Click(dialog, "Reproduce screen size");
  Field<QCheckBox>(dialog, "ShrinkPrint")->click();
  Type(Field<CRangeSpinBox>(dialog, "SlideDelay"), "42");
  EXPECT_TRUE(dialog.associationBox(FileGroup::Jpeg)->isChecked());
  EXPECT_FALSE(dialog.associationBox(FileGroup::Pnm)->isChecked());
  dialog.associationBox(FileGroup::Jpeg)->click();
  dialog.associationBox(FileGroup::Pnm)->click();
  ASSERT_TRUE(PressOk(dialog));

  EXPECT_EQ(settings.windowFit, 1);
  EXPECT_EQ(settings.windowCenter, 0);
  EXPECT_EQ(settings.imageFit, 3);
  EXPECT_EQ(settings.dither, 0);
  EXPECT_EQ(settings.fancyZoom, 0);
  EXPECT_FLOAT_EQ(settings.displayGamma, 1.8f);
  EXPECT_EQ(settings.printSize, 1);
  EXPECT_EQ(settings.shrinkPrint, 0);
  EXPECT_EQ(settings.slideDelay, 42);
  const auto& changes = dialog.associationChanges();
  ASSERT_EQ(changes.size(), 2u);
  EXPECT_EQ(changes[0].group, FileGroup::Pnm);  // in the order of the boxes
  EXPECT_TRUE(changes[0].on);
  EXPECT_EQ(changes[1].group, FileGroup::Jpeg);
  EXPECT_FALSE(changes[1].on);
}

TEST_F(SettingsDialogTest, GeneralSettingsChangeNoAssociationBeforeTheAnswer) {
  CGeneralSettingsDlg dialog(settings, prompts);
  ASSERT_TRUE(PressOk(dialog));
  EXPECT_TRUE(dialog.associationChanges().empty());
  EXPECT_EQ(settings, stored);
}

TEST_F(SettingsDialogTest, GeneralSettingsOpensDisabledCenterWhenNotFitting) {
  settings.windowFit = 0;
  CGeneralSettingsDlg dialog(settings, prompts);
  EXPECT_FALSE(Field<QCheckBox>(dialog, "WindowCenter")->isEnabled());
  EXPECT_TRUE(Field<QCheckBox>(dialog, "WindowCenter")->isChecked());
}

// A typed value out of range keeps the dialog open on that field and
// changes nothing; every numeric field of every dialog is refused alike.
TEST_F(SettingsDialogTest, ValuesOutOfRangeAreRefused) {
  enum Dialog { kGeneral, kIw44, kAdvanced, kJpeg };
  const std::string gamma = "Please enter a number between 0.1 and 10.0.";
  struct Case {
    Dialog dialog;
    const char* key;
    const char* typed;
    std::string message;
  } cases[] = {
      {kGeneral, "DisplayGamma", "0.05", gamma},
      {kGeneral, "DisplayGamma", "10.5", gamma},
      {kGeneral, "DisplayGamma", "abc", gamma},
      {kGeneral, "SlideDelay", "0", "Please enter an integer between 1 and 600."},
      {kGeneral, "SlideDelay", "601", "Please enter an integer between 1 and 600."},
      {kIw44, "Iw44PhotoQty", "19", "Please enter an integer between 20 and 100."},
      {kIw44, "Iw44PhotoQty", "101", "Please enter an integer between 20 and 100."},
      {kIw44, "Iw44PhotoQty", "", "Please enter an integer between 20 and 100."},
      {kAdvanced, "DjvuFilterLevel", "-201", "Please enter an integer between -200 and 200."},
      {kAdvanced, "DjvuForeback", "256", "Please enter an integer between 0 and 255."},
      {kAdvanced, "DjvuPhotoGamma", "0", gamma},
      {kJpeg, "JpegQty", "-1", "Please enter an integer between 0 and 100."},
      {kJpeg, "JpegSmooth", "1000", "Please enter an integer between 0 and 100."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.key) + " " + c.typed);
    test::FakePrompts asked;
    std::unique_ptr<CSettingsDialog> dialog;
    switch (c.dialog) {
      case kGeneral: dialog = std::make_unique<CGeneralSettingsDlg>(settings, asked); break;
      case kIw44: dialog = std::make_unique<CIw44SettingsDlg>(settings, asked); break;
      case kAdvanced: dialog = std::make_unique<CAdvancedDjvuDlg>(settings, false, asked); break;
      case kJpeg: dialog = std::make_unique<CJpegSettingsDlg>(settings, asked); break;
    }
    dialog->show();
    QApplication::setActiveWindow(dialog.get());
    QWidget* field = dialog->findChild<QWidget*>(c.key);
    ASSERT_NE(field, nullptr);
    QLineEdit* edit = field->findChild<QLineEdit*>();
    Type(edit, c.typed);
    EXPECT_FALSE(PressOk(*dialog));
    EXPECT_EQ(asked.warnings, QStringList{Q(c.message)});
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(settings, stored);
  }
}

TEST_F(SettingsDialogTest, GammaBelowTheLeastMovesTheSliderToIt) {
  CGammaField field(Setting("DisplayGamma"));
  field.setValue(2.2);
  EXPECT_EQ(field.slider()->value(), 220);
  EXPECT_EQ(field.edit()->text(), "2.2");
  Type(field.edit(), "0.05");
  EXPECT_EQ(field.slider()->value(), 10);
  EXPECT_EQ(field.edit()->text(), "0.05");  // the typed text stays until corrected
  field.slider()->setValue(0);              // the slider never reads below 0.1
  EXPECT_EQ(field.slider()->value(), 10);
  EXPECT_EQ(field.edit()->text(), "0.1");
  field.slider()->setValue(1000);
  EXPECT_EQ(field.edit()->text(), "10");
  test::FakePrompts asked;
  EXPECT_TRUE(field.check(asked));
}

TEST_F(SettingsDialogTest, SliderAndFieldFollowEachOther) {
  CSliderField field(20, 100, 10);
  field.setValue(80);
  EXPECT_EQ(field.slider()->value(), 80);
  Type(field.edit(), "35");
  EXPECT_EQ(field.slider()->value(), 35);
  Type(field.edit(), "500");
  EXPECT_EQ(field.slider()->value(), 100);
  EXPECT_EQ(field.edit()->text(), "500");
  field.slider()->setValue(60);
  EXPECT_EQ(field.edit()->text(), "60");
  EXPECT_EQ(field.slider()->tickInterval(), 10);
}

TEST_F(SettingsDialogTest, SpinArrowsStayInRangeWhileTypingIsFree) {
  CRangeSpinBox spin(10, 600);
  spin.setValue(599);
  spin.stepBy(5);
  EXPECT_EQ(spin.value(), 600);
  Type(&spin, "900");
  EXPECT_EQ(spin.typedValue(), 900);
  spin.stepBy(-1);  // from what is typed, back into the range
  EXPECT_EQ(spin.value(), 600);
  spin.setValue(10);
  spin.stepBy(-3);
  EXPECT_EQ(spin.value(), 10);
}

// ----- DjVu Settings -----

TEST_F(SettingsDialogTest, QuickSetPresetsChangeTheSettingsAtOnce) {
  struct Preset {
    const char* radio;
    int quickSet, noThick, lossless, aggressive, upsample;
  } presets[] = {
      {"High resolution (300 DPI and up)", 0, 0, 0, 0, 0},
      {"Medium resolution (100 - 299 DPI)", 1, 0, 0, 0, 1},
      {"Low resolution (below 100 DPI)", 2, 1, 1, 0, 2},
  };
  for (const Preset& p : presets) {
    settings = stored;
    settings.djvuAggressive = 1;  // every preset turns noise removal off
    settings.djvuUpsample = 3;
    int changes = 0;
    DjvuDialogContext context;
    context.settingsChanged = [&changes] { ++changes; };
    CDjvuSettingsDlg dialog(settings, context, prompts);
    Click(dialog, p.radio);
    EXPECT_EQ(changes, 1) << p.radio;
    EXPECT_EQ(settings.djvuNoThick, p.noThick) << p.radio;
    EXPECT_EQ(settings.djvuLossless, p.lossless) << p.radio;
    EXPECT_EQ(settings.djvuAggressive, p.aggressive) << p.radio;
    EXPECT_EQ(settings.djvuUpsample, p.upsample) << p.radio;
    EXPECT_EQ(settings.djvuQuickSet, -1) << "stored on OK only";
    dialog.reject();
    // Cancel keeps what the click did.
    EXPECT_EQ(settings.djvuUpsample, p.upsample) << p.radio;
  }
  CDjvuSettingsDlg dialog(settings, {}, prompts);
  Click(dialog, "Medium resolution (100 - 299 DPI)");
  ASSERT_TRUE(PressOk(dialog));
  EXPECT_EQ(settings.djvuQuickSet, 1);
}

TEST_F(SettingsDialogTest, DjvuSettingsShowTheStoredQuickSetAndRoundTrip) {
  for (int quickSet : {-1, 0, 1, 2}) {
    settings.djvuQuickSet = quickSet;
    CDjvuSettingsDlg dialog(settings, {}, prompts);
    EXPECT_EQ(dialog.quickSet(), quickSet);
  }
  settings.djvuPhotoRes = 150;
  CDjvuSettingsDlg dialog(settings, {}, prompts);
  EXPECT_EQ(dialog.resolutionBox()->currentText(), "150");
  Type(dialog.qualityField()->edit(), "55");
  dialog.resolutionBox()->setCurrentIndex(dialog.resolutionBox()->findText("25"));
  ASSERT_TRUE(PressOk(dialog));
  EXPECT_EQ(settings.djvuPhotoQty, 55);
  EXPECT_EQ(settings.djvuPhotoRes, 25);

  const AppSettings before = settings;
  CDjvuSettingsDlg cancelled(settings, {}, prompts);
  Type(cancelled.qualityField()->edit(), "99");
  cancelled.resolutionBox()->setCurrentIndex(0);
  cancelled.reject();
  EXPECT_EQ(settings, before);
}

TEST_F(SettingsDialogTest, DjvuBackgroundGroupIsOffForABilevelPage) {
  DjvuDialogContext bilevel;
  bilevel.bilevelImage = true;
  CDjvuSettingsDlg off(settings, bilevel, prompts);
  EXPECT_FALSE(off.backgroundGroup()->isEnabled());
  CDjvuSettingsDlg on(settings, {}, prompts);
  EXPECT_TRUE(on.backgroundGroup()->isEnabled());
}

TEST_F(SettingsDialogTest, DjvuDefaultAndReset) {
  settings.djvuQuickSet = 2;
  settings.djvuPhotoQty = 40;
  settings.djvuPhotoRes = 300;
  CDjvuSettingsDlg dialog(settings, {}, prompts);
  dialog.button("Default")->click();
  EXPECT_EQ(dialog.quickSet(), -1);
  EXPECT_EQ(dialog.qualityField()->value(), 80);
  EXPECT_EQ(dialog.resolutionBox()->currentText(), "100");

  // Reset with the Quick set changed asks first; Yes brings the stored preset back.
  ApplyDjvuQuickSet(settings, 0);  // as if another preset had been clicked
  prompts.answers = {CUserPrompts::Answer::Yes};
  dialog.button("Reset")->click();
  ASSERT_EQ(prompts.questions.size(), 1);
  EXPECT_TRUE(prompts.questions[0].startsWith("Resetting the 'Quick Set' option"));
  EXPECT_EQ(dialog.quickSet(), 2);
  EXPECT_EQ(settings.djvuUpsample, 2);  // the low preset applied again
  EXPECT_EQ(dialog.qualityField()->value(), 40);
  EXPECT_EQ(dialog.resolutionBox()->currentText(), "300");

  // No leaves the Quick set at none.
  Click(dialog, "High resolution (300 DPI and up)");
  prompts.answers = {CUserPrompts::Answer::No};
  dialog.button("Reset")->click();
  EXPECT_EQ(dialog.quickSet(), -1);
  EXPECT_EQ(settings.djvuUpsample, 0);

  // With the Quick set as stored, Reset asks nothing.
  settings.djvuQuickSet = -1;
  prompts.questions.clear();
  dialog.button("Reset")->click();
  EXPECT_TRUE(prompts.questions.isEmpty());
}

TEST_F(SettingsDialogTest, AdvancedOkClearsTheQuickSet) {
  settings.djvuQuickSet = 1;
  int changes = 0;
  DjvuDialogContext context;
  context.settingsChanged = [&changes] { ++changes; };
  CDjvuSettingsDlg dialog(settings, context, prompts);
  WhenModalOpens([](QDialog& advanced) {
    EXPECT_EQ(advanced.windowTitle(), "DjVu Advanced Parameters");
    Click(advanced, "Enlarge original 4x before saving");
    advanced.accept();
  });
  dialog.button("Advanced")->click();
  EXPECT_EQ(dialog.quickSet(), -1);
  EXPECT_EQ(settings.djvuQuickSet, -1);
  EXPECT_EQ(settings.djvuUpsample, 3);
  EXPECT_EQ(changes, 1);

  // Cancel in the advanced dialog leaves the Quick set shown.
  Click(dialog, "Low resolution (below 100 DPI)");
  WhenModalOpens([](QDialog& advanced) { advanced.reject(); });
  dialog.button("Advanced")->click();
  EXPECT_EQ(dialog.quickSet(), 2);
}

// ----- DjVu Advanced Parameters -----

TEST_F(SettingsDialogTest, AdvancedRoundTrip) {
  settings.djvuQuickSet = 0;
  CAdvancedDjvuDlg dialog(settings, false, prompts);
  for (const char* key : {"DjvuLossless", "DjvuNoThick", "DjvuTextOnly", "DjvuNoColorFilter",
                          "DjvuNoSizeFilter", "DjvuNoInvFilter"}) {
    Field<QCheckBox>(dialog, key)->click();
  }
  Click(dialog, "Enlarge original 3x before saving");
  Field<QCheckBox>(dialog, "DjvuTextOnly")->click();  // on again below
  Type(Field<CGammaField>(dialog, "DjvuPhotoGamma")->edit(), "1.5");
  Field<QCheckBox>(dialog, "DjvuTextOnly")->click();
  Type(Field<CSliderField>(dialog, "DjvuFilterLevel")->edit(), "-120");
  Type(Field<CSliderField>(dialog, "DjvuForeback")->edit(), "128");
  ASSERT_TRUE(PressOk(dialog));
  EXPECT_EQ(settings.djvuLossless, 1);
  EXPECT_EQ(settings.djvuAggressive, 0);
  EXPECT_EQ(settings.djvuNoThick, 1);
  EXPECT_EQ(settings.djvuTextOnly, 1);
  EXPECT_FLOAT_EQ(settings.djvuPhotoGamma, 1.5f);
  EXPECT_EQ(settings.djvuUpsample, 2);
  EXPECT_EQ(settings.djvuNoColorFilter, 1);
  EXPECT_EQ(settings.djvuNoSizeFilter, 1);
  EXPECT_EQ(settings.djvuNoInvFilter, 1);
  EXPECT_EQ(settings.djvuFilterLevel, -120);
  EXPECT_EQ(settings.djvuForeback, 128);
  EXPECT_EQ(settings.djvuQuickSet, -1);

  const AppSettings before = settings;
  CAdvancedDjvuDlg cancelled(settings, false, prompts);
  Field<QCheckBox>(cancelled, "DjvuNoThick")->click();
  Type(Field<CSliderField>(cancelled, "DjvuForeback")->edit(), "3");
  cancelled.reject();
  EXPECT_EQ(settings, before);
}

TEST_F(SettingsDialogTest, AdvancedEnablingRules) {
  CAdvancedDjvuDlg dialog(settings, false, prompts);
  auto* lossless = Field<QCheckBox>(dialog, "DjvuLossless");
  auto* aggressive = Field<QCheckBox>(dialog, "DjvuAggressive");
  lossless->click();
  aggressive->click();
  EXPECT_FALSE(lossless->isChecked());
  lossless->click();
  EXPECT_FALSE(aggressive->isChecked());

  auto* photo = Field<CGammaField>(dialog, "DjvuPhotoGamma");
  EXPECT_TRUE(photo->isEnabled());
  Field<QCheckBox>(dialog, "DjvuTextOnly")->click();
  EXPECT_FALSE(photo->isEnabled());
  Field<QCheckBox>(dialog, "DjvuTextOnly")->click();
  EXPECT_TRUE(photo->isEnabled());

  CAdvancedDjvuDlg bilevel(settings, true, prompts);
  EXPECT_FALSE(Field<QCheckBox>(bilevel, "DjvuTextOnly")->isEnabled());
}

TEST_F(SettingsDialogTest, AdvancedDefaultAndReset) {
  settings.djvuNoThick = settings.djvuLossless = settings.djvuTextOnly = 1;
  settings.djvuNoColorFilter = settings.djvuNoSizeFilter = settings.djvuNoInvFilter = 1;
  settings.djvuUpsample = 3;
  settings.djvuPhotoGamma = 1.0f;
  settings.djvuFilterLevel = 50;
  settings.djvuForeback = 20;
  const AppSettings custom = settings;
  CAdvancedDjvuDlg dialog(settings, false, prompts);
  dialog.button("Default")->click();
  ASSERT_TRUE(PressOk(dialog));
  AppSettings expected = custom;
  expected.djvuNoThick = expected.djvuLossless = expected.djvuTextOnly = 0;
  expected.djvuNoColorFilter = expected.djvuNoSizeFilter = expected.djvuNoInvFilter = 0;
  expected.djvuUpsample = 0;
  expected.djvuPhotoGamma = 2.2f;
  expected.djvuFilterLevel = expected.djvuForeback = 0;
  EXPECT_EQ(settings, expected);

  settings = custom;
  CAdvancedDjvuDlg reset(settings, false, prompts);
  reset.button("Default")->click();
  reset.button("Reset")->click();
  ASSERT_TRUE(PressOk(reset));
  EXPECT_EQ(settings, custom);
}

// ----- IW44 and JPEG Settings -----

TEST_F(SettingsDialogTest, Iw44RoundTripDefaultAndReset) {
  CIw44SettingsDlg dialog(settings, prompts);
  Type(Field<CSliderField>(dialog, "Iw44PhotoQty")->edit(), "64");
  Type(Field<CGammaField>(dialog, "Iw44PhotoGamma")->edit(), "3.5");
  Click(dialog, "Eliminate all color");
  ASSERT_TRUE(PressOk(dialog));
  EXPECT_EQ(settings.iw44PhotoQty, 64);
  EXPECT_FLOAT_EQ(settings.iw44PhotoGamma, 3.5f);
  EXPECT_EQ(settings.iw44Crcb, 2);

  const AppSettings custom = settings;
  CIw44SettingsDlg reset(settings, prompts);
  reset.button("Default")->click();
  EXPECT_EQ(Field<CSliderField>(reset, "Iw44PhotoQty")->value(), 80);
  EXPECT_EQ(Field<CGammaField>(reset, "Iw44PhotoGamma")->edit()->text(), "2.2");
  EXPECT_TRUE(ButtonNamed(reset, "Half color encoding")->isChecked());
  reset.button("Reset")->click();
  ASSERT_TRUE(PressOk(reset));
  EXPECT_EQ(settings, custom);

  CIw44SettingsDlg cancelled(settings, prompts);
  cancelled.button("Default")->click();
  cancelled.reject();
  EXPECT_EQ(settings, custom);
}

TEST_F(SettingsDialogTest, JpegRoundTripDefaultAndReset) {
  CJpegSettingsDlg dialog(settings, prompts);
  Type(Field<CSliderField>(dialog, "JpegQty")->edit(), "0");
  Type(Field<CSliderField>(dialog, "JpegSmooth")->edit(), "100");
  Field<QCheckBox>(dialog, "JpegOptHuff")->click();
  Click(*Field<QGroupBox>(dialog, "JpegEncodeDCT"), "Floating point");
  Click(*Field<QGroupBox>(dialog, "JpegDecodeDCT"), "Fast integer");
  ASSERT_TRUE(PressOk(dialog));
  EXPECT_EQ(settings.jpegQty, 0);
  EXPECT_EQ(settings.jpegSmooth, 100);
  EXPECT_EQ(settings.jpegOptHuff, 1);
  EXPECT_EQ(settings.jpegEncodeDct, 2);
  EXPECT_EQ(settings.jpegDecodeDct, 1);

  const AppSettings custom = settings;
  CJpegSettingsDlg reset(settings, prompts);
  reset.button("Default")->click();
  ASSERT_TRUE(PressOk(reset));
  EXPECT_EQ(settings.jpegQty, 75);
  EXPECT_EQ(settings.jpegSmooth, 0);
  EXPECT_EQ(settings.jpegOptHuff, 0);
  EXPECT_EQ(settings.jpegEncodeDct, 0);
  EXPECT_EQ(settings.jpegDecodeDct, 0);
  settings = custom;
  CJpegSettingsDlg again(settings, prompts);
  again.button("Default")->click();
  again.button("Reset")->click();
  ASSERT_TRUE(PressOk(again));
  EXPECT_EQ(settings, custom);
}

// ----- Thumbnail Options -----

TEST_F(SettingsDialogTest, ThumbnailSizeModeEnablesItsSides) {
  struct Case {
    const char* radio;
    int mode;
    bool width, height;
  } cases[] = {
      {"Has Fixed Width", 0, true, false},
      {"Has Fixed Height", 1, false, true},
      {"Fits Rectangle", 2, true, true},
  };
  for (const Case& c : cases) {
    // On opening with the mode stored ...
    settings.run.thumbnailSizeMode = c.mode;
    CThumbnailOptionsDlg opened(settings, prompts);
    EXPECT_EQ(opened.widthField()->isEnabled(), c.width) << c.radio;
    EXPECT_EQ(opened.heightField()->isEnabled(), c.height) << c.radio;
    // ... and at once on a click.
    settings.run.thumbnailSizeMode = (c.mode + 1) % 3;
    CThumbnailOptionsDlg clicked(settings, prompts);
    Click(clicked, c.radio);
    EXPECT_EQ(clicked.widthField()->isEnabled(), c.width) << c.radio;
    EXPECT_EQ(clicked.heightField()->isEnabled(), c.height) << c.radio;
  }
}

TEST_F(SettingsDialogTest, ThumbnailOptionsRoundTrip) {
  CThumbnailOptionsDlg dialog(settings, prompts);
  EXPECT_EQ(dialog.folderField()->path(), Q(dir.path()));
  Click(dialog, "Fits Rectangle");
  Type(dialog.widthField(), "320");
  Type(dialog.heightField(), "240");
  Click(dialog, "Grid average");
  prompts.folderChoice = Q(dir.file("thumbs"));
  dialog.folderField()->browseButton()->click();
  EXPECT_EQ(prompts.folderTitles, QStringList{"Select batch output directory"});
  EXPECT_EQ(prompts.folderStarts, QStringList{Q(dir.path())});
  ASSERT_TRUE(PressOk(dialog));
  EXPECT_EQ(settings.run.thumbnailSizeMode, 2);
  EXPECT_EQ(settings.run.thumbnailWidth, 320);
  EXPECT_EQ(settings.run.thumbnailHeight, 240);
  EXPECT_EQ(settings.run.thumbnailScaling, 2);
  EXPECT_EQ(settings.lcSaveDir, dir.file("thumbs"));

  // A side out of range is refused while it is used, ignored when it is not.
  CThumbnailOptionsDlg refused(settings, prompts);
  Type(refused.heightField(), "601");
  EXPECT_FALSE(PressOk(refused));
  EXPECT_EQ(prompts.warnings.last(), "Please enter an integer between 10 and 600.");
  Click(refused, "Has Fixed Width");
  ASSERT_TRUE(PressOk(refused));
  EXPECT_EQ(settings.run.thumbnailHeight, 240);
  EXPECT_EQ(settings.run.thumbnailSizeMode, 0);

  const AppSettings before = settings;
  CThumbnailOptionsDlg cancelled(settings, prompts);
  Click(cancelled, "Single sample");
  Type(cancelled.widthField(), "11");
  cancelled.reject();
  EXPECT_EQ(settings, before);
}

// ----- Batch conversion settings -----

TEST_F(SettingsDialogTest, BatchFormatIsSeededFromTheStoredTypeAndMapped) {
  settings.lcSaveType = 5;  // JPEG: the fourth radio
  std::vector<int> optionsShown;
  CBatchSettingsDlg dialog(
      settings, [&](int type) { optionsShown.push_back(type); }, prompts);
  EXPECT_EQ(dialog.formatGroup()->choice(), 3);
  // Options is there for the formats that have settings.
  const bool hasOptions[] = {true, true, false, true, false};
  for (int choice = 0; choice < 5; ++choice) {
    dialog.formatGroup()->radio(choice)->click();
    EXPECT_EQ(dialog.formatGroup()->optionsButton()->isEnabled(), hasOptions[choice]) << choice;
    if (hasOptions[choice]) dialog.formatGroup()->optionsButton()->click();
  }
  EXPECT_EQ(optionsShown, (std::vector<int>{1, 2, 5}));
  dialog.formatGroup()->radio(4)->click();  // PNM
  dialog.replaceBox()->click();
  dialog.thumbnailsBox()->click();
  dialog.textBox()->click();
  Type(dialog.folderField()->edit(), Q(dir.file("out")));
  ASSERT_TRUE(PressOk(dialog));
  EXPECT_EQ(settings.lcSaveType, 4);
  EXPECT_EQ(settings.lcSaveDir, dir.file("out"));
  EXPECT_EQ(settings.run.batchFormatChoice, 4);
  EXPECT_EQ(settings.run.batchReplaceExisting, 1);
  EXPECT_EQ(settings.run.batchAddThumbnails, 1);
  EXPECT_EQ(settings.run.batchAddText, 1);

  // Once chosen in this run, the run's choice is shown.
  settings.lcSaveType = 1;
  CBatchSettingsDlg again(settings, {}, prompts);
  EXPECT_EQ(again.formatGroup()->choice(), 4);
}

TEST_F(SettingsDialogTest, BatchNeedsAFormatAndCancelChangesNothing) {
  ASSERT_EQ(settings.lcSaveType, 0);  // none chosen yet
  CBatchSettingsDlg dialog(settings, {}, prompts);
  EXPECT_EQ(dialog.formatGroup()->choice(), -1);
  EXPECT_FALSE(dialog.formatGroup()->optionsButton()->isEnabled());
  EXPECT_FALSE(PressOk(dialog));
  EXPECT_EQ(prompts.warnings, QStringList{"Choose an output format to convert to!"});
  EXPECT_EQ(settings, stored);
  dialog.formatGroup()->radio(0)->click();
  dialog.folderField()->edit()->clear();
  EXPECT_FALSE(PressOk(dialog));
  EXPECT_EQ(prompts.warnings.last(), "Please enter the batch output directory.");

  CBatchSettingsDlg cancelled(settings, {}, prompts);
  cancelled.formatGroup()->radio(2)->click();
  cancelled.thumbnailsBox()->click();
  cancelled.reject();
  EXPECT_EQ(settings, stored);
}

// ----- Sweeper Options -----

TEST_F(SettingsDialogTest, SweeperRefusesFoldersThatAreNotApart) {
  const QString a = Q(dir.file("in")), b = Q(dir.file("out")), c = Q(dir.file("old"));
  const QString apart = "\nThe input, output and archive directories must be different!";
  struct Case {
    QString input, output, archive;
    int format;
    QString message;
  } cases[] = {
      {a, a, c, 0, "The input directory is the same as the output directory." + apart},
      {a, b, b, 0, "The output directory is the same as the archive directory!" + apart},
      {a, b, a.toUpper(), 0, "The input directory is the same as the archive directory!" + apart},
      {a, b, a + "/", 0, "The input directory is the same as the archive directory!" + apart},
      {a, a + "/../in/sub", c, 0,
       "The output directory is inside the input directory!\nThe sweeper would convert its own "
       "output again."},
      {a, b, a + "/archive", 0,
       "The archive directory is inside the input directory!\nThe sweeper would convert the files "
       "it archives again."},
      {a, b, c, -1, "No output format has been set!"},
      {"", b, c, 0, "Please enter the sweeper input directory."},
  };
  for (const Case& k : cases) {
    test::FakePrompts asked;
    CSweeperOptionsDlg dialog(settings, {}, asked);
    dialog.inputField()->setPath(k.input);
    dialog.outputField()->setPath(k.output);
    dialog.archiveField()->setPath(k.archive);
    dialog.formatGroup()->setChoice(k.format);
    EXPECT_FALSE(PressOk(dialog)) << k.message.toStdString();
    EXPECT_EQ(asked.warnings, QStringList{k.message});
    EXPECT_EQ(settings, stored);
  }
  // Folders that only begin alike are apart.
  EXPECT_TRUE(CheckSweepFolders(a, a + "put", a + "-old").message.isEmpty());
}

TEST_F(SettingsDialogTest, SweeperRoundTrip) {
  settings.sweepSaveType = 2;  // not the seed of the radios: they start at none every run
  CSweeperOptionsDlg dialog(
      settings, [&](int type) { prompts.messages << QString::number(type); }, prompts);
  EXPECT_EQ(dialog.formatGroup()->choice(), -1);
  EXPECT_EQ(dialog.inputField()->path(), Q(dir.path()));
  dialog.formatGroup()->radio(3)->click();  // JPEG
  dialog.formatGroup()->optionsButton()->click();
  EXPECT_EQ(prompts.messages, QStringList{"5"});
  const QString titles[] = {"Select sweeper input directory", "Select sweeper output directory",
                            "Select sweeper archive directory"};
  CFolderField* fields[] = {dialog.inputField(), dialog.outputField(), dialog.archiveField()};
  const char* names[] = {"in", "out", "old"};
  for (int i = 0; i < 3; ++i) {
    prompts.folderChoice = Q(dir.file(names[i]));
    fields[i]->browseButton()->click();
    EXPECT_EQ(prompts.folderTitles.last(), titles[i]);
  }
  prompts.folderChoice.clear();  // a cancelled chooser leaves the field as it was
  dialog.inputField()->browseButton()->click();
  EXPECT_EQ(dialog.inputField()->path(), Q(dir.file("in")));
  dialog.thumbnailsBox()->click();
  dialog.textBox()->click();
  ASSERT_TRUE(PressOk(dialog));
  EXPECT_EQ(settings.sweepOpenDir, dir.file("in"));
  EXPECT_EQ(settings.sweepSaveDir, dir.file("out"));
  EXPECT_EQ(settings.sweepArchiveDir, dir.file("old"));
  EXPECT_EQ(settings.sweepSaveType, 5);
  EXPECT_EQ(settings.run.sweepFormatChoice, 3);
  EXPECT_EQ(settings.run.sweepAddThumbnails, 1);
  EXPECT_EQ(settings.run.sweepAddText, 1);

  const AppSettings before = settings;
  CSweeperOptionsDlg cancelled(settings, {}, prompts);
  EXPECT_EQ(cancelled.formatGroup()->choice(), 3);  // the choice made in this run
  cancelled.outputField()->setPath(Q(dir.file("elsewhere")));
  cancelled.thumbnailsBox()->click();
  cancelled.reject();
  EXPECT_EQ(settings, before);
}

// ----- every dialog -----

// The control named after each setting the dialog edits, with the range
// the settings table gives.
void ExpectControlsOfItsSettings(QDialog& dialog, SettingEditor editor) {
  for (const SettingDescription& s : kSettings) {
    if (s.editor != editor) continue;
    SCOPED_TRACE(s.key);
    QWidget* control = dialog.findChild<QWidget*>(QString::fromLatin1(s.key));
    ASSERT_NE(control, nullptr);
    if (auto* slider = qobject_cast<CSliderField*>(control)) {
      EXPECT_EQ(slider->minimum(), s.lowest());
      EXPECT_EQ(slider->maximum(), s.highest());
      EXPECT_EQ(slider->slider()->minimum(), s.lowest());
      EXPECT_EQ(slider->slider()->maximum(), s.highest());
    } else if (auto* spin = qobject_cast<CRangeSpinBox*>(control)) {
      EXPECT_EQ(spin->rangeMinimum(), s.lowest());
      EXPECT_EQ(spin->rangeMaximum(), s.highest());
    } else if (auto* gamma = qobject_cast<CGammaField*>(control)) {
      EXPECT_EQ(gamma->minimum(), s.minimum);
      EXPECT_EQ(gamma->maximum(), s.maximum);
    } else if (auto* box = qobject_cast<QComboBox*>(control)) {
      ASSERT_EQ(box->count(), static_cast<int>(s.choices.size()));
      for (int i = 0; i < box->count(); ++i) EXPECT_EQ(box->itemData(i).toInt(), s.choices[i]);
    } else if (s.type == SettingType::kNumber) {
      // A radio group: one radio for each value.
      EXPECT_EQ(control->findChildren<QRadioButton*>().size(), s.highest() - s.lowest() + 1);
    }
  }
}

TEST_F(SettingsDialogTest, EveryDialogHasItsTitleHelpPageAndTheControlsOfItsSettings) {
  CGeneralSettingsDlg general(settings, prompts);
  CDjvuSettingsDlg djvu(settings, {}, prompts);
  CAdvancedDjvuDlg advanced(settings, false, prompts);
  CIw44SettingsDlg iw44(settings, prompts);
  CJpegSettingsDlg jpeg(settings, prompts);
  CThumbnailOptionsDlg thumbnails(settings, prompts);
  CBatchSettingsDlg batch(settings, {}, prompts);
  CSweeperOptionsDlg sweeper(settings, {}, prompts);
  struct Expected {
    CSettingsDialog* dialog;
    SettingEditor editor;
    const char* title;
    const char* topic;
  };
  const Expected dialogs[] = {
      {&general, SettingEditor::kGeneralSettings, "General Settings", "GeneralOptions.html"},
      {&djvu, SettingEditor::kDjvuSettings, "DjVu Settings", "DjvuOptions.html"},
      {&advanced, SettingEditor::kAdvancedDjvu, "DjVu Advanced Parameters", "AdvDjvuOptions.html"},
      {&iw44, SettingEditor::kIw44Settings, "IW44 Settings", "IW44Options.html"},
      {&jpeg, SettingEditor::kJpegSettings, "JPEG Settings", "JpegOptions.html"},
      {&thumbnails, SettingEditor::kThumbnailOptions, "Thumbnail Options", "ThumbnailOptions.html"},
      {&batch, SettingEditor::kBatchSettings, "Batch conversion settings", "BatchOptions.html"},
      {&sweeper, SettingEditor::kSweeperOptions, "Sweeper Options", "SweepOptions.html"},
  };
  for (const Expected& expected : dialogs) {
    EXPECT_EQ(expected.dialog->windowTitle(), expected.title);
    EXPECT_EQ(expected.dialog->helpTopic(), expected.topic);
    EXPECT_NE(expected.dialog->button("Help"), nullptr) << expected.title;
    ExpectControlsOfItsSettings(*expected.dialog, expected.editor);
  }
}

// ----- the Options menu -----

class OptionsMenuTest : public SettingsDialogTest {
 protected:
  OptionsMenuTest() {
    auto fake = std::make_unique<test::FakePrompts>();
    asked = fake.get();
    frame = std::make_unique<CMainFrame>(settings, QString(), std::move(fake));
  }

  // Triggers a menu command and answers the dialog it opens; its title.
  QString run(const char* command, std::function<void(QDialog&)> answer) {
    QString title;
    WhenModalOpens([&title, answer](QDialog& dialog) {
      title = dialog.windowTitle();
      answer(dialog);
    });
    QAction* action = frame->action(QString::fromLatin1(command));
    EXPECT_TRUE(action && action->isEnabled()) << command;
    if (action) action->trigger();
    return title;
  }

  // Opens a page of the type, saved by our own writer.
  void openPage(FileTypeCode type, const char* name) {
    DibImage image;
    test::BmpRecipe recipe;
    recipe.width = 64;
    recipe.height = 48;
    recipe.bits = 24;
    recipe.pixel = [](int x, int y) { return uint32_t(x * 4 + y * 1024); };
    test::MakeImage(image, recipe);
    const std::string path = dir.file(name);
    ASSERT_TRUE(SaveImageFile(path, type, image));
    ASSERT_TRUE(frame->openFile(Q(path)));
    ASSERT_FALSE(frame->document().isModified());
  }

  test::FakePrompts* asked = nullptr;
  std::unique_ptr<CMainFrame> frame;
};

TEST_F(OptionsMenuTest, EveryCommandOpensItsDialog) {
  const std::pair<const char*, const char*> commands[] = {
      {"General Settings", "General Settings"},    {"DjVu Settings", "DjVu Settings"},
      {"IW44 Settings", "IW44 Settings"},          {"JPEG Settings", "JPEG Settings"},
      {"Thumbnail Settings", "Thumbnail Options"}, {"Batch Settings", "Batch conversion settings"},
      {"Sweep Settings", "Sweeper Options"},
  };
  for (const auto& [command, title] : commands) {
    EXPECT_EQ(run(command, [](QDialog& dialog) { dialog.reject(); }), title);
  }
  EXPECT_EQ(settings, stored);
}

TEST_F(OptionsMenuTest, FormatSettingsMarkAPageOfTheirTypeModified) {
  openPage(kFileDjvu, "page.djvu");
  run("IW44 Settings", [](QDialog& dialog) { dialog.accept(); });
  run("JPEG Settings", [](QDialog& dialog) { dialog.accept(); });
  EXPECT_FALSE(frame->document().isModified());
  run("DjVu Settings", [](QDialog& dialog) { dialog.reject(); });
  EXPECT_FALSE(frame->document().isModified());
  // A Quick set click counts even when the dialog is cancelled.
  run("DjVu Settings", [](QDialog& dialog) {
    Click(dialog, "Low resolution (below 100 DPI)");
    dialog.reject();
  });
  EXPECT_TRUE(frame->document().isModified());
  EXPECT_EQ(settings.djvuUpsample, 2);

  openPage(kFileIw44, "photo.iw44");
  run("DjVu Settings", [](QDialog& dialog) { dialog.accept(); });
  EXPECT_FALSE(frame->document().isModified());
  run("IW44 Settings", [](QDialog& dialog) { dialog.accept(); });
  EXPECT_TRUE(frame->document().isModified());
}

TEST_F(OptionsMenuTest, BatchOptionsOpenTheFormatsDialog) {
  settings.lcSaveType = 2;
  QString inner;
  run("Batch Settings", [&inner](QDialog& batch) {
    WhenModalOpens([&inner](QDialog& iw44) {
      inner = iw44.windowTitle();
      Type(Field<CSliderField>(iw44, "Iw44PhotoQty")->edit(), "33");
      iw44.accept();
    });
    Click(batch, "Options");
    batch.reject();
  });
  EXPECT_EQ(inner, "IW44 Settings");
  EXPECT_EQ(settings.iw44PhotoQty, 33);
}

TEST_F(OptionsMenuTest, DisplaySettingsRenderTheDjvuPageAgain) {
  openPage(kFileDjvu, "page.djvu");
  int renders = 0;
  QObject::connect(&frame->document(), &CLeafDoc::pixelsChanged, [&renders] { ++renders; });
  run("General Settings", [](QDialog& dialog) { dialog.accept(); });
  EXPECT_EQ(renders, 0);  // nothing changed
  run("General Settings", [](QDialog& dialog) {
    Type(Field<CGammaField>(dialog, "DisplayGamma")->edit(), "1.4");
    dialog.accept();
  });
  EXPECT_EQ(renders, 1);
  EXPECT_FLOAT_EQ(settings.displayGamma, 1.4f);
}

}  // namespace
}  // namespace leaf
