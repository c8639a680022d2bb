#include "CAddTextDlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>
#include <cmath>

#include "CHelpWindow.h"
#include "CTextPositionDlg.h"
#include "image/NearestColor.h"
#include "image/TextLabel.h"

using namespace leaf;

namespace {

constexpr double kDefaultDpi = 96.0;

QColor ColorOf(uint32_t packed) { return QColor(RedOf(packed), GreenOf(packed), BlueOf(packed)); }

uint32_t PackedOf(const QColor& color) {
  return PackColor(color.red(), color.green(), color.blue());
}

QLabel* MakeSwatch(QWidget* parent) {
  auto* swatch = new QLabel(parent);
  swatch->setFixedSize(40, 20);
  swatch->setFrameShape(QFrame::Box);
  swatch->setAutoFillBackground(true);
  return swatch;
}

void Paint(QLabel* swatch, uint32_t packed) {
  QPalette palette = swatch->palette();
  palette.setColor(QPalette::Window, ColorOf(packed));
  swatch->setPalette(palette);
}

QRadioButton* AddRadio(QButtonGroup* group, int id, const QString& text, QWidget* parent) {
  auto* radio = new QRadioButton(text, parent);
  group->addButton(radio, id);
  return radio;
}

// The label's orientation that goes with each position radio.
int OrientationFor(int position) {
  if (position == kTextPositionLeft) return kLabelBottomToTop;
  if (position == kTextPositionRight) return kLabelTopToBottom;
  return kLabelLeftToRight;
}

}  // namespace

CAddTextDlg::CAddTextDlg(const TextSettings& text, bool placing, const DibRaster* page,
                         QWidget* parent)
    : QDialog(parent), text_(text), placing_(placing), page_(page) {
  setWindowTitle(placing ? tr("Add Text") : tr("Text Settings"));
  positionStep_ = [this](TextSettings& settings) {
    CTextPositionDlg details(settings.insideAnchor, settings.paddingX, settings.paddingY, this);
    if (details.exec() != QDialog::Accepted) return false;
    settings.insideAnchor = details.anchor();
    settings.paddingX = details.paddingX();
    settings.paddingY = details.paddingY();
    return true;
  };

  auto* buttons = new QDialogButtonBox(
      QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &CAddTextDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(buttons, &QDialogButtonBox::helpRequested, this,
          [this] { CHelpWindow::showTopic(QStringLiteral("TextLabels.html"), this); });

  auto* lower = new QHBoxLayout;
  lower->addWidget(makeColorPart());
  lower->addWidget(makeFontPart(), 1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(makeTextPart());
  layout->addWidget(makeLayoutPart());
  layout->addLayout(lower);
  layout->addWidget(buttons);
  showChoices();
  showColors();
  showFont();
}

QWidget* CAddTextDlg::makeTextPart() {
  auto* part = new QWidget(this);
  auto* layout = new QVBoxLayout(part);
  layout->setContentsMargins(0, 0, 0, 0);
  textBox_ = new QPlainTextEdit(part);
  textBox_->setPlainText(QString::fromStdString(text_.content));
  textBox_->setTabChangesFocus(true);
  textBox_->setMinimumHeight(80);
  auto* caption = new QLabel(tr("&Text to be added:"), part);
  caption->setBuddy(textBox_);
  auto* hint = new QLabel(tr("$filename, $date and $time are replaced by the file name, the date "
                             "and the time."),
                          part);
  hint->setWordWrap(true);
  layout->addWidget(caption);
  layout->addWidget(textBox_);
  layout->addWidget(hint);
  return part;
}

QWidget* CAddTextDlg::makeLayoutPart() {
  auto* part = new QWidget(this);
  auto* row = new QHBoxLayout(part);
  row->setContentsMargins(0, 0, 0, 0);

  auto* alignment = new QGroupBox(tr("Alignment"), part);
  auto* alignmentLayout = new QVBoxLayout(alignment);
  alignment_ = new QButtonGroup(this);
  alignmentLayout->addWidget(AddRadio(alignment_, 0, tr("Left"), alignment));
  alignmentLayout->addWidget(AddRadio(alignment_, 1, tr("Center"), alignment));
  alignmentLayout->addWidget(AddRadio(alignment_, 2, tr("Right"), alignment));
  connect(alignment_, &QButtonGroup::idClicked, this, [this](int id) { text_.align = id; });

  auto* orientation = new QGroupBox(tr("Orientation"), part);
  auto* orientationLayout = new QVBoxLayout(orientation);
  orientation_ = new QButtonGroup(this);
  orientationLayout->addWidget(AddRadio(orientation_, 0, tr("Left to right"), orientation));
  orientationLayout->addWidget(AddRadio(orientation_, 1, tr("Bottom to top"), orientation));
  orientationLayout->addWidget(AddRadio(orientation_, 2, tr("Top to bottom"), orientation));
  connect(orientation_, &QButtonGroup::idClicked, this, [this](int id) { text_.orientation = id; });

  // The positions laid out around the page they refer to.
  auto* position = new QGroupBox(tr("Position"), part);
  auto* grid = new QGridLayout(position);
  position_ = new QButtonGroup(this);
  grid->addWidget(AddRadio(position_, kTextPositionAbove, tr("&Above"), position), 0, 1,
                  Qt::AlignHCenter);
  grid->addWidget(AddRadio(position_, kTextPositionLeft, tr("&Left"), position), 1, 0);
  grid->addWidget(AddRadio(position_, kTextPositionInside, tr("&Inside"), position), 1, 1,
                  Qt::AlignHCenter);
  grid->addWidget(AddRadio(position_, kTextPositionRight, tr("&Right"), position), 1, 2);
  grid->addWidget(AddRadio(position_, kTextPositionBelow, tr("&Below"), position), 2, 1,
                  Qt::AlignHCenter);
  connect(position_, &QButtonGroup::idClicked, this, &CAddTextDlg::choosePosition);

  row->addWidget(alignment);
  row->addWidget(orientation);
  row->addWidget(position, 1);
  return part;
}

QWidget* CAddTextDlg::makeColorPart() {
  auto* part = new QGroupBox(tr("Colors"), this);
  auto* grid = new QGridLayout(part);
  textSwatch_ = MakeSwatch(part);
  backgroundSwatch_ = MakeSwatch(part);
  auto* changeText = new QPushButton(tr("C&hange..."), part);
  auto* changeBackground = new QPushButton(tr("Chan&ge..."), part);
  changeText->setObjectName(QStringLiteral("changeText"));
  changeBackground->setObjectName(QStringLiteral("changeBackground"));
  connect(changeText, &QPushButton::clicked, this, &CAddTextDlg::chooseTextColor);
  connect(changeBackground, &QPushButton::clicked, this, &CAddTextDlg::chooseBackgroundColor);
  transparent_ = new QCheckBox(tr("Trans&parent background"), part);
  connect(transparent_, &QCheckBox::toggled, this,
          [this](bool on) { text_.transparentBackground = on ? 1 : 0; });
  grid->addWidget(new QLabel(tr("Text"), part), 0, 0);
  grid->addWidget(textSwatch_, 0, 1);
  grid->addWidget(changeText, 0, 2);
  grid->addWidget(new QLabel(tr("Background"), part), 1, 0);
  grid->addWidget(backgroundSwatch_, 1, 1);
  grid->addWidget(changeBackground, 1, 2);
  grid->addWidget(transparent_, 2, 0, 1, 3);
  return part;
}

QWidget* CAddTextDlg::makeFontPart() {
  auto* part = new QGroupBox(tr("Font"), this);
  auto* layout = new QVBoxLayout(part);
  fontBox_ = new QLabel(part);
  fontBox_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* select = new QPushButton(tr("Select &Font..."), part);
  connect(select, &QPushButton::clicked, this, &CAddTextDlg::chooseFont);
  editUsesFont_ = new QCheckBox(tr("&Edit box uses selected font"), part);
  connect(editUsesFont_, &QCheckBox::toggled, this, &CAddTextDlg::showFont);
  layout->addWidget(fontBox_);
  layout->addWidget(select, 0, Qt::AlignLeft);
  layout->addWidget(editUsesFont_);
  return part;
}

void CAddTextDlg::showChoices() {
  if (QAbstractButton* b = alignment_->button(text_.align)) b->setChecked(true);
  if (QAbstractButton* b = orientation_->button(text_.orientation)) b->setChecked(true);
  if (QAbstractButton* b = position_->button(text_.position)) b->setChecked(true);
  transparent_->setChecked(text_.transparentBackground != 0);
}

void CAddTextDlg::choosePosition(int position) {
  text_.position = position;
  text_.orientation = OrientationFor(position);
  showChoices();
}

double CAddTextDlg::displayDpi() const {
  const QScreen* shown = screen();
  return shown ? shown->logicalDotsPerInchY() : kDefaultDpi;
}

// ----- colours -----

uint32_t CAddTextDlg::matchedColor(const QColor& color) const {
  const uint32_t packed = PackedOf(color);
  if (!page_ || page_->empty() || page_->bitsPerPixel > 8 || page_->paletteEntries() == 0) {
    return packed;
  }
  const uint32_t index = NearestPaletteIndex(*page_, packed);
  const uint8_t* entry = page_->palette() + index * page_->paletteEntrySize;
  return PackColor(entry[2], entry[1], entry[0]);
}

void CAddTextDlg::setTextColor(const QColor& color) {
  text_.foregroundColor = static_cast<int>(matchedColor(color));
  showColors();
}

void CAddTextDlg::setBackgroundColor(const QColor& color) {
  text_.backgroundColor = static_cast<int>(matchedColor(color));
  showColors();
}

void CAddTextDlg::showColors() {
  Paint(textSwatch_, static_cast<uint32_t>(text_.foregroundColor));
  Paint(backgroundSwatch_, static_cast<uint32_t>(text_.backgroundColor));
}

void CAddTextDlg::chooseTextColor() {
  const QColor color = QColorDialog::getColor(ColorOf(static_cast<uint32_t>(text_.foregroundColor)),
                                              this, tr("Text Color"));
  if (color.isValid()) setTextColor(color);
}

void CAddTextDlg::chooseBackgroundColor() {
  const QColor color = QColorDialog::getColor(ColorOf(static_cast<uint32_t>(text_.backgroundColor)),
                                              this, tr("Background Color"));
  if (color.isValid()) setBackgroundColor(color);
}

// ----- the font -----

QString CAddTextDlg::describeFont(const TextSettings& text, double dpi) {
  const int height = std::abs(text.fontSize);
  const QString size =
      height == 0 || dpi <= 0
          ? QStringLiteral("Size: N/A")
          : QStringLiteral("Size: %1").arg(static_cast<int>(std::floor(height * 72.0 / dpi + 0.5)));
  QString style = QStringLiteral("Style:");
  const bool bold = text.fontWeight >= 700;
  if (!bold && !text.fontItalic) style += QStringLiteral(" Regular");
  if (bold) style += QStringLiteral(" Bold");
  if (text.fontItalic) style += QStringLiteral(" Italic");
  return QStringLiteral("Name: %1\n%2\n%3\nUnderline: %4\nStrikeout: %5")
      .arg(QString::fromStdString(text.fontName), size, style,
           text.fontUnderline ? QStringLiteral("Yes") : QStringLiteral("No"),
           text.fontStrikeout ? QStringLiteral("Yes") : QStringLiteral("No"));
}

void CAddTextDlg::setChosenFont(const QFont& font) {
  text_.fontName = font.family().left(static_cast<int>(kMaxFontNameLength)).toStdString();
  int pixels = font.pixelSize();
  if (pixels <= 0) pixels = static_cast<int>(std::lround(font.pointSizeF() * displayDpi() / 72.0));
  text_.fontSize = -std::max(1, pixels);
  text_.fontWeight = font.weight();
  text_.fontItalic = font.italic() ? 1 : 0;
  text_.fontUnderline = font.underline() ? 1 : 0;
  text_.fontStrikeout = font.strikeOut() ? 1 : 0;
  showFont();
}

void CAddTextDlg::showFont() {
  fontBox_->setText(describeFont(text_, displayDpi()));
  if (!editUsesFont_->isChecked()) {
    textBox_->setFont(QFont());
    return;
  }
  QFont font(QString::fromStdString(text_.fontName));
  font.setPixelSize(std::max(1, std::min(std::abs(text_.fontSize), 200)));
  font.setWeight(static_cast<QFont::Weight>(std::clamp(text_.fontWeight, 1, 1000)));
  font.setItalic(text_.fontItalic != 0);
  font.setUnderline(text_.fontUnderline != 0);
  font.setStrikeOut(text_.fontStrikeout != 0);
  textBox_->setFont(font);
}

void CAddTextDlg::chooseFont() {
  QFont current(QString::fromStdString(text_.fontName));
  current.setPixelSize(std::max(1, std::abs(text_.fontSize)));
  current.setWeight(static_cast<QFont::Weight>(std::clamp(text_.fontWeight, 1, 1000)));
  current.setItalic(text_.fontItalic != 0);
  current.setUnderline(text_.fontUnderline != 0);
  current.setStrikeOut(text_.fontStrikeout != 0);
  bool ok = false;
  const QFont font = QFontDialog::getFont(&ok, current, this, tr("Select Font"));
  if (ok) setChosenFont(font);
}

void CAddTextDlg::accept() {
  text_.content = textBox_->toPlainText().toStdString();
  if (text_.position == kTextPositionInside && !placing_ && !positionStep_(text_)) return;
  QDialog::accept();
}
