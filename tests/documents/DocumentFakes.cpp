#include "DocumentFakes.h"

#include <QFile>

namespace docfakes {

std::vector<uint8_t> PixelsOf(const TVxPixels &pixels, const TVxRect &rect) {
  std::vector<uint8_t> bytes;
  for (int32_t y = rect.Top; y < rect.Bottom; ++y) {
    const uint8_t *row = pixels.PixelAddress(rect.Left, y);
    bytes.insert(bytes.end(), row, row + rect.Width() * pixels.BytesPerPixel);
  }
  return bytes;
}

std::vector<uint8_t> PixelsOf(const TVxPixels &pixels) {
  return PixelsOf(pixels, pixels.GetBounds());
}

TFakeFormats::TFakeFormats() {
  Table = {{0, QStringLiteral("JPEG"), QStringLiteral("*.jpg;*.jpeg"), QStringLiteral(".jpg")},
           {2, QStringLiteral("PNG"), QStringLiteral("*.png"), QStringLiteral(".png")}};
}

const TVxFileFormatInfo *TFakeFormats::FormatInfo(int32_t index) const {
  return index >= 0 && index < Count() ? &Table[static_cast<size_t>(index)] : nullptr;
}

bool TFakeFormats::LoadDocument(TVxDocument &document, const QString &name, int32_t &format) {
  auto *image = dynamic_cast<TVxGraphicsDocument *>(&document);
  const QFileInfo info(name);
  const QString suffix = info.suffix().toLower();
  if (!image || info.baseName().startsWith(QLatin1String("broken"))) return false;
  if (suffix == QLatin1String("jpg"))
    format = 0;
  else if (suffix == QLatin1String("png"))
    format = 2;
  else
    return false;
  FillImage(image->Image, 8, 6, static_cast<uint32_t>(qHash(name)));
  FillImage(image->Original, 8, 6, static_cast<uint32_t>(qHash(name)));
  image->UpdateBackup();
  return true;
}

bool TFakeFormats::SaveDocument(TVxDocument &document, const QString &name, int32_t format) {
  Saved.push_back({name, format});
  if (!SaveSucceeds) return false;
  document.BeforeSave();
  QFile file(name);
  return file.open(QIODevice::WriteOnly);
}

TFakeView::TFakeView() {
  Map.DevExtX = Map.DevExtY = 2;
  Map.DevOrgX = 10;
  Map.DevOrgY = 20;
}

TFakeTool::TFakeTool(QObject *owner, std::string name, std::vector<std::string> &log)
    : QObject(owner), Name(std::move(name)), Log(log) {}

void TFakeTool::ImageAreaChanged(TVxGraphicsDocument *, IVxGraphicsDocumentClient *tool,
                                 const TVxRect &rect) {
  const auto *fake = dynamic_cast<TFakeTool *>(tool);
  Log.push_back(Name + " area " + (fake ? fake->Name : std::string("?")) + " " +
                std::to_string(rect.Left) + "," + std::to_string(rect.Top) + "," +
                std::to_string(rect.Right) + "," + std::to_string(rect.Bottom));
}

void TFakeTool::EndEdit() {
  TVxGraphicsDocument *document = EditDocument;
  EditDocument = nullptr;
  if (!document) return;
  CommittedRects.push_back(document->ChangedRect());
  document->Model().CommitChanges(this);
  if (document->IsEditing()) document->EndToolEdit(this);
}

void TFakeTool::Paint(TVxGraphicsDocument &document, const TVxRect &rect, uint8_t value) {
  if (!document.IsEditing() || document.EditTool() != this) document.BeginToolEdit(this);
  EditDocument = &document;
  TVxPixels &image = *document.ImagePixels();
  const TVxRect inside = IntersectRect(rect, image.GetBounds());
  for (int32_t y = inside.Top; y < inside.Bottom; ++y)
    for (int32_t x = inside.Left; x < inside.Right; ++x)
      for (int32_t c = 0; c < 3; ++c) image.PixelAddress(x, y)[c] = value;
  document.AddChangedRect(rect, false);
}

std::unique_ptr<TVxDocument> TTestEditor::CreateDocument() {
  auto document = std::make_unique<TTestDocument>(this);
  document->WithView = DocumentsHaveViews;
  return document;
}

bool TTestEditor::RunOpenDialog(QString &name) {
  ++OpenDialogRuns;
  return OpenDialog && OpenDialog(name);
}

bool TTestEditor::RunSaveDialog(const TVxFileFormatArray &formats, QString &name,
                                int &filterIndex) {
  return SaveDialog && SaveDialog(formats, name, filterIndex);
}

void TMessages::Install(TVxApplication &application) {
  application.SetMessageBoxAnswerer([this](const QString &text, const QString &, int flags) {
    Shown.push_back({text, flags});
    if (Answers.empty()) return static_cast<int>(IdCancel);
    const int answer = Answers.front();
    Answers.erase(Answers.begin());
    return answer;
  });
}

}  // namespace docfakes
