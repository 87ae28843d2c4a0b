#pragma once
// The user's language as the Windows language identifier that language files
// carry (1033 English, 1031 German, ...), and text in Windows code pages.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// From a POSIX locale name such as "de_DE.UTF-8" or "pt_BR@euro": the
// identifier of that language as the language files use it (regional variants
// share their language's file, except Portuguese and Chinese). "C", "POSIX"
// and an empty name are English; an unknown language is 0.
uint16_t LanguageIdFromLocale(std::string_view locale);

// The other way round: a BCP 47 name ("de", "pt-BR") for a language
// identifier; its primary language decides when the identifier itself is not
// listed. Empty for an unknown language.
std::string LocaleNameFromLanguageId(uint16_t id);

// The first non-empty of LC_ALL, LC_MESSAGES and LANG, mapped as above.
uint16_t UserDefaultLanguage();

// `bytes` in Windows code page `codePage` as UTF-8; bytes the code page does
// not define become U+FFFD. Nothing when the system knows no such code page.
std::optional<std::string> CodePageToUtf8(std::string_view bytes, uint32_t codePage);

}  // namespace platform
