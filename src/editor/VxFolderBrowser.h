#pragma once
// Previous and next image of the current image's folder: the image files of
// that folder in the order a file manager lists them, and the place of the
// image on screen among them.

#include <QString>
#include <QStringList>
#include <functional>

class TVxFolderBrowser {
 public:
  // Opens one of the folder's images; the editor's open, which may fail. A
  // successful open scans the folder again.
  using TOpen = std::function<bool(const QString &name)>;
  // Whether an image is on screen.
  using THasImage = std::function<bool()>;

  TVxFolderBrowser(TOpen open, THasImage hasImage)
      : Open(std::move(open)), HasImage(std::move(hasImage)) {}

  // The image files of name's folder, and name's place among them.
  void ScanFolder(const QString &name);
  // Forgets the folder, e.g. for an image that has no file of its own.
  void Clear();

  const QStringList &Images() const { return Folder; }
  // -1 when the image on screen is not among them.
  int Index() const { return FIndex; }
  bool CanGoPrevious() const;
  bool CanGoNext() const;

  // Open the image before (after) the current one; nothing at the ends.
  void Previous();
  void Next();

 private:
  void OpenAt(int index);

  TOpen Open;
  THasImage HasImage;
  QStringList Folder;
  int FIndex = -1;
};
