#pragma once
// Language files name their language by a Windows language identifier
// (1033 English, 1031 German, ...); the rest of the system speaks BCP 47.

#include <cstdint>
#include <string>

namespace platform {

// "de-DE" for 1031, "pt-BR" for 1046, "fr" for a French identifier with an
// unlisted region; empty when the language itself is unknown.
std::string LocaleNameForLanguageId(uint16_t id);

}  // namespace platform
