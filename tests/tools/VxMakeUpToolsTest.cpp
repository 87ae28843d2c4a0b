#include <gtest/gtest.h>

#include <QImage>
#include <QTest>

#include "BrushToolFixture.h"
#include "framework/VxCursors.h"
#include "framework/VxText.h"
#include "settings/VxStream.h"
#include "tools/VxHandInpaintingTool.h"
#include "tools/VxMakeUpSurfaceTool.h"

namespace {

using tooltest::PixelAt;

constexpr int VkP = 'P';

class MakeUpToolTest : public tooltest::BrushToolTest {
 protected:
  // Opens a width x height photo of one grey, at 1:1.
  void OpenGrey(int width, int height, int grey) {
    QImage image(width, height, QImage::Format_RGB888);
    image.fill(QColor(grey, grey, grey));
    const auto path = Dir / "images" / ("grey" + std::to_string(width) + ".png");
    ASSERT_TRUE(image.save(QString::fromStdString(path.string())));
    MessageAnswer = IdNo;
    ASSERT_NE(Open(path), nullptr);
    View()->SetZoom(1, 1);
  }
  TVxBGR At(int32_t x, int32_t y) const { return PixelAt(*Document()->ImagePixels(), x, y); }
};

TEST_F(MakeUpToolTest, TeethWhiteningMovesAGreyALittleTowardsWhiteWithEveryStroke) {
  OpenGrey(64, 64, 100);
  auto *teeth = Add<TVxTeethBleachTool>();
  teeth->SetBrushSize(21);
  const TVxBGR expected[] = {{119, 119, 119}, {136, 136, 136}, {151, 151, 151}};
  for (const TVxBGR &colour : expected) {
    // Dabs of one stroke overlap without compounding.
    Stroke(teeth, {{32, 32}, {33, 32}, {32, 32}});
    EXPECT_EQ(At(32, 32), colour);
  }
  EXPECT_EQ(At(2, 2), (TVxBGR{100, 100, 100}));  // outside the brush
  Editor->UndoClick();
  EXPECT_EQ(At(32, 32), (TVxBGR{136, 136, 136}));
}

TEST_F(MakeUpToolTest, TheTeethFrameShowsTheTitleAndTheSizeSliderOnly) {
  auto *teeth = Add<TVxTeethBleachTool>();
  TVxMakeUpSurfaceFrame *frame = teeth->MakeUpFrame();
  ASSERT_NE(frame, nullptr);
  EXPECT_NE(qobject_cast<TVxTeethBleachFrame *>(frame), nullptr);
  teeth->Localize();
  EXPECT_EQ(frame->TitleLabel->text(), Text(2615));
  EXPECT_FALSE(frame->TitleLabel->isHidden());
  EXPECT_FALSE(frame->SizeLabel->isHidden());
  EXPECT_FALSE(frame->SizeTrackBar->isHidden());
  for (QWidget *hidden :
       {static_cast<QWidget *>(frame->OpacityTrackBar),
        static_cast<QWidget *>(frame->HardnessTrackBar), frame->TBXAlignmentPanel,
        static_cast<QWidget *>(frame->BrightnessTrackBar),
        static_cast<QWidget *>(frame->BrightnessTBXLabel), frame->TBXAlignmentPanel1,
        static_cast<QWidget *>(frame->PaletteTntPaintBox)})
    EXPECT_TRUE(hidden->isHidden()) << hidden->objectName().toStdString();
  EXPECT_EQ(teeth->Opacity, 32);
  EXPECT_EQ(teeth->Hardness, 127);
  EXPECT_FALSE(teeth->PreserveTexture);
  EXPECT_EQ(teeth->Palette.Colour, (TVxBGR{255, 255, 255}));
}

// Make-up keeps the texture of the skin as it was before make-up: only other
// tools' changes make the shared layer stale.
TEST_F(MakeUpToolTest, OnlyChangesByOtherToolsMakeTheDetailLayerStale) {
  auto *makeUp = Add<TVxMakeUpSurfaceTool>();
  auto *teeth = Add<TVxTeethBleachTool>();
  auto *blemish = Add<TVxHandInpaintingTool>();
  TMakeUpDetailLayer &layer = TVxMakeUpSurfaceTool::DetailLayer();
  Editor->SelectTool(makeUp);
  ControlOf(makeUp)->MouseMove(0, Device({100, 100}));
  ASSERT_FALSE(layer.Stale);
  EXPECT_EQ(layer.GetBounds(), Document()->Backup.GetBounds());

  Stroke(teeth, {{200, 200}, {210, 200}});
  Stroke(makeUp, {{300, 300}});
  EXPECT_FALSE(layer.Stale);

  Editor->SelectTool(blemish);
  auto *control = blemish->Control(0);
  ASSERT_NE(control, nullptr);
  for (TVxPoint p : {TVxPoint{250, 300}, TVxPoint{290, 330}}) {
    control->MouseMove(0, Device(p));
    control->MouseDown(TVxMouseButton::Left, LeftButtonDown, Device(p));
  }
  ASSERT_FALSE(Document()->IsEditing());
  EXPECT_TRUE(layer.Stale);
}

// A press right after a photo of another size was opened, with no move in
// between, must paint with a layer of the new size.
TEST_F(MakeUpToolTest, AStrokeBeforeAnyMoveComputesTheLayerForTheNewPhotoFirst) {
  auto *makeUp = Add<TVxMakeUpSurfaceTool>();
  Editor->SelectTool(makeUp);
  ControlOf(makeUp)->MouseMove(0, Device({100, 100}));
  OpenGrey(40, 30, 100);
  Editor->SelectTool(makeUp);
  makeUp->SetBrushSize(9);
  makeUp->Palette.SetColour(200, 100, 50);
  TVxMaskDrawToolControl *control = ControlOf(makeUp);
  control->BrushPosition = {20, 15};
  control->FollowBrush();
  control->MouseDown(TVxMouseButton::Left, LeftButtonDown, Device({20, 15}));
  control->MouseUp(TVxMouseButton::Left, 0, Device({20, 15}));
  EXPECT_EQ(TVxMakeUpSurfaceTool::DetailLayer().GetBounds(), Document()->Backup.GetBounds());
  // A flat photo has no texture: the centre takes the colour itself.
  EXPECT_EQ(At(20, 15), (TVxBGR{50, 100, 200}));
}

TEST_F(MakeUpToolTest, AnEyedropperStrokePicksTheColourLeavesNoStepAndEnds) {
  OpenGrey(64, 64, 90);
  auto *makeUp = Add<TVxMakeUpSurfaceTool>();
  Editor->SelectTool(makeUp);
  const int32_t steps = Document()->History().Count();
  makeUp->SetColorSelector(true);
  int cursor = 0;
  ASSERT_TRUE(ControlOf(makeUp)->GetCursor(0, Device({10, 10}), cursor));
  EXPECT_EQ(cursor, CursorEyedropper);
  Stroke(makeUp, {{30, 30}, {31, 30}});
  EXPECT_EQ(makeUp->Palette.Colour, (TVxBGR{90, 90, 90}));
  EXPECT_EQ(makeUp->Palette.Brightness, 90);
  EXPECT_EQ(makeUp->MakeUpFrame()->BrightnessTrackBar->value(), 90);
  EXPECT_EQ(At(30, 30), (TVxBGR{90, 90, 90}));
  EXPECT_EQ(Document()->History().Count(), steps);
  EXPECT_FALSE(makeUp->ColorSelector);
  EXPECT_FALSE(makeUp->MakeUpFrame()->ColorSelectorTntSpeedButton->isChecked());
  ASSERT_TRUE(ControlOf(makeUp)->GetCursor(0, Device({10, 10}), cursor));
  EXPECT_EQ(cursor, -1);

  // Alt+P turns it on again; a press beside the photo picks nothing.
  EXPECT_TRUE(ControlOf(makeUp)->KeyDown(VkP, AltKey));
  ASSERT_TRUE(makeUp->ColorSelector);
  const TVxBGR before = makeUp->Palette.Colour;
  Stroke(makeUp, {{-30, -30}});
  EXPECT_EQ(makeUp->Palette.Colour, before);
  EXPECT_TRUE(makeUp->ColorSelector);
  EXPECT_FALSE(Document()->IsEditing());
  EXPECT_EQ(Document()->History().Count(), steps);
  ControlOf(makeUp)->KeyDown(VkP, AltKey | CtrlKey);  // not ours
  EXPECT_TRUE(makeUp->ColorSelector);
}

TEST_F(MakeUpToolTest, ThePaletteBoxAxisButtonsAndTintDriveThePalette) {
  auto *makeUp = Add<TVxMakeUpSurfaceTool>();
  Editor->SelectTool(makeUp);
  TVxMakeUpSurfaceFrame *frame = makeUp->MakeUpFrame();
  ASSERT_NE(frame, nullptr);
  frame->BrightnessTrackBar->setValue(255);
  QTest::mouseClick(frame->GreenTntSpeedButton, Qt::LeftButton);
  EXPECT_EQ(makeUp->Palette.Axis, 2);
  QTest::mousePress(frame->PaletteTntPaintBox, Qt::LeftButton, {}, QPoint(64, 128));
  EXPECT_EQ(makeUp->Palette.PalettePoint, (TVxPoint{64, 128}));
  // Axis 2: red from the row, green fixed, blue from the column.
  EXPECT_EQ(makeUp->Palette.Colour, (TVxBGR{64, 255, 128}));
  EXPECT_EQ(Editor->RStatusPanel->text(), QStringLiteral("128"));
  EXPECT_EQ(Editor->GStatusPanel->text(), QStringLiteral("255"));
  EXPECT_EQ(Editor->BStatusPanel->text(), QStringLiteral("64"));
  // Picks beyond the plane stay on its edge.
  makeUp->PickPalettePoint(300, -5);
  EXPECT_EQ(makeUp->Palette.PalettePoint, (TVxPoint{255, 0}));

  // A colour found on another axis presses that axis's button.
  makeUp->Palette.SetColour(0, 0, 0);
  EXPECT_EQ(makeUp->Palette.PalettePoint, (TVxPoint{0, 0}));
  frame->TintTBXCheckBox->setChecked(true);
  EXPECT_EQ(makeUp->Mode, TMakeUpMode::Luminosity);
  EXPECT_TRUE(makeUp->Palette.Tint);
  makeUp->UpdateControls();
  EXPECT_FALSE(frame->BrightnessTrackBar->isEnabled());
  makeUp->SetMode(TMakeUpMode::Normal);
  EXPECT_FALSE(frame->TintTBXCheckBox->isChecked());
}

TEST_F(MakeUpToolTest, TheColourSurvivesTheSettingsAndTeethStayWhite) {
  auto *makeUp = Add<TVxMakeUpSurfaceTool>();
  auto *teeth = Add<TVxTeethBleachTool>();
  makeUp->Palette.SetColour(0, 128, 255);
  makeUp->SetBrushSize(40);
  teeth->SetBrushSize(17);
  TVxMemoryStream stream;
  {
    TVxSDFWriter writer(&stream, false);
    makeUp->SaveSettings(writer);
    teeth->SaveSettings(writer);
  }
  auto *otherMakeUp = Add<TVxMakeUpSurfaceTool>();
  auto *otherTeeth = Add<TVxTeethBleachTool>();
  stream.Seek(0, TVxSeekOrigin::Begin);
  TVxSDFReader reader(&stream, false);
  otherMakeUp->LoadSettings(reader);
  otherTeeth->LoadSettings(reader);
  EXPECT_EQ(otherMakeUp->Size, 40);
  EXPECT_EQ(otherMakeUp->Palette.Colour, (TVxBGR{255, 128, 0}));
  EXPECT_EQ(otherMakeUp->Palette.Axis, 3);
  EXPECT_TRUE(otherMakeUp->MakeUpFrame()->BlueTntSpeedButton->isChecked());
  EXPECT_EQ(otherMakeUp->MakeUpFrame()->BrightnessTrackBar->value(), 255);
  EXPECT_EQ(otherTeeth->Size, 17);
  EXPECT_EQ(otherTeeth->Palette.Colour, (TVxBGR{255, 255, 255}));
}

}  // namespace
