#pragma once
// Scanner import: the File > Import submenu lists the scanner sources, and
// choosing one acquires a page off the user-interface thread and opens it in
// the editor as an untitled image.

#include <QObject>
#include <QString>
#include <memory>
#include <thread>
#include <vector>

class QAction;
class QMenu;
class TMainForm;
class TVxGraphicsEditor;
class TVxWaitCursor;
namespace platform {
class TScanner;
struct TScanResult;
struct TScanSource;
}  // namespace platform

class TVxScannerImport : public QObject {
 public:
  // The editor outlives this object: it destroys it first.
  explicit TVxScannerImport(TVxGraphicsEditor &editor);
  ~TVxScannerImport() override;

  QMenu *ImportSubmenu = nullptr;
  QAction *SelectTwainSourceMenuItem = nullptr;
  QAction *AcquireMenuItem = nullptr;

  // The import items of the File menu, inserted before `before`.
  void CreateCommands(TMainForm &form, QMenu *file, QAction *before);
  void Localize();

  platform::TScanner &Scanner() { return *FScanner; }
  // Asks for the scanner sources and refills the Import submenu with them.
  // Finding them can take seconds (network scanners), so the asking runs on
  // a helper thread and the submenu says it is searching.
  void ImportSubmenuPopup();
  // The sources are being asked for; the submenu is refilled when this ends.
  bool IsListingSources() const { return ListingSources; }
  // Acquires one page from source off the user-interface thread and opens
  // it as an untitled document; false when it could not start.
  bool AcquireFrom(const QString &source);
  bool IsAcquiring() const;

 private:
  void ScannerEnabled(bool enabled);
  void FillImportSubmenu(bool found, const std::vector<platform::TScanSource> &sources);
  void ScanDone(const platform::TScanResult &result);

  TVxGraphicsEditor &Editor;
  std::unique_ptr<platform::TScanner> FScanner;
  std::unique_ptr<TVxWaitCursor> ScanWait;
  QString LastSource;
  bool ListingSources = false;
  std::thread SourceLister;
};
