#include "documents/VxGraphicsDocument.h"

#include "framework/VxApplication.h"

TVxGraphicsDocument::TVxGraphicsDocument(TVxEditor *editor)
    : TVxDocument(editor),
      FModel(History()),
      Image(FModel.Image),
      Original(FModel.Original),
      Backup(FModel.Backup) {
  FModel.SetEvents(this);
}

TVxGraphicsDocument::~TVxGraphicsDocument() { FModel.SetEvents(nullptr); }

std::vector<IVxGraphicsDocumentClient *> TVxGraphicsDocument::Tools() {
  TVxApplication *application = Application();
  if (!application) return {};
  return application->FindAll<IVxGraphicsDocumentClient>();
}

template <class F>
void TVxGraphicsDocument::ForEachTool(F &&f) {
  for (IVxGraphicsDocumentClient *tool : Tools()) f(tool);
}

IVxGraphicsDocumentClient *TVxGraphicsDocument::EditTool() const {
  return dynamic_cast<IVxGraphicsDocumentClient *>(FModel.EditOwner());
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
  if (IsEditing()) EndToolEdit(this);
}

void TVxGraphicsDocument::BeforeSave() {
  ForEachTool([this](IVxGraphicsDocumentClient *tool) { tool->BeforeSave(this); });
}

void TVxGraphicsDocument::DocumentOpened() {
  ForEachTool([this](IVxGraphicsDocumentClient *tool) { tool->DocumentOpened(this); });
}

void TVxGraphicsDocument::BeginToolEdit(IVxGraphicsDocumentClient *tool) { FModel.BeginEdit(tool); }

void TVxGraphicsDocument::EndToolEdit(const void *sender) { FModel.EndEdit(sender == this); }

void TVxGraphicsDocument::ResetToolEdit() { FModel.ResetEdit(); }

void TVxGraphicsDocument::AddChangedRect(const TVxRect &rect, bool replace) {
  FModel.AddChangedRect(rect, replace);
}

void TVxGraphicsDocument::InvalidateImageRect(const TVxRect &rect) {
  IVxGraphicsDocumentView *view = GraphicsView();
  if (!view) return;
  const TVxRect device = view->MapMode().LogicalToDeviceRect(rect);
  view->InvalidateDeviceRect(
      {device.Left - 1, device.Top - 1, device.Right + 1, device.Bottom + 1});
}

bool TVxGraphicsDocument::UpdateBackup() { return FModel.UpdateBackup(); }

void TVxGraphicsDocument::Refresh() {
  if (IVxGraphicsDocumentView *view = GraphicsView()) {
    view->SetDocumentBounds(WorkingArea());
    view->UpdateScrollRange();
  }
  if (Editor()) Editor()->ShowImageSize(Image.Width(), Image.Height());
}

bool TVxGraphicsDocument::RotateLeft() { return FModel.RotateLeft(); }

bool TVxGraphicsDocument::RotateRight() { return FModel.RotateRight(); }

bool TVxGraphicsDocument::FlipHorizontal() { return FModel.FlipHorizontal(); }

bool TVxGraphicsDocument::FlipVertical() { return FModel.FlipVertical(); }

bool TVxGraphicsDocument::Crop(const TVxRect &rect) { return FModel.Crop(rect); }

bool TVxGraphicsDocument::Resize(int32_t width, int32_t height, bool withOriginal) {
  return FModel.Resize(width, height, withOriginal);
}

bool TVxGraphicsDocument::SetCanvasSize(int32_t width, int32_t height, bool withOriginal) {
  if (width < 1 || height < 1) return false;
  const bool ok = FModel.SetCanvasSize(width, height, withOriginal);
  if (auto *host = dynamic_cast<IVxGraphicsDocumentHost *>(Editor()))
    if (IVxGraphicsDocumentClient *tool = host->CurrentGraphicsTool())
      tool->SetImagePixels(ImagePixels());
  return ok;
}

bool TVxGraphicsDocument::RestoreFromBuffers(const TVxPixels &image, const TVxPixels *original) {
  return FModel.RestoreFromBuffers(image, original);
}

bool TVxGraphicsDocument::SaveToBuffers(TVxPixelBuffer &image, TVxPixelBuffer *original) const {
  return FModel.SaveToBuffers(image, original);
}

std::unique_ptr<TVxLTBitmap> TVxGraphicsDocument::MakeFitBitmap(int32_t size) const {
  return FModel.MakeFitBitmap(size);
}

void TVxGraphicsDocument::NotifyImageAreaChanged(IVxGraphicsDocumentClient *tool,
                                                 const TVxRect &rect) {
  ForEachTool([&](IVxGraphicsDocumentClient *each) { each->ImageAreaChanged(this, tool, rect); });
}

void TVxGraphicsDocument::ImageAreaChanged(IVxEditOwner *owner, const TVxRect &rect) {
  NotifyImageAreaChanged(dynamic_cast<IVxGraphicsDocumentClient *>(owner), rect);
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

bool TVxGraphicsDocument::AddCommandState(std::unique_ptr<TVxCommandState> state) {
  return FModel.AddCommandState(std::move(state));
}
