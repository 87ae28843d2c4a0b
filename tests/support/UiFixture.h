#pragma once
// A fresh application per test, over its own configuration and runtime
// folders and two small languages (English 1033, Deutsch 1031).

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "framework/VxApplication.h"
#include "support/TestSupport.h"

namespace uitest {

void WriteFile(const std::filesystem::path &path, const std::string &bytes);
std::string ReadFile(const std::filesystem::path &path);

// Handles every event already posted, including those posted meanwhile.
void ProcessEvents();

// Puts the program's own language files (data/Languages) in place of the two
// small test languages, for tests that compare real texts.
void UseProgramLanguages(uint16_t language = 1033);

class UiTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  testsupport::TempDir Dir;
  std::unique_ptr<TVxApplication> App;
};

}  // namespace uitest
