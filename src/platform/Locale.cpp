#include "platform/Locale.h"

#include <iconv.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <string>

namespace platform {

namespace {

struct LanguageEntry {
  const char *Language;   // ISO 639 code
  const char *Territory;  // ISO 3166 code, or null for every other territory
  uint16_t Id;
};

// Most specific rows first.
constexpr LanguageEntry Languages[] = {
    {"pt", "BR", 1046},    {"pt", nullptr, 2070}, {"zh", "TW", 1028},    {"zh", "HK", 1028},
    {"zh", "MO", 1028},    {"zh", nullptr, 2052}, {"en", nullptr, 1033}, {"de", nullptr, 1031},
    {"fr", nullptr, 1036}, {"es", nullptr, 3082}, {"it", nullptr, 1040}, {"ru", nullptr, 1049},
    {"pl", nullptr, 1045}, {"ja", nullptr, 1041}, {"nl", nullptr, 1043}, {"sv", nullptr, 1053},
    {"da", nullptr, 1030}, {"fi", nullptr, 1035}, {"nb", nullptr, 1044}, {"no", nullptr, 1044},
    {"nn", nullptr, 2068}, {"cs", nullptr, 1029}, {"sk", nullptr, 1051}, {"hu", nullptr, 1038},
    {"ro", nullptr, 1048}, {"bg", nullptr, 1026}, {"uk", nullptr, 1058}, {"el", nullptr, 1032},
    {"tr", nullptr, 1055}, {"ko", nullptr, 1042}, {"he", nullptr, 1037}, {"ar", nullptr, 1025},
    {"hr", nullptr, 1050}, {"sl", nullptr, 1060}, {"lt", nullptr, 1063}, {"lv", nullptr, 1062},
    {"et", nullptr, 1061}, {"ca", nullptr, 1027}, {"th", nullptr, 1054}, {"vi", nullptr, 1066},
};

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char &c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char &c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

// The name glibc's iconv knows the code page by.
std::string IconvName(uint32_t codePage) {
  if (codePage >= 28591 && codePage <= 28599) return "ISO-8859-" + std::to_string(codePage - 28590);
  if (codePage == 28605) return "ISO-8859-15";
  if (codePage == 20866) return "KOI8-R";
  if (codePage == 21866) return "KOI8-U";
  if (codePage == 20127) return "ASCII";
  if (codePage == 65001) return "UTF-8";
  return "CP" + std::to_string(codePage);
}

}  // namespace

std::string LocaleNameFromLanguageId(uint16_t id) {
  auto name = [](const LanguageEntry &entry) {
    return entry.Territory ? std::string(entry.Language) + "-" + entry.Territory
                           : std::string(entry.Language);
  };
  for (const LanguageEntry &entry : Languages)
    if (entry.Id == id) return name(entry);
  // The low ten bits name the language, the rest its region.
  for (const LanguageEntry &entry : Languages)
    if ((entry.Id & 0x3FF) == (id & 0x3FF)) return entry.Language;
  return {};
}

uint16_t LanguageIdFromLocale(std::string_view locale) {
  // language[_territory][.codeset][@modifier]
  const size_t cut = locale.find_first_of(".@");
  const std::string_view name = locale.substr(0, cut);
  if (name.empty() || name == "C" || name == "POSIX") return 1033;
  const size_t bar = name.find_first_of("_-");
  const std::string language = Lower(name.substr(0, bar));
  const std::string territory = bar == std::string_view::npos ? "" : Upper(name.substr(bar + 1));
  for (const LanguageEntry &entry : Languages) {
    if (language != entry.Language) continue;
    if (!entry.Territory || territory == entry.Territory) return entry.Id;
  }
  return 0;
}

uint16_t UserDefaultLanguage() {
  for (const char *variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char *value = std::getenv(variable);
    if (value && *value) return LanguageIdFromLocale(value);
  }
  return LanguageIdFromLocale("");
}

std::optional<std::string> CodePageToUtf8(std::string_view bytes, uint32_t codePage) {
  iconv_t converter = iconv_open("UTF-8", IconvName(codePage).c_str());
  if (converter == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out;
  char buffer[1024];
  char *in = const_cast<char *>(bytes.data());
  size_t inLeft = bytes.size();
  while (inLeft > 0) {
    char *outPtr = buffer;
    size_t outLeft = sizeof buffer;
    const size_t result = iconv(converter, &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer, static_cast<size_t>(outPtr - buffer));
    if (result != static_cast<size_t>(-1) || errno == E2BIG) continue;
    // An undefined or cut-off sequence: mark it and go on with the next byte.
    out += "\xEF\xBF\xBD";
    ++in;
    --inLeft;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
  }
  iconv_close(converter);
  return out;
}

}  // namespace platform
