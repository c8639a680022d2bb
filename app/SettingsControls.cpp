#include "SettingsControls.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "AppSettings.h"
#include "UserPrompts.h"

namespace {

constexpr int kGammaSliderScale = 100;
constexpr int kFormatChoiceCount = 5;

// The output formats that have a settings dialog: DjVu, IW44 and JPEG.
bool FormatHasSettings(int fileType) { return fileType == 1 || fileType == 2 || fileType == 5; }

std::optional<int> ParseWhole(const QString& text) {
  bool ok = false;
  const int value = text.trimmed().toInt(&ok, 10);
  if (!ok) return std::nullopt;
  return value;
}

std::optional<double> ParseNumber(const QString& text) {
  bool ok = false;
  const double value = text.trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(value)) return std::nullopt;
  return value;
}

QString IntegerRangeMessage(int minimum, int maximum) {
  return QObject::tr("Please enter an integer between %1 and %2.").arg(minimum).arg(maximum);
}

void Refuse(CUserPrompts& prompts, const QString& message, QLineEdit* edit) {
  prompts.showWarning(message);
  edit->setFocus(Qt::OtherFocusReason);
  edit->selectAll();
}

bool InRange(std::optional<int> value, int minimum, int maximum) {
  return value && *value >= minimum && *value <= maximum;
}

bool CheckWhole(CUserPrompts& prompts, std::optional<int> value, int minimum, int maximum,
                QLineEdit* edit) {
  if (InRange(value, minimum, maximum)) return true;
  Refuse(prompts, IntegerRangeMessage(minimum, maximum), edit);
  return false;
}

// Number fields are all as wide as the longest number any of them holds,
// so that they line up in a column.
QLineEdit* NumberEdit(QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setAlignment(Qt::AlignRight);
  const QFontMetrics metrics(edit->font());
  edit->setFixedWidth(metrics.horizontalAdvance(QStringLiteral("-200.00")) + 12);
  return edit;
}

QString GammaText(double gamma) { return QString::number(gamma, 'g', 4); }

// The slider with its ticks, and the number field at its right.
void LayOutSliderField(QWidget* owner, QSlider* slider, QLineEdit* edit, int minimum, int maximum,
                       int tickInterval) {
  slider->setRange(minimum, maximum);
  slider->setTickPosition(QSlider::TicksBelow);
  slider->setTickInterval(tickInterval);
  slider->setPageStep(tickInterval);
  slider->setMinimumWidth(160);
  auto* layout = new QHBoxLayout(owner);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(slider, 1);
  layout->addWidget(edit);
  owner->setFocusProxy(edit);
}

}  // namespace

// ----- CSliderField -----

CSliderField::CSliderField(int minimum, int maximum, int tickInterval, QWidget* parent)
    : QWidget(parent),
      minimum_(minimum),
      maximum_(maximum),
      slider_(new QSlider(Qt::Horizontal, this)),
      edit_(NumberEdit(this)) {
  LayOutSliderField(this, slider_, edit_, minimum, maximum, tickInterval);
  connect(slider_, &QSlider::valueChanged, this,
          [this](int value) { edit_->setText(QString::number(value)); });
  connect(edit_, &QLineEdit::textEdited, this, [this](const QString& text) {
    if (const std::optional<int> typed = ParseWhole(text)) {
      const QSignalBlocker quiet(slider_);
      slider_->setValue(std::clamp(*typed, minimum_, maximum_));
    }
  });
}

void CSliderField::setValue(int value) {
  const QSignalBlocker quiet(slider_);
  slider_->setValue(std::clamp(value, minimum_, maximum_));
  edit_->setText(QString::number(value));
}

std::optional<int> CSliderField::value() const { return ParseWhole(edit_->text()); }

bool CSliderField::valid() const { return InRange(value(), minimum_, maximum_); }

bool CSliderField::check(CUserPrompts& prompts) {
  return CheckWhole(prompts, value(), minimum_, maximum_, edit_);
}

CSliderField::CSliderField(const leaf::SettingDescription& setting, int tickInterval,
                           QWidget* parent)
    : CSliderField(setting.lowest(), setting.highest(), tickInterval, parent) {
  NameAfterSetting(this, setting);
}

// ----- CGammaField -----

CGammaField::CGammaField(const leaf::SettingDescription& setting, QWidget* parent)
    : QWidget(parent),
      minimum_(setting.minimum),
      maximum_(setting.maximum),
      slider_(new QSlider(Qt::Horizontal, this)),
      edit_(NumberEdit(this)) {
  NameAfterSetting(this, setting);
  LayOutSliderField(this, slider_, edit_, 0, static_cast<int>(maximum_ * kGammaSliderScale),
                    kGammaSliderScale);
  // A gamma read from the slider is never below the smallest one.
  const int lowest = static_cast<int>(std::lround(minimum_ * kGammaSliderScale));
  connect(slider_, &QSlider::valueChanged, this, [this, lowest](int value) {
    if (value < lowest) {
      slider_->setValue(lowest);
      return;
    }
    edit_->setText(GammaText(static_cast<double>(value) / kGammaSliderScale));
  });
  connect(edit_, &QLineEdit::textEdited, this, [this](const QString& text) {
    if (const std::optional<double> typed = ParseNumber(text)) {
      const QSignalBlocker quiet(slider_);
      slider_->setValue(static_cast<int>(
          std::lround(std::clamp(*typed, minimum_, maximum_) * kGammaSliderScale)));
    }
  });
}

void CGammaField::setValue(double gamma) {
  const QSignalBlocker quiet(slider_);
  slider_->setValue(
      static_cast<int>(std::lround(std::clamp(gamma, minimum_, maximum_) * kGammaSliderScale)));
  edit_->setText(GammaText(gamma));
}

std::optional<double> CGammaField::value() const { return ParseNumber(edit_->text()); }

bool CGammaField::valid() const {
  const std::optional<double> gamma = value();
  // The stored gamma is a float: 0.1 shown again must not fail against the double 0.1.
  const double tolerance = 1e-6;
  return gamma && *gamma >= minimum_ - tolerance && *gamma <= maximum_ + tolerance;
}

bool CGammaField::check(CUserPrompts& prompts) {
  if (valid()) return true;
  Refuse(prompts,
         tr("Please enter a number between %1 and %2.")
             .arg(QString::number(minimum_, 'f', 1), QString::number(maximum_, 'f', 1)),
         edit_);
  return false;
}

// ----- CRangeSpinBox -----

namespace {
// The spin box's own range only bounds what can be typed; the field's range
// is checked on OK.
constexpr int kTypingLimit = 9999999;
}  // namespace

CRangeSpinBox::CRangeSpinBox(int minimum, int maximum, QWidget* parent)
    : QSpinBox(parent), minimum_(minimum), maximum_(maximum) {
  setRange(-kTypingLimit, kTypingLimit);
  setAlignment(Qt::AlignRight);
  setKeyboardTracking(false);
  const QFontMetrics metrics(font());
  setMinimumWidth(metrics.horizontalAdvance(QString::number(maximum) + QStringLiteral("000")) + 30);
}

CRangeSpinBox::CRangeSpinBox(const leaf::SettingDescription& setting, QWidget* parent)
    : CRangeSpinBox(setting.lowest(), setting.highest(), parent) {
  NameAfterSetting(this, setting);
}

std::optional<int> CRangeSpinBox::typedValue() const { return ParseWhole(lineEdit()->text()); }

bool CRangeSpinBox::valid() const { return InRange(typedValue(), minimum_, maximum_); }

bool CRangeSpinBox::check(CUserPrompts& prompts) {
  return CheckWhole(prompts, typedValue(), minimum_, maximum_, lineEdit());
}

void CRangeSpinBox::stepBy(int steps) {
  const int current = typedValue().value_or(value());
  setValue(std::clamp(current + steps, minimum_, maximum_));
  selectAll();
}

QValidator::State CRangeSpinBox::validate(QString& text, int& pos) const {
  const QString trimmed = text.trimmed();
  if (trimmed.isEmpty() || trimmed == QStringLiteral("-")) return QValidator::Intermediate;
  return QSpinBox::validate(text, pos);
}

QAbstractSpinBox::StepEnabled CRangeSpinBox::stepEnabled() const {
  const int current = typedValue().value_or(value());
  StepEnabled enabled = StepNone;
  if (current < maximum_) enabled |= StepUpEnabled;
  if (current > minimum_) enabled |= StepDownEnabled;
  return enabled;
}

// ----- CFolderField -----

CFolderField::CFolderField(const QString& chooserTitle, const QString& buttonText,
                           CUserPrompts& prompts, QWidget* parent)
    : QWidget(parent), edit_(new QLineEdit(this)), browse_(new QPushButton(buttonText, this)) {
  const QFontMetrics metrics(edit_->font());
  edit_->setMinimumWidth(metrics.averageCharWidth() * 40);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(edit_, 1);
  layout->addWidget(browse_);
  setFocusProxy(edit_);
  connect(browse_, &QPushButton::clicked, this, [this, chooserTitle, &prompts] {
    const QString chosen = prompts.chooseFolder(chooserTitle, edit_->text());
    if (!chosen.isEmpty()) edit_->setText(chosen);
  });
}

void CFolderField::setPath(const QString& path) { edit_->setText(path); }

QString CFolderField::path() const { return edit_->text().trimmed(); }

bool CFolderField::check(CUserPrompts& prompts, const QString& what) {
  if (!path().isEmpty()) return true;
  Refuse(prompts, tr("Please enter the %1.").arg(what), edit_);
  return false;
}

// ----- COutputFormatGroup -----

COutputFormatGroup::COutputFormatGroup(const QString& title, QWidget* parent)
    : QGroupBox(title, parent),
      radios_(new QButtonGroup(this)),
      options_(new QPushButton(tr("O&ptions"), this)) {
  auto* column = new QVBoxLayout;
  const QString names[kFormatChoiceCount] = {tr("DjVu"), tr("IW44"), tr("Bmp"), tr("JPEG"),
                                             tr("PNM")};
  for (int choice = 0; choice < kFormatChoiceCount; ++choice) {
    auto* radio = new QRadioButton(names[choice], this);
    radios_->addButton(radio, choice);
    column->addWidget(radio);
  }
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(column, 1);
  layout->addWidget(options_, 0, Qt::AlignTop);
  connect(radios_, &QButtonGroup::idClicked, this, [this] { updateOptions(); });
  connect(options_, &QPushButton::clicked, this,
          [this] { emit optionsRequested(leaf::FileTypeFromFormatChoice(choice())); });
  updateOptions();
}

void COutputFormatGroup::setChoice(int choice) {
  CheckId(*radios_, choice);
  updateOptions();
}

int COutputFormatGroup::choice() const { return CheckedId(*radios_); }

QAbstractButton* COutputFormatGroup::radio(int choice) const { return radios_->button(choice); }

void COutputFormatGroup::updateOptions() {
  options_->setEnabled(FormatHasSettings(leaf::FileTypeFromFormatChoice(choice())));
}

// ----- radio groups and check boxes -----

void AddRadios(QButtonGroup& group, const QStringList& texts, QWidget* parent, QLayout* layout) {
  for (int id = 0; id < texts.size(); ++id) {
    auto* radio = new QRadioButton(texts[id], parent);
    group.addButton(radio, id);
    layout->addWidget(radio);
  }
}

QGroupBox* RadioGroupBox(const QString& title, const leaf::SettingDescription& setting,
                         QButtonGroup& group, const QStringList& texts, QWidget* parent) {
  Q_ASSERT(setting.lowest() == 0 && setting.highest() == texts.size() - 1);
  auto* box = new QGroupBox(title, parent);
  NameAfterSetting(box, setting);
  AddRadios(group, texts, box, new QVBoxLayout(box));
  return box;
}

QCheckBox* KeyedCheckBox(const QString& text, const leaf::SettingDescription& setting,
                         QWidget* parent) {
  auto* box = new QCheckBox(text, parent);
  NameAfterSetting(box, setting);
  return box;
}

void NameAfterSetting(QWidget* control, const leaf::SettingDescription& setting) {
  control->setObjectName(QString::fromLatin1(setting.key));
}

int CheckedId(const QButtonGroup& group) { return group.checkedId(); }

void CheckId(QButtonGroup& group, int id) {
  if (QAbstractButton* button = group.button(id)) {
    button->setChecked(true);
    return;
  }
  // An exclusive group unchecks its last button only while not exclusive.
  group.setExclusive(false);
  for (QAbstractButton* button : group.buttons()) button->setChecked(false);
  group.setExclusive(true);
}
