#include "editor/VxDemonstrationForm.h"

#include <QCollator>
#include <QDir>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>

#include "editor/VxDemonstration.h"
#include "framework/VxText.h"
#include "settings/VxLocalizer.h"

namespace {

constexpr int IconSize = 64;

}  // namespace

TVxDemonstrationForm::TVxDemonstrationForm(TVxDemonstrationModule &module, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      Module(module) {
  setObjectName(QStringLiteral("DemonstrationForm"));
  setFont(QFont(QStringLiteral("Tahoma")));
  SelectLabel = new QLabel(this);
  SelectLabel->setWordWrap(true);
  DemoListView = new QListWidget(this);
  DemoListView->setObjectName(QStringLiteral("DemoListView"));
  DemoListView->setViewMode(QListView::IconMode);
  DemoListView->setIconSize(QSize(IconSize, IconSize));
  DemoListView->setGridSize(QSize(128, 112));
  DemoListView->setResizeMode(QListView::Adjust);
  DemoListView->setMovement(QListView::Static);
  DemoListView->setWordWrap(true);
  DemoListView->setEditTriggers(QAbstractItemView::NoEditTriggers);
  DemoListView->setSelectionMode(QAbstractItemView::SingleSelection);
  EscTntLabel = new QLabel(this);
  ShowAtStartupCheckBox = new QCheckBox(this);
  ShowAtStartupCheckBox->setObjectName(QStringLiteral("ShowAtStartupCheckBox"));
  StartButton = new QPushButton(this);
  StartButton->setObjectName(QStringLiteral("StartButton"));
  StartButton->setDefault(true);
  StartButton->setEnabled(false);
  CloseButton = new QPushButton(this);
  CloseButton->setObjectName(QStringLiteral("CloseButton"));

  auto *buttons = new QHBoxLayout;
  buttons->addWidget(ShowAtStartupCheckBox);
  buttons->addStretch();
  buttons->addWidget(StartButton);
  buttons->addWidget(CloseButton);
  auto *layout = new QVBoxLayout(this);
  layout->addWidget(SelectLabel);
  layout->addWidget(DemoListView, 1);
  layout->addWidget(EscTntLabel);
  layout->addLayout(buttons);
  resize(554, 438);

  connect(StartButton, &QPushButton::clicked, this, &QDialog::accept);
  connect(CloseButton, &QPushButton::clicked, this, &QDialog::reject);
  connect(DemoListView, &QListWidget::itemSelectionChanged, this,
          &TVxDemonstrationForm::SelectionChanged);
  connect(DemoListView, &QListWidget::itemDoubleClicked, this, [this] {
    if (StartButton->isEnabled()) StartButton->click();
  });
  connect(ShowAtStartupCheckBox, &QCheckBox::toggled, this,
          [this](bool checked) { Module.ShowAtStartup = checked; });

  LoadScripts();
  ShowAtStartupCheckBox->setChecked(Module.ShowAtStartup);
  Localize();
  if (parent) move(parent->frameGeometry().center() - rect().center());
}

TVxDemonstrationForm::~TVxDemonstrationForm() = default;

QImage TVxDemonstrationForm::Thumbnail(const QImage &picture) {
  QImage icon(IconSize, IconSize, QImage::Format_RGB888);
  icon.fill(Qt::white);
  QPainter painter(&icon);
  if (!picture.isNull()) {
    const QSize fitted = picture.size().scaled(IconSize, IconSize, Qt::KeepAspectRatio);
    const QRect box((IconSize - fitted.width()) / 2, (IconSize - fitted.height()) / 2,
                    fitted.width(), fitted.height());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(box, picture);
  }
  painter.setPen(QColor(0xCB, 0xCB, 0xCB));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(0, 0, IconSize - 1, IconSize - 1);
  return icon;
}

void TVxDemonstrationForm::LoadScripts() {
  const QDir folder(Module.DemoFolder);
  const QStringList names =
      folder.entryList({QStringLiteral("*.dsc")}, QDir::Files | QDir::Hidden | QDir::System);
  const QIcon none(QPixmap::fromImage(Thumbnail({})));
  struct TEntry {
    QString Title;
    QIcon Icon;
    std::unique_ptr<TVxDemoScript> Script;
  };
  std::vector<TEntry> entries;
  for (const QString &name : names) {
    auto script = std::make_unique<TVxDemoScript>();
    // A script that cannot be read is listed by its name and plays nothing.
    script->LoadFromFile(folder.filePath(name).toStdString());
    const QString picture =
        QString::fromStdU16String(ScriptLineText(script->GetInfoValue("Image")));
    const QImage image = picture.isEmpty() ? QImage() : QImage(folder.filePath(picture));
    entries.push_back({QString::fromStdU16String(script->GetTitle(Localizer())),
                       image.isNull() ? none : QIcon(QPixmap::fromImage(Thumbnail(image))),
                       std::move(script)});
  }
  QCollator collator;
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  std::stable_sort(entries.begin(), entries.end(), [&](const TEntry &a, const TEntry &b) {
    return collator.compare(a.Title, b.Title) < 0;
  });
  for (TEntry &entry : entries) {
    auto *item = new QListWidgetItem(entry.Icon, entry.Title, DemoListView);
    item->setData(Qt::UserRole, static_cast<int>(Scripts.size()));
    Scripts.push_back(std::move(entry.Script));
  }
  const int count = DemoListView->count();
  if (count == 0) return;
  Module.LastDemoIndex = std::clamp(Module.LastDemoIndex, 0, count - 1);
  DemoListView->setCurrentRow(Module.LastDemoIndex);
  DemoListView->scrollToItem(DemoListView->currentItem());
}

void TVxDemonstrationForm::SelectionChanged() {
  StartButton->setEnabled(SelectedScript() != nullptr);
}

const TVxDemoScript *TVxDemonstrationForm::SelectedScript() const {
  const QList<QListWidgetItem *> selected = DemoListView->selectedItems();
  if (selected.isEmpty()) return nullptr;
  const int index = selected.front()->data(Qt::UserRole).toInt();
  return index >= 0 && static_cast<size_t>(index) < Scripts.size()
             ? Scripts[static_cast<size_t>(index)].get()
             : nullptr;
}

void TVxDemonstrationForm::done(int result) {
  if (DemoListView->currentRow() >= 0) Module.LastDemoIndex = DemoListView->currentRow();
  QDialog::done(result);
}

void TVxDemonstrationForm::Localize() {
  setWindowTitle(Text(37));
  SelectLabel->setText(Text(910));
  ShowAtStartupCheckBox->setText(Text(802));
  StartButton->setText(Text(75));
  CloseButton->setText(Text(13));
  EscTntLabel->setText(Text(2925));
}
