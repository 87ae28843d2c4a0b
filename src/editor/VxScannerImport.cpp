#include "editor/VxScannerImport.h"

#include <QAction>
#include <QMenu>
#include <filesystem>

#include "editor/VxGraphicsEditor.h"
#include "framework/VxApplication.h"
#include "framework/VxCursors.h"
#include "framework/VxMainForm.h"
#include "framework/VxText.h"
#include "services/Scanner.h"

TVxScannerImport::TVxScannerImport(TVxGraphicsEditor &editor)
    : Editor(editor), FScanner(std::make_unique<platform::TScanner>()) {
  FScanner->OnAcquireStarted = [this] { ScannerEnabled(false); };
  FScanner->OnAcquireEnded = [this] { ScannerEnabled(true); };
  // The worker's end is handed to this thread; dropped if the import is gone.
  FScanner->Dispatch = [this](std::function<void()> call) {
    QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
  };
}

TVxScannerImport::~TVxScannerImport() {
  // The listing's queued answer is dropped with this object.
  if (SourceLister.joinable()) SourceLister.join();
  // A running acquisition ends while the editor can still take its result.
  FScanner.reset();
  ScanWait.reset();
}

void TVxScannerImport::CreateCommands(TMainForm &form, QMenu *file, QAction *before) {
  SelectTwainSourceMenuItem =
      form.AddMenuItem({}, {}, before, file, -1, [this] { ImportSubmenuPopup(); });
  SelectTwainSourceMenuItem->setVisible(false);
  AcquireMenuItem = form.AddMenuItem({}, {}, before, file, -1, [this] {
    if (!LastSource.isEmpty()) AcquireFrom(LastSource);
  });
  AcquireMenuItem->setVisible(false);
  ImportSubmenu = form.AddSubmenu({}, file, before);
  ImportSubmenu->setObjectName(QStringLiteral("ImportSubmenu"));
  connect(ImportSubmenu, &QMenu::aboutToShow, this, [this] { ImportSubmenuPopup(); });
}

void TVxScannerImport::Localize() {
  if (!ImportSubmenu) return;
  SelectTwainSourceMenuItem->setText(Text(102));
  AcquireMenuItem->setText(Text(101));
  ImportSubmenu->setTitle(Text(17));
}

// From the choice of a source until its result has been handled here: the
// scanner itself is idle again a moment before its result arrives.
bool TVxScannerImport::IsAcquiring() const {
  return ScanWait != nullptr || (FScanner && FScanner->IsBusy());
}

void TVxScannerImport::ScannerEnabled(bool enabled) {
  if (SelectTwainSourceMenuItem) SelectTwainSourceMenuItem->setEnabled(enabled);
  if (AcquireMenuItem) AcquireMenuItem->setEnabled(enabled);
}

void TVxScannerImport::ImportSubmenuPopup() {
  if (!ImportSubmenu) return;
  ImportSubmenu->clear();
  ImportSubmenu->addAction(Text(5403))->setEnabled(false);
  if (ListingSources) return;
  ListingSources = true;
  if (SourceLister.joinable()) SourceLister.join();
  // Only this thread asks the scanner for sources while it runs.
  SourceLister = std::thread([this] {
    std::vector<platform::TScanSource> sources;
    const bool found = FScanner->Sources(sources) && !sources.empty();
    QMetaObject::invokeMethod(
        this, [this, found, sources] { FillImportSubmenu(found, sources); }, Qt::QueuedConnection);
  });
}

void TVxScannerImport::FillImportSubmenu(bool found,
                                         const std::vector<platform::TScanSource> &sources) {
  ListingSources = false;
  ImportSubmenu->clear();
  if (!found) {
    ImportSubmenu->addAction(Text(5401))->setEnabled(false);
    return;
  }
  for (const platform::TScanSource &source : sources) {
    const QString name = QString::fromStdString(source.Name);
    QString caption = QString::fromStdString(source.Vendor + " " + source.Model).trimmed();
    caption =
        caption.isEmpty() ? name : caption + QStringLiteral(" (") + name + QStringLiteral(")");
    QAction *item = ImportSubmenu->addAction(caption);
    item->setData(name);
    item->setEnabled(!IsAcquiring());
    connect(item, &QAction::triggered, this, [this, name] { AcquireFrom(name); });
  }
}

bool TVxScannerImport::AcquireFrom(const QString &source) {
  if (IsAcquiring() || !Editor.CanReplaceDocument()) return false;
  LastSource = source;
  ScanWait = std::make_unique<TVxWaitCursor>();
  FScanner->AcquireToFileAsync(source.toStdString(),
                               [this](const platform::TScanResult &result) { ScanDone(result); });
  return true;
}

void TVxScannerImport::ScanDone(const platform::TScanResult &result) {
  ScanWait.reset();
  if (!result.Ok()) {
    if (result.Status != platform::TScanStatus::Cancelled && Application())
      Application()->MessageBox(FormattedText(5400, QString::fromStdString(result.Detail)),
                                MbOk | MbIconError);
    return;
  }
  const QString file = QString::fromStdString(result.File.string());
  TVxDocument *doc = nullptr;
  if (Editor.OpenFile(file, doc, false) && doc) {
    // An acquired page has no file of its own: saving asks for one, and
    // nothing may discard it without asking.
    doc->SetFileName({});
    doc->SetSaved(false);
    Editor.Folder().Clear();
    Editor.UpdateCaption();
  }
  std::error_code ignored;
  std::filesystem::remove(result.File, ignored);
}
