#include <gtest/gtest.h>

#include <QApplication>
#include <QScrollBar>

#include "ViewTestObjects.h"
#include "support/UiFixture.h"
#include "views/VxViewControls.h"

using viewtest::RgbAt;
using viewtest::TBlock;

namespace {

constexpr uint32_t Background = TVxViewCanvas::DefaultBackgroundColour;
constexpr uint8_t BodyOnly = ViewObjectVisible | ViewObjectBody | ViewObjectPaintable;

QImage PaintAll(TVxViewControl &view, int w, int h) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(Qt::white);
  view.PaintRegion(&image, QRegion(0, 0, w, h));
  return image;
}

TEST(ViewPaintCycleTest, OverlaysPaintBottomUpAndNeverOverTheBodiesAbove) {
  TVxViewControl view;
  std::vector<std::string> log;
  auto *lower = view.Objects().Add(
      std::make_unique<TBlock>("lower", TVxRect{0, 0, 30, 30}, 0xFF0000, 0x00FF00, &log));
  lower->OverlayMargin = 10;
  view.Objects().Add(
      std::make_unique<TBlock>("upper", TVxRect{20, 20, 50, 50}, 0x0000FF, 0, &log, BodyOnly));
  // A third one, over a part that is not painted, is not asked at all.
  view.Objects().Add(
      std::make_unique<TBlock>("away", TVxRect{100, 100, 120, 120}, 0xFFFFFF, 0, &log));
  view.Objects().Add(std::make_unique<TBlock>("hidden", TVxRect{0, 0, 80, 80}, 0xFFFFFF, 0xFFFFFF,
                                              &log, ViewObjectBody));

  const QImage image = PaintAll(view, 80, 60);
  EXPECT_EQ(log, (std::vector<std::string>{"upper body", "upper done", "lower body",
                                           "lower overlay", "lower done"}));
  EXPECT_EQ(RgbAt(image, 25, 25), 0x0000FFu);  // the upper body wins over the lower overlay
  EXPECT_EQ(RgbAt(image, 38, 38), 0x0000FFu);
  EXPECT_EQ(RgbAt(image, 10, 10), 0x00FF00u);  // an overlay covers its own body
  EXPECT_EQ(RgbAt(image, 35, 5), 0x00FF00u);   // and the background
  EXPECT_EQ(RgbAt(image, 60, 5), Background);
  EXPECT_EQ(RgbAt(image, 10, 45), Background);
}

TEST(ViewPaintCycleTest, TheMapModePlacesTheObjects) {
  TVxViewControl view;
  view.Objects().Add(
      std::make_unique<TBlock>("b", TVxRect{0, 0, 10, 10}, 0xFF0000, 0, nullptr, BodyOnly));
  view.MapMode().DevExtX = view.MapMode().DevExtY = 3;
  view.MapMode().DevOrgX = -6;
  view.MapMode().DevOrgY = 4;
  const QImage image = PaintAll(view, 40, 40);
  EXPECT_EQ(RgbAt(image, 0, 4), 0xFF0000u);
  EXPECT_EQ(RgbAt(image, 23, 33), 0xFF0000u);
  EXPECT_EQ(RgbAt(image, 24, 10), Background);
  EXPECT_EQ(RgbAt(image, 10, 3), Background);
}

// A scroll view with one image-like block, shown (offscreen) inside a window.
class ScrollViewTest : public uitest::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    Host = std::make_unique<QWidget>();
    Host->resize(500, 400);
    View = new TVxScrollViewControl(Host.get());
    Content = View->Objects().Add(
        std::make_unique<TBlock>("image", TVxRect{}, 0xFF0000, 0, nullptr, BodyOnly));
    View->resize(200, 150);
    Host->show();
    uitest::ProcessEvents();
    BarW = View->VerticalScrollBar()->sizeHint().width();
    BarH = View->HorizontalScrollBar()->sizeHint().height();
  }
  void TearDown() override {
    Host.reset();
    UiTest::TearDown();
  }
  void SetContent(int32_t w, int32_t h) {
    Content->Bounds = {0, 0, w, h};
    View->UpdateScrollRange();
  }
  TVxPoint Origin() const { return {View->MapMode().DevOrgX, View->MapMode().DevOrgY}; }
  bool HorzShown() const { return !View->HorizontalScrollBar()->isHidden(); }
  bool VertShown() const { return !View->VerticalScrollBar()->isHidden(); }

  std::unique_ptr<QWidget> Host;
  TVxScrollViewControl *View = nullptr;
  TBlock *Content = nullptr;
  int32_t BarW = 0;
  int32_t BarH = 0;
};

TEST_F(ScrollViewTest, ScrollBarsAppearAsTheContentNeedsThem) {
  ASSERT_GT(BarW, 10);  // so that a 190-pixel-wide content needs the bar
  struct Case {
    int32_t w, h;
    bool horz, vert;
  } cases[] = {
      {100, 80, false, false},
      {200, 150, false, false},
      {201, 150, true, true},
      {300, 100, true, false},
      {100, 300, false, true},
      {190, 300, true, true},  // the vertical bar makes the horizontal one necessary
      {300, 140, true, true},  // and the other way round
      {300, 300, true, true},
  };
  for (const Case &c : cases) {
    SetContent(c.w, c.h);
    EXPECT_EQ(HorzShown(), c.horz) << c.w << "x" << c.h;
    EXPECT_EQ(VertShown(), c.vert) << c.w << "x" << c.h;
    const TVxRect client = View->ClientRect();
    if (c.horz) {
      EXPECT_EQ(View->HorizontalScrollBar()->maximum(), c.w - client.Width());
    }
    if (c.vert) {
      EXPECT_EQ(View->VerticalScrollBar()->maximum(), c.h - client.Height());
    }
  }
}

TEST_F(ScrollViewTest, SmallContentStaysCentredAsTheWindowGrows) {
  SetContent(300, 300);
  EXPECT_TRUE(HorzShown() && VertShown());
  SetContent(100, 80);
  EXPECT_EQ(Origin(), (TVxPoint{50, 35}));
  EXPECT_FALSE(HorzShown() || VertShown());
  View->resize(401, 300);
  uitest::ProcessEvents();
  EXPECT_EQ(Origin(), (TVxPoint{150, 110}));
  // Taller than the window only: centred across what the bar leaves.
  SetContent(100, 500);
  EXPECT_EQ(Origin().X, (401 - BarW - 100) / 2);
  EXPECT_EQ(Origin().Y, 0);
}

TEST_F(ScrollViewTest, AfterZoomingOutAViewScrolledPastTheEndIsPulledBack) {
  SetContent(400, 400);
  View->ScrollBy(-1000, -1000);  // not clamped: far past the end
  EXPECT_EQ(Origin(), (TVxPoint{-1000, -1000}));
  View->UpdateScrollRange();
  const TVxRect client = View->ClientRect();
  EXPECT_EQ(Origin(), (TVxPoint{client.Width() - 400, client.Height() - 400}));

  View->MapMode().LogExtX = View->MapMode().LogExtY = 2;  // 1:2, content 200 x 200
  View->UpdateScrollRange();
  const TVxRect after = View->ClientRect();
  EXPECT_EQ(Origin().X + 200, after.Width());  // right edges meet
  EXPECT_EQ(Origin().Y + 200, after.Height());
}

TEST_F(ScrollViewTest, LineAndPageScrollsStopAtTheEnd) {
  SetContent(1000, 1000);
  QScrollBar *bar = View->VerticalScrollBar();
  const int32_t page = View->ClientRect().Height();
  const int32_t maximum = 1000 - page;
  ASSERT_EQ(bar->pageStep(), page);

  bar->triggerAction(QAbstractSlider::SliderSingleStepSub);  // at the start already
  EXPECT_EQ(Origin().Y, 0);
  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(Origin().Y, -10);
  EXPECT_EQ(bar->value(), 10);
  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(Origin().Y, -10 - MulDiv(page, 3, 4));
  for (int i = 0; i < 20; ++i) bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(bar->value(), maximum);
  EXPECT_EQ(Origin().Y, -maximum);
  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(Origin().Y, -maximum);
  bar->triggerAction(QAbstractSlider::SliderPageStepSub);
  EXPECT_EQ(Origin().Y, -maximum + MulDiv(page, 3, 4));
  // Other requests do not move.
  bar->triggerAction(QAbstractSlider::SliderToMinimum);
  EXPECT_EQ(Origin().Y, -maximum + MulDiv(page, 3, 4));
  // Dragging the thumb follows it.
  QScrollBar *horz = View->HorizontalScrollBar();
  horz->setSliderPosition(55);
  EXPECT_EQ(Origin().X, -55);
  EXPECT_FALSE(View->IsScrolling());
}

TEST_F(ScrollViewTest, HiddenAndNoExtentObjectsDoNotWidenTheContent) {
  SetContent(100, 80);
  auto *far = View->Objects().Add(
      std::make_unique<TBlock>("far", TVxRect{0, 0, 600, 30}, 0x00FF00, 0, nullptr,
                               ViewObjectVisible | ViewObjectBody | ViewObjectNoExtent));
  auto *hidden = View->Objects().Add(std::make_unique<TBlock>(
      "hidden", TVxRect{0, 0, 30, 700}, 0x0000FF, 0, nullptr, ViewObjectBody));
  View->UpdateScrollRange();
  EXPECT_EQ(View->GetContentRect(), (TVxRect{50, 35, 150, 115}));
  EXPECT_FALSE(HorzShown() || VertShown());
  // The NoExtent object still paints; the hidden one does not.
  const QImage image = PaintAll(*View, 200, 150);
  EXPECT_EQ(RgbAt(image, 180, 40), 0x00FF00u);
  EXPECT_EQ(RgbAt(image, 60, 140), Background);
  hidden->SetVisible(true);
  View->UpdateScrollRange();
  EXPECT_TRUE(VertShown());
  (void)far;
}

TEST_F(ScrollViewTest, ClampScrollKeepsTheContentInRange) {
  SetContent(400, 300);
  const TVxRect client = View->ClientRect();
  const int32_t rangeX = 400 - client.Width();
  struct Case {
    int32_t orgX, dx, expected;
  } cases[] = {
      {0, 30, 0},       {0, -30, -30},         {-20, 30, 20},
      {-rangeX, -5, 0}, {-rangeX + 3, -5, -3}, {-rangeX, 7, 7},
  };
  for (const Case &c : cases) {
    View->MapMode().DevOrgX = c.orgX;
    int32_t dx = c.dx, dy = 0;
    View->ClampScroll(dx, dy);
    EXPECT_EQ(dx, c.expected) << c.orgX << " " << c.dx;
  }
  // Content that fits does not move at all.
  SetContent(50, 50);
  int32_t dx = 10, dy = -10;
  View->ClampScroll(dx, dy);
  EXPECT_EQ(dx, 0);
  EXPECT_EQ(dy, 0);
}

TEST_F(ScrollViewTest, CentreOnPutsAPointInTheMiddleUnlessThatLeavesTheRange) {
  SetContent(1000, 1000);
  View->CentreOn({500, 400});
  const TVxRect client = View->ClientRect();
  EXPECT_EQ(View->MapMode().LogicalToDevice({500, 400}),
            (TVxPoint{client.Width() / 2, client.Height() / 2}));
  EXPECT_EQ(View->VerticalScrollBar()->value(), -Origin().Y);
  View->CentreOn({990, 5});
  EXPECT_EQ(Origin(), (TVxPoint{client.Width() - 1000, 0}));
}

TEST_F(ScrollViewTest, AScrollRepaintsOnlyTheExposedStripAndAResizeOnlyTheNewArea) {
  SetContent(1000, 1000);
  uitest::ProcessEvents();
  Content->LastUpdateRegion = QRegion();
  int32_t dx = -10, dy = 0;
  View->ClampScroll(dx, dy);
  View->ScrollBy(dx, dy);
  uitest::ProcessEvents();
  const TVxRect client = View->ClientRect();
  EXPECT_EQ(Content->LastUpdateRegion.boundingRect(),
            QRect(client.Width() - 10, 0, 10, client.Height()));

  Content->LastUpdateRegion = QRegion();
  View->resize(260, 150);
  uitest::ProcessEvents();
  EXPECT_FALSE(Content->LastUpdateRegion.isEmpty());
  EXPECT_FALSE(Content->LastUpdateRegion.contains(QPoint(10, 10)));
}

}  // namespace
