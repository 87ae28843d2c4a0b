#include <gtest/gtest.h>

#include "platform/Locale.h"

namespace {

TEST(LocaleNameFromLanguageId, NamesTheLanguageOfAnIdentifier) {
  struct Case {
    uint16_t Id;
    const char *Name;
  };
  const Case cases[] = {
      {1033, "en"},    {2057, "en"},  // English, and British English by its language
      {1031, "de"},    {2055, "de"},  // German, Swiss German
      {1046, "pt-BR"}, {1028, "zh-TW"}, {2052, "zh"},
      {0, ""},         {0x7F, ""},  // no language, an unknown one
  };
  for (const Case &c : cases) EXPECT_EQ(platform::LocaleNameFromLanguageId(c.Id), c.Name) << c.Id;
}

TEST(LocaleNameFromLanguageId, AgreesWithTheWayBack) {
  for (uint16_t id : {1033, 1031, 1036, 3082, 1049, 1046, 2070, 1028, 2052, 1041})
    EXPECT_EQ(platform::LanguageIdFromLocale(platform::LocaleNameFromLanguageId(id)), id) << id;
}

}  // namespace
