#include <QImage>
#include <QPainter>
#include <cstdlib>

#include "app/CommonData.h"
#include "framework/VxCursors.h"
#include "support/UiFixture.h"

namespace {

using ArtworkTest = uitest::UiTest;

// Indexes of the 24 x 24 list that the product's buttons and menus use.
constexpr int UsedImages[] = {1,  2,  3,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18,
                              19, 21, 23, 24, 29, 35, 39, 40, 44, 45, 52, 79, 83, 97};

// How many pixels of the picture are not fully transparent.
int PaintedPixels(const QImage &image) {
  int painted = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) painted += qAlpha(image.pixel(x, y)) != 0;
  return painted;
}

// With VELORA_ARTWORK_SHEET set, draws every image and cursor into that PNG
// for a person to look at.
void WriteSheet(TVxImageList &images, TVxCursorTable &cursors) {
  const char *target = std::getenv("VELORA_ARTWORK_SHEET");
  if (!target) return;
  QImage sheet(10 * 40, 5 * 40, QImage::Format_ARGB32);
  sheet.fill(QColor(0xF0, 0xF0, 0xF0));
  QPainter painter(&sheet);
  int cell = 0;
  for (int index : UsedImages) {
    painter.drawPixmap((cell % 10) * 40 + 8, (cell / 10) * 40 + 8,
                       images.Icon(index).pixmap(24, 24));
    ++cell;
  }
  cell = 30;
  for (int index : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 100}) {
    const QCursor cursor = cursors.Cursor(index);
    const QPoint at((cell % 10) * 40 + 4, (cell / 10) * 40 + 4);
    painter.drawPixmap(at, cursor.pixmap());
    painter.setPen(Qt::red);
    painter.drawPoint(at + cursor.hotSpot());
    ++cell;
  }
  painter.end();
  sheet.save(QString::fromLocal8Bit(target));
}

TEST_F(ArtworkTest, EveryImageTheProductUsesIsDrawn) {
  TCommonDataModule common(nullptr);
  TVxImageList &images = *common.New24TBXImageList;
  EXPECT_EQ(images.ImageSize(), QSize(24, 24));
  for (int index = 0; index < images.Count(); ++index) {
    const bool used =
        std::find(std::begin(UsedImages), std::end(UsedImages), index) != std::end(UsedImages);
    ASSERT_EQ(!images.IsEmpty(index), used) << index;
    if (!used) continue;
    const QImage picture = images.Icon(index).pixmap(24, 24).toImage();
    EXPECT_EQ(picture.size(), QSize(24, 24)) << index;
    // Drawn, and neither a blot nor a speck.
    const int painted = PaintedPixels(picture);
    EXPECT_GT(painted, 40) << index;
    EXPECT_LT(painted, 24 * 24) << index;
  }
  App->Cursors().LoadResource(CursorHand, "Hand");
  WriteSheet(images, App->Cursors());
}

TEST_F(ArtworkTest, CursorTableHoldsTheProgramsCursorsAndTheSystemShapes) {
  TVxCursorTable &cursors = App->Cursors();
  for (int index = CursorEyedropper; index <= CursorUnknown; ++index) {
    const QCursor cursor = cursors.Cursor(index);
    ASSERT_EQ(cursor.shape(), Qt::BitmapCursor) << index;
    EXPECT_EQ(cursor.pixmap().size(), QSize(32, 32)) << index;
    const QPoint hot = cursor.hotSpot();
    EXPECT_TRUE(QRect(0, 0, 32, 32).contains(hot)) << index;
    EXPECT_GT(PaintedPixels(cursor.pixmap().toImage()), 40) << index;
  }
  // The hand is the image editor's to register.
  EXPECT_EQ(cursors.Cursor(CursorHand).shape(), Qt::ArrowCursor);
  EXPECT_TRUE(cursors.LoadResource(CursorHand, "Hand"));
  EXPECT_EQ(cursors.Cursor(CursorHand).shape(), Qt::BitmapCursor);
  EXPECT_FALSE(cursors.LoadResource(200, "NoSuchCursor"));
  EXPECT_EQ(ScreenCursor(200).shape(), Qt::ArrowCursor);

  struct Case {
    int Index;
    Qt::CursorShape Shape;
  };
  const Case system[] = {
      {0, Qt::ArrowCursor},      {-1, Qt::BlankCursor},   {-3, Qt::CrossCursor},
      {-6, Qt::SizeBDiagCursor}, {-7, Qt::SizeVerCursor}, {-8, Qt::SizeFDiagCursor},
      {-9, Qt::SizeHorCursor},   {-11, Qt::WaitCursor},   {-22, Qt::SizeAllCursor},
  };
  for (const Case &c : system) EXPECT_EQ(ScreenCursor(c.Index).shape(), c.Shape) << c.Index;
}

}  // namespace
