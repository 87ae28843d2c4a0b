#include "documents/VxGraphicsDocument.h"

#include <algorithm>

#include "framework/VxApplication.h"
#include "imaging/VxResamplers.h"

namespace {

// The part of src that overlaps dst, at the same absolute coordinates.
void CopyOverlap(const TVxPixels &dst, const TVxPixels &src) {
  if (!dst.Bits || !src.Bits || dst.Format != src.Format) return;
  const TVxRect overlap = IntersectRect(dst.GetBounds(), src.GetBounds());
  if (!overlap.IsEmpty()) CopyPixelRows(dst, src, overlap);
}

// A copy of the part of src inside rect; empty when they do not meet.
void TakeCopy(TVxPixelBuffer &copy, const TVxPixels *src, const TVxRect &rect) {
  if (!src) {
    copy.Clear();
    return;
  }
  copy.SetFormatAndBounds(src->Format, IntersectRect(rect, src->GetBounds()));
  copy.Assign(*src);
}

int32_t ScaledSide(int32_t side, int32_t newSide, int32_t oldSide) {
  if (oldSide <= 0) return std::max(newSide, 1);
  const double scaled = static_cast<double>(side) * newSide / oldSide;
  return static_cast<int32_t>(std::max<int64_t>(RoundHalfEven(scaled), 1));
}

}  // namespace

// --- TVxGraphicsDocument -----------------------------------------------------

TVxGraphicsDocument::TVxGraphicsDocument(TVxEditor *editor) : TVxDocument(editor) {}

TVxGraphicsDocument::~TVxGraphicsDocument() = default;

std::vector<IVxGraphicsDocumentClient *> TVxGraphicsDocument::Tools() {
  TVxApplication *application = Application();
  if (!application) return {};
  return application->FindAll<IVxGraphicsDocumentClient>();
}

template <class F>
void TVxGraphicsDocument::ForEachTool(F &&f) {
  for (IVxGraphicsDocumentClient *tool : Tools()) f(tool);
}

IVxGraphicsDocumentView *TVxGraphicsDocument::GraphicsView() const {
  return HasView() ? FGraphicsView : nullptr;
}

IVxGraphicsDocumentView *TVxGraphicsDocument::NewGraphicsView() {
  return CreateGraphicsDocumentView(*this);
}

QWidget *TVxGraphicsDocument::CreateView() {
  FGraphicsView = NewGraphicsView();
  return FGraphicsView ? FGraphicsView->Widget() : nullptr;
}

void TVxGraphicsDocument::PrepareClose() {
  ForEachTool([this](IVxGraphicsDocumentClient *tool) { tool->DocumentClosing(this); });
}

void TVxGraphicsDocument::BeforeSave() {
  ForEachTool([this](IVxGraphicsDocumentClient *tool) { tool->BeforeSave(this); });
}

void TVxGraphicsDocument::DocumentOpened() {
  ForEachTool([this](IVxGraphicsDocumentClient *tool) { tool->DocumentOpened(this); });
}

void TVxGraphicsDocument::BeginToolEdit(IVxGraphicsDocumentClient *tool) {
  if (EditActive) EndToolEdit(this);
  FChangedRect = {};
  FEditTool = tool;
  EditActive = true;
}

void TVxGraphicsDocument::EndToolEdit(const void *sender) {
  EditActive = false;
  // The tool commits from the changed rectangle, so it is cleared only after.
  if (sender == this && FEditTool) FEditTool->EndEdit();
  FChangedRect = {};
}

void TVxGraphicsDocument::ResetToolEdit() {
  EditActive = false;
  FEditTool = nullptr;
  FChangedRect = {};
}

void TVxGraphicsDocument::AddChangedRect(const TVxRect &rect, bool replace) {
  FChangedRect = replace || FChangedRect.IsEmpty() ? rect : UnionRect(FChangedRect, rect);
  InvalidateImageRect(rect);
}

void TVxGraphicsDocument::InvalidateImageRect(const TVxRect &rect) {
  IVxGraphicsDocumentView *view = GraphicsView();
  if (!view) return;
  const TVxRect device = view->MapMode().LogicalToDeviceRect(rect);
  view->InvalidateDeviceRect(
      {device.Left - 1, device.Top - 1, device.Right + 1, device.Bottom + 1});
}

bool TVxGraphicsDocument::UpdateBackup() {
  const TVxPixels *image = ImagePixels();
  if (!image) {
    Backup.Clear();
    return true;
  }
  Backup.SetFormatAndBounds(image->Format, image->GetBounds());
  Backup.Assign(*image);
  return Backup.Bits != nullptr || image->GetBounds().IsEmpty();
}

void TVxGraphicsDocument::Refresh() {
  if (IVxGraphicsDocumentView *view = GraphicsView()) {
    view->SetDocumentBounds(WorkingArea());
    view->UpdateScrollRange();
  }
  if (Editor()) Editor()->ShowImageSize(Image.Width(), Image.Height());
}

void TVxGraphicsDocument::AfterGeometryChange() {
  UpdateBackup();
  Refresh();
}

bool TVxGraphicsDocument::ApplyToBoth(bool (TVxLTBitmap::*operation)()) {
  const bool ok = (Image.*operation)() & (Original.*operation)();
  AfterGeometryChange();
  return ok;
}

bool TVxGraphicsDocument::RotateLeft() { return ApplyToBoth(&TVxLTBitmap::RotateLeft); }

bool TVxGraphicsDocument::RotateRight() { return ApplyToBoth(&TVxLTBitmap::RotateRight); }

bool TVxGraphicsDocument::FlipHorizontal() { return ApplyToBoth(&TVxLTBitmap::FlipHorizontal); }

bool TVxGraphicsDocument::FlipVertical() { return ApplyToBoth(&TVxLTBitmap::FlipVertical); }

bool TVxGraphicsDocument::Crop(const TVxRect &rect) {
  const TVxRect area = IntersectRect(rect, WorkingArea());
  if (area.IsEmpty()) return false;
  const bool ok = Image.Crop(area) & Original.Crop(area);
  AfterGeometryChange();
  return ok;
}

bool TVxGraphicsDocument::Resize(int32_t width, int32_t height, bool withOriginal) {
  if (width < 1 || height < 1) return false;
  const int32_t oldWidth = Image.Width();
  const int32_t oldHeight = Image.Height();
  bool ok = Image.Resample(width, height);
  if (withOriginal && Original.Pixels()) {
    if (Original.Width() == oldWidth && Original.Height() == oldHeight)
      ok &= Original.Resample(width, height);
    else
      ok &= Original.Resample(ScaledSide(Original.Width(), width, oldWidth),
                              ScaledSide(Original.Height(), height, oldHeight));
  }
  AfterGeometryChange();
  return ok;
}

bool TVxGraphicsDocument::SetCanvasSize(int32_t width, int32_t height, bool withOriginal) {
  if (width < 1 || height < 1) return false;
  bool ok = Image.SetCanvasSize(width, height);
  if (withOriginal) ok &= Original.SetCanvasSize(width, height);
  if (auto *host = dynamic_cast<IVxGraphicsDocumentHost *>(Editor()))
    if (IVxGraphicsDocumentClient *tool = host->CurrentGraphicsTool())
      tool->SetImagePixels(ImagePixels());
  AfterGeometryChange();
  return ok;
}

bool TVxGraphicsDocument::RestoreFromBuffers(const TVxPixels &image, const TVxPixels *original) {
  bool ok = Image.AssignFromBuffer(image);
  if (original) ok &= Original.AssignFromBuffer(*original);
  AfterGeometryChange();
  return ok;
}

bool TVxGraphicsDocument::SaveToBuffers(TVxPixelBuffer &image, TVxPixelBuffer *original) const {
  bool ok = Image.CopyToBuffer(image);
  if (original) ok &= Original.CopyToBuffer(*original);
  return ok;
}

std::unique_ptr<TVxLTBitmap> TVxGraphicsDocument::MakeFitBitmap(int32_t size) const {
  const TVxPixels *image = ImagePixels();
  if (!image || size < 1 || image->Format != PixelFormat24) return nullptr;
  const int32_t width = Image.Width();
  const int32_t height = Image.Height();
  int32_t fitWidth = size;
  int32_t fitHeight = size;
  if (width >= height)
    fitHeight = std::max(MulDiv(height, size, width), 1);
  else
    fitWidth = std::max(MulDiv(width, size, height), 1);
  auto bitmap = std::make_unique<TVxLTBitmap>();
  if (!bitmap->SetSize(fitWidth, fitHeight, PixelFormat24)) return nullptr;
  const TVxRect bounds = bitmap->BoundsRect();
  Resample(*bitmap->Pixels(), bounds, bounds, TLanczosResampler(), Image.BoundsRect(), *image);
  return bitmap;
}

void TVxGraphicsDocument::NotifyImageAreaChanged(IVxGraphicsDocumentClient *tool,
                                                 const TVxRect &rect) {
  ForEachTool([&](IVxGraphicsDocumentClient *each) { each->ImageAreaChanged(this, tool, rect); });
}

void TVxGraphicsDocument::NotifyBeforeUndo() {
  ForEachTool([this](IVxGraphicsDocumentClient *tool) { tool->BeforeUndo(History().LastDone()); });
}

void TVxGraphicsDocument::NotifyAfterUndo() {
  ForEachTool([this](IVxGraphicsDocumentClient *tool) { tool->AfterUndo(History().LastDone()); });
}

void TVxGraphicsDocument::NotifyBeforeRedo() {
  ForEachTool([this](IVxGraphicsDocumentClient *tool) { tool->BeforeRedo(History().NextRedo()); });
}

void TVxGraphicsDocument::NotifyAfterRedo() {
  ForEachTool([this](IVxGraphicsDocumentClient *tool) { tool->AfterRedo(History().NextRedo()); });
}

void TVxGraphicsDocument::AddCommandState(std::unique_ptr<TVxCommandState> state) {
  if (state) History().Push(std::move(state));
}

// --- Command states ----------------------------------------------------------

void TVxCustomGraphicsCommandState::Create(IVxGraphicsDocumentClient *tool, const TVxRect &rect,
                                           TVxGraphicsDocument *document) {
  Tool = tool;
  Rect = rect;
  Document = document;
  if (Document) Document->NotifyImageAreaChanged(Tool, Rect);
}

void TVxCustomGraphicsCommandState::Undo() {
  if (Document) Document->NotifyImageAreaChanged(Tool, Rect);
}

void TVxCustomGraphicsCommandState::Redo() {
  if (Document) Document->NotifyImageAreaChanged(Tool, Rect);
}

void TVxGraphicsCommandState::Create(IVxGraphicsDocumentClient *tool, const TVxRect &rect,
                                     TVxGraphicsDocument *document) {
  TVxCustomGraphicsCommandState::Create(tool, rect, document);
  if (!document) return;
  // Only the part inside the image can change, so only that part is kept.
  const TVxRect inside = IntersectRect(rect, document->WorkingArea());
  TakeCopy(Before, &document->Backup, inside);
  TakeCopy(After, document->ImagePixels(), inside);
  document->SetSaved(false);
}

void TVxGraphicsCommandState::Undo() {
  if (TVxPixels *image = Document ? Document->ImagePixels() : nullptr) {
    CopyOverlap(*image, Before);
    Document->InvalidateImageRect(Before.GetBounds());
    Document->Backup.Assign(*image);
  }
  TVxCustomGraphicsCommandState::Undo();
}

void TVxGraphicsCommandState::Redo() {
  if (TVxPixels *image = Document ? Document->ImagePixels() : nullptr) {
    CopyOverlap(*image, After);
    Document->InvalidateImageRect(After.GetBounds());
    Document->Backup.Assign(*image);
    Document->SetSaved(false);
  }
  TVxCustomGraphicsCommandState::Redo();
}
