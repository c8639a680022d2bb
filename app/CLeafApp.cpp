#include "CLeafApp.h"

#include <QCommandLineParser>
#include <QScreen>
#include <cstdio>

#include "BackgroundTask.h"
#include "CLeafDoc.h"
#include "CMainFrame.h"
#include "CProgramHintDlg.h"
#include "SettingsLocation.h"

using namespace leaf;

CLeafApp::CLeafApp(int& argc, char** argv) : app_(argc, argv) {
  QApplication::setApplicationName(QStringLiteral("Leafsmith"));
  QApplication::setApplicationVersion(QStringLiteral(LEAFSMITH_VERSION));
  QApplication::setDesktopFileName(QStringLiteral("leafsmith"));
}

CLeafApp::~CLeafApp() = default;

bool CLeafApp::parseCommandLine() {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Views, converts and lightly edits scanned document images."));
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption settingsOption(
      QStringLiteral("settings"),
      QStringLiteral("Use this settings file instead of the usual one."), QStringLiteral("FILE"));
  parser.addOption(settingsOption);
  parser.addPositionalArgument(QStringLiteral("file"),
                               QStringLiteral("The image file to open (optional)."),
                               QStringLiteral("[FILE]"));
  if (!parser.parse(QApplication::arguments())) {
    std::fprintf(stderr, "leafsmith: %s\n", qPrintable(parser.errorText()));
    earlyExit_ = 2;
    return false;
  }
  if (parser.isSet(QStringLiteral("help"))) {
    std::printf("%s", qPrintable(parser.helpText()));
    earlyExit_ = 0;
    return false;
  }
  if (parser.isSet(QStringLiteral("version"))) {
    std::printf("Leafsmith %s\n", LEAFSMITH_VERSION);
    earlyExit_ = 0;
    return false;
  }
  const QStringList files = parser.positionalArguments();
  if (files.size() > 1) {
    std::fprintf(stderr, "leafsmith: give at most one file to open\n");
    earlyExit_ = 2;
    return false;
  }
  if (!files.isEmpty()) fileToOpen_ = files.front();
  profilePath_ = parser.isSet(settingsOption) ? parser.value(settingsOption)
                                              : QString::fromStdString(DefaultProfilePath());
  return true;
}

void CLeafApp::showStartupHint() {
  if (settings_.noStartupInfo == 1) return;
  CProgramHintDlg dialog(false, frame_.get());
  dialog.exec();
  settings_.noStartupInfo = dialog.doNotShowAgain() ? 1 : 0;
}

void CLeafApp::warnAboutLowColorDisplay() {
  const QScreen* screen = frame_->screen();
  const int bits = screen ? screen->depth() : 24;
  frame_->document().setDisplayDepth(bits);
  if (bits > 8) return;
  frame_->prompts().showWarning(
      QStringLiteral("Your display color depth is only %1-bit.\n\nSome images may not appear to "
                     "look good on the screen at this color depth.\nIt is recommended that you "
                     "increase the color depth to be at least 16-bit.")
          .arg(bits));
}

int CLeafApp::run() {
  if (!parseCommandLine()) return earlyExit_;
  settings_ = LoadSettings(profilePath_.toStdString(), HomeDirectory());
  frame_ = std::make_unique<CMainFrame>(settings_, profilePath_);
  if (const QScreen* screen = frame_->screen()) frame_->document().setDisplayDepth(screen->depth());
  frame_->document().newDocument();
  frame_->show();
  if (!fileToOpen_.isEmpty() && !frame_->openFile(fileToOpen_)) {
    // The open has shown why; a program started to show one file ends here.
    frame_.reset();
    WaitForBackgroundTasks();
    return 1;
  }
  showStartupHint();
  warnAboutLowColorDisplay();
  const int status = QApplication::exec();
  frame_.reset();
  WaitForBackgroundTasks();
  return status;
}
