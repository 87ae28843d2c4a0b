#include "editor/VxFolderBrowser.h"

#include <QDir>
#include <QFileInfo>

namespace {

// The extensions the folder scan keeps; a file is kept when its own extension
// (with the dot, upper case, longer than two characters) occurs in this text.
const QString FolderExtensions = QStringLiteral(".JPG;.JPEG;.TIF;.TIFF;.PNG;.BMP;.RLE;.DIB");

}  // namespace

void TVxFolderBrowser::ScanFolder(const QString &name) {
  Clear();
  const QFileInfo info(name);
  const QDir folder = info.absoluteDir();
  // Sorted by name so that Previous and Next walk the folder as a file
  // manager lists it.
  const QFileInfoList entries = folder.entryInfoList(QDir::Files | QDir::Hidden | QDir::System,
                                                     QDir::Name | QDir::IgnoreCase);
  for (const QFileInfo &entry : entries) {
    const QString suffix = entry.fileName().contains(u'.')
                               ? QStringLiteral(".") + entry.suffix().toUpper()
                               : QString();
    if (suffix.size() > 2 && FolderExtensions.contains(suffix)) Folder << entry.absoluteFilePath();
  }
  const QString wanted = info.absoluteFilePath();
  for (qsizetype i = 0; i < Folder.size(); ++i)
    if (Folder[i].compare(wanted, Qt::CaseInsensitive) == 0) {
      FIndex = static_cast<int>(i);
      break;
    }
}

void TVxFolderBrowser::Clear() {
  Folder.clear();
  FIndex = -1;
}

bool TVxFolderBrowser::CanGoPrevious() const { return !Folder.isEmpty() && FIndex > 0; }

bool TVxFolderBrowser::CanGoNext() const { return !Folder.isEmpty() && FIndex < Folder.size() - 1; }

void TVxFolderBrowser::Previous() {
  if (CanGoPrevious()) OpenAt(FIndex - 1);
}

void TVxFolderBrowser::Next() {
  if (CanGoNext()) OpenAt(FIndex + 1);
}

// A successful open scans the folder and finds the image's place itself. An
// open the user cancelled leaves the image on screen and its place; one that
// failed after the image on screen was closed takes the failed file's place,
// so the next step goes past it.
void TVxFolderBrowser::OpenAt(int index) {
  const QString name = Folder[index];  // a copy: the open scans the folder again
  if (!Open(name) && !HasImage()) FIndex = index;
}
