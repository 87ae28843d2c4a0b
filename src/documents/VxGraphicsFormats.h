#pragma once
// The image format registry: JPEG, TIFF, PNG and BMP files through the image
// codecs, with their metadata carried from the file read to the file written,
// and the plug-in's exchange file.

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "documents/VxFileFormats.h"
#include "imaging/VxPixels.h"

class TVxImage;
class TVxGraphicsDocument;

// Format identifiers stored in documents.
enum : int32_t {
  FormatJPEG = 0,
  FormatTIFF = 1,
  FormatPNG = 2,
  FormatBMP = 3,
  FormatExchange = -1,  // the plug-in's exchange file
};

// Type, size, date taken and camera of an image file.
class TVxGraphicsFileInfo : public TVxFileInfo {
 public:
  // Opens the file; the description stays empty when it cannot be opened.
  explicit TVxGraphicsFileInfo(const QString &fileName);

  QString GetDescription() const override { return Description; }

  // Lines separated by line feeds: type (when known), size, date taken and
  // camera (when the file names them).
  static QString Describe(const TVxImage &image);

  QString Description;
};

// A picture of a file, fitted into the box it was made for.
class TVxGraphicsThumbnail : public TVxThumbnail {
 public:
  // Null when the image cannot be decoded.
  static std::unique_ptr<TVxGraphicsThumbnail> Create(const TVxImage &image, int32_t width,
                                                      int32_t height);

  // Centres the picture at its own size in box; drawn is what it covers.
  bool Draw(QPainter &target, const TVxRect &box, TVxRect &drawn) const override;

  const TVxPixelBuffer &Picture() const { return FPicture; }

 private:
  TVxPixelBuffer FPicture;
};

class TVxGraphicsFormats : public TVxDocumentFormats {
 public:
  // Quality of the JPEG files written (0 ... 100); every JPEG save starts its
  // options window from the previous choice.
  int32_t JPEGQuality = 80;

  int32_t Count() const override;
  const TVxFileFormatInfo *FormatInfo(int32_t index) const override;
  // Both are safe on a preview worker thread.
  bool GetFileInfo(const QString &name, std::unique_ptr<TVxFileInfo> &info) const override;
  bool CreateThumbnail(const QString &name, int32_t width, int32_t height,
                       std::unique_ptr<TVxThumbnail> &thumbnail) const override;

  // An exchange file first, then the image formats. Only image documents
  // load; a damaged exchange file fails the load.
  bool LoadDocument(TVxDocument &document, const QString &name, int32_t &format) override;
  // JPEG asks for the quality first; cancelling writes nothing.
  bool SaveDocument(TVxDocument &document, const QString &name, int32_t format) override;
  // The same without asking anything: a JPEG takes the quality of the last save.
  bool SaveDocumentAsIs(TVxDocument &document, const QString &name, int32_t format);
  bool CanSave(int32_t format) const override;

 private:
  bool LoadExchangeFile(TVxGraphicsDocument &document, const TVxPixels &image,
                        const std::vector<uint8_t> &exif);
  bool LoadImageFile(TVxGraphicsDocument &document, const TVxImage &image, int32_t &format);
  bool SaveImageFile(TVxGraphicsDocument &document, const QString &name, int32_t format);
  bool Save(TVxDocument &document, const QString &name, int32_t format, bool ask);
};
