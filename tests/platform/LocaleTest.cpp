#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/Locale.h"
#include "platform/ProgramPath.h"

namespace {

TEST(Locale, PosixLocalesMapToTheLanguageFilesIdentifiers) {
  const struct {
    const char *locale;
    uint16_t id;
  } cases[] = {
      {"en_US.UTF-8", 1033},
      {"en_GB", 1033},
      {"de_DE.UTF-8", 1031},
      {"de_AT@euro", 1031},
      {"fr_FR", 1036},
      {"fr_CA.UTF-8", 1036},
      {"es_ES", 3082},
      {"es_MX", 3082},
      {"it_IT", 1040},
      {"ru_RU.KOI8-R", 1049},
      {"pl_PL", 1045},
      {"pt_BR.UTF-8", 1046},
      {"pt_PT", 2070},
      {"ja_JP.eucJP", 1041},
      {"zh_CN.GB18030", 2052},
      {"zh_SG", 2052},
      {"zh_TW.Big5", 1028},
      {"de", 1031},
      {"C", 1033},
      {"C.UTF-8", 1033},
      {"POSIX", 1033},
      {"", 1033},
      {"xx_YY", 0},
      {"DE_de", 1031},
  };
  for (const auto &c : cases) EXPECT_EQ(platform::LanguageIdFromLocale(c.locale), c.id) << c.locale;
}

TEST(Locale, EnvironmentPriorityIsAllThenMessagesThenLang) {
  const auto keep = [](const char *name) {
    const char *value = std::getenv(name);
    return std::pair<std::string, bool>(value ? value : "", value != nullptr);
  };
  const auto all = keep("LC_ALL"), messages = keep("LC_MESSAGES"), lang = keep("LANG");
  setenv("LC_ALL", "", 1);
  setenv("LC_MESSAGES", "fr_FR.UTF-8", 1);
  setenv("LANG", "de_DE.UTF-8", 1);
  EXPECT_EQ(platform::UserDefaultLanguage(), 1036);
  setenv("LC_ALL", "ja_JP.UTF-8", 1);
  EXPECT_EQ(platform::UserDefaultLanguage(), 1041);
  unsetenv("LC_ALL");
  unsetenv("LC_MESSAGES");
  EXPECT_EQ(platform::UserDefaultLanguage(), 1031);
  for (const auto &[name, value] :
       {std::pair{"LC_ALL", all}, {"LC_MESSAGES", messages}, {"LANG", lang}}) {
    if (value.second)
      setenv(name, value.first.c_str(), 1);
    else
      unsetenv(name);
  }
}

TEST(Locale, CodePagesConvertThroughTheSystem) {
  EXPECT_EQ(platform::CodePageToUtf8("\xCF\xF0\xE8\xE2\xE5\xF2", 1251), "Привет");
  EXPECT_EQ(platform::CodePageToUtf8("\xC4pfel \x80", 1252), "Äpfel €");
  EXPECT_EQ(platform::CodePageToUtf8("\xE4", 28591), "ä");
  // 0x98 is undefined in 1251: marked, and the rest still converted.
  EXPECT_EQ(platform::CodePageToUtf8("a\x98\xC0", 1251), "a\xEF\xBF\xBD\xD0\x90");
  EXPECT_FALSE(platform::CodePageToUtf8("abc", 4242));
}

TEST(ProgramPath, IsThisTestProgram) {
  EXPECT_EQ(platform::ProgramPath().filename(), "platform_tests");
  EXPECT_TRUE(std::filesystem::is_directory(platform::ProgramFolder()));
}

}  // namespace
