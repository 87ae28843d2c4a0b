// Any bytes as a language file: reading, encoding normalisation and loading
// the string table must neither crash nor hang.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "settings/VxLocalizer.h"
#include "settings/VxUnicode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const auto file =
      TVxLanguageFile::FromBytes(std::string_view(reinterpret_cast<const char *>(data), size));
  file.ReadInteger("Language", "LangId", 0);
  Utf8ToUtf16(file.ReadString("Language", "Language"));
  TVxLocalStringList table;
  LoadStrings(file, table);
  for (int32_t number : {0, 1, 10, 94, 1030, 3020})
    if (const std::string *text = table.Find(number)) Utf16ToUtf8(Utf8ToUtf16(*text));
  return 0;
}
