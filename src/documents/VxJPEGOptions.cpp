#include "documents/VxJPEGOptions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

#include "framework/VxApplication.h"
#include "framework/VxText.h"

namespace {

TVxJPEGOptionsForm::TAnswerer &Answerer() {
  static TVxJPEGOptionsForm::TAnswerer answerer;
  return answerer;
}

// A whole number, however large, clamped to 0 ... 100; none for anything else.
std::optional<int> ClampedNumber(const QString &text) {
  static const QRegularExpression wholeNumber(QStringLiteral("^[+-]?[0-9]+$"));
  if (!wholeNumber.match(text).hasMatch()) return std::nullopt;
  bool ok = false;
  const qlonglong value = text.toLongLong(&ok);
  if (!ok) return text.startsWith(u'-') ? 0 : 100;  // too many digits for 64 bits
  return static_cast<int>(std::clamp<qlonglong>(value, 0, 100));
}

// The edit box's number when it is a whole number 0 ... 100.
std::optional<int> ValidNumber(const QString &text) {
  const QString trimmed = text.trimmed();
  std::optional<int> clamped = ClampedNumber(trimmed);
  if (!clamped) return std::nullopt;
  bool ok = false;
  const qlonglong value = trimmed.toLongLong(&ok);
  if (!ok || value != *clamped) return std::nullopt;
  return clamped;
}

}  // namespace

TVxJPEGOptionsForm::TVxJPEGOptionsForm(QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("JPEGOptionsForm"));
  QualityGroupBox = new QGroupBox(this);
  QualityLabel = new QLabel(QualityGroupBox);
  QualityEdit = new QLineEdit(QualityGroupBox);
  QualityEdit->setFixedWidth(QualityEdit->fontMetrics().horizontalAdvance(u'0') * 6);
  QualityComboBox = new QComboBox(QualityGroupBox);
  for (int i = 0; i < int(std::size(Presets)); ++i) QualityComboBox->addItem(QString());
  QualityTrackBar = new QSlider(Qt::Horizontal, QualityGroupBox);
  QualityTrackBar->setRange(0, 100);
  QualityTrackBar->setTickInterval(5);
  QualityTrackBar->setTickPosition(QSlider::TicksBelow);
  QualityTrackBar->setPageStep(5);
  SmallFileLabel = new QLabel(QualityGroupBox);
  LargeFileLabel = new QLabel(QualityGroupBox);
  LargeFileLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  DisplayCheckbox = new QCheckBox(this);
  DisplayCheckbox->hide();
  OkButton = new QPushButton(this);
  OkButton->setDefault(true);
  CancelButton = new QPushButton(this);

  auto *grid = new QGridLayout(QualityGroupBox);
  grid->addWidget(QualityLabel, 0, 0);
  grid->addWidget(QualityEdit, 0, 1);
  grid->addWidget(QualityComboBox, 0, 2);
  grid->addWidget(QualityTrackBar, 1, 0, 1, 3);
  auto *ends = new QHBoxLayout();
  ends->addWidget(SmallFileLabel);
  ends->addStretch();
  ends->addWidget(LargeFileLabel);
  grid->addLayout(ends, 2, 0, 1, 3);
  grid->setColumnStretch(2, 1);

  auto *buttons = new QHBoxLayout();
  buttons->addStretch();
  buttons->addWidget(OkButton);
  buttons->addWidget(CancelButton);
  auto *layout = new QVBoxLayout(this);
  layout->addWidget(QualityGroupBox);
  layout->addWidget(DisplayCheckbox);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(OkButton, &QPushButton::clicked, this, [this] { OkButtonClick(); });
  connect(CancelButton, &QPushButton::clicked, this, [this] { reject(); });
  connect(QualityEdit, &QLineEdit::textChanged, this, [this] { QualityEditChange(); });
  connect(QualityComboBox, &QComboBox::currentIndexChanged, this,
          [this](int index) { QualityComboBoxChange(index); });
  connect(QualityTrackBar, &QSlider::valueChanged, this,
          [this](int position) { QualityTrackBarChange(position); });
  SetQuality(80);
}

bool TVxJPEGOptionsForm::event(QEvent *event) {
  // Texts come before the window first shows, whoever created it.
  if (event->type() == QEvent::Polish && !IsInitialized()) Initialize();
  return QDialog::event(event);
}

void TVxJPEGOptionsForm::Localize() {
  setWindowTitle(Text(205));
  QualityLabel->setText(Text(207) + u':');
  DisplayCheckbox->setText(Text(206));
  SmallFileLabel->setText(Text(213));
  LargeFileLabel->setText(Text(214));
  OkButton->setText(Text(1));
  CancelButton->setText(Text(2));
  const QString presetNames[] = {Text(208), Text(209), Text(210), Text(211), Text(212)};
  static_assert(sizeof(presetNames) / sizeof(presetNames[0]) == std::size(Presets));
  for (int i = 0; i < int(std::size(Presets)); ++i) QualityComboBox->setItemText(i, presetNames[i]);
}

int TVxJPEGOptionsForm::Quality() const { return QualityTrackBar->value(); }

void TVxJPEGOptionsForm::SetQuality(int quality) {
  quality = std::clamp(quality, 0, 100);
  InStep([&] {
    QualityTrackBar->setValue(quality);
    QualityEdit->setText(QString::number(quality));
    QualityComboBox->setCurrentIndex(PresetIndexFor(quality));
  });
}

int TVxJPEGOptionsForm::PresetIndexFor(int quality) {
  int index = 0;
  for (int i = 0; i < int(std::size(Presets)); ++i)
    if (Presets[i] <= quality) index = i;
  return index;
}

void TVxJPEGOptionsForm::InStep(const std::function<void()> &change) {
  if (Changing) return;
  Changing = true;
  change();
  Changing = false;
}

void TVxJPEGOptionsForm::QualityEditChange() {
  const std::optional<int> quality = ValidNumber(QualityEdit->text());
  if (!quality) return;
  InStep([&] {
    QualityComboBox->setCurrentIndex(PresetIndexFor(*quality));
    QualityTrackBar->setValue(*quality);
  });
}

void TVxJPEGOptionsForm::QualityTrackBarChange(int position) {
  InStep([&] {
    QualityEdit->setText(QString::number(position));
    QualityComboBox->setCurrentIndex(PresetIndexFor(position));
  });
}

void TVxJPEGOptionsForm::QualityComboBoxChange(int index) {
  if (index < 0 || index >= int(std::size(Presets))) return;
  InStep([&] {
    QualityTrackBar->setValue(Presets[index]);
    QualityEdit->setText(QString::number(Presets[index]));
  });
}

void TVxJPEGOptionsForm::OkButtonClick() {
  const QString text = QualityEdit->text().trimmed();
  if (ValidNumber(text)) {
    accept();
    return;
  }
  if (TVxApplication *application = Application())
    application->MessageBox(Text(216), windowTitle(), MbOk | MbIconError);
  // Anything that is not a number at all keeps the track bar's quality.
  SetQuality(ClampedNumber(text).value_or(Quality()));
}

void TVxJPEGOptionsForm::SetAnswerer(TAnswerer answerer) { Answerer() = std::move(answerer); }

bool TVxJPEGOptionsForm::Execute() {
  if (!IsInitialized()) Initialize();
  if (Answerer()) {
    setResult(QDialog::Rejected);
    Answerer()(*this);
    return result() == QDialog::Accepted;
  }
  return exec() == QDialog::Accepted;
}

bool ExecuteJPEGOptions(int &quality, QWidget *parent) {
  TVxJPEGOptionsForm form(parent);
  form.SetQuality(quality);
  if (!form.Execute()) return false;
  quality = form.Quality();
  return true;
}
