#include "documents/VxFileFormats.h"

#include <QStringList>

#include "framework/VxText.h"

bool TVxFileFormats::GetFileInfo(const QString &, std::unique_ptr<TVxFileInfo> &) const {
  return false;
}

bool TVxFileFormats::CreateThumbnail(const QString &, int32_t, int32_t,
                                     std::unique_ptr<TVxThumbnail> &) const {
  return false;
}

void TVxFileFormats::GetWritableFormats(TVxFileFormatArray &formats) const {
  formats.clear();
  for (int32_t i = 0; i < Count(); ++i)
    if (const TVxFileFormatInfo *info = FormatInfo(i)) formats.push_back(*info);
}

void TVxFileFormats::GetOpenFormats(TVxFileFormatArray &formats) const {
  formats.clear();
  QStringList masks;
  for (int32_t i = 0; i < Count(); ++i) {
    if (const TVxFileFormatInfo *info = FormatInfo(i)) {
      formats.push_back(*info);
      masks << info->Mask;
    }
  }
  formats.push_back({0, Text(146), masks.join(u';'), {}});
  formats.push_back({0, Text(147), QStringLiteral("*.*"), {}});
}

int32_t TVxFileFormats::IndexOfId(int32_t id) const {
  for (int32_t i = 0; i < Count(); ++i) {
    const TVxFileFormatInfo *info = FormatInfo(i);
    if (info && info->Identifier == id) return i;
  }
  return -1;
}

int32_t TVxFileFormats::IndexOfFormat(const TVxFileFormatArray &formats, int32_t id) {
  for (size_t i = 0; i < formats.size(); ++i)
    if (formats[i].Identifier == id) return static_cast<int32_t>(i);
  return -1;
}

QString TVxFileFormats::FilterText(const TVxFileFormatArray &formats) {
  QStringList parts;
  for (const TVxFileFormatInfo &info : formats)
    parts << info.Description + QStringLiteral(" (") + info.Mask + QStringLiteral(")|") + info.Mask;
  return parts.join(u'|');
}
