#pragma once
// The format registry bases: which files the editor can read and write, the
// information and thumbnails the open dialog previews, and the reading and
// writing of documents.

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "base/VxTypes.h"

class QPainter;
class TVxDocument;

// One row of a format table.
struct TVxFileFormatInfo {
  int32_t Identifier = 0;  // stored in documents; -1 for the plug-in exchange file
  QString Description;     // filter description
  QString Mask;            // file masks separated by ";"
  QString Extension;       // default extension with its dot, may be empty
};

using TVxFileFormatArray = std::vector<TVxFileFormatInfo>;

// What the open dialog shows about a file beside its thumbnail.
class TVxFileInfo {
 public:
  explicit TVxFileInfo(QString fileName) : FileName(std::move(fileName)) {}
  TVxFileInfo(const TVxFileInfo &) = delete;
  TVxFileInfo &operator=(const TVxFileInfo &) = delete;
  virtual ~TVxFileInfo() = default;

  QString FileName;

  // Lines separated by a single line feed; empty by default.
  virtual QString GetDescription() const { return {}; }
};

// A small picture of a file, made once and painted on demand.
class TVxThumbnail {
 public:
  TVxThumbnail() = default;
  TVxThumbnail(const TVxThumbnail &) = delete;
  TVxThumbnail &operator=(const TVxThumbnail &) = delete;
  virtual ~TVxThumbnail() = default;

  // Paints into box on target; drawn receives the rectangle actually covered.
  virtual bool Draw(QPainter &target, const TVxRect &box, TVxRect &drawn) const = 0;
};

class TVxFileFormats {
 public:
  TVxFileFormats() = default;
  TVxFileFormats(const TVxFileFormats &) = delete;
  TVxFileFormats &operator=(const TVxFileFormats &) = delete;
  virtual ~TVxFileFormats() = default;

  virtual int32_t Count() const = 0;
  // The table entry at index; null outside 0 .. Count() - 1.
  virtual const TVxFileFormatInfo *FormatInfo(int32_t index) const = 0;
  // Both may run on a preview worker thread; the defaults make nothing.
  virtual bool GetFileInfo(const QString &name, std::unique_ptr<TVxFileInfo> &info) const;
  virtual bool CreateThumbnail(const QString &name, int32_t width, int32_t height,
                               std::unique_ptr<TVxThumbnail> &thumbnail) const;
  // Every entry in table order.
  virtual void GetWritableFormats(TVxFileFormatArray &formats) const;
  // Every entry in table order, then "all supported images" (every mask of
  // the table) and "all files", both with identifier 0 and no extension.
  virtual void GetOpenFormats(TVxFileFormatArray &formats) const;

  // Position of the table entry with that identifier, or -1.
  int32_t IndexOfId(int32_t id) const;

  // Position of the entry with that identifier in formats, or -1.
  static int32_t IndexOfFormat(const TVxFileFormatArray &formats, int32_t id);
  // "Description (mask)|mask" per entry, joined with "|".
  static QString FilterText(const TVxFileFormatArray &formats);
};

// A registry that also reads and writes documents.
class TVxDocumentFormats : public TVxFileFormats {
 public:
  // Reads name into document; format receives the identifier of what was read.
  virtual bool LoadDocument(TVxDocument &document, const QString &name, int32_t &format) = 0;
  virtual bool SaveDocument(TVxDocument &document, const QString &name, int32_t format) = 0;
  virtual bool CanSave(int32_t format) const = 0;
};
