#include "services/VxDialogs.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRegion>
#include <QToolTip>
#include <QVBoxLayout>
#include <chrono>
#include <cmath>
#include <exception>
#include <utility>

#include "framework/VxText.h"

namespace {

TVxFileDialogAnswerer &Answerer() {
  static TVxFileDialogAnswerer answerer;
  return answerer;
}

// The paint box of the preview panel; its dialog paints it.
class TPreviewBox : public QWidget {
 public:
  TPreviewBox(TVxOpenDialog *dialog, QWidget *parent) : QWidget(parent), Dialog(dialog) {}

 protected:
  void paintEvent(QPaintEvent *) override {
    QPainter painter(this);
    Dialog->PaintPreview(painter);
  }

 private:
  TVxOpenDialog *Dialog;
};

constexpr int PreviewBoxHeight = 224;
constexpr int PreviewPanelWidth = 236;
constexpr int PreviewBorder = 6;
constexpr int InfoLines = 7;

}  // namespace

// ---------------------------------------------------------------------------

TVxDialogPreviewThread::TVxDialogPreviewThread(const TVxFileFormats &formats, QObject *context,
                                               std::function<void()> paint)
    : Formats(formats),
      Context(context),
      Paint(std::move(paint)),
      Shared(std::make_shared<TShared>()),
      Worker([this] { Execute(); }) {}

TVxDialogPreviewThread::~TVxDialogPreviewThread() {
  Terminate();
  if (Worker.joinable()) Worker.join();
  ClearPreview();
}

void TVxDialogPreviewThread::Request(const QString &name, int32_t width, int32_t height) {
  std::lock_guard<std::mutex> lock(Shared->Lock);
  Shared->PendingName = name;
  Shared->PendingWidth = width;
  Shared->PendingHeight = height;
}

void TVxDialogPreviewThread::Terminate() { Shared->Terminated = true; }

void TVxDialogPreviewThread::ClearPreview() {
  std::unique_ptr<TVxThumbnail> old;
  std::lock_guard<std::mutex> lock(Shared->Lock);
  old = std::move(Shared->Preview);
  Shared->Description.clear();
}

QString TVxDialogPreviewThread::Description() const {
  std::lock_guard<std::mutex> lock(Shared->Lock);
  return Shared->Description;
}

void TVxDialogPreviewThread::UsePreview(
    const std::function<void(const TVxThumbnail *preview)> &use) const {
  std::lock_guard<std::mutex> lock(Shared->Lock);
  use(Shared->Preview.get());
}

void TVxDialogPreviewThread::Describe(const QString &name, int32_t width, int32_t height,
                                      QString &description,
                                      std::unique_ptr<TVxThumbnail> &thumbnail) const {
  // Whatever a file does to the registry, the worker carries on: an
  // exception leaving this thread would end the program.
  try {
    std::unique_ptr<TVxFileInfo> info;
    if (Formats.GetFileInfo(name, info) && info) description = u'\n' + info->GetDescription();
    if (!Formats.CreateThumbnail(name, width, height, thumbnail)) thumbnail.reset();
  } catch (const std::exception &) {
    thumbnail.reset();
  }
}

void TVxDialogPreviewThread::Execute() {
  QObject *context = Context;  // outlives the worker: its owner waits for it
  while (!Shared->Terminated) {
    QString name;
    int32_t width = 0, height = 0;
    {
      std::lock_guard<std::mutex> lock(Shared->Lock);
      name = std::exchange(Shared->PendingName, QString());
      width = Shared->PendingWidth;
      height = Shared->PendingHeight;
    }
    if (name.isEmpty()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(PollMilliseconds));
      continue;
    }
    // Made outside the lock: reading a large photograph takes a while.
    QString description;
    std::unique_ptr<TVxThumbnail> thumbnail;
    Describe(name, width, height, description, thumbnail);
    if (!thumbnail && description.isEmpty()) continue;  // nothing to show
    {
      std::lock_guard<std::mutex> lock(Shared->Lock);
      if (!Shared->PendingName.isEmpty() || Shared->Terminated) continue;  // stale: freed here
      Shared->Preview = std::move(thumbnail);
      Shared->Description = description;
    }
    if (context == nullptr) continue;
    // Queued, not blocking: the user-interface thread may be waiting for
    // this worker to end, and a blocking hand-over would then never return.
    QMetaObject::invokeMethod(
        context,
        [shared = Shared, paint = Paint] {
          if (!shared->Terminated && paint) paint();
        },
        Qt::QueuedConnection);
  }
}

// ---------------------------------------------------------------------------

TVxOpenDialog::TVxOpenDialog(QWidget *owner, const TVxFileFormats &formats)
    : QFileDialog(owner), Formats(formats) {
  setOption(QFileDialog::DontUseNativeDialog);
  setFileMode(QFileDialog::ExistingFile);
  AddPreviewPanel();
  PreviewThread = std::make_unique<TVxDialogPreviewThread>(formats, this, [this] {
    InfoLabel->setText(PreviewThread->Description());
    PreviewBox->update();
  });
  connect(this, &QFileDialog::currentChanged, this,
          [this](const QString &name) { SelectionChange(name); });
  // The toolkit reports only a new current item; a name typed or chosen in
  // code reaches the name box alone.
  if (auto *nameBox = findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
    connect(nameBox, &QLineEdit::textChanged, this, [this] { SelectionChange(FileName()); });
  TVxOpenDialog::UpdateFilter();
  // Room for the names, their sizes and dates beside the preview.
  resize(sizeHint().expandedTo(QSize(900, 540)));
}

TVxOpenDialog::~TVxOpenDialog() {
  // The worker may still be making a thumbnail; it must end before the
  // widgets it paints go away.
  PreviewThread.reset();
}

void TVxOpenDialog::AddPreviewPanel() {
  PreviewPanel = new QFrame(this);
  PreviewPanel->setObjectName(QStringLiteral("PreviewPanel"));
  PreviewPanel->setFrameShape(QFrame::NoFrame);
  PreviewPanel->setFixedWidth(PreviewPanelWidth);
  auto *column = new QVBoxLayout(PreviewPanel);
  column->setContentsMargins(PreviewBorder, PreviewBorder, PreviewBorder, PreviewBorder);
  PreviewBox = new TPreviewBox(this, PreviewPanel);
  PreviewBox->setObjectName(QStringLiteral("PreviewBox"));
  PreviewBox->setMinimumHeight(PreviewBoxHeight);
  PreviewBox->setAutoFillBackground(true);
  InfoLabel = new QLabel(PreviewPanel);
  InfoLabel->setObjectName(QStringLiteral("InfoLabel"));
  InfoLabel->setWordWrap(true);
  InfoLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  // Room for about seven lines of description.
  InfoLabel->setMinimumHeight(
      static_cast<int>(std::lround(InfoLines * InfoLabel->fontMetrics().height() * 1.25)));
  column->addWidget(PreviewBox, 1);
  column->addWidget(InfoLabel);

  // The toolkit's dialog lays itself out on a grid; the panel takes a new
  // column on its right across every row.
  if (auto *grid = qobject_cast<QGridLayout *>(layout()))
    grid->addWidget(PreviewPanel, 0, grid->columnCount(), grid->rowCount(), 1);
}

void TVxOpenDialog::SetFilters(const TVxFileFormatArray &formats) {
  QStringList filters;
  for (const TVxFileFormatInfo &info : formats) {
    QString masks = info.Mask;
    masks.replace(u';', u' ');
    filters << info.Description + QStringLiteral(" (") + masks + u')';
  }
  setNameFilters(filters);
}

void TVxOpenDialog::UpdateFilter() {
  TVxFileFormatArray formats;
  Formats.GetOpenFormats(formats);
  SetFilters(formats);
  SetFilterIndex(Formats.Count() + 1);
}

QString TVxOpenDialog::Title() const { return Text(12); }

bool TVxOpenDialog::Execute() {
  setWindowTitle(Title());
  bool accepted = false;
  if (Answerer()) {
    accepted = Answerer()(*this);
    PreviewThread->Terminate();
  } else {
    accepted = exec() == QDialog::Accepted;
  }
  return accepted && !FileName().isEmpty();
}

QString TVxOpenDialog::FileName() const {
  const QStringList files = selectedFiles();
  return files.isEmpty() ? QString() : files.constFirst();
}

void TVxOpenDialog::SetFileName(const QString &name) { selectFile(name); }

int TVxOpenDialog::FilterIndex() const {
  return static_cast<int>(nameFilters().indexOf(selectedNameFilter())) + 1;
}

void TVxOpenDialog::SetFilterIndex(int index) {
  const QStringList filters = nameFilters();
  if (index >= 1 && index <= filters.size()) selectNameFilter(filters[index - 1]);
}

void TVxOpenDialog::SelectionChange(const QString &name) {
  if (name == Selection) return;
  Selection = name;
  // The worker describes the file and makes its picture; until then the
  // panel shows nothing of the previous one.
  PreviewThread->ClearPreview();
  InfoLabel->clear();
  if (!name.isEmpty())
    PreviewThread->Request(name, PreviewBox->width() - 2, PreviewBox->height() - 2);
  PreviewBox->update();
}

void TVxOpenDialog::PaintPreview(QPainter &painter) {
  const QRect client = PreviewBox->rect();
  const QColor background = PreviewBox->palette().color(PreviewBox->backgroundRole());
  bool painted = false;
  PreviewThread->UsePreview([&](const TVxThumbnail *preview) {
    if (preview == nullptr) return;
    TVxRect drawn;
    preview->Draw(painter, {client.left(), client.top(), client.right() + 1, client.bottom() + 1},
                  drawn);
    const QRect picture(drawn.Left, drawn.Top, drawn.Right - drawn.Left, drawn.Bottom - drawn.Top);
    painter.save();
    painter.setClipRegion(QRegion(client).subtracted(QRegion(picture)));
    painter.fillRect(client, background);
    painter.restore();
    painted = true;
  });
  if (!painted) painter.fillRect(client, background);
  painter.setPen(PreviewBox->palette().color(QPalette::Dark));
  painter.drawRect(client.adjusted(0, 0, -1, -1));
}

void TVxOpenDialog::done(int result) {
  PreviewThread->Terminate();
  QFileDialog::done(result);
  QToolTip::hideText();
}

// ---------------------------------------------------------------------------

TVxSaveDialog::TVxSaveDialog(QWidget *owner, const TVxFileFormats &formats)
    : TVxOpenDialog(owner, formats) {
  setAcceptMode(QFileDialog::AcceptSave);
  setFileMode(QFileDialog::AnyFile);
  // The editor asks before it overwrites a file.
  setOption(QFileDialog::DontConfirmOverwrite);
  TVxSaveDialog::UpdateFilter();
}

QString TVxSaveDialog::Title() const { return Text(15); }

void TVxSaveDialog::UpdateFilter() {
  TVxFileFormatArray formats;
  Formats.GetWritableFormats(formats);
  SetFilters(formats);
}

// ---------------------------------------------------------------------------

bool ExecuteOpenFileDialog(QWidget *owner, const TVxFileFormats &formats, QString &name) {
  TVxOpenDialog dialog(owner, formats);
  if (!name.isEmpty()) dialog.setDirectory(name);
  if (!dialog.Execute()) return false;
  name = dialog.FileName();
  return true;
}

bool ExecuteSaveFileDialog(QWidget *owner, const TVxFileFormats &formats, QString &name,
                           int &filterIndex) {
  TVxSaveDialog dialog(owner, formats);
  if (!name.isEmpty()) dialog.SetFileName(name);
  dialog.SetFilterIndex(filterIndex);
  if (!dialog.Execute()) return false;
  name = dialog.FileName();
  filterIndex = dialog.FilterIndex();
  return true;
}

void SetFileDialogAnswerer(TVxFileDialogAnswerer answerer) { Answerer() = std::move(answerer); }
