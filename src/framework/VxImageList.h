#pragma once
// A list of same-sized toolbar and menu images addressed by index. Indexes
// may be left empty; an empty or unknown index shows no image.

#include <QIcon>
#include <QObject>
#include <QSize>
#include <vector>

class TVxImageList : public QObject {
  Q_OBJECT
 public:
  TVxImageList(int width, int height, QObject *owner = nullptr);

  QSize ImageSize() const { return Size; }
  int Count() const { return static_cast<int>(Images.size()); }
  // Appends an image; its index.
  int Add(const QIcon &image);
  // Puts an image at an index, growing the list with empty images.
  void SetImage(int index, const QIcon &image);
  QIcon Icon(int index) const;
  bool IsEmpty(int index) const { return Icon(index).isNull(); }

  // Whether images come with a drawn disabled look of their own (otherwise
  // the style greys them).
  bool KeepsDisabledImages() const { return DisabledImages; }
  void SetKeepsDisabledImages(bool keep) { DisabledImages = keep; }
  void SetDisabledImage(int index, const QPixmap &image);

  // Fills the list from the SVG resources <folder>/NN.svg, NN the two-digit
  // index from 0 to `count` - 1; indexes without a picture stay empty.
  void LoadSvgResources(const QString &folder, int count);

 private:
  QSize Size;
  std::vector<QIcon> Images;
  bool DisabledImages = false;
};

// The SVG picture rendered at `size` (transparent background); a null pixmap
// when it cannot be read.
QPixmap RenderSvg(const QString &fileName, QSize size);
