#include <gtest/gtest.h>

#include <QAction>
#include <QDialog>
#include <QMainWindow>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <stdexcept>

#include "ViewTestObjects.h"
#include "framework/VxCursors.h"
#include "imaging/codecs/VxImage.h"
#include "platform/VirtualKeys.h"
#include "support/FakeRecorder.h"
#include "support/UiFixture.h"
#include "views/VxGraphicsView.h"

using viewtest::RgbAt;

namespace {

class TEditor : public TVxEditor {
 public:
  using TVxEditor::TVxEditor;
  TVxDocumentFormats *GetFormats() override { return nullptr; }
  std::unique_ptr<TVxDocument> CreateDocument() override {
    return std::make_unique<TVxGraphicsDocument>(this);
  }
};

class TStatus : public IVxPointerStatusSink {
 public:
  void ShowPointerStatus(const TVxPointerStatus &status) override { Shown.push_back(status); }
  std::vector<TVxPointerStatus> Shown;
};

// An input object that logs what it is offered and answers as told.
class TInput : public TVxInputViewObject {
 public:
  TInput(std::string name, std::vector<std::string> &log)
      : TVxInputViewObject(ViewObjectOverlay | ViewObjectNoExtent),
        Name(std::move(name)),
        Log(log) {}

  bool Takes = false;
  bool Throws = false;
  int Cursor = 0;

  bool GetCursor(TVxShiftState, const TVxPoint &, int &cursor) override {
    if (Takes) cursor = Cursor;
    return Takes;
  }
  void MouseEnter() override { Log.push_back(Name + " enter"); }
  void MouseLeave() override { Log.push_back(Name + " leave"); }
  bool MouseDown(TVxMouseButton, TVxShiftState shift, const TVxPoint &p) override {
    return Answer("down", p, shift);
  }
  bool MouseMove(TVxShiftState shift, const TVxPoint &p) override {
    return Answer("move", p, shift);
  }
  bool MouseUp(TVxMouseButton, TVxShiftState shift, const TVxPoint &p) override {
    return Answer("up", p, shift);
  }
  bool MouseWheel(TVxShiftState, int delta, const TVxPoint &) override {
    Log.push_back(Name + " wheel " + std::to_string(delta));
    return Takes;
  }
  bool KeyDown(int key, TVxShiftState) override {
    Log.push_back(Name + " key " + std::to_string(key));
    if (Throws) throw std::runtime_error("tool failed");
    return Takes;
  }

 private:
  bool Answer(const char *what, const TVxPoint &p, TVxShiftState shift) {
    Log.push_back(Name + " " + what + " " + std::to_string(p.X) + "," + std::to_string(p.Y) +
                  ((shift & ShiftKey) ? " shift" : ""));
    return Takes;
  }

  std::string Name;
  std::vector<std::string> &Log;
};

// A vertical gradient image in a document whose editor may record.
class GraphicsViewTest : public uitest::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    Recorder.Message = QStringLiteral("Smooth the skin");
    Editor = new TEditor(App.get());
    Document = std::make_unique<TVxGraphicsDocument>(Editor);
    SetImage(1000, 800);
  }
  void TearDown() override {
    Window.reset();
    Document.reset();
    UiTest::TearDown();
  }
  void SetImage(int32_t w, int32_t h) {
    ASSERT_TRUE(Document->Image.SetSize(w, h));
    for (int32_t y = 0; y < h; ++y) {
      uint8_t *row = Document->Image.Pixels()->PixelAddress(0, y);
      for (int32_t x = 0; x < w; ++x) {
        row[x * 3] = static_cast<uint8_t>(x);  // blue
        row[x * 3 + 1] = static_cast<uint8_t>(y);
        row[x * 3 + 2] = 200;
      }
    }
  }
  // The view as the editor attaches it: in a window, image shown.
  TVxGraphicsView *Attach(int w = 300, int h = 200) {
    auto *view = dynamic_cast<TVxGraphicsView *>(Document->GetView());
    if (!view) return nullptr;
    Window = std::make_unique<QMainWindow>();
    Window->setCentralWidget(view);
    Window->resize(w, h);
    view->DocumentView()->SetVisible(true);
    Window->show();
    uitest::ProcessEvents();
    view->UpdateScrollRange();
    return view;
  }
  void SetMap(TVxGraphicsView *view, int32_t dev, int32_t log, int32_t orgX, int32_t orgY) {
    TVxMapMode &map = view->MapMode();
    map.DevExtX = map.DevExtY = dev;
    map.LogExtX = map.LogExtY = log;
    map.DevOrgX = orgX;
    map.DevOrgY = orgY;
  }

  TEditor *Editor = nullptr;
  std::unique_ptr<TVxGraphicsDocument> Document;
  std::unique_ptr<QMainWindow> Window;
  uitest::TFakeRecorder Recorder;
  std::vector<std::string> Log;
};

TEST_F(GraphicsViewTest, TheDocumentMakesTheViewWhichListensAndHidesTheImageUntilAttached) {
  auto *view = dynamic_cast<TVxGraphicsView *>(Document->GetView());
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(Document->GraphicsView(), view);
  EXPECT_EQ(view->Objects()[0], view->DocumentView());
  EXPECT_EQ(view->DocumentView()->Flags, ViewObjectBody | ViewObjectPaintable);
  EXPECT_EQ(view->DocumentView()->Bounds, (TVxRect{0, 0, 1000, 800}));
  EXPECT_EQ(view->focusPolicy(), Qt::StrongFocus);
  ASSERT_EQ(Document->ListenerCount(), 1);
  EXPECT_EQ(Document->Listener(0), view);

  // The document tells the view of a new image size.
  view->DocumentView()->SetVisible(true);
  view->resize(300, 200);
  ASSERT_TRUE(Document->SetCanvasSize(100, 50, false));
  EXPECT_EQ(view->DocumentView()->Bounds, (TVxRect{0, 0, 100, 50}));
  EXPECT_TRUE(view->VerticalScrollBar()->isHidden());
  EXPECT_EQ(view->MapMode().DevOrgX, 100);
  // And a change notification updates the scroll range.
  view->DocumentView()->Bounds = {0, 0, 100, 900};
  Document->NotifyChanged();
  EXPECT_FALSE(view->VerticalScrollBar()->isHidden());

  delete view;
  EXPECT_EQ(Document->ListenerCount(), 0);
  EXPECT_EQ(Document->GraphicsView(), nullptr);
}

TEST_F(GraphicsViewTest, TheImageIsPaintedAtTheZoomWithTheBackgroundAround) {
  SetImage(40, 30);
  TVxGraphicsView *view = Attach();
  ASSERT_NE(view, nullptr);
  SetMap(view, 2, 1, 10, 20);
  QImage image(120, 100, QImage::Format_RGB32);
  view->PaintRegion(&image, QRegion(0, 0, 120, 100));
  EXPECT_EQ(RgbAt(image, 10, 20), 0xC80000u);
  EXPECT_EQ(RgbAt(image, 10 + 2 * 7 + 1, 20 + 2 * 5), 0xC80507u);  // image pixel (7, 5)
  EXPECT_EQ(RgbAt(image, 89, 79), 0xC81D27u);                      // (39, 29)
  EXPECT_EQ(RgbAt(image, 90, 50), TVxViewCanvas::DefaultBackgroundColour);
  EXPECT_EQ(RgbAt(image, 9, 50), TVxViewCanvas::DefaultBackgroundColour);

  // A body above the image keeps its pixels: the image draws around it.
  auto *block = view->Objects().Add(
      std::make_unique<viewtest::TBlock>("block", TVxRect{5, 5, 10, 10}, 0x00FF00, 0, nullptr,
                                         ViewObjectVisible | ViewObjectBody | ViewObjectPaintable));
  view->PaintRegion(&image, QRegion(0, 0, 120, 100));
  EXPECT_EQ(RgbAt(image, 10 + 2 * 7, 20 + 2 * 7), 0x00FF00u);
  EXPECT_EQ(RgbAt(image, 10 + 2 * 11, 20 + 2 * 7), 0xC8070Bu);
  view->Objects().Remove(block);
}

TEST_F(GraphicsViewTest, MouseActionsOnTheImageAreRecorded) {
  TVxGraphicsView *view = Attach();
  ASSERT_NE(view, nullptr);
  Editor->SetDemoPlayback(&Recorder);
  SetMap(view, 1, 2, -20, -10);  // 1:2
  QTest::mousePress(view, Qt::LeftButton, {}, QPoint(100, 50));
  EXPECT_EQ(Recorder.Lines,
            (QStringList{"MouseCurvedMove Image, 240, 120", "Message \"Smooth the skin\"",
                         "MouseDown Image, 240, 120"}));
  EXPECT_TRUE(view->RecordButtonDown());

  // At 4:1 a pixel of the image spans four of the window.
  Recorder.Lines.clear();
  SetMap(view, 4, 1, 0, 0);
  QTest::mouseMove(view, QPoint(100, 50));  // image (25, 12)
  QTest::mouseMove(view, QPoint(103, 51));
  EXPECT_EQ(Recorder.Lines, (QStringList{"MouseTo Image, 25, 12"}));
  QTest::mouseMove(view, QPoint(104, 51));
  QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(104, 51));
  EXPECT_EQ(Recorder.Lines, (QStringList{"MouseTo Image, 25, 12", "MouseTo Image, 26, 12",
                                         "MouseUp Image, 26, 12", "Pause 0.5"}));
  EXPECT_FALSE(view->RecordButtonDown());

  // The right button, without messages; a press while a button is down moves
  // straight; the middle button records no press of its own.
  Recorder.Lines.clear();
  Recorder.Messages = false;
  SetMap(view, 1, 1, 0, 0);
  QTest::mousePress(view, Qt::RightButton, {}, QPoint(7, 8));
  QTest::mousePress(view, Qt::MiddleButton, {}, QPoint(9, 8));
  QTest::mouseRelease(view, Qt::MiddleButton, {}, QPoint(9, 8));
  QTest::mouseRelease(view, Qt::RightButton, {}, QPoint(9, 8));
  EXPECT_EQ(Recorder.Lines, (QStringList{"MouseCurvedMove Image, 7, 8",
                                         "MouseRightDown Image, 7, 8", "MouseMove Image, 9, 8",
                                         "Pause 0.5", "MouseRightUp Image, 9, 8", "Pause 0.5"}));

  // Nothing while the recorder is not recording.
  Recorder.Lines.clear();
  Recorder.Recording = false;
  QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_TRUE(Recorder.Lines.isEmpty());
  Editor->ClearDemoPlayback(&Recorder);
}

TEST_F(GraphicsViewTest, InputGoesToTheObjectsFromTheTopDownUntilOneTakesIt) {
  TVxGraphicsView *view = Attach();
  ASSERT_NE(view, nullptr);
  auto *lower = view->Objects().Add(std::make_unique<TInput>("lower", Log));
  auto *middle = view->Objects().Add(std::make_unique<TInput>("middle", Log));
  view->Objects().Add(std::make_unique<TInput>("upper", Log));
  middle->Takes = true;

  QTest::mouseMove(view, QPoint(30, 40));
  QTest::mousePress(view, Qt::LeftButton, Qt::ShiftModifier, QPoint(31, 41));
  EXPECT_EQ(Log, (std::vector<std::string>{"upper enter", "middle enter", "lower enter",
                                           "upper move 30,40", "middle move 30,40",
                                           "upper down 31,41 shift", "middle down 31,41 shift"}));
  EXPECT_TRUE(view->MouseInside());

  // Wheel notches are +1 or -1: two notches at once are offered twice.
  Log.clear();
  lower->Takes = true;
  middle->Takes = false;
  QWheelEvent wheel(QPointF(30, 40), view->mapToGlobal(QPointF(30, 40)), QPoint(), QPoint(0, -240),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(view, &wheel);
  EXPECT_TRUE(wheel.isAccepted());
  EXPECT_EQ(Log, (std::vector<std::string>{"upper wheel -1", "middle wheel -1", "lower wheel -1",
                                           "upper wheel -1", "middle wheel -1", "lower wheel -1"}));

  // The pointer leaving tells every object.
  Log.clear();
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(view, &leave);
  EXPECT_FALSE(view->MouseInside());
  EXPECT_EQ(Log, (std::vector<std::string>{"upper leave", "middle leave", "lower leave"}));
  QApplication::sendEvent(view, &leave);
  EXPECT_EQ(Log.size(), 3u);
}

TEST_F(GraphicsViewTest, TheTopmostObjectThatAnswersChoosesTheCursor) {
  TVxGraphicsView *view = Attach();
  ASSERT_NE(view, nullptr);
  auto *lower = view->Objects().Add(std::make_unique<TInput>("lower", Log));
  auto *upper = view->Objects().Add(std::make_unique<TInput>("upper", Log));
  lower->Takes = true;
  lower->Cursor = CursorCross;
  QTest::mouseMove(view, QPoint(32, 42));
  EXPECT_EQ(view->cursor().shape(), ScreenCursor(CursorCross).shape());
  upper->Takes = true;
  upper->Cursor = CursorSizeAll;
  view->UpdateCursor();
  EXPECT_EQ(view->cursor().shape(), ScreenCursor(CursorSizeAll).shape());
  upper->Takes = lower->Takes = false;
  view->UpdateCursor();
  EXPECT_EQ(view->cursor().shape(), ScreenCursor(CursorDefault).shape());
}

TEST_F(GraphicsViewTest, EnterEscapeAndArrowsReachTheToolsNotTheWindow) {
  QDialog dialog;
  auto *view = new TVxGraphicsView(Document.get(), &dialog);
  auto *tool = view->Objects().Add(std::make_unique<TInput>("tool", Log));
  bool shortcutFired = false;
  auto *action = new QAction(&dialog);
  action->setShortcut(QKeySequence(Qt::Key_Left));
  dialog.addAction(action);
  QObject::connect(action, &QAction::triggered, [&] { shortcutFired = true; });
  dialog.resize(200, 150);
  dialog.show();
  view->setFocus();
  uitest::ProcessEvents();

  for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Left, Qt::Key_Down})
    QTest::keyClick(view, key);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_FALSE(shortcutFired);
  EXPECT_EQ(Log,
            (std::vector<std::string>{"tool key 27", "tool key 13", "tool key 37", "tool key 40"}));

  // A tool that fails ends the offer: the one below never hears of the key.
  Log.clear();
  tool->Throws = true;
  view->Objects().Add(std::make_unique<TInput>("top", Log));
  view->Objects().Insert(1, std::make_unique<TInput>("bottom", Log));
  QTest::keyClick(view, Qt::Key_Space);
  EXPECT_EQ(Log, (std::vector<std::string>{"top key 32", "tool key 32"}));
  delete view;
}

TEST_F(GraphicsViewTest, TheStatusShowsThePointerPositionAndColour) {
  TVxGraphicsView *view = Attach();
  ASSERT_NE(view, nullptr);
  TStatus status;
  view->SetStatusSink(&status);
  SetMap(view, 2, 1, -10, -4);
  QTest::mouseMove(view, QPoint(34, 40));  // image (22, 22)
  SetMap(view, 1, 1, 50, 20);
  QTest::mouseMove(view, QPoint(31, 40));  // image (-19, 20): outside
  ASSERT_EQ(status.Shown.size(), 2u);
  EXPECT_EQ(status.Shown[0].X, 22);
  EXPECT_EQ(status.Shown[0].Y, 22);
  EXPECT_EQ(status.Shown[0].R, 200);
  EXPECT_EQ(status.Shown[0].G, 22);
  EXPECT_EQ(status.Shown[0].B, 22);
  EXPECT_EQ(status.Shown[1].X, -19);
  EXPECT_EQ(status.Shown[1].Y, 20);
  EXPECT_EQ(status.Shown[1].R + status.Shown[1].G + status.Shown[1].B, 0);

  const std::array<uint8_t, 3> none{0, 0, 0};
  EXPECT_EQ(view->PixelAt({1000, 0}), none);
  EXPECT_EQ(view->PixelAt({0, 800}), none);
  EXPECT_EQ(view->PixelAt({0, -1}), none);
  EXPECT_EQ(view->PixelAt({999, 799}), (std::array<uint8_t, 3>{0xE7, 0x1F, 200}));
}

TEST(ZoomStepsTest, InAndOutFollowTheTable) {
  struct Case {
    TVxZoom from, in, out;
  } cases[] = {
      {{1, 1}, {3, 2}, {3, 4}},     {{16, 1}, {16, 1}, {12, 1}}, {{1, 16}, {1, 12}, {1, 16}},
      {{11, 10}, {3, 2}, {1, 1}},   {{2, 3}, {3, 4}, {1, 2}},    {{32, 1}, {16, 1}, {16, 1}},
      {{1, 100}, {1, 16}, {1, 16}}, {{3, 4}, {1, 1}, {1, 2}},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(ZoomInStep(c.from.Numerator, c.from.Denominator), c.in)
        << c.from.Numerator << ":" << c.from.Denominator;
    EXPECT_EQ(ZoomOutStep(c.from.Numerator, c.from.Denominator), c.out)
        << c.from.Numerator << ":" << c.from.Denominator;
  }
}

TEST_F(GraphicsViewTest, ZoomKeepsTheCentrePointUnlessTheRangeEnds) {
  SetImage(2000, 1600);
  TVxGraphicsView *view = Attach();
  ASSERT_NE(view, nullptr);
  view->CentreOn({700, 500});
  auto centre = [&] {
    const TVxRect client = view->ClientRect();
    return view->MapMode().DeviceToLogical({client.Width() / 2, client.Height() / 2});
  };
  EXPECT_EQ(centre(), (TVxPoint{700, 500}));
  for (TVxZoom zoom : {TVxZoom{3, 2}, TVxZoom{4, 1}, TVxZoom{1, 2}}) {
    view->SetZoom(zoom.Numerator, zoom.Denominator);
    EXPECT_EQ(view->Zoom(), zoom);
    const TVxPoint c = centre();
    EXPECT_LE(std::abs(c.X - 700), zoom.Denominator) << zoom.Numerator << ":" << zoom.Denominator;
    EXPECT_LE(std::abs(c.Y - 500), zoom.Denominator) << zoom.Numerator << ":" << zoom.Denominator;
  }
  // Zoomed out far enough, the whole image fits and is centred instead.
  view->SetZoom(1, 16);
  EXPECT_TRUE(view->HorizontalScrollBar()->isHidden());
  EXPECT_EQ(view->MapMode().DevOrgX, (view->width() - 125) / 2);
}

// With no tool taking the wheel it scrolls (Shift: sideways) and Ctrl zooms.
TEST_F(GraphicsViewTest, AWheelNoToolTakesScrollsWithinRangeOrZooms) {
  SetImage(2000, 1600);
  TVxGraphicsView *view = Attach();
  ASSERT_NE(view, nullptr);
  view->Objects().Add(std::make_unique<TInput>("tool", Log));
  view->CentreOn({1000, 800});
  const int32_t step = 3 * view->LineStep;
  auto wheel = [&](int angle, Qt::KeyboardModifiers modifiers) {
    QWheelEvent event(QPointF(30, 40), view->mapToGlobal(QPointF(30, 40)), QPoint(),
                      QPoint(0, angle), Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view, &event);
    EXPECT_TRUE(event.isAccepted());
  };
  struct Case {
    int angle;
    Qt::KeyboardModifiers modifiers;
    int32_t dx, dy;
  } cases[] = {
      {-120, Qt::NoModifier, 0, -step},  // toward the user: further down
      {120, Qt::NoModifier, 0, step},
      {-120, Qt::ShiftModifier, -step, 0},
      {240, Qt::ShiftModifier, 2 * step, 0},  // two notches at once
  };
  for (const Case &c : cases) {
    const TVxMapMode before = view->MapMode();
    wheel(c.angle, c.modifiers);
    EXPECT_EQ(view->MapMode().DevOrgX - before.DevOrgX, c.dx) << c.angle << " " << c.modifiers;
    EXPECT_EQ(view->MapMode().DevOrgY - before.DevOrgY, c.dy) << c.angle << " " << c.modifiers;
  }
  EXPECT_EQ(Log, (std::vector<std::string>{"tool wheel -1", "tool wheel 1", "tool wheel -1",
                                           "tool wheel 1", "tool wheel 1"}));

  // At the top the wheel stops there instead of scrolling past.
  view->ScrollBy(-view->MapMode().DevOrgX, -view->MapMode().DevOrgY);
  wheel(120, Qt::NoModifier);
  EXPECT_EQ(view->MapMode().DevOrgY, 0);
  EXPECT_EQ(view->VerticalScrollBar()->value(), 0);
  wheel(-120, Qt::NoModifier);
  EXPECT_EQ(view->VerticalScrollBar()->value(), step);

  wheel(120, Qt::ControlModifier);
  EXPECT_EQ(view->Zoom(), (TVxZoom{3, 2}));
  wheel(-120, Qt::ControlModifier);
  wheel(-120, Qt::ControlModifier);
  EXPECT_EQ(view->Zoom(), (TVxZoom{3, 4}));

  // A high-resolution wheel sends one notch in eight parts: it acts once,
  // when the parts make a notch. Turning back starts afresh.
  view->SetZoom(1, 1);
  Log.clear();
  for (int part = 0; part < 7; ++part) wheel(15, Qt::ControlModifier);
  EXPECT_EQ(view->Zoom(), (TVxZoom{1, 1}));
  wheel(15, Qt::ControlModifier);
  EXPECT_EQ(view->Zoom(), (TVxZoom{3, 2}));
  EXPECT_EQ(Log, std::vector<std::string>{"tool wheel 1"});
  for (int part = 0; part < 7; ++part) wheel(15, Qt::NoModifier);
  const int32_t top = view->MapMode().DevOrgY;
  for (int part = 0; part < 7; ++part) wheel(-15, Qt::NoModifier);
  EXPECT_EQ(view->MapMode().DevOrgY, top);
  wheel(-15, Qt::NoModifier);
  EXPECT_EQ(view->MapMode().DevOrgY, top - step);
}

}  // namespace

// The sample portrait (512 x 512) in a 700 x 500 window at several zooms. Set
// VELORA_VIEW_SHOTS to a folder to keep what the window showed as PNGs.
TEST_F(GraphicsViewTest, ThePortraitStaysCentredAndTheScrollBarsFollowTheZoom) {
  TVxImage photo;
  ASSERT_EQ(photo.LoadFromFile(testsupport::SamplePath("portrait.jpg")), TVxImageStatus::Ok);
  ASSERT_TRUE(Document->Image.SetSize(photo.Width(), photo.Height()));
  ASSERT_EQ(photo.ReadPixels(*Document->Image.Pixels()), TVxImageStatus::Ok);
  Document->Refresh();
  TVxGraphicsView *view = Attach(700, 500);
  ASSERT_NE(view, nullptr);
  const char *shots = std::getenv("VELORA_VIEW_SHOTS");

  struct Case {
    const char *name;
    TVxZoom zoom;
    bool horz, vert;
  } cases[] = {
      {"1-4", {1, 4}, false, false},       {"1-2", {1, 2}, false, false},
      {"1-1", {1, 1}, false, true},        {"2-1", {2, 1}, true, true},
      {"1-2-again", {1, 2}, false, false},
  };
  for (const Case &c : cases) {
    view->SetZoom(c.zoom.Numerator, c.zoom.Denominator);
    uitest::ProcessEvents();
    EXPECT_EQ(!view->HorizontalScrollBar()->isHidden(), c.horz) << c.name;
    EXPECT_EQ(!view->VerticalScrollBar()->isHidden(), c.vert) << c.name;
    const QImage shot = view->grab().toImage();
    if (shots) shot.save(QString::fromUtf8(shots) + "/view-" + c.name + ".png");
    const TVxRect client = view->ClientRect();
    const TVxRect image = view->MapMode().LogicalToDeviceRect({0, 0, 512, 512});
    if (!c.horz) {
      EXPECT_EQ(image.Left, (client.Width() - image.Width()) / 2) << c.name;
    }
    if (!c.vert) {
      EXPECT_EQ(image.Top, (client.Height() - image.Height()) / 2) << c.name;
    }
    // What the window shows at the client centre is an image pixel of the
    // block that window pixel covers (zoomed out, the stretch picks one).
    const TVxPoint centre{client.Width() / 2, client.Height() / 2};
    const TVxPoint p = view->MapMode().DeviceToLogical(centre);
    bool found = false;
    for (int32_t dy = 0; dy < c.zoom.Denominator; ++dy)
      for (int32_t dx = 0; dx < c.zoom.Denominator; ++dx) {
        const std::array<uint8_t, 3> bgr = view->PixelAt({p.X + dx, p.Y + dy});
        found |= RgbAt(shot, centre.X, centre.Y) ==
                 ((uint32_t(bgr[2]) << 16) | (uint32_t(bgr[1]) << 8) | bgr[0]);
      }
    EXPECT_TRUE(found) << c.name;
    if (!c.horz && !c.vert) {
      EXPECT_EQ(RgbAt(shot, 2, 2), TVxViewCanvas::DefaultBackgroundColour) << c.name;
    }
  }

  // Scrolled to the bottom right at 2:1, then zoomed out: pulled back and centred.
  view->SetZoom(2, 1);
  view->ScrollBy(-5000, -5000);
  view->UpdateScrollRange();
  const TVxRect client = view->ClientRect();
  EXPECT_EQ(view->MapMode().DevOrgX, client.Width() - 1024);
  EXPECT_EQ(view->MapMode().DevOrgY, client.Height() - 1024);
  uitest::ProcessEvents();
  if (shots) view->grab().save(QString::fromUtf8(shots) + "/view-2-1-end.png");
}
