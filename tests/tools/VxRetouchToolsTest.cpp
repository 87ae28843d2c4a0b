#include <gtest/gtest.h>

#include <QImage>
#include <QProgressBar>
#include <QStatusBar>
#include <functional>

#include "BrushToolFixture.h"
#include "framework/VxProgressMeter.h"
#include "settings/VxStream.h"
#include "support/FakeRecorder.h"
#include "tools/VxAntiAgingTool.h"
#include "tools/VxSmudgeTool.h"
#include "tools/VxUndoBrushTool.h"

namespace {

using tooltest::PixelAt;
using tooltest::PixelsOf;

class RetouchToolTest : public tooltest::BrushToolTest {
 protected:
  // A full-strength hard brush, so the middle of a dab is exactly the target.
  static void HardBrush(TVxBrushTool &tool) {
    tool.SetOpacity(255);
    tool.SetHardness(255);
    tool.SetBrushSize(11);
  }
  // The band pixel of the image as it is now, from a decomposition of its own.
  TVxBGR ExpectedBand(int32_t x, int32_t y, int32_t a, int32_t b, bool removeBand) const {
    TFrequencyRange bands;
    bands.Compute(*Document()->ImagePixels(), a, b);
    return bands.BandPixel(x, y, removeBand);
  }
};

TEST_F(RetouchToolTest, SmoothingAndEmphasisPaintTheBandPixelUnderFullCoverage) {
  struct TCase {
    TVxAntiAgingTool *Tool;
    bool RemoveBand;
  };
  const TCase cases[] = {{Add<TVxAntiAgingTool1>(), true}, {Add<TVxEmphasisTool>(), false}};
  for (const TCase &test : cases) {
    HardBrush(*test.Tool);
    test.Tool->SetNaturalness(2);
    test.Tool->SetSmoothingRadius(9);
    const TVxBGR expected = ExpectedBand(250, 180, 2, 9, test.RemoveBand);
    const TVxBGR outside = PixelAt(*Document()->ImagePixels(), 250, 192);
    Stroke(test.Tool, {{250, 180}});
    EXPECT_EQ(PixelAt(*Document()->ImagePixels(), 250, 180), expected) << test.RemoveBand;
    EXPECT_EQ(PixelAt(*Document()->ImagePixels(), 250, 192), outside) << test.RemoveBand;
    Editor->UndoClick();
  }
}

// The decomposition waits for the pointer over the image, and only changes
// by other tools make it stale again.
TEST_F(RetouchToolTest, TheDecompositionIsRefreshedLazilyAndOnlyOtherToolsInvalidateIt) {
  auto *smoothing = Add<TVxAntiAgingTool1>();
  auto *smudge = Add<TVxSmudgeTool>();
  TVxMaskDrawToolControl *control = ControlOf(smoothing);
  EXPECT_NE(smoothing->Bands.StaleLevel, 0);
  smoothing->SetNaturalness(3);  // while another tool is current
  control->MouseMove(0, Device({100, 100}));
  EXPECT_NE(smoothing->Bands.StaleLevel, 0);
  Editor->SelectTool(smoothing);
  control->MouseMove(0, Device({100, 100}));
  EXPECT_EQ(smoothing->Bands.StaleLevel, 0);
  EXPECT_EQ(smoothing->Bands.GetBounds(), Document()->WorkingArea());

  const struct {
    const char *Name;
    std::function<void()> Change;
    bool Stale;
  } cases[] = {
      {"own stroke",
       [&] {
         Stroke(smoothing, {{100, 100}, {120, 100}});
       },
       false},
      {"undo of own stroke", [&] { Editor->UndoClick(); }, false},
      {"naturalness", [&] { smoothing->BandFrame()->NaturalnessTrackBar->setValue(1); }, true},
      {"smoothing", [&] { smoothing->SetSmoothingRadius(12); }, true},
      {"other tool's stroke",
       [&] {
         Stroke(smudge, {{300, 300}});
       },
       true},
      {"undo of other tool's stroke", [&] { Editor->UndoClick(); }, true},
      {"redo of other tool's stroke", [&] { Editor->RedoClick(); }, true},
  };
  for (const auto &test : cases) {
    Editor->SelectTool(smoothing);
    control->MouseMove(0, Device({100, 100}));
    ASSERT_EQ(smoothing->Bands.StaleLevel, 0) << test.Name;
    test.Change();
    EXPECT_EQ(smoothing->Bands.StaleLevel != 0, test.Stale) << test.Name;
  }
  EXPECT_EQ(smoothing->Naturalness, 1);
  EXPECT_EQ(smoothing->Smoothing, 12);
}

// A press straight after another photograph was opened, with no move in
// between, blends the new photograph's decomposition, never the old one's.
TEST_F(RetouchToolTest, APressWithoutAMoveAfterOpeningUsesTheNewPhotograph) {
  auto *smoothing = Add<TVxAntiAgingTool1>();
  HardBrush(*smoothing);
  Stroke(smoothing, {{200, 200}});  // decomposes the first photograph
  QImage negative(QString::fromStdString(CopySample("n.png").string()));
  negative.invertPixels();
  const auto path = Dir / "images" / "negative.png";
  ASSERT_TRUE(negative.save(QString::fromStdString(path.string())));
  MessageAnswer = IdNo;
  ASSERT_NE(Open(path), nullptr);
  View()->SetZoom(1, 1);
  Editor->SelectTool(smoothing);
  const TVxBGR expected = ExpectedBand(200, 200, 1, 5, true);
  TVxMaskDrawToolControl *control = ControlOf(smoothing);
  control->BrushPosition = {200, 200};
  control->FollowBrush();
  control->MouseDown(TVxMouseButton::Left, LeftButtonDown, Device({200, 200}));
  control->MouseUp(TVxMouseButton::Left, 0, Device({200, 200}));
  EXPECT_EQ(PixelAt(*Document()->ImagePixels(), 200, 200), expected);
}

TEST_F(RetouchToolTest, TheDecompositionRunsOnTheStatusBarMeterAndEndsAtRest) {
  QStatusBar bar;
  TProgressMeter meter(&bar);
  SetProgressMeter(&meter);
  int highest = 0, maximum = 0;
  QObject::connect(meter.Bar(), &QProgressBar::valueChanged, [&](int value) {
    highest = std::max(highest, value);
    maximum = std::max(maximum, meter.Bar()->maximum());
  });
  auto *smoothing = Add<TVxAntiAgingTool1>();
  Editor->SelectTool(smoothing);
  ControlOf(smoothing)->MouseMove(0, Device({10, 10}));
  SetProgressMeter(nullptr);
  EXPECT_EQ(smoothing->Bands.StaleLevel, 0);
  EXPECT_EQ(maximum, 2 * 512);
  EXPECT_EQ(highest, 2 * 512);
  EXPECT_EQ(meter.Bar()->value(), 0);
}

TEST_F(RetouchToolTest, SmudgeOfSizeOneChangesNothing) {
  auto *smudge = Add<TVxSmudgeTool>();
  smudge->SetBrushSize(1);
  EXPECT_EQ(smudge->Smoothing, 1);
  const std::vector<uint8_t> opened = Image();
  Stroke(smudge, {{100, 100}, {101, 100}, {102, 101}, {103, 103}});
  EXPECT_EQ(Image(), opened);
}

TEST_F(RetouchToolTest, TheHistoryBrushRestoresTheOpenedPixelsInOneStroke) {
  auto *smoothing = Add<TVxAntiAgingTool1>();
  auto *smudge = Add<TVxSmudgeTool>();
  auto *history = Add<TVxUndoBrushTool>();
  const std::vector<uint8_t> opened = Image();
  history->SetBrushSize(30);
  Stroke(history, {{400, 400}, {410, 410}});  // never retouched: nothing moves
  EXPECT_EQ(Image(), opened);
  Stroke(smoothing, {{200, 200}, {210, 205}});
  Stroke(smudge, {{205, 200}, {200, 210}});
  Stroke(smoothing, {{200, 200}});
  const std::vector<uint8_t> retouched = Image();
  ASSERT_NE(retouched, opened);
  const int steps = Document()->History().Count();
  Stroke(history, {{204, 204}});
  EXPECT_EQ(Document()->History().Count(), steps + 1);
  // Non-expert: opacity 255 and hardness 191 make the middle solid.
  const TVxPixels &original = *Document()->OriginalPixels();
  for (int32_t y = 198; y <= 210; ++y)
    for (int32_t x = 198; x <= 210; ++x)
      ASSERT_EQ(PixelAt(*Document()->ImagePixels(), x, y), PixelAt(original, x, y))
          << x << "," << y;
}

class ExpertModeTest : public RetouchToolTest {};

// Experts tune opacity and hardness; leaving Expert Mode puts both back,
// recording what changed before the check box's own lines.
TEST_F(ExpertModeTest, LeavingExpertModeResetsOpacityAndHardness) {
  struct TCase {
    TVxBrushTool *Tool;
    QCheckBox *Box;
    int32_t Hardness;
  };
  auto *smudge = Add<TVxSmudgeTool>();
  auto *history = Add<TVxUndoBrushTool>();
  auto *smoothing = Add<TVxAntiAgingTool1>();
  const TCase cases[] = {
      {smudge, smudge->SmudgeFrame()->ExpertModeTBXCheckBox, 191},
      {history, history->UndoBrushFrame()->ExpertModeTBXCheckBox, 191},
      {smoothing, smoothing->BandFrame()->ExpertModeTBXCheckBox, 127},
  };
  for (const TCase &test : cases) {
    const QString name = test.Tool->ToolName;
    TVxBrushFrame *frame = brushui::FrameOf(*test.Tool);
    EXPECT_EQ(test.Tool->Opacity, 255) << name.toStdString();
    EXPECT_EQ(test.Tool->Hardness, test.Hardness) << name.toStdString();
    EXPECT_TRUE(frame->OpacityTrackBar->isHidden());
    test.Box->setChecked(true);
    EXPECT_FALSE(frame->HardnessTrackBar->isHidden());
    test.Tool->SetOpacity(100);
    test.Tool->SetHardness(test.Hardness);  // unchanged: not recorded
    uitest::TFakeRecorder recorder;
    recorder.Messages = false;
    test.Tool->SetDemoPlayback(&recorder);
    test.Box->setChecked(false);
    test.Tool->ClearDemoPlayback(&recorder);
    EXPECT_EQ(test.Tool->Opacity, 255);
    EXPECT_TRUE(frame->OpacityTrackBar->isHidden());
    EXPECT_EQ(recorder.Lines,
              (QStringList{"MouseCurvedMove " + name + "Opacity", name + "Opacity 255",
                           "MouseCurvedMove " + name + "ExpertMode", name + "ExpertMode 0"}));
  }
}

// Every tool's node survives the configuration file; a node without item 4
// leaves Expert Mode off and the expert values as they were read.
TEST_F(ExpertModeTest, SettingsRoundTripThroughTheConfigurationFormat) {
  struct TCase {
    const char *Name;
    std::function<TVxBrushTool *()> Make;
    std::function<bool(TVxBrushTool *)> Expert;
  };
  const TCase cases[] = {
      {"smudge", [&] { return Add<TVxSmudgeTool>(); },
       [](TVxBrushTool *t) { return static_cast<TVxSmudgeTool *>(t)->ExpertMode; }},
      {"history", [&] { return Add<TVxUndoBrushTool>(); },
       [](TVxBrushTool *t) { return static_cast<TVxUndoBrushTool *>(t)->ExpertMode; }},
      {"smoothing", [&] { return Add<TVxAntiAgingTool1>(); },
       [](TVxBrushTool *t) { return static_cast<TVxAntiAgingTool *>(t)->ExpertMode; }},
      {"emphasis", [&] { return Add<TVxEmphasisTool>(); },
       [](TVxBrushTool *t) { return static_cast<TVxAntiAgingTool *>(t)->ExpertMode; }},
  };
  for (const TCase &test : cases) {
    TVxBrushTool *saved = test.Make();
    brushui::FrameOf(*saved)->ExpertModeTBXCheckBox->setChecked(true);
    saved->SetBrushSize(33);
    saved->SetOpacity(99);
    saved->SetHardness(12);
    auto *bands = dynamic_cast<TVxAntiAgingTool *>(saved);
    if (bands) {
      bands->SetNaturalness(4);
      bands->SetSmoothingRadius(17);
    }
    TVxMemoryStream stream;
    {
      TVxSDFWriter writer(&stream, false);
      saved->SaveSettings(writer);
    }
    stream.Seek(0, TVxSeekOrigin::Begin);
    TVxBrushTool *loaded = test.Make();
    {
      TVxSDFReader reader(&stream, false);
      loaded->LoadSettings(reader);
    }
    EXPECT_TRUE(test.Expert(loaded)) << test.Name;
    EXPECT_FALSE(brushui::FrameOf(*loaded)->OpacityTrackBar->isHidden()) << test.Name;
    EXPECT_EQ(loaded->Size, 33) << test.Name;
    EXPECT_EQ(loaded->Opacity, 99) << test.Name;
    EXPECT_EQ(loaded->Hardness, 12) << test.Name;
    if (auto *loadedBands = dynamic_cast<TVxAntiAgingTool *>(loaded)) {
      EXPECT_EQ(loadedBands->Naturalness, 4) << test.Name;
      EXPECT_EQ(loadedBands->Smoothing, 17) << test.Name;
      EXPECT_EQ(loadedBands->BandFrame()->SmoothingTrackBar->value(), 17) << test.Name;
    }
  }
  // Only items 1 to 3, under the smudge tool's node.
  TVxMemoryStream stream;
  {
    TVxSDFWriter writer(&stream, false);
    writer.BeginSection(1, TVxSmudgeTool::SettingsGuid);
    writer.WriteInteger(1, 20);
    writer.WriteInteger(2, 90);
    writer.WriteInteger(3, 30);
    writer.EndNode();
  }
  stream.Seek(0, TVxSeekOrigin::Begin);
  auto *smudge = Add<TVxSmudgeTool>();
  TVxSDFReader reader(&stream, false);
  smudge->LoadSettings(reader);
  EXPECT_FALSE(smudge->ExpertMode);
  EXPECT_EQ(smudge->Size, 20);
  EXPECT_EQ(smudge->Smoothing, 20);
  EXPECT_EQ(smudge->Opacity, 90);
}

TEST_F(RetouchToolTest, ScriptWordsSetTheBandAndExpertMode) {
  auto *emphasis = Add<TVxEmphasisTool>();
  struct TCase {
    const char *Word;
    int32_t Value;
  };
  for (const TCase &test : {TCase{"EMPHASISNATURALNESS", 0}, TCase{"EMPHASISSMOOTHING", 20},
                            TCase{"EMPHASISEXPERTMODE", 1}}) {
    TVxProperties params;
    params.SetInteger(0, test.Value);
    bool handled = false;
    emphasis->ExecuteDemoCommand(nullptr, QString::fromLatin1(test.Word), handled, false, params);
    EXPECT_TRUE(handled) << test.Word;
  }
  EXPECT_EQ(emphasis->Naturalness, 0);
  EXPECT_EQ(emphasis->Smoothing, 20);
  EXPECT_TRUE(emphasis->ExpertMode);
  QPoint point;
  bool handled = false;
  TVxProperties params;
  params.SetString(0, "EMPHASISNATURALNESS");
  emphasis->GetDemoCommandPoint(nullptr, params, handled, point);
  EXPECT_TRUE(handled);
}

}  // namespace
