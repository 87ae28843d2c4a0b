#include "support/UiFixture.h"

#include <QCoreApplication>
#include <QLocale>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "settings/VxLocalizer.h"

namespace uitest {

void WriteFile(const std::filesystem::path &path, const std::string &bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadFile(const std::filesystem::path &path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void ProcessEvents() {
  for (int pass = 0; pass < 20; ++pass) QCoreApplication::processEvents();
}

void UseProgramLanguages(uint16_t language) {
  InstallLocalizer(std::make_unique<TVxLocalizer>(
      std::vector<std::filesystem::path>{std::filesystem::path(VELORA_SOURCE_DIR) / "data" /
                                         "Languages"},
      language));
}

void UiTest::SetUp() {
  setenv("XDG_CONFIG_HOME", (Dir / "config").c_str(), 1);
  std::filesystem::create_directories(Dir / "run");
  setenv("XDG_RUNTIME_DIR", (Dir / "run").c_str(), 1);
  WriteFile(Dir / "Languages/English.ini",
            "[Language]\nLangId=1033\nLanguage=English\n[Strings]\n10=File\n23=Exit\n34=View\n"
            "41=Language\n46=Help\n161=Menu\n163=Toolbars\n");
  WriteFile(Dir / "Languages/Deutsch.ini",
            "[Language]\nLangId=1031\nLanguage=Deutsch\n[Strings]\n10=Datei\n23=Beenden\n");
  InstallLocalizer(std::make_unique<TVxLocalizer>(
      std::vector<std::filesystem::path>{Dir / "Languages"}, uint16_t{1033}));
  QLocale::setDefault(QLocale::c());
  App = std::make_unique<TVxApplication>();
}

void UiTest::TearDown() {
  App.reset();
  InstallLocalizer(
      std::make_unique<TVxLocalizer>(std::vector<std::filesystem::path>{}, uint16_t{1033}));
}

}  // namespace uitest
