#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ViewTestObjects.h"
#include "views/VxViewObjects.h"

using viewtest::TBlock;

namespace {

TVxMapMode Zoom2At(int32_t orgX, int32_t orgY) {
  TVxMapMode map;
  map.DevExtX = map.DevExtY = 2;
  map.DevOrgX = orgX;
  map.DevOrgY = orgY;
  return map;
}

TEST(ViewObjectTest, UpdateRectFollowsTheBodyAndOverlayFlags) {
  const TVxMapMode map = Zoom2At(5, 7);
  const TVxRect device{25, 27, 45, 47};  // (10, 10, 20, 20) at 2:1 from (5, 7)
  const TVxRect grown{22, 24, 48, 50};
  struct Case {
    uint8_t flags;
    TVxRect expected;
  } cases[] = {
      {ViewObjectVisible | ViewObjectBody, device},
      {ViewObjectVisible | ViewObjectOverlay, grown},
      {ViewObjectVisible | ViewObjectBody | ViewObjectOverlay, grown},
      {ViewObjectBody, device},  // visibility plays no part in the rectangle
      {ViewObjectVisible | ViewObjectPaintable, TVxRect{}},
  };
  for (const Case &c : cases) {
    TBlock block("b", {10, 10, 20, 20}, 0, 0, nullptr, c.flags);
    block.OverlayMargin = 3;
    EXPECT_EQ(block.GetUpdateRect(map), c.expected) << int(c.flags);
  }
}

TEST(ViewObjectTest, FlagsOfAPlainObjectAndSetVisible) {
  TVxViewObject object;
  EXPECT_EQ(object.Flags, 15);
  object.SetVisible(false);
  EXPECT_EQ(object.Flags, 14);
  object.SetVisible(true);
  EXPECT_EQ(object.Flags, 15);
  TVxViewObject control(ViewObjectOverlay | ViewObjectNoExtent);
  EXPECT_EQ(control.Flags, 20);
}

TEST(ViewObjectTest, HitTests) {
  TVxViewObject object;
  object.Bounds = {10, 10, 20, 20};
  const TVxMapMode map;
  struct PointCase {
    TVxPoint point;
    int32_t tolerance;
    int expected;
  } points[] = {
      {{15, 15}, 0, HitInside}, {{10, 10}, 0, HitInside}, {{20, 15}, 0, HitNone},
      {{9, 15}, 0, HitNone},    {{9, 15}, 2, HitNear},    {{21, 15}, 2, HitNear},
      {{22, 15}, 2, HitNone},   {{7, 15}, 2, HitNone},
  };
  for (const PointCase &c : points)
    EXPECT_EQ(object.HitTestPoint(map, c.point, c.tolerance), c.expected)
        << c.point.X << "," << c.point.Y << " tol " << c.tolerance;

  struct RectCase {
    TVxRect rect;
    int32_t tolerance;
    int expected;
  } rects[] = {
      {{12, 12, 18, 18}, 0, HitInside},   {{10, 10, 20, 20}, 0, HitInside},
      {{5, 5, 15, 15}, 0, HitIntersects}, {{0, 0, 30, 30}, 0, HitIntersects},
      {{0, 0, 9, 9}, 0, HitNone},         {{0, 0, 9, 9}, 1, HitNone},
      {{0, 0, 9, 9}, 2, HitNear},         {{0, 0, 10, 10}, 1, HitNear},
  };
  for (const RectCase &c : rects)
    EXPECT_EQ(object.HitTestRect(map, c.rect, c.tolerance), c.expected)
        << c.rect.Left << "," << c.rect.Top << "," << c.rect.Right << "," << c.rect.Bottom
        << " tol " << c.tolerance;

  // Hit tests work in device pixels: at 2:1 the same object is twice as large.
  EXPECT_EQ(object.HitTestPoint(Zoom2At(0, 0), {38, 38}, 0), HitInside);
}

TEST(ViewObjectTest, PaintOutsideThePaintCycleNeedsPaintableAndVisible) {
  TVxViewCanvas canvas;
  struct Case {
    uint8_t flags;
    std::vector<std::string> expected;
  } cases[] = {
      {15, {"b body", "b overlay", "b done"}},
      {ViewObjectVisible | ViewObjectBody | ViewObjectPaintable, {"b body", "b done"}},
      {ViewObjectVisible | ViewObjectOverlay | ViewObjectPaintable, {"b overlay", "b done"}},
      {ViewObjectVisible | ViewObjectBody | ViewObjectOverlay, {}},    // not Paintable
      {ViewObjectBody | ViewObjectOverlay | ViewObjectPaintable, {}},  // not Visible
  };
  QImage target(40, 40, QImage::Format_RGB32);
  for (const Case &c : cases) {
    std::vector<std::string> log;
    TBlock block("b", {0, 0, 10, 10}, 0xFF0000, 0x00FF00, &log, c.flags);
    ASSERT_TRUE(canvas.BeginPaint(&target, QRegion(0, 0, 40, 40)));
    block.Paint(canvas);
    canvas.EndPaint();
    EXPECT_EQ(log, c.expected) << int(c.flags);
  }
}

// Counts destructions, and may take another object out of the list as it goes.
class TTracked : public TVxViewObject {
 public:
  TTracked(int *freed, TVxViewObjectList *list = nullptr, TVxViewObject *partner = nullptr)
      : Freed(freed), List(list), Partner(partner) {}
  ~TTracked() override {
    ++*Freed;
    if (List && Partner) List->Remove(Partner);
  }

 private:
  int *Freed;
  TVxViewObjectList *List;
  TVxViewObject *Partner;
};

TEST(ViewObjectListTest, OwnsItsObjects) {
  int freed = 0;
  {
    TVxViewObjectList list;
    auto *a = list.Add(std::make_unique<TTracked>(&freed));
    auto *b = list.Add(std::make_unique<TTracked>(&freed));
    auto *c = list.Insert(0, std::make_unique<TTracked>(&freed));
    EXPECT_EQ(list.Count(), 3u);
    EXPECT_EQ(list.IndexOf(c), 0);
    EXPECT_EQ(list.IndexOf(b), 2);
    EXPECT_EQ(list[5], nullptr);

    EXPECT_TRUE(list.Remove(a));
    EXPECT_EQ(freed, 1);
    EXPECT_FALSE(list.Remove(a));

    std::unique_ptr<TVxViewObject> taken = list.Extract(b);
    EXPECT_EQ(taken.get(), b);
    EXPECT_EQ(freed, 1);
    EXPECT_EQ(list.IndexOf(b), -1);
  }
  EXPECT_EQ(freed, 3);  // c with the list, b with `taken`
}

TEST(ViewObjectListTest, AnObjectMayRemoveAnotherWhileTheListIsCleared) {
  int freed = 0;
  TVxViewObjectList list;
  auto *partner = list.Add(std::make_unique<TTracked>(&freed));
  list.Add(std::make_unique<TTracked>(&freed));
  list.Add(std::make_unique<TTracked>(&freed, &list, partner));
  list.Clear();
  EXPECT_EQ(freed, 3);
  EXPECT_EQ(list.Count(), 0u);
}

}  // namespace
