#include <gtest/gtest.h>

#include "DocumentFakes.h"

namespace {

using namespace docfakes;

class GraphicsDocumentTest : public uitest::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    Editor = new TTestEditor(App.get());
    First = new TFakeTool(App.get(), "first", Log);
    Second = new TFakeTool(App.get(), "second", Log);
    Doc = std::make_unique<TTestDocument>(Editor);
    FillImage(Doc->Image, 40, 30, 1);
    FillImage(Doc->Original, 40, 30, 2);
    Doc->UpdateBackup();
  }

  TFakeView *MakeView() { return static_cast<TFakeView *>(Doc->GetView()); }

  std::vector<std::string> Log;
  TTestEditor *Editor = nullptr;
  TFakeTool *First = nullptr;
  TFakeTool *Second = nullptr;
  std::unique_ptr<TTestDocument> Doc;
};

TEST_F(GraphicsDocumentTest, ASecondToolsEditCommitsTheFirstToolsEdit) {
  First->Paint(*Doc, {2, 2, 6, 6}, 200);
  First->Paint(*Doc, {4, 4, 8, 7}, 201);  // the same edit grows
  EXPECT_EQ(Doc->ChangedRect(), (TVxRect{2, 2, 8, 7}));
  Second->Paint(*Doc, {10, 10, 12, 12}, 50);
  // The first tool committed its whole rectangle before the second began.
  EXPECT_EQ(First->CommittedRects, std::vector<TVxRect>{(TVxRect{2, 2, 8, 7})});
  EXPECT_EQ(Doc->History().Count(), 1);
  EXPECT_EQ(Doc->EditTool(), Second);
  EXPECT_TRUE(Doc->IsEditing());
  EXPECT_EQ(Doc->ChangedRect(), (TVxRect{10, 10, 12, 12}));

  // A tool that ends its own edit is not asked again; the tool stays recorded.
  Second->EndEdit();
  EXPECT_FALSE(Doc->IsEditing());
  EXPECT_EQ(Doc->EditTool(), Second);
  EXPECT_EQ(Second->CommittedRects.size(), 1u);
  EXPECT_TRUE(Doc->ChangedRect().IsEmpty());
  EXPECT_EQ(Doc->History().Count(), 2);

  // A reset forgets the tool and commits nothing.
  First->Paint(*Doc, {0, 0, 1, 1}, 9);
  Doc->ResetToolEdit();
  EXPECT_FALSE(Doc->IsEditing());
  EXPECT_EQ(Doc->EditTool(), nullptr);
  Second->Paint(*Doc, {0, 0, 1, 1}, 9);
  EXPECT_EQ(First->CommittedRects.size(), 1u);
}

TEST_F(GraphicsDocumentTest, ChangedAreasRepaintTheViewOnlyWhenThereIsOne) {
  // No view made: nothing to repaint, nothing made on the way.
  Doc->InvalidateImageRect({0, 0, 5, 5});
  First->Paint(*Doc, {0, 0, 5, 5}, 1);
  EXPECT_FALSE(Doc->HasView());
  EXPECT_EQ(Doc->GraphicsView(), nullptr);

  TFakeView *view = MakeView();
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(Doc->GraphicsView(), view);
  Doc->AddChangedRect({3, 4, 5, 6}, true);
  // Device = 2 x image + (10, 20), grown by one pixel.
  EXPECT_EQ(view->Invalidated, std::vector<TVxRect>{(TVxRect{15, 27, 21, 33})});
  EXPECT_EQ(Doc->ChangedRect(), (TVxRect{3, 4, 5, 6}));
  Doc->AddChangedRect({1, 1, 2, 2}, false);
  EXPECT_EQ(Doc->ChangedRect(), (TVxRect{1, 1, 5, 6}));
  Doc->AddChangedRect({7, 7, 8, 8}, true);
  EXPECT_EQ(Doc->ChangedRect(), (TVxRect{7, 7, 8, 8}));

  // A view deleted behind the document's back is no longer used.
  delete view;
  EXPECT_EQ(Doc->GraphicsView(), nullptr);
  Doc->InvalidateImageRect({0, 0, 5, 5});
}

TEST_F(GraphicsDocumentTest, UndoAndRedoRestoreExactlyTheRectangleAndTellEveryTool) {
  const std::vector<uint8_t> before = PixelsOf(*Doc->ImagePixels());
  // Partly outside the image: only the inside is changed, kept and restored.
  First->Paint(*Doc, {35, 25, 50, 40}, 77);
  Log.clear();
  First->EndEdit();
  const std::vector<uint8_t> after = PixelsOf(*Doc->ImagePixels());
  ASSERT_NE(before, after);
  EXPECT_EQ(PixelsOf(Doc->Backup), after);
  EXPECT_FALSE(Doc->IsSaved());
  const std::vector<std::string> area{"first area first 35,25,40,30",
                                      "second area first 35,25,40,30"};
  EXPECT_EQ(Log, area);

  auto *state = static_cast<TVxGraphicsCommandState *>(Doc->History().LastDone());
  EXPECT_EQ(state->Before.GetBounds(), (TVxRect{35, 25, 40, 30}));
  TFakeView *view = MakeView();
  Doc->SetSaved(true);
  Log.clear();
  Doc->History().Undo();
  EXPECT_EQ(PixelsOf(*Doc->ImagePixels()), before);
  EXPECT_EQ(PixelsOf(Doc->Backup), before);
  EXPECT_TRUE(Doc->IsSaved());  // undo leaves the mark alone
  EXPECT_EQ(Log, area);
  EXPECT_EQ(view->Invalidated.back(), (TVxRect{79, 69, 91, 81}));

  Doc->History().Redo();
  EXPECT_EQ(PixelsOf(*Doc->ImagePixels()), after);
  EXPECT_EQ(PixelsOf(Doc->Backup), after);
  EXPECT_FALSE(Doc->IsSaved());
}

TEST_F(GraphicsDocumentTest, UndoRedoNotificationsCarryTheHistoryStates) {
  First->Paint(*Doc, {0, 0, 2, 2}, 1);
  First->EndEdit();
  First->Paint(*Doc, {0, 0, 2, 2}, 2);
  First->EndEdit();
  TVxCommandState *one = Doc->History().At(0);
  TVxCommandState *two = Doc->History().At(1);
  Doc->NotifyBeforeUndo();
  Doc->History().Undo();
  Doc->NotifyAfterUndo();
  Doc->NotifyBeforeRedo();
  Doc->History().Redo();
  Doc->NotifyAfterRedo();
  EXPECT_EQ(First->States, (std::vector<TVxCommandState *>{two, one, two, nullptr}));
  EXPECT_EQ(Second->States, First->States);

  Log.clear();
  Doc->DocumentOpened();
  Doc->BeforeSave();
  // An edit still open when the document closes is committed after every
  // tool heard of the closing.
  Second->Paint(*Doc, {5, 5, 6, 6}, 3);
  Doc->PrepareClose();
  EXPECT_EQ(Log,
            (std::vector<std::string>{"first opened", "second opened", "first before save",
                                      "second before save", "first closing", "second closing",
                                      "first area second 5,5,6,6", "second area second 5,5,6,6"}));
  EXPECT_FALSE(Doc->IsEditing());
  EXPECT_EQ(Doc->History().Count(), 3);
}

TEST_F(GraphicsDocumentTest, CropOutsideChangesNothingAndCropInsideCutsBothImages) {
  TFakeView *view = MakeView();
  const std::vector<uint8_t> image = PixelsOf(*Doc->ImagePixels());
  for (const TVxRect &outside : {TVxRect{40, 0, 50, 10}, TVxRect{-10, -10, 0, 0},
                                 TVxRect{5, 30, 9, 31}, TVxRect{5, 5, 5, 9}}) {
    EXPECT_FALSE(Doc->Crop(outside));
    EXPECT_EQ(PixelsOf(*Doc->ImagePixels()), image);
  }
  EXPECT_TRUE(view->DocumentBounds.empty());
  EXPECT_TRUE(Editor->ShownSizes.empty());

  TVxLTBitmap expected;
  FillImage(expected, 40, 30, 1);
  ASSERT_TRUE(Doc->Crop({30, 20, 60, 60}));
  EXPECT_EQ(Doc->WorkingArea(), (TVxRect{0, 0, 10, 10}));
  EXPECT_EQ(Doc->Original.BoundsRect(), (TVxRect{0, 0, 10, 10}));
  EXPECT_EQ(PixelsOf(*Doc->ImagePixels()), PixelsOf(*expected.Pixels(), {30, 20, 40, 30}));
  EXPECT_EQ(PixelsOf(Doc->Backup), PixelsOf(*Doc->ImagePixels()));
  EXPECT_EQ(view->DocumentBounds, std::vector<TVxRect>{(TVxRect{0, 0, 10, 10})});
  EXPECT_EQ(view->ScrollUpdates, 1);
  EXPECT_EQ(Editor->ShownSizes, std::vector<TVxPoint>{(TVxPoint{10, 10})});
}

TEST_F(GraphicsDocumentTest, ResizeKeepsTheOriginalsScaleRelativeToTheImage) {
  struct TCase {
    TVxPoint Image, Original, NewSize;
    bool WithOriginal;
    TVxPoint ExpectedOriginal;
  };
  const TCase cases[] = {
      {{40, 30}, {40, 30}, {20, 15}, true, {20, 15}},  // same size: follows exactly
      {{40, 30}, {80, 60}, {20, 15}, true, {40, 30}},  // twice the image stays twice
      {{40, 30}, {50, 30}, {20, 15}, true, {25, 15}},  {{40, 30}, {10, 6}, {60, 45}, true, {15, 9}},
      {{40, 30}, {5, 3}, {20, 15}, true, {2, 2}},       // 2.5 and 1.5: halves to even
      {{40, 30}, {3, 3}, {1, 1}, true, {1, 1}},         // never below 1 x 1
      {{40, 30}, {50, 30}, {20, 15}, false, {50, 30}},  // the original untouched
  };
  for (const TCase &c : cases) {
    FillImage(Doc->Image, c.Image.X, c.Image.Y, 3);
    FillImage(Doc->Original, c.Original.X, c.Original.Y, 4);
    ASSERT_TRUE(Doc->Resize(c.NewSize.X, c.NewSize.Y, c.WithOriginal));
    EXPECT_EQ(Doc->Image.Width(), c.NewSize.X);
    EXPECT_EQ(Doc->Image.Height(), c.NewSize.Y);
    EXPECT_EQ((TVxPoint{Doc->Original.Width(), Doc->Original.Height()}), c.ExpectedOriginal)
        << c.Original.X << "x" << c.Original.Y << " -> " << c.NewSize.X;
    EXPECT_EQ(Doc->Backup.GetBounds(), Doc->WorkingArea());
  }
  const std::vector<uint8_t> kept = docfakes::PixelsOf(*Doc->ImagePixels());
  EXPECT_FALSE(Doc->Resize(0, 5, true));
  EXPECT_EQ(PixelsOf(*Doc->ImagePixels()), kept);
}

TEST_F(GraphicsDocumentTest, GeometryOperationsChangeBothImagesAndTheBackup) {
  TVxLTBitmap image, original;
  FillImage(image, 40, 30, 1);
  FillImage(original, 40, 30, 2);
  struct TCase {
    bool (TVxGraphicsDocument::*Document)();
    bool (TVxLTBitmap::*Bitmap)();
  };
  const TCase cases[] = {{&TVxGraphicsDocument::RotateLeft, &TVxLTBitmap::RotateLeft},
                         {&TVxGraphicsDocument::RotateRight, &TVxLTBitmap::RotateRight},
                         {&TVxGraphicsDocument::FlipHorizontal, &TVxLTBitmap::FlipHorizontal},
                         {&TVxGraphicsDocument::FlipVertical, &TVxLTBitmap::FlipVertical}};
  for (const TCase &c : cases) {
    ASSERT_TRUE((Doc.get()->*c.Document)());
    ASSERT_TRUE((image.*c.Bitmap)());
    ASSERT_TRUE((original.*c.Bitmap)());
    EXPECT_EQ(PixelsOf(*Doc->ImagePixels()), PixelsOf(*image.Pixels()));
    EXPECT_EQ(PixelsOf(*Doc->OriginalPixels()), PixelsOf(*original.Pixels()));
    EXPECT_EQ(PixelsOf(Doc->Backup), PixelsOf(*image.Pixels()));
  }
  EXPECT_EQ(Editor->ShownSizes.size(), 4u);
  EXPECT_EQ(Editor->ShownSizes[0], (TVxPoint{30, 40}));

  // Whole-image buffers round trip, with or without the original.
  TVxPixelBuffer savedImage, savedOriginal;
  ASSERT_TRUE(Doc->SaveToBuffers(savedImage, &savedOriginal));
  ASSERT_TRUE(Doc->Crop({0, 0, 3, 3}));
  ASSERT_TRUE(Doc->RestoreFromBuffers(savedImage, nullptr));
  EXPECT_EQ(PixelsOf(*Doc->ImagePixels()), PixelsOf(*image.Pixels()));
  EXPECT_EQ(Doc->Original.Width(), 3);
  ASSERT_TRUE(Doc->RestoreFromBuffers(savedImage, &savedOriginal));
  EXPECT_EQ(PixelsOf(*Doc->OriginalPixels()), PixelsOf(*original.Pixels()));
  EXPECT_EQ(PixelsOf(Doc->Backup), PixelsOf(*image.Pixels()));
}

TEST_F(GraphicsDocumentTest, CanvasSizeGivesTheCurrentToolTheNewPixels) {
  TVxLTBitmap image;
  FillImage(image, 40, 30, 1);
  ASSERT_TRUE(Doc->SetCanvasSize(50, 20, false));
  EXPECT_EQ(First->GivenPixels, nullptr);  // no current tool
  Editor->CurrentTool = First;
  ASSERT_TRUE(Doc->SetCanvasSize(45, 25, false));
  EXPECT_EQ(First->GivenPixels, Doc->ImagePixels());
  EXPECT_EQ(Second->GivenPixels, nullptr);
  EXPECT_EQ(Doc->Original.BoundsRect(), (TVxRect{0, 0, 40, 30}));
  EXPECT_EQ(PixelsOf(*Doc->ImagePixels(), {0, 0, 40, 20}),
            PixelsOf(*image.Pixels(), {0, 0, 40, 20}));
  EXPECT_EQ(PixelsOf(*Doc->ImagePixels(), {40, 0, 45, 25}), std::vector<uint8_t>(5 * 25 * 3, 0));
  EXPECT_EQ(PixelsOf(Doc->Backup), PixelsOf(*Doc->ImagePixels()));
  ASSERT_TRUE(Doc->SetCanvasSize(10, 10, true));
  EXPECT_EQ(Doc->Original.BoundsRect(), (TVxRect{0, 0, 10, 10}));
  EXPECT_EQ(Editor->ShownSizes.back(), (TVxPoint{10, 10}));
}

TEST_F(GraphicsDocumentTest, FitBitmapKeepsTheProportions) {
  struct TCase {
    TVxPoint Image;
    int32_t Size;
    TVxPoint Fit;
  };
  const TCase cases[] = {{{40, 30}, 20, {20, 15}},
                         {{30, 40}, 20, {15, 20}},
                         {{33, 33}, 10, {10, 10}},
                         {{40, 30}, 7, {7, 5}},  // 5.25
                         {{100, 1}, 10, {10, 1}}};
  for (const TCase &c : cases) {
    FillImage(Doc->Image, c.Image.X, c.Image.Y, 5);
    std::unique_ptr<TVxLTBitmap> fit = Doc->MakeFitBitmap(c.Size);
    ASSERT_NE(fit, nullptr);
    EXPECT_EQ((TVxPoint{fit->Width(), fit->Height()}), c.Fit);
    EXPECT_EQ(fit->Format(), PixelFormat24);
  }
  EXPECT_EQ(Doc->MakeFitBitmap(0), nullptr);
  TTestDocument empty(nullptr);
  EXPECT_EQ(empty.MakeFitBitmap(10), nullptr);
}

}  // namespace
