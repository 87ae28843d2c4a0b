// File > Import end to end through SANE's own "test" backend, a real driver,
// enabled through a private configuration folder.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QMenu>
#include <QTest>
#include <chrono>
#include <fstream>

#include "../tools/ToolFixture.h"
#include "editor/VxScannerImport.h"
#include "framework/VxMainForm.h"
#include "services/Scanner.h"

namespace {

namespace fs = std::filesystem;

// SANE reads its configuration once per process, at its first start.
class TSaneEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    Root = fs::temp_directory_path() / ("velora-import-" + std::to_string(getpid()));
    fs::create_directories(Root / "config");
    fs::create_directories(Root / "tmp");
    std::ofstream(Root / "config" / "dll.conf") << "test\n";
    std::ofstream(Root / "config" / "test.conf") << "number_of_devices 1\n"
                                                    "mode Color\n"
                                                    "depth 8\n"
                                                    "resolution 25.0\n"
                                                    "test-picture \"Color pattern\"\n"
                                                    "br_x 40.0\n"
                                                    "br_y 30.0\n";
    setenv("SANE_CONFIG_DIR", (Root / "config").c_str(), 1);
    setenv("TMPDIR", (Root / "tmp").c_str(), 1);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(Root, ignored);
  }
  static fs::path Root;
};
fs::path TSaneEnvironment::Root;

const auto *const Environment = ::testing::AddGlobalTestEnvironment(new TSaneEnvironment);

bool WaitFor(const std::function<bool()> &done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    QTest::qWait(20);
  }
  return true;
}

using ScannerImportTest = tooltest::ToolTest;

TEST_F(ScannerImportTest, ImportListsTheSourcesAndOpensTheAcquiredPageAsAnUntitledImage) {
  TVxScannerImport &import = Editor->ScannerImport();
  EXPECT_FALSE(import.SelectTwainSourceMenuItem->isVisible());
  EXPECT_FALSE(import.AcquireMenuItem->isVisible());
  // The submenu is filled each time it opens, saying it searches meanwhile.
  for (int i = 0; i < 2; ++i) {
    emit import.ImportSubmenu->aboutToShow();
    emit import.ImportSubmenu->aboutToShow();
    ASSERT_EQ(import.ImportSubmenu->actions().size(), 1);
    EXPECT_FALSE(import.ImportSubmenu->actions()[0]->isEnabled());
    ASSERT_TRUE(WaitFor([&] { return !import.IsListingSources(); }));
  }
  const QList<QAction *> items = import.ImportSubmenu->actions();
  ASSERT_EQ(items.size(), 1);
  EXPECT_EQ(items[0]->data().toString(), "test:0");
  EXPECT_TRUE(items[0]->text().contains("test:0"));

  // A modified image is asked about first; cancelling keeps it and scans nothing.
  ASSERT_NE(Open(CopySample("a.png")), nullptr);
  Document()->SetSaved(false);
  items[0]->trigger();
  EXPECT_FALSE(import.IsAcquiring());
  EXPECT_EQ(Messages.size(), 1);
  EXPECT_EQ(Document()->Image.Width(), 512);

  // Shown, so that their enabled state tells.
  import.SelectTwainSourceMenuItem->setVisible(true);
  import.AcquireMenuItem->setVisible(true);
  Document()->SetSaved(true);
  items[0]->trigger();
  EXPECT_TRUE(import.IsAcquiring());
  EXPECT_FALSE(import.AcquireMenuItem->isEnabled());
  EXPECT_FALSE(import.SelectTwainSourceMenuItem->isEnabled());
  ASSERT_TRUE(WaitFor([&] { return !import.IsAcquiring() && Document() != nullptr; }))
      << Messages.join("\n").toStdString();
  ASSERT_TRUE(WaitFor([&] { return import.AcquireMenuItem->isEnabled(); }));
  TVxGraphicsDocument *scanned = Document();
  EXPECT_EQ(scanned->Image.Width(), 39);
  EXPECT_EQ(scanned->Image.Height(), 29);
  EXPECT_TRUE(scanned->FileName().isEmpty());
  EXPECT_FALSE(scanned->IsSaved());  // a new page: nothing discards it unasked
  EXPECT_TRUE(MainForm()->windowTitle().startsWith(scanned->DisplayName()));
  // Not remembered, and the temporary file is gone.
  EXPECT_EQ(Editor->RecentFiles().size(), 1);  // the sample only
  for (const auto &entry : fs::directory_iterator(TSaneEnvironment::Root / "tmp"))
    EXPECT_NE(entry.path().extension(), ".bmp") << entry.path();
  EXPECT_TRUE(Editor->Folder().Images().isEmpty());
  EXPECT_EQ(Messages.size(), 1);
}

}  // namespace
