#include "documents/VxGraphicsFormats.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <array>
#include <filesystem>
#include <system_error>
#include <vector>

#include "base/VxTypes.h"
#include "documents/VxGraphicsDocument.h"
#include "documents/VxJPEGOptions.h"
#include "framework/VxApplication.h"
#include "framework/VxCursors.h"
#include "framework/VxText.h"
#include "imaging/VxColour.h"
#include "imaging/codecs/VxImage.h"
#include "plugin/ExchangeFile.h"

namespace {

const std::array<TVxFileFormatInfo, 4> &FormatTable() {
  static const std::array<TVxFileFormatInfo, 4> table = {{
      {FormatJPEG, QStringLiteral("JPEG"), QStringLiteral("*.jpg;*.jpeg"), QStringLiteral(".jpg")},
      {FormatTIFF, QStringLiteral("TIFF"), QStringLiteral("*.tif;*.tiff"), QStringLiteral(".tif")},
      {FormatPNG, QStringLiteral("PNG"), QStringLiteral("*.png"), QStringLiteral(".png")},
      {FormatBMP, QStringLiteral("BMP"), QStringLiteral("*.bmp;*.rle;*.dib"),
       QStringLiteral(".bmp")},
  }};
  return table;
}

const char *MimeTypeOf(int32_t format) {
  switch (format) {
    case FormatJPEG:
      return "image/jpeg";
    case FormatTIFF:
      return "image/tiff";
    case FormatPNG:
      return "image/png";
    case FormatBMP:
      return "image/bmp";
    default:
      return nullptr;
  }
}

int32_t FormatOf(TVxRawFormat raw) {
  switch (raw) {
    case TVxRawFormat::Jpeg:
      return FormatJPEG;
    case TVxRawFormat::Tiff:
      return FormatTIFF;
    case TVxRawFormat::Png:
      return FormatPNG;
    case TVxRawFormat::Bmp:
      return FormatBMP;
    default:
      return FormatExchange;
  }
}

std::filesystem::path PathOf(const QString &name) { return {name.toStdU16String()}; }

// A metadata text item as the file stores it: 8-bit characters up to the
// first zero.
QString ItemText(const TVxImage &image, uint32_t tag) {
  const TVxPropertyItem *item = image.PropertyItem(tag);
  if (item == nullptr) return {};
  const auto end = std::find(item->Value.begin(), item->Value.end(), uint8_t{0});
  return QString::fromLatin1(reinterpret_cast<const char *>(item->Value.data()),
                             static_cast<qsizetype>(end - item->Value.begin()));
}

void ReadMetadata(const TVxImage &image, TVxGraphicsDocumentProperties &properties) {
  properties.Clear();
  PropertyItemsToBag(image.PropertyItems(), properties);
  properties.HorizontalResolution = Round(image.HorizontalResolution());
  properties.VerticalResolution = Round(image.VerticalResolution());
}

// The embedded thumbnail describes the image as it was read; a changed image
// must not carry it into the new file.
void RemoveThumbnailItems(TVxCustomProperties &properties) {
  std::vector<int32_t> thumbnailIds;
  for (int32_t i = 0; i < properties.Count(); ++i) {
    const int32_t id = properties.EntryAt(i)->Identifier;
    if (IsThumbnailPropertyTag(static_cast<uint32_t>(id))) thumbnailIds.push_back(id);
  }
  for (int32_t id : thumbnailIds)
    while (properties.IndexOf(id) >= 0) properties.Remove(id);
}

// Says why a save failed: the system's reason for a failed write.
QString SaveFailure(const QString &name, TVxImageStatus status, const std::error_code &writeError) {
  QString reason = Text(5431);
  if (status == TVxImageStatus::WriteFailed && writeError)
    reason = QString::fromLocal8Bit(writeError.message());
  else if (status == TVxImageStatus::OutOfMemory)
    reason = QString::fromLocal8Bit(std::make_error_code(std::errc::not_enough_memory).message());
  return QString::fromStdU16String(
      FormatLocalized(LocalizedString(5430), {name.toStdU16String(), reason.toStdU16String()}));
}

float DpiOr96(int32_t dpi) { return dpi > 0 ? static_cast<float>(dpi) : 96.0f; }

}  // namespace

// ---------------------------------------------------------------------------

TVxGraphicsFileInfo::TVxGraphicsFileInfo(const QString &fileName) : TVxFileInfo(fileName) {
  TVxImage image;
  if (image.LoadFromFile(PathOf(fileName)) == TVxImageStatus::Ok) Description = Describe(image);
}

QString TVxGraphicsFileInfo::Describe(const TVxImage &image) {
  QString text;
  const char *type = nullptr;
  switch (image.RawFormat()) {
    case TVxRawFormat::Bmp:
      type = "BMP";
      break;
    case TVxRawFormat::Jpeg:
      type = "JPEG";
      break;
    case TVxRawFormat::Png:
      type = "PNG";
      break;
    case TVxRawFormat::Tiff:
      type = "TIFF";
      break;
    default:
      break;
  }
  if (type) text = Text(215) + QStringLiteral(": ") + QLatin1String(type);
  text += u'\n' + Text(504) + QStringLiteral(": %1 x %2").arg(image.Width()).arg(image.Height());
  if (image.PropertyItem(306))
    text += u'\n' + Text(519) + QStringLiteral(": ") + ItemText(image, 306);
  if (image.PropertyItem(271) || image.PropertyItem(272)) {
    const QString make = ItemText(image, 271);
    text += u'\n' + Text(518) + QStringLiteral(": ") + make;
    if (!make.isEmpty()) text += u' ';
    text += ItemText(image, 272);
  }
  return text;
}

// ---------------------------------------------------------------------------

std::unique_ptr<TVxGraphicsThumbnail> TVxGraphicsThumbnail::Create(const TVxImage &image,
                                                                   int32_t width, int32_t height) {
  if (width <= 0 || height <= 0) return nullptr;
  const TVxFit fit =
      FitProportional(std::max(image.Width(), 1), std::max(image.Height(), 1), width, height);
  auto thumbnail = std::make_unique<TVxGraphicsThumbnail>();
  if (image.GetThumbnail(std::max(fit.Width, 1), std::max(fit.Height, 1), thumbnail->FPicture) !=
      TVxImageStatus::Ok)
    return nullptr;
  return thumbnail;
}

bool TVxGraphicsThumbnail::Draw(QPainter &target, const TVxRect &box, TVxRect &drawn) const {
  const int32_t w = FPicture.Width, h = FPicture.Height;
  const int32_t left = box.Left + (box.Right - box.Left - w) / 2;
  const int32_t top = box.Top + (box.Bottom - box.Top - h) / 2;
  drawn = {left, top, left + w, top + h};
  if (FPicture.Bits != nullptr) {
    const QImage picture(FPicture.Bits, w, h, FPicture.Stride, QImage::Format_BGR888);
    target.drawImage(left, top, picture);
  }
  return true;
}

// ---------------------------------------------------------------------------

int32_t TVxGraphicsFormats::Count() const { return static_cast<int32_t>(FormatTable().size()); }

const TVxFileFormatInfo *TVxGraphicsFormats::FormatInfo(int32_t index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return &FormatTable()[static_cast<size_t>(index)];
}

bool TVxGraphicsFormats::GetFileInfo(const QString &name,
                                     std::unique_ptr<TVxFileInfo> &info) const {
  std::error_code error;
  if (!std::filesystem::is_regular_file(PathOf(name), error)) return false;
  info = std::make_unique<TVxGraphicsFileInfo>(name);
  return true;
}

bool TVxGraphicsFormats::CreateThumbnail(const QString &name, int32_t width, int32_t height,
                                         std::unique_ptr<TVxThumbnail> &thumbnail) const {
  TVxImage image;
  if (image.LoadFromFile(PathOf(name)) != TVxImageStatus::Ok) return false;
  std::unique_ptr<TVxGraphicsThumbnail> made = TVxGraphicsThumbnail::Create(image, width, height);
  if (!made) return false;
  thumbnail = std::move(made);
  return true;
}

bool TVxGraphicsFormats::CanSave(int32_t) const { return true; }

bool TVxGraphicsFormats::LoadDocument(TVxDocument &document, const QString &name, int32_t &format) {
  auto *graphics = dynamic_cast<TVxGraphicsDocument *>(&document);
  if (graphics == nullptr) return false;
  TVxWaitCursor wait;

  TVxPixelBuffer exchangePixels;
  TExchangeImage exchange;
  switch (ReadExchangeFile(name.toStdString(), exchangePixels, exchange)) {
    case TExchangeStatus::Invalid:
      return false;
    case TExchangeStatus::Ok:
      if (!LoadExchangeFile(*graphics, exchangePixels, exchange.Exif)) return false;
      format = FormatExchange;
      return graphics->UpdateBackup();
    case TExchangeStatus::NotExchange:
      break;
  }

  TVxImage image;
  if (image.LoadFromFile(PathOf(name)) != TVxImageStatus::Ok) return false;
  if (!LoadImageFile(*graphics, image, format)) return false;
  return graphics->UpdateBackup();
}

bool TVxGraphicsFormats::LoadExchangeFile(TVxGraphicsDocument &document, const TVxPixels &image,
                                          const std::vector<uint8_t> &exif) {
  if (!document.Image.AssignFromBuffer(image) || !document.Original.AssignFromBuffer(image))
    return false;
  document.ReadFromExchangeFile = true;
  document.Properties.Clear();
  document.Properties.HorizontalResolution = 0;
  document.Properties.VerticalResolution = 0;
  // The host's metadata travels as a bare EXIF block; wrapped in a tiny JPEG
  // it reads like that of any photograph. Unreadable metadata costs nothing
  // but the metadata.
  const std::vector<uint8_t> stream = BuildExifJpegStream(exif);
  TVxImage exifImage;
  if (!stream.empty() &&
      exifImage.LoadFromMemory(stream.data(), stream.size()) == TVxImageStatus::Ok)
    ReadMetadata(exifImage, document.Properties);
  return true;
}

bool TVxGraphicsFormats::LoadImageFile(TVxGraphicsDocument &document, const TVxImage &image,
                                       int32_t &format) {
  if (!document.Image.SetSize(image.Width(), image.Height(), PixelFormat24)) return false;
  if (image.ReadPixels(*document.Image.Pixels()) != TVxImageStatus::Ok) return false;
  if (!document.Original.AssignFromBuffer(*document.Image.Pixels())) return false;
  document.ReadFromExchangeFile = false;
  format = FormatOf(image.RawFormat());
  ReadMetadata(image, document.Properties);
  return true;
}

bool TVxGraphicsFormats::SaveDocument(TVxDocument &document, const QString &name, int32_t format) {
  return Save(document, name, format, true);
}

bool TVxGraphicsFormats::SaveDocumentAsIs(TVxDocument &document, const QString &name,
                                          int32_t format) {
  return Save(document, name, format, false);
}

bool TVxGraphicsFormats::Save(TVxDocument &document, const QString &name, int32_t format,
                              bool ask) {
  auto *graphics = dynamic_cast<TVxGraphicsDocument *>(&document);
  if (graphics == nullptr || graphics->ImagePixels() == nullptr) return false;
  if (format != FormatExchange && MimeTypeOf(format) == nullptr) return false;

  if (format == FormatJPEG && ask) {
    int quality = JPEGQuality;
    QWidget *parent = Application() ? Application()->MainWindow() : nullptr;
    if (!ExecuteJPEGOptions(quality, parent)) return false;
    JPEGQuality = quality;
  }

  TVxWaitCursor wait;
  graphics->BeforeSave();
  if (format == FormatExchange)
    return WriteExchangeFile(name.toStdString(), *graphics->ImagePixels());
  return SaveImageFile(*graphics, name, format);
}

bool TVxGraphicsFormats::SaveImageFile(TVxGraphicsDocument &document, const QString &name,
                                       int32_t format) {
  RemoveThumbnailItems(document.Properties);
  TVxSaveOptions options;
  if (format == FormatJPEG) options.Quality = JPEGQuality;
  options.DpiX = DpiOr96(document.Properties.HorizontalResolution);
  options.DpiY = DpiOr96(document.Properties.VerticalResolution);
  options.Items = PropertyItemsFromBag(document.Properties);
  std::error_code writeError;
  const TVxImageStatus status =
      SaveImage(*document.ImagePixels(), PathOf(name), MimeTypeOf(format), options, &writeError);
  if (status == TVxImageStatus::Ok) return true;
  // Whatever the user had on the disk is still there; the retouching is
  // only in this window, and the user must know that before going on.
  if (Application())
    Application()->MessageBox(SaveFailure(name, status, writeError), MbOk | MbIconError);
  return false;
}
