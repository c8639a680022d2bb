#include "CMainFrame.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QPointer>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QThreadPool>
#include <QToolBar>
#include <atomic>

#include "CAboutDlg.h"
#include "CAddTextDlg.h"
#include "CBatchSettingsDlg.h"
#include "CDjvuSettingsDlg.h"
#include "CGeneralSettingsDlg.h"
#include "CHelpWindow.h"
#include "CIw44SettingsDlg.h"
#include "CJpegSettingsDlg.h"
#include "CLeafDoc.h"
#include "CLeafView.h"
#include "CProgramHintDlg.h"
#include "CResizeDlg.h"
#include "CSweeperOptionsDlg.h"
#include "CThumbnailOptionsDlg.h"
#include "DocumentTexts.h"
#include "FileAssociations.h"
#include "FileDialogFilters.h"
#include "PagePrinting.h"
#include "ProgramLogo.h"
#include "RecentFiles.h"
#include "ToolbarIcons.h"
#include "ZoomLevel.h"

using namespace leaf;

namespace {

constexpr const char* kProgramName = "Leafsmith";
constexpr int kEmptyWindowWidth = 600;
constexpr int kEmptyWindowHeight = 500;
constexpr int kMinimumFitWidth = 420;
constexpr int kMinimumFitHeight = 320;

QString Q(const std::string& text) { return QString::fromStdString(text); }

// "&Open..." -> "Open".
QString CommandName(QString text) {
  text.remove('&');
  if (text.endsWith(QStringLiteral("..."))) text.chop(3);
  return text;
}

// The first local file among dropped or pasted URLs.
QString FirstLocalFile(const QMimeData* mime) {
  if (!mime || !mime->hasUrls()) return {};
  for (const QUrl& url : mime->urls()) {
    if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile()) return url.toLocalFile();
  }
  return {};
}

}  // namespace

CMainFrame::CMainFrame(AppSettings& settings, QString profilePath,
                       std::unique_ptr<CUserPrompts> prompts, QWidget* parent)
    : QMainWindow(parent),
      settings_(settings),
      profilePath_(std::move(profilePath)),
      prompts_(prompts ? std::move(prompts) : std::make_unique<CDialogPrompts>(this)) {
  // "Review the settings" before saving as DjVu opens the DjVu settings.
  if (auto* dialogs = dynamic_cast<CDialogPrompts*>(prompts_.get())) {
    dialogs->setDjvuSettingsHandler([this] { djvuSettingsCommand(); });
  }
  associationQueries_ = new QThreadPool(this);
  associationQueries_->setMaxThreadCount(1);
  setWindowIcon(QIcon(ProgramLogo(64)));
  setAcceptDrops(true);
  doc_ = new CLeafDoc(settings_, *prompts_, this);
  doc_->setDialogParent(this);
  view_ = new CLeafView(*doc_, settings_, this);
  setCentralWidget(view_);

  createSelectionBar();
  createFileMenu();
  createEditMenu();
  createViewMenu();
  createImageMenu();
  createOptionsMenu();
  createMultiprocessMenu();
  createHelpMenu();
  createToolBar();
  createStatusBar();
  connectDocument();

  resize(kEmptyWindowWidth, kEmptyWindowHeight);
  updateTitle();
  updateRecentFiles();
  updateInfoPanes();
  updateCommands();
}

CMainFrame::~CMainFrame() { endManyFilesWork(); }

// ----- building the window -----

QAction* CMainFrame::addCommand(QMenu* menu, const QString& text, const QString& prompt,
                                const QList<QKeySequence>& shortcuts) {
  auto* action = new QAction(text, this);
  action->setStatusTip(prompt);
  action->setToolTip(CommandName(text));
  if (!shortcuts.isEmpty()) action->setShortcuts(shortcuts);
  if (menu) menu->addAction(action);
  actions_.insert(CommandName(text), action);
  return action;
}

void CMainFrame::createFileMenu() {
  QMenu* menu = menuBar()->addMenu(tr("&File"));
  connect(addCommand(menu, tr("&New Scan"), tr("Scan a new document"), {QKeySequence::New}),
          &QAction::triggered, this, [this] { newScanCommand(false); });
  connect(addCommand(menu, tr("Acquire A&ll Pages..."),
                     tr("Scan every page in the document feeder into one document")),
          &QAction::triggered, this, [this] { newScanCommand(true); });
  connect(addCommand(menu, tr("&Open..."), tr("Open an existing document"), {QKeySequence::Open}),
          &QAction::triggered, this, &CMainFrame::openCommand);
  connect(addCommand(menu, tr("&Save"), tr("Save the active document"), {QKeySequence::Save}),
          &QAction::triggered, doc_, &CLeafDoc::saveCommand);
  connect(addCommand(menu, tr("Save &As..."), tr("Save the active document with a new name"),
                     {QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_S), QKeySequence::SaveAs}),
          &QAction::triggered, doc_, [this] { doc_->saveAsCommand(); });
  menu->addSeparator();
  connect(addCommand(menu, tr("Select Sour&ce..."), tr("Select the scanner to acquire pages from")),
          &QAction::triggered, this, &CMainFrame::selectSourceCommand);
  menu->addSeparator();
  connect(addCommand(menu, tr("&Print..."), tr("Print the active document"), {QKeySequence::Print}),
          &QAction::triggered, this, &CMainFrame::printCommand);
  connect(addCommand(menu, tr("Print Pre&view"), tr("Display full pages")), &QAction::triggered,
          this, &CMainFrame::printPreviewCommand);
  connect(addCommand(menu, tr("P&rint Setup..."), tr("Change the printer and printing options")),
          &QAction::triggered, this, &CMainFrame::printSetupCommand);
  recentSeparator_ = menu->addSeparator();
  for (int i = 0; i < kRecentFileCount; ++i) {
    auto* recent = new QAction(this);
    recent->setVisible(false);
    recent->setStatusTip(tr("Open this document"));
    connect(recent, &QAction::triggered, this, [this, i] { openRecentFile(i); });
    menu->addAction(recent);
    recentActions_.append(recent);
  }
  menu->addSeparator();
  connect(addCommand(menu, tr("E&xit"), tr("Quit the application; prompts to save documents"),
                     {QKeySequence::Quit}),
          &QAction::triggered, this, &CMainFrame::exitCommand);
}

// A menu command of the document: runs, then the commands' states follow.
QAction* CMainFrame::addDocCommand(QMenu* menu, const QString& text, const QString& prompt,
                                   const std::function<void()>& run,
                                   const QList<QKeySequence>& shortcuts) {
  QAction* action = addCommand(menu, text, prompt, shortcuts);
  connect(action, &QAction::triggered, this, [this, run] {
    run();
    updateCommands();
  });
  return action;
}

void CMainFrame::createEditMenu() {
  QMenu* menu = menuBar()->addMenu(tr("&Edit"));
  addDocCommand(menu, tr("&Undo"), tr("Undo the last action"), [this] { doc_->undo(); },
                {QKeySequence::Undo, QKeySequence(Qt::ALT | Qt::Key_Backspace)});
  menu->addSeparator();
  addDocCommand(menu, tr("Cu&t"), tr("Cut the selection and put it on the Clipboard"),
                [this] { cutCommand(); },
                {QKeySequence::Cut, QKeySequence(Qt::SHIFT | Qt::Key_Delete)});
  addDocCommand(menu, tr("&Copy"), tr("Copy the selection and put it on the Clipboard"),
                [this] { doc_->copy(selectionOrWhole()); },
                {QKeySequence::Copy, QKeySequence(Qt::CTRL | Qt::Key_Insert)});
  addDocCommand(menu, tr("&Paste"), tr("Insert Clipboard contents"),
                [this] { doc_->paste(view_->fitArea()); },
                {QKeySequence::Paste, QKeySequence(Qt::SHIFT | Qt::Key_Insert)});
  addDocCommand(menu, tr("Paste As &New"), tr("Make a new document of the Clipboard contents"),
                [this] { doc_->pasteAsNew(view_->fitArea()); },
                {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V)});
  addDocCommand(menu, tr("Cl&ear"), tr("Close the image and empty the window"),
                [this] { doc_->clear(); });
  menu->addSeparator();
  addDocCommand(menu, tr("Empty C&lipboard"), tr("Empty the Clipboard"),
                [] { CLeafDoc::emptyClipboard(); });
  addDocCommand(menu, tr("Empty Undo &Buffer"), tr("Free the memory kept for Undo"),
                [this] { doc_->emptyUndoBuffer(); });
  addTextCommands(menu);
}

void CMainFrame::createViewMenu() {
  QMenu* menu = menuBar()->addMenu(tr("&View"));
  QAction* toolbar = addCommand(menu, tr("&Toolbar"), tr("Show or hide the toolbar"));
  toolbar->setCheckable(true);
  toolbar->setChecked(true);
  QAction* statusBarAction = addCommand(menu, tr("&Status Bar"), tr("Show or hide the status bar"));
  statusBarAction->setCheckable(true);
  statusBarAction->setChecked(true);
  connect(statusBarAction, &QAction::toggled, this,
          [this](bool on) { statusBar()->setVisible(on); });
  QAction* selectionBar =
      addCommand(menu, tr("S&election Bar"), tr("Show or hide the file selection bar"));
  selectionBar->setCheckable(true);
  connectSelectionBarAction(selectionBar);
  menu->addSeparator();
  connect(addCommand(menu, tr("Zoom &In"), tr("Zoom in"),
                     {QKeySequence(Qt::Key_Plus), QKeySequence(Qt::KeypadModifier | Qt::Key_Plus),
                      QKeySequence::ZoomIn}),
          &QAction::triggered, view_, &CLeafView::zoomIn);
  connect(addCommand(menu, tr("Zoom &Out"), tr("Zoom out"),
                     {QKeySequence(Qt::Key_Minus), QKeySequence(Qt::KeypadModifier | Qt::Key_Minus),
                      QKeySequence::ZoomOut}),
          &QAction::triggered, view_, &CLeafView::zoomOut);
  menu->addSeparator();
  connect(addCommand(menu, tr("&Previous Page"), tr("Show the previous page"),
                     {QKeySequence(Qt::Key_PageUp)}),
          &QAction::triggered, view_, &CLeafView::previousPage);
  connect(addCommand(menu, tr("&Next Page"), tr("Show the next page"),
                     {QKeySequence(Qt::Key_PageDown)}),
          &QAction::triggered, view_, &CLeafView::nextPage);
  connect(
      addCommand(menu, tr("&First Page"), tr("Show the first page"), {QKeySequence(Qt::Key_Home)}),
      &QAction::triggered, view_, &CLeafView::firstPage);
  connect(addCommand(menu, tr("&Last Page"), tr("Show the last page"), {QKeySequence(Qt::Key_End)}),
          &QAction::triggered, view_, &CLeafView::lastPage);
  menu->addSeparator();
  QMenu* layers = menu->addMenu(tr("DjVu &Layer"));
  layerGroup_ = new QActionGroup(this);
  const QString layerNames[] = {tr("&Color"), tr("&Black And White"), tr("B&ackground"),
                                tr("&Foreground")};
  const QString layerPrompts[] = {tr("Show every layer of the DjVu page"),
                                  tr("Show the black and white mask of the DjVu page"),
                                  tr("Show the background layer of the DjVu page"),
                                  tr("Show the foreground layer of the DjVu page")};
  for (int layer = 0; layer < 4; ++layer) {
    QAction* action = addCommand(layers, layerNames[layer], layerPrompts[layer]);
    action->setCheckable(true);
    action->setChecked(layer == 0);
    layerGroup_->addAction(action);
    connect(action, &QAction::triggered, view_, [this, layer] { view_->setLayer(layer); });
  }
  menu->addSeparator();
  connect(addCommand(menu, tr("&Refresh"), tr("Redraw the document"), {QKeySequence(Qt::Key_F5)}),
          &QAction::triggered, view_, &CLeafView::refresh);
  connect(toolbar, &QAction::toggled, this, [this](bool on) {
    if (toolBar_) toolBar_->setVisible(on);
  });
}

void CMainFrame::createImageMenu() {
  QMenu* menu = menuBar()->addMenu(tr("&Image"));
  addDocCommand(menu, tr("&Flip"), tr("Turn the image upside down"), [this] { doc_->flip(); });
  addDocCommand(menu, tr("&Mirror"), tr("Mirror the image left to right"),
                [this] { doc_->mirror(); });
  QMenu* rotate = menu->addMenu(tr("&Rotate"));
  addDocCommand(rotate, tr("90 degrees &left"), tr("Rotate the image counter-clockwise"),
                [this] { doc_->rotateLeft(); });
  addDocCommand(rotate, tr("90 degrees &right"), tr("Rotate the image clockwise"),
                [this] { doc_->rotateRight(); });
  addDocCommand(rotate, tr("&180 degrees"), tr("Rotate the image by a half turn"),
                [this] { doc_->rotateHalfTurn(); });
  addDocCommand(menu, tr("Re&size..."), tr("Change the size of the image"),
                [this] { resizeCommand(); });
  addDocCommand(menu, tr("&Crop"), tr("Keep only the selection"), [this] {
    if (doc_->crop(view_->selection())) view_->dropSelection();
  });
  addDocCommand(menu, tr("&Negative"), tr("Invert the colors of the image"),
                [this] { doc_->negative(); });
  addDocCommand(menu, tr("Convert To &Gray"), tr("Convert the image to shades of gray"),
                [this] { doc_->convertToGray(); });
  addDocCommand(menu, tr("Add &Text..."), tr("Stamp a text label on the image"),
                [this] { addTextCommand(); });
}

void CMainFrame::createOptionsMenu() {
  QMenu* menu = menuBar()->addMenu(tr("&Options"));
  auto add = [this, menu](const QString& text, const QString& prompt, bool (CMainFrame::*run)()) {
    connect(addCommand(menu, text, prompt), &QAction::triggered, this,
            [this, run] { (this->*run)(); });
  };
  add(tr("&General Settings..."), tr("Change the general settings"),
      &CMainFrame::generalSettingsCommand);
  add(tr("&DjVu Settings..."), tr("Change the DjVu encoding settings"),
      &CMainFrame::djvuSettingsCommand);
  add(tr("&IW44 Settings..."), tr("Change the IW44 encoding settings"),
      &CMainFrame::iw44SettingsCommand);
  add(tr("&JPEG Settings..."), tr("Change the JPEG settings"), &CMainFrame::jpegSettingsCommand);
  connect(addCommand(menu, tr("&Text Settings..."), tr("Change the text label settings")),
          &QAction::triggered, this, &CMainFrame::textSettingsCommand);
  add(tr("T&humbnail Settings..."), tr("Change the thumbnail settings"),
      &CMainFrame::thumbnailSettingsCommand);
  add(tr("&Batch Settings..."), tr("Change the batch conversion settings"),
      &CMainFrame::batchSettingsCommand);
  add(tr("&Sweep Settings..."), tr("Change the sweeper settings"),
      &CMainFrame::sweepSettingsCommand);
}

void CMainFrame::createHelpMenu() {
  QMenu* menu = menuBar()->addMenu(tr("&Help"));
  connect(addCommand(menu, tr("&Help Topics"), tr("List Help topics"), {QKeySequence(Qt::Key_F1)}),
          &QAction::triggered, this, &CMainFrame::helpTopicsCommand);
  connect(addCommand(menu, tr("&Register as Default Viewer"),
                     tr("Open DjVu, IW44, JPEG, TIFF, BMP and PNM files with Leafsmith")),
          &QAction::triggered, this, &CMainFrame::registerAsDefaultViewerCommand);
  menu->addSeparator();
  connect(addCommand(menu, tr("Start&up Information"), tr("Show the start-up hint")),
          &QAction::triggered, this, &CMainFrame::startupInformationCommand);
  connect(addCommand(menu, tr("&About Leafsmith..."),
                     tr("Display program information, version number and copyright")),
          &QAction::triggered, this, &CMainFrame::aboutCommand);
  actions_.insert(QStringLiteral("About"), actions_.value(QStringLiteral("About Leafsmith")));
}

void CMainFrame::createToolBar() {
  toolBar_ = addToolBar(tr("Toolbar"));
  toolBar_->setObjectName(QStringLiteral("toolbar"));
  auto add = [this](const QString& name, ToolbarIcon icon) {
    QAction* a = action(name);
    a->setIcon(MakeToolbarIcon(icon));
    toolBar_->addAction(a);
  };
  add(QStringLiteral("New Scan"), ToolbarIcon::NewScan);
  add(QStringLiteral("Open"), ToolbarIcon::Open);
  add(QStringLiteral("Save As"), ToolbarIcon::SaveAs);
  toolBar_->addSeparator();
  add(QStringLiteral("Print"), ToolbarIcon::Print);
  toolBar_->addSeparator();
  add(QStringLiteral("Cut"), ToolbarIcon::Cut);
  add(QStringLiteral("Copy"), ToolbarIcon::Copy);
  add(QStringLiteral("Paste"), ToolbarIcon::Paste);
  zoomBox_ = new QComboBox(toolBar_);
  zoomBox_->setToolTip(tr("Zoom"));
  zoomBox_->setStatusTip(tr("Choose the zoom"));
  for (int entry = 0; entry < kZoomBoxEntries; ++entry) {
    zoomBox_->addItem(QStringLiteral("%1 %").arg(ZoomPercent(ZoomForBoxEntry(entry))));
  }
  zoomBox_->setMinimumContentsLength(6);
  zoomBox_->setFocusPolicy(Qt::ClickFocus);
  connect(zoomBox_, &QComboBox::activated, this, &CMainFrame::onZoomBoxChosen);
  toolBar_->addWidget(zoomBox_);
  add(QStringLiteral("Zoom In"), ToolbarIcon::ZoomIn);
  add(QStringLiteral("Zoom Out"), ToolbarIcon::ZoomOut);
  QAction* select = addCommand(nullptr, tr("Select"), tr("Select a rectangle of the image"));
  select->setCheckable(true);
  select->setIcon(MakeToolbarIcon(ToolbarIcon::Select));
  connect(select, &QAction::toggled, view_, &CLeafView::setSelectMode);
  toolBar_->addAction(select);
}

void CMainFrame::createStatusBar() {
  sizePane_ = new QLabel(this);
  dpiPane_ = new QLabel(this);
  const QFontMetrics metrics(sizePane_->font());
  sizePane_->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("12345x12345x24")) + 8);
  dpiPane_->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("1234x1234 DPI")) + 8);
  statusBar()->addPermanentWidget(sizePane_);
  statusBar()->addPermanentWidget(dpiPane_);
}

void CMainFrame::connectDocument() {
  connect(doc_, &CLeafDoc::contentsChanged, this, [this] {
    updateInfoPanes();
    updateCommands();
    fitWindowToImage();
  });
  connect(doc_, &CLeafDoc::pixelsChanged, this, [this] {
    updateInfoPanes();
    updateCommands();
  });
  connect(doc_, &CLeafDoc::titleChanged, this, [this] { updateTitle(); });
  connect(doc_, &CLeafDoc::modifiedChanged, this, [this] {
    updateTitle();
    updateCommands();
  });
  connect(doc_, &CLeafDoc::fileUsed, this, [this](const QString& path) {
    AddRecentFile(settings_.recentFiles, QFileInfo(path).absoluteFilePath().toStdString());
    updateRecentFiles();
  });
  connect(view_, &CLeafView::zoomChanged, this, [this](int zoom) {
    zoomBox_->setCurrentIndex(BoxEntryForZoom(zoom));
    updateCommands();
  });
  connect(view_, &CLeafView::drawnSizeChanged, this, &CMainFrame::fitWindowToImage);
  connect(view_, &CLeafView::layerChanged, this, [this] { updateCommands(); });
  connect(view_, &CLeafView::selectModeChanged, this,
          [this](bool on) { action(QStringLiteral("Select"))->setChecked(on); });
  connect(view_, &CLeafView::statusMessage, this,
          [this](const QString& text) { statusBar()->showMessage(text); });
  connect(view_, &CLeafView::selectionChanged, this, [this] { updateCommands(); });
  connect(doc_, &CLeafDoc::pageEdited, this, [this] {
    updateInfoPanes();
    updateCommands();
  });
  connect(doc_, &CLeafDoc::statusMessage, this,
          [this](const QString& text) { statusBar()->showMessage(text, 8000); });
  connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
          [this] { updateCommands(); });
}

// ----- state shown -----

QAction* CMainFrame::action(const QString& name) const { return actions_.value(name); }

QString CMainFrame::sizePaneText() const { return sizePane_->text(); }
QString CMainFrame::dpiPaneText() const { return dpiPane_->text(); }

void CMainFrame::updateInfoPanes() {
  if (!doc_->hasImage()) {
    sizePane_->setText(kEmptySizePane);
    dpiPane_->setText(kEmptyDpiPane);
    return;
  }
  const DibRaster& r = doc_->image().raster;
  sizePane_->setText(Q(SizePaneText(r)));
  dpiPane_->setText(Q(DpiPaneText(r.xResolution, r.yResolution)));
}

void CMainFrame::updateTitle() {
  setWindowTitle(QStringLiteral("%1[*] - %2").arg(doc_->title(), kProgramName));
  setWindowModified(doc_->isModified());
}

void CMainFrame::updateCommands() {
  const bool image = doc_->hasImage();
  action(QStringLiteral("Save"))->setEnabled(image && doc_->isModified());
  action(QStringLiteral("Save As"))->setEnabled(image);
  for (const char* name : {"Print", "Print Preview", "Print Setup"}) {
    action(QString::fromLatin1(name))->setEnabled(image);
  }
  action(QStringLiteral("Zoom In"))->setEnabled(view_->canZoomIn());
  action(QStringLiteral("Zoom Out"))->setEnabled(view_->canZoomOut());
  action(QStringLiteral("Refresh"))->setEnabled(image);
  action(QStringLiteral("Select"))->setEnabled(image);
  const int page = doc_->pageIndex();
  const int count = doc_->pageCount();
  action(QStringLiteral("First Page"))->setEnabled(view_->canGoToPage(0));
  action(QStringLiteral("Last Page"))->setEnabled(view_->canGoToPage(count - 1));
  action(QStringLiteral("Next Page"))->setEnabled(image && count > 1 && page < count - 1);
  action(QStringLiteral("Previous Page"))->setEnabled(image && count > 1 && page > 0);
  const bool layers = view_->canChooseLayer();
  const QList<QAction*> layerActions = layerGroup_->actions();
  for (int layer = 0; layer < layerActions.size(); ++layer) {
    layerActions[layer]->setEnabled(layers);
    layerActions[layer]->setChecked(layer == doc_->layer());
  }
  zoomBox_->setEnabled(true);

  updateTextCommands();
  const bool clipboard = CLeafDoc::clipboardHasImage();
  action(QStringLiteral("Undo"))->setEnabled(doc_->hasUndo());
  action(QStringLiteral("Empty Undo Buffer"))->setEnabled(doc_->hasUndo());
  for (const char* name :
       {"Cut", "Copy", "Clear", "Flip", "Mirror", "90 degrees left", "90 degrees right",
        "180 degrees", "Resize", "Negative", "Convert To Gray", "Add Text"}) {
    action(QString::fromLatin1(name))->setEnabled(image);
  }
  action(QStringLiteral("Paste"))->setEnabled(clipboard);
  action(QStringLiteral("Paste As New"))->setEnabled(clipboard);
  action(QStringLiteral("Empty Clipboard"))->setEnabled(clipboard);
  action(QStringLiteral("Crop"))->setEnabled(image && view_->hasSelection());
  updateManyFilesCommands();
}

void CMainFrame::updateRecentFiles() {
  const auto& files = settings_.recentFiles;
  for (int i = 0; i < recentActions_.size(); ++i) {
    QAction* recent = recentActions_[i];
    const bool used = i < static_cast<int>(files.size());
    recent->setVisible(used);
    if (used) {
      QString label = Q(files[i]);
      label.replace('&', QStringLiteral("&&"));
      recent->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(label));
    }
  }
  recentSeparator_->setVisible(!files.empty());
}

// The window takes the size of the page when "WindowFit" is on.
void CMainFrame::fitWindowToImage() {
  if (!settings_.windowFit || isMaximized() || isFullScreen() || !screen()) return;
  const QRect work = screen()->availableGeometry();
  QSize size(kEmptyWindowWidth, kEmptyWindowHeight);
  if (doc_->hasImage()) {
    const QSize drawn = view_->drawnSize();
    const QSize extras = frameGeometry().size() - view_->viewport()->size();
    size = QSize(std::max(drawn.width() + extras.width(), kMinimumFitWidth),
                 std::max(drawn.height() + extras.height(), kMinimumFitHeight));
    if (size.width() > work.width())
      size.rheight() += view_->horizontalScrollBar()->sizeHint().height();
    if (size.height() > work.height())
      size.rwidth() += view_->verticalScrollBar()->sizeHint().width();
  }
  size = size.boundedTo(work.size());
  const QSize decoration = frameGeometry().size() - this->size();
  resize(size - decoration);
  QRect frame(frameGeometry().topLeft(), size);
  if (settings_.windowCenter) {
    frame.moveCenter(work.center());
  } else {
    if (frame.right() > work.right()) frame.moveRight(work.right());
    if (frame.bottom() > work.bottom()) frame.moveBottom(work.bottom());
    if (frame.left() < work.left()) frame.moveLeft(work.left());
    if (frame.top() < work.top()) frame.moveTop(work.top());
  }
  move(frame.topLeft());
}

// ----- commands -----

bool CMainFrame::openFile(const QString& path) {
  const bool opened = doc_->openDocument(path, view_->fitArea());
  if (opened) {
    raise();
    activateWindow();
    view_->setFocus();
  }
  return opened;
}

void CMainFrame::openCommand() {
  if (!doc_->confirmDiscard()) return;
  const CUserPrompts::FileChoice choice =
      prompts_->chooseOpenPath(Q(settings_.openDir), OpenFilterRowForSetting(settings_.openType));
  if (!choice.accepted || choice.path.isEmpty()) return;
  settings_.openDir = QFileInfo(choice.path).absolutePath().toStdString();
  settings_.openType = OpenTypeSettingForRow(choice.filterRow);
  doc_->setRequestedOpenType(RequestedTypeForRow(choice.filterRow));
  openFile(choice.path);
}

void CMainFrame::openRecentFile(int index) {
  if (index < 0 || index >= static_cast<int>(settings_.recentFiles.size())) return;
  if (!doc_->confirmDiscard()) return;
  const std::string path = settings_.recentFiles[index];
  if (!openFile(Q(path)) && !QFileInfo::exists(Q(path))) {
    RemoveRecentFile(settings_.recentFiles, path);
    updateRecentFiles();
  }
}

void CMainFrame::onZoomBoxChosen(int entry) {
  view_->setZoom(ZoomForBoxEntry(entry));
  view_->setFocus();
}

void CMainFrame::exitCommand() { close(); }

QRect CMainFrame::selectionOrWhole() const {
  return view_->hasSelection() ? view_->selection() : QRect();
}

void CMainFrame::cutCommand() {
  if (doc_->cut(selectionOrWhole())) view_->dropSelection();
}

QPrinter& CMainFrame::printer() {
  if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
  return *printer_;
}

bool CMainFrame::printOnto(QPrinter& target) {
  return PrintDocumentPage(target, *doc_, view_->zoom(), settings_, *prompts_);
}

void CMainFrame::printCommand() {
  if (!doc_->hasImage()) return;
  QPrinter& target = printer();
  target.setDocName(doc_->title());
  target.setFromTo(0, 0);  // one page
  QPrintDialog dialog(&target, this);
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
  if (dialog.exec() != QDialog::Accepted) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  printOnto(target);
  QApplication::restoreOverrideCursor();
}

void CMainFrame::printPreviewCommand() {
  if (!doc_->hasImage()) return;
  QPrinter& target = printer();
  target.setDocName(doc_->title());
  QPrintPreviewDialog preview(&target, this);
  preview.setWindowTitle(tr("Print Preview - %1").arg(doc_->title()));
  connect(&preview, &QPrintPreviewDialog::paintRequested, this,
          [this](QPrinter* shown) { printOnto(*shown); });
  preview.exec();
}

void CMainFrame::printSetupCommand() {
  if (!doc_->hasImage()) return;
  QPageSetupDialog dialog(&printer(), this);
  dialog.exec();
}

void CMainFrame::addTextCommand() {
  if (!doc_->hasImage()) return;
  CAddTextDlg dialog(settings_.text, true, &doc_->image().raster, this);
  if (dialog.exec() != QDialog::Accepted) return;
  settings_.text = dialog.settings();
  doc_->addText(settings_.text);
}

void CMainFrame::textSettingsCommand() {
  CAddTextDlg dialog(settings_.text, false, nullptr, this);
  if (dialog.exec() == QDialog::Accepted) settings_.text = dialog.settings();
}

void CMainFrame::resizeCommand() {
  if (!doc_->hasImage()) return;
  const QSize size = doc_->fullSize();
  CResizeDlg dialog(size.width(), size.height(), this);
  if (dialog.exec() != QDialog::Accepted) return;
  doc_->resize(dialog.newWidth(), dialog.newHeight(), dialog.method());
}

bool CMainFrame::queryEndSession() {
  return doc_->confirmDiscard() && prompts_->askYesNo(tr("Do you want to quit Leafsmith?"));
}

void CMainFrame::startupInformationCommand() {
  CProgramHintDlg dialog(settings_.noStartupInfo != 0, this);
  dialog.exec();
  settings_.noStartupInfo = dialog.doNotShowAgain() ? 1 : 0;
}

void CMainFrame::helpTopicsCommand() {
  CHelpWindow::showTopic(QStringLiteral("Contents.html"), this);
}

void CMainFrame::registerAsDefaultViewerCommand() {
  // A few seconds at most: the desktop's own tools write the defaults.
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const AssociationResult result = RegisterAsDefaultViewer();
  QApplication::restoreOverrideCursor();
  if (!result.ok) {
    prompts_->showError(result.summary, result.detail);
    return;
  }
  prompts_->showMessage(
      tr("Leafsmith is now the default viewer of DjVu, IW44, JPEG, TIFF, BMP and PNM files."));
}

void CMainFrame::aboutCommand() {
  CAboutDlg dialog(this);
  dialog.exec();
}

// ----- settings dialogs -----

bool CMainFrame::generalSettingsCommand() {
  const AppSettings before = settings_;
  CGeneralSettingsDlg dialog(settings_, *prompts_, this);
  // Asking xdg-mime takes a moment per file type: the boxes are filled when it
  // answers, on a thread of their own so that opening a file never waits for it.
  const QPointer<CGeneralSettingsDlg> target(&dialog);
  auto closed = std::make_shared<std::atomic<bool>>(false);
  associationQueries_->start([target, closed] {
    std::vector<FileGroup> registered;
    for (const FileTypeGroup& group : FileTypeGroups()) {
      if (*closed) return;
      if (IsGroupRegistered(group.group)) registered.push_back(group.group);
    }
    QMetaObject::invokeMethod(
        qApp,
        [target, registered] {
          if (target) target->setRegisteredGroups(registered);
        },
        Qt::QueuedConnection);
  });
  const int result = dialog.exec();
  *closed = true;
  if (result != QDialog::Accepted) return false;
  applyFileAssociations(dialog);
  // The page on screen follows the new display settings at once.
  if (before.displayGamma != settings_.displayGamma || before.dither != settings_.dither ||
      before.fancyZoom != settings_.fancyZoom) {
    doc_->renderAgain();
  }
  if (!before.windowFit && settings_.windowFit) fitWindowToImage();
  return true;
}

void CMainFrame::applyFileAssociations(const CGeneralSettingsDlg& dialog) {
  for (const CGeneralSettingsDlg::AssociationChange& change : dialog.associationChanges()) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const AssociationResult result =
        change.on ? RegisterGroup(change.group) : UnregisterGroup(change.group);
    QApplication::restoreOverrideCursor();
    if (!result.ok) {
      const QString name = FileTypeGroupOf(change.group).name;
      prompts_->showError(change.on
                              ? tr("Leafsmith could not be made the viewer of %1 files.").arg(name)
                              : tr("Leafsmith could not give up %1 files.").arg(name),
                          result.message);
    }
  }
}

// A page of the type whose settings changed can be saved again with them.
void CMainFrame::markModifiedIfSavedAs(int documentType) {
  if (doc_->hasImage() && doc_->documentType() == documentType) doc_->setModified(true);
}

bool CMainFrame::djvuSettingsCommand() {
  DjvuDialogContext context;
  context.bilevelImage = doc_->hasImage() && doc_->image().raster.bitsPerPixel == 1;
  context.settingsChanged = [this] { markModifiedIfSavedAs(kFileDjvu); };
  CDjvuSettingsDlg dialog(settings_, std::move(context), *prompts_, this);
  return dialog.exec() == QDialog::Accepted;
}

bool CMainFrame::iw44SettingsCommand() {
  CIw44SettingsDlg dialog(settings_, *prompts_, this);
  if (dialog.exec() != QDialog::Accepted) return false;
  markModifiedIfSavedAs(kFileIw44);
  return true;
}

bool CMainFrame::jpegSettingsCommand() {
  CJpegSettingsDlg dialog(settings_, *prompts_, this);
  if (dialog.exec() != QDialog::Accepted) return false;
  markModifiedIfSavedAs(kFileJpeg);
  return true;
}

bool CMainFrame::thumbnailSettingsCommand() {
  CThumbnailOptionsDlg dialog(settings_, *prompts_, this);
  return dialog.exec() == QDialog::Accepted;
}

void CMainFrame::openFormatSettings(int fileType) {
  switch (fileType) {
    case kFileDjvu: djvuSettingsCommand(); break;
    case kFileIw44: iw44SettingsCommand(); break;
    case kFileJpeg: jpegSettingsCommand(); break;
    default: break;
  }
}

bool CMainFrame::batchSettingsCommand() {
  CBatchSettingsDlg dialog(
      settings_, [this](int fileType) { openFormatSettings(fileType); }, *prompts_, this);
  return dialog.exec() == QDialog::Accepted;
}

bool CMainFrame::sweepSettingsCommand() {
  CSweeperOptionsDlg dialog(
      settings_, [this](int fileType) { openFormatSettings(fileType); }, *prompts_, this);
  return dialog.exec() == QDialog::Accepted;
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (!doc_->confirmDiscard()) {
    event->ignore();
    return;
  }
  if (!settingsWritten_ && !profilePath_.isEmpty()) {
    settingsWritten_ = SaveSettings(settings_, profilePath_.toStdString());
    if (!settingsWritten_) {
      prompts_->showWarning(tr("The settings could not be written to %1.").arg(profilePath_));
    }
  }
  event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
  if (!FirstLocalFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
  const QString path = FirstLocalFile(event->mimeData());
  if (path.isEmpty()) return;
  event->acceptProposedAction();
  // Opened once the drop has finished, so that the source is not kept waiting.
  QMetaObject::invokeMethod(
      this,
      [this, path] {
        if (doc_->confirmDiscard()) openFile(path);
      },
      Qt::QueuedConnection);
}
