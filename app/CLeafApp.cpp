#include "CLeafApp.h"

#include <QCommandLineParser>
#include <QScreen>
#include <QSessionManager>
#include <cstdio>

#include "BackgroundTask.h"
#include "CLeafDoc.h"
#include "CMainFrame.h"
#include "CProgramHintDlg.h"
#include "SettingsLocation.h"

using namespace leaf;

namespace {

// True when Qt has a screen to open the window on.
bool HasDisplay() {
  return !qEnvironmentVariableIsEmpty("DISPLAY") ||
         !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
         !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

}  // namespace

CLeafApp::CLeafApp(int& argc, char** argv) : argc_(argc), argv_(argv) {}

CLeafApp::~CLeafApp() {
  frame_.reset();
  app_.reset();
}

bool CLeafApp::parseCommandLine(const QStringList& arguments) {
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
  if (!parser.parse(arguments)) {
    std::fprintf(stderr, "leafsmith: %s\n", qPrintable(parser.errorText()));
    earlyExit_ = 2;
    return false;
  }
  if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
    QString help = parser.helpText();
    help.replace(QStringLiteral("<executable_name>"), QStringLiteral("leafsmith"));
    std::printf("%s", qPrintable(help));
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
  QStringList arguments;
  for (int i = 0; i < argc_; ++i) arguments << QString::fromLocal8Bit(argv_[i]);
  if (!parseCommandLine(arguments)) return earlyExit_;
  if (!HasDisplay()) {
    std::fprintf(stderr,
                 "leafsmith: no display to open the window on (DISPLAY is not set); "
                 "leafsmith-cli converts files without one\n");
    return 1;
  }
  app_ = std::make_unique<QApplication>(argc_, argv_);
  QApplication::setApplicationName(QStringLiteral("Leafsmith"));
  QApplication::setApplicationVersion(QStringLiteral(LEAFSMITH_VERSION));
  QApplication::setDesktopFileName(QStringLiteral("leafsmith"));
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
  // Logging off with the program open: the page is saved or given up first.
  QObject::connect(app_.get(), &QGuiApplication::commitDataRequest, frame_.get(),
                   [this](QSessionManager& manager) {
                     if (!manager.allowsInteraction()) return;
                     const bool quit = frame_->queryEndSession();
                     manager.release();
                     if (!quit) manager.cancel();
                   });
  showStartupHint();
  warnAboutLowColorDisplay();
  const int status = QApplication::exec();
  frame_.reset();
  WaitForBackgroundTasks();
  return status;
}
