#include "ToolFixture.h"

#include <QMainWindow>

#include "framework/VxMainForm.h"
#include "views/VxGraphicsView.h"

namespace tooltest {

TLogTool::TLogTool(QObject *owner, std::string name, std::vector<std::string> *log)
    : TVxGraphicsTool(owner), Name(std::move(name)), Log(log) {
  ToolName = QString::fromStdString(Name);
  ControlClass = ControlClassOf<TVxGraphicsToolControl>();
  CreateToolButton(ToolName, -1);
}

void TLogTool::ActivateTool() {
  TVxGraphicsTool::ActivateTool();
  Log->push_back(Name + " activate");
}

void TLogTool::DeactivateTool() {
  TVxGraphicsTool::DeactivateTool();
  Log->push_back(Name + " deactivate");
}

void TLogTool::Paint(const TVxRect &rect, uint8_t value) {
  TVxGraphicsEditor *editor = GraphicsEditor();
  if (!EditDocument) BeginEdit(editor->CurrentView());
  TVxPixels *image = ImagePixels;
  const TVxRect area = IntersectRect(rect, image->GetBounds());
  for (int32_t y = area.Top; y < area.Bottom; ++y)
    for (int32_t x = area.Left; x < area.Right; ++x) {
      uint8_t *p = image->PixelAddress(x, y);
      p[0] = p[1] = p[2] = value;
    }
  // Like a brush, it reports its whole stamp, wherever the image ends.
  AddChangedRect(rect, false);
}

void ToolTest::SetUp() {
  UiTest::SetUp();
  uitest::UseProgramLanguages();
  App->SetTitle(QStringLiteral("Velora"));
  App->SetMessageBoxAnswerer([this](const QString &text, const QString &, int) {
    Messages << text;
    return MessageAnswer;
  });
  App->CreateModule(Editor);
  App->CreateModule(Panel);
  Panel->SetToolbarWrap(true);
  // What Run does for the modules: their idle updates start.
  Editor->Initialize();
  Panel->Initialize();
}

void ToolTest::TearDown() {
  Editor = nullptr;
  Panel = nullptr;
  UiTest::TearDown();
}

std::filesystem::path ToolTest::CopySample(const std::string &name) {
  const std::filesystem::path target = Dir / "images" / name;
  std::filesystem::create_directories(target.parent_path());
  std::filesystem::copy_file(testsupport::SamplePath("portrait.png"), target,
                             std::filesystem::copy_options::overwrite_existing);
  return target;
}

TVxGraphicsDocument *ToolTest::Open(const std::filesystem::path &path) {
  TVxDocument *doc = nullptr;
  if (!Editor->OpenFile(QString::fromStdString(path.string()), doc, true)) return nullptr;
  return qobject_cast<TVxGraphicsDocument *>(doc);
}

TLogTool *ToolTest::AddTool(const std::string &name) {
  auto *tool = new TLogTool(App.get(), name, &Log);
  tool->RegisterDemoNames();
  tool->Initialize();
  // Views made before the tool existed get its control as well.
  if (TVxGraphicsView *view = View()) tool->CreateControl(view);
  return tool;
}

void ToolTest::Idle() { App->DoIdle(); }

}  // namespace tooltest
