#pragma once
// An image editor with the tool panel and small tools that log what they are
// told, over a folder of real image files.

#include <QStringList>
#include <filesystem>
#include <string>
#include <vector>

#include "editor/VxGraphicsEditor.h"
#include "support/UiFixture.h"
#include "tools/VxGraphicsTool.h"
#include "tools/VxToolPanel.h"

namespace tooltest {

// Logs activation into a shared log and paints solid rectangles through the
// edit protocol, like a retouching tool would; committing, cancelling and
// ending edits are the base tool's own.
class TLogTool : public TVxGraphicsTool {
 public:
  TLogTool(QObject *owner, std::string name, std::vector<std::string> *log);

  void ActivateTool() override;
  void DeactivateTool() override;

  // Opens an edit on the current view if needed and fills rect with value.
  void Paint(const TVxRect &rect, uint8_t value);

  std::string Name;
  std::vector<std::string> *Log;
};

class ToolTest : public uitest::UiTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A copy of the sample portrait (512 x 512) in the test folder.
  std::filesystem::path CopySample(const std::string &name);
  TVxGraphicsDocument *Open(const std::filesystem::path &path);
  TVxGraphicsDocument *Document() const { return Editor->CurrentGraphicsDocument(); }
  TVxGraphicsView *View() const { return Editor->CurrentView(); }
  TLogTool *AddTool(const std::string &name);
  // Runs every module's idle update.
  void Idle();

  TVxGraphicsEditor *Editor = nullptr;
  TVxToolPanelModule *Panel = nullptr;
  std::vector<std::string> Log;
  QStringList Messages;
  // What every message box answers.
  int MessageAnswer = IdCancel;
};

}  // namespace tooltest
