// The main window's scanner commands: Select Source, New Scan and Acquire
// All Pages.
#include <QStatusBar>

#include "BackgroundTask.h"
#include "CLeafDoc.h"
#include "CLeafView.h"
#include "CMainFrame.h"
#include "CSaveProgressDlg.h"
#include "scanner/Scanner.h"

using namespace leaf;

namespace {

constexpr int kShowOpeningAfterMs = 300;

QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

void CMainFrame::selectSourceCommand() {
  QString device = Q(settings_.scanDevice);
  if (!prompts_->chooseScanDevice(device)) return;
  settings_.scanDevice = device.toStdString();
  statusBar()->showMessage(tr("Pages will be acquired from %1.").arg(device));
}

bool CMainFrame::queryScanner(std::string& device, scan::ScannerCapabilities& caps) {
  CSaveProgressDlg dialog(tr("New Scan"), tr("Opening the scanner..."), this);
  struct Result {
    bool ok = false;
    std::string device, error;
    scan::ScannerCapabilities caps;
  };
  auto result = std::make_shared<Result>();
  const TaskOutcome outcome =
      RunBackgroundTask(dialog, kShowOpeningAfterMs, [name = device, result](const TaskReporter&) {
        result->ok = scan::QueryScanner(name, result->device, result->caps, result->error);
      });
  if (outcome == TaskOutcome::Stopped) return false;
  if (!result->ok) {
    QString reason = Q(result->error);
    if (!device.empty()) reason += tr(" Choose another scanner with File > Select Source.");
    prompts_->showError(tr("Failed to acquire image!"), reason);
    return false;
  }
  device = result->device;
  caps = result->caps;
  return true;
}

void CMainFrame::newScanCommand(bool allPages) {
  if (!doc_->confirmDiscard()) return;
  std::string device = settings_.scanDevice;
  scan::ScannerCapabilities caps;
  if (!queryScanner(device, caps)) return;
  if (allPages && !caps.hasFeeder()) {
    prompts_->showWarning(
        tr("The scanner %1 has no document feeder: it scans one page at a time.").arg(Q(device)));
  }
  scan::ScanRequest request;
  request.mode = settings_.scanMode;
  request.resolution = settings_.scanResolution;
  request.source = settings_.scanSource;
  if (!prompts_->chooseScanOptions(Q(device), caps, allPages, request)) return;
  request.device = device;
  settings_.scanMode = request.mode;
  settings_.scanResolution = request.resolution;
  settings_.scanSource = request.source;
  if (doc_->acquire(request, view_->fitArea())) {
    raise();
    activateWindow();
    view_->setFocus();
  }
}
