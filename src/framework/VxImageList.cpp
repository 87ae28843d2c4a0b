#include "framework/VxImageList.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

TVxImageList::TVxImageList(int width, int height, QObject *owner)
    : QObject(owner), Size(width, height) {}

int TVxImageList::Add(const QIcon &image) {
  Images.push_back(image);
  return Count() - 1;
}

void TVxImageList::SetImage(int index, const QIcon &image) {
  if (index < 0) return;
  if (index >= Count()) Images.resize(static_cast<size_t>(index) + 1);
  Images[static_cast<size_t>(index)] = image;
}

QIcon TVxImageList::Icon(int index) const {
  return index >= 0 && index < Count() ? Images[static_cast<size_t>(index)] : QIcon();
}

void TVxImageList::SetDisabledImage(int index, const QPixmap &image) {
  if (index < 0 || index >= Count() || image.isNull()) return;
  Images[static_cast<size_t>(index)].addPixmap(image, QIcon::Disabled);
}

void TVxImageList::LoadSvgResources(const QString &folder, int count) {
  for (int index = 0; index < count; ++index) {
    const QString name =
        QStringLiteral("%1/%2.svg").arg(folder).arg(index, 2, 10, QLatin1Char('0'));
    if (!QFile::exists(name)) continue;
    QIcon icon;
    // Crisp at the list's size and on screens with twice the pixel density.
    for (int scale : {1, 2}) {
      QPixmap picture = RenderSvg(name, Size * scale);
      if (picture.isNull()) continue;
      picture.setDevicePixelRatio(scale);
      icon.addPixmap(picture);
    }
    if (!icon.isNull()) SetImage(index, icon);
  }
  if (Count() < count) Images.resize(static_cast<size_t>(count));
}

QPixmap RenderSvg(const QString &fileName, QSize size) {
  QSvgRenderer renderer(fileName);
  if (!renderer.isValid()) return {};
  QPixmap picture(size);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  renderer.render(&painter);
  return picture;
}
