#include <gtest/gtest.h>

#include <QImage>
#include <QRegion>

#include "ViewTestObjects.h"
#include "imaging/VxBitmap.h"
#include "views/VxViewCanvas.h"

using viewtest::RgbAt;

namespace {

constexpr uint32_t Sentinel = 0x123456;

QImage Target(int w = 64, int h = 48) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(QColor::fromRgb(Sentinel));
  return image;
}

// The fourth byte of every canvas pixel inside rect must stay 0xFF.
bool AllOpaque(TVxViewCanvas &canvas, const TVxRect &rect) {
  for (int32_t y = rect.Top; y < rect.Bottom; ++y)
    for (int32_t x = rect.Left; x < rect.Right; ++x)
      if (canvas.Pixels().PixelAddress(x, y)[3] != 0xFF) return false;
  return true;
}

TEST(ViewCanvasTest, AnEmptyUpdateRegionPaintsNothing) {
  TVxViewCanvas canvas;
  QImage target = Target();
  EXPECT_FALSE(canvas.BeginPaint(&target, QRegion()));
  EXPECT_FALSE(canvas.IsPainting());
  canvas.EndPaint();
  EXPECT_EQ(RgbAt(target, 0, 0), Sentinel);
}

TEST(ViewCanvasTest, TheBoxIsAddressedInClientCoordinatesAndOnlyTheRegionReachesTheTarget) {
  TVxViewCanvas canvas;
  QImage target = Target();
  // An L of two rectangles: its bounding box (10, 5)-(40, 30) holds a corner
  // that is not part of the update.
  QRegion region = QRegion(10, 5, 30, 10) + QRegion(10, 15, 10, 15);
  ASSERT_TRUE(canvas.BeginPaint(&target, region));
  EXPECT_EQ(canvas.UpdateBox(), (TVxRect{10, 5, 40, 30}));
  EXPECT_EQ(canvas.Pixels().GetBounds(), canvas.UpdateBox());
  EXPECT_EQ(canvas.Pixels().Format, CanvasPixelFormat);
  canvas.FillRect({0, 0, 64, 48}, 0xFF0000);
  // Direct writes land at the same client position.
  uint8_t *p = canvas.Pixels().PixelAddress(12, 20);
  p[0] = 0x33, p[1] = 0x22, p[2] = 0x11;
  EXPECT_TRUE(AllOpaque(canvas, {10, 5, 40, 15}));
  canvas.EndPaint();

  EXPECT_EQ(RgbAt(target, 10, 5), 0xFF0000u);
  EXPECT_EQ(RgbAt(target, 39, 14), 0xFF0000u);
  EXPECT_EQ(RgbAt(target, 12, 20), 0x112233u);
  EXPECT_EQ(RgbAt(target, 30, 25), Sentinel);  // in the box, not in the region
  EXPECT_EQ(RgbAt(target, 9, 5), Sentinel);
  EXPECT_EQ(RgbAt(target, 40, 5), Sentinel);
}

TEST(ViewCanvasTest, StatesRestoreTheClipTheyMet) {
  TVxViewCanvas canvas;
  QImage target = Target();
  ASSERT_TRUE(canvas.BeginPaint(&target, QRegion(0, 0, 64, 48)));
  canvas.FillRect({0, 0, 64, 48}, 0xFFFFFF);
  TVxViewObject a, b;
  TVxViewObject *popped = nullptr;
  EXPECT_FALSE(canvas.PopState(popped));

  canvas.PushState(&a);
  canvas.ExcludeClipRect({0, 0, 32, 48});
  canvas.PushState(&b);
  canvas.ExcludeClipRect({32, 0, 64, 24});
  EXPECT_EQ(canvas.StateDepth(), 2);
  EXPECT_FALSE(canvas.RectVisible({0, 0, 40, 20}));
  EXPECT_TRUE(canvas.RectVisible({0, 0, 40, 30}));

  ASSERT_TRUE(canvas.PopState(popped));
  EXPECT_EQ(popped, &b);
  EXPECT_EQ(canvas.ClipRegion(), QRegion(32, 0, 32, 48));
  // The painter follows the clip: this paints only the right half.
  canvas.Canvas().fillRect(0, 0, 64, 48, QColor(0, 0, 255));
  ASSERT_TRUE(canvas.PopState(popped));
  EXPECT_EQ(popped, &a);
  EXPECT_EQ(canvas.ClipRegion(), QRegion(0, 0, 64, 48));
  EXPECT_FALSE(canvas.PopState(popped));
  canvas.EndPaint();
  EXPECT_EQ(RgbAt(target, 40, 40), 0x0000FFu);
  EXPECT_EQ(RgbAt(target, 10, 10), 0xFFFFFFu);
}

TEST(ViewCanvasTest, InvertingPrimitivesUndoThemselvesAndKeepPixelsOpaque) {
  TVxViewCanvas canvas;
  QImage target = Target();
  ASSERT_TRUE(canvas.BeginPaint(&target, QRegion(0, 0, 64, 48)));
  canvas.FillRect({0, 0, 64, 48}, 0xFFFFFF);
  canvas.FillRect({0, 24, 64, 48}, 0x204060);

  struct Step {
    const char *name;
    std::function<void()> draw;
  } steps[] = {
      {"invert",
       [&] {
         canvas.InvertRect({3, 20, 40, 30});
       }},
      {"focus",
       [&] {
         canvas.DrawFocusRect({2, 2, 50, 40});
       }},
      {"not-xor ellipse",
       [&] {
         canvas.DrawEllipse({5, 5, 45, 45}, TVxRasterOp::NotXor);
       }},
      {"inverting line",
       [&] {
         canvas.DrawLine({0, 30}, {60, 10}, TVxRasterOp::Invert, 3);
       }},
      {"xor line",
       [&] {
         canvas.DrawLine({0, 0}, {60, 40}, TVxRasterOp::Xor, 1, 0xFFFFFF);
       }},
  };
  const QImage before = canvas.Image().copy();
  for (const Step &step : steps) {
    step.draw();
    EXPECT_TRUE(AllOpaque(canvas, {0, 0, 64, 48})) << step.name;
    EXPECT_NE(canvas.Image(), before) << step.name << " changed nothing";
    step.draw();
    EXPECT_EQ(canvas.Image(), before) << step.name << " twice";
  }
  canvas.EndPaint();
}

TEST(ViewCanvasTest, WhatThePrimitivesDraw) {
  TVxViewCanvas canvas;
  QImage target = Target();
  ASSERT_TRUE(canvas.BeginPaint(&target, QRegion(0, 0, 64, 48)));
  canvas.FillRect({0, 0, 64, 48}, 0xFFFFFF);
  canvas.FillRect({0, 40, 64, 48}, 0xC86400);  // red 200, green 100, blue 0
  canvas.InvertRect({50, 0, 60, 10});
  canvas.DarkenRect({0, 40, 10, 48}, 92);
  canvas.DrawFocusRect({20, 0, 30, 10});
  canvas.DrawEllipse({0, 0, 11, 21}, TVxRasterOp::NotXor);  // black pen on white: black
  canvas.EndPaint();

  EXPECT_EQ(RgbAt(target, 55, 5), 0x000000u);
  // 200 - (200 * 92 >> 8) = 129; 100 - 35 = 65.
  EXPECT_EQ(RgbAt(target, 5, 44), 0x814100u);
  EXPECT_EQ(RgbAt(target, 15, 44), 0xC86400u);
  // Dots alternate along the frame; the inside is untouched.
  EXPECT_EQ(RgbAt(target, 20, 0), 0x000000u);
  EXPECT_EQ(RgbAt(target, 21, 0), 0xFFFFFFu);
  EXPECT_EQ(RgbAt(target, 22, 0), 0x000000u);
  EXPECT_EQ(RgbAt(target, 25, 5), 0xFFFFFFu);
  // The ellipse touches the middle of each side and leaves the corners and centre.
  EXPECT_EQ(RgbAt(target, 5, 0), 0x000000u);
  EXPECT_EQ(RgbAt(target, 0, 10), 0x000000u);
  EXPECT_EQ(RgbAt(target, 10, 10), 0x000000u);
  EXPECT_EQ(RgbAt(target, 5, 20), 0x000000u);
  EXPECT_EQ(RgbAt(target, 0, 0), 0xFFFFFFu);
  EXPECT_EQ(RgbAt(target, 5, 10), 0xFFFFFFu);
  EXPECT_EQ(RgbAt(target, 11, 10), 0xFFFFFFu);
}

TEST(ViewCanvasTest, PixelPrimitivesKeepToTheClip) {
  TVxViewCanvas canvas;
  QImage target = Target();
  ASSERT_TRUE(canvas.BeginPaint(&target, QRegion(0, 0, 64, 48)));
  canvas.FillRect({0, 0, 64, 48}, 0x000000);
  canvas.ExcludeClipRect({16, 16, 48, 32});
  canvas.FillRect({0, 0, 64, 48}, 0x00FF00);
  canvas.InvertRect({0, 0, 64, 48});
  canvas.DrawFocusRect({16, 16, 48, 32});  // lies on the excluded area only
  canvas.EndPaint();
  EXPECT_EQ(RgbAt(target, 0, 0), 0xFF00FFu);
  EXPECT_EQ(RgbAt(target, 16, 16), 0x000000u);
  EXPECT_EQ(RgbAt(target, 47, 31), 0x000000u);
  EXPECT_EQ(RgbAt(target, 48, 31), 0xFF00FFu);
}

TEST(ViewCanvasTest, TheDisplayBitmapDrawsOntoTheCanvasSurface) {
  TVxLTBitmap bitmap;
  ASSERT_TRUE(bitmap.SetSize(4, 4));
  for (int32_t y = 0; y < 4; ++y) {
    uint8_t *row = bitmap.Pixels()->PixelAddress(0, y);
    for (int32_t x = 0; x < 4; ++x) {
      row[x * 3] = static_cast<uint8_t>(x * 10);
      row[x * 3 + 1] = static_cast<uint8_t>(y * 10);
      row[x * 3 + 2] = 0xAA;
    }
  }
  TVxViewCanvas canvas;
  QImage target = Target();
  ASSERT_TRUE(canvas.BeginPaint(&target, QRegion(10, 10, 20, 20)));
  const TVxRect clip = canvas.ClipBox();
  EXPECT_TRUE(bitmap.Draw(canvas.Pixels(), {8, 8, 16, 16}, nullptr, &clip));
  EXPECT_TRUE(AllOpaque(canvas, {10, 10, 16, 16}));
  canvas.EndPaint();
  // 2:1 from (8, 8): client (10, 12) shows image pixel (1, 2).
  EXPECT_EQ(RgbAt(target, 10, 12), 0xAA140Au);
  EXPECT_EQ(RgbAt(target, 15, 15), 0xAA1E1Eu);
  EXPECT_EQ(RgbAt(target, 9, 9), Sentinel);  // outside the update
}

}  // namespace
