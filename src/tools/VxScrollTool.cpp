#include "tools/VxScrollTool.h"

#include "framework/VxCursors.h"
#include "platform/VirtualKeys.h"
#include "tools/VxToolHost.h"
#include "views/VxGraphicsView.h"

TVxScrollTool::TVxScrollTool(QObject *owner) : TVxGraphicsTool(owner) {
  setObjectName(QStringLiteral("ScrollTool"));
  ControlClass = ControlClassOf<TVxScrollToolControl>();
  ToolName = QStringLiteral("Scroll");
}

TVxScrollToolControl::TVxScrollToolControl(TVxGraphicsTool *tool, TVxGraphicsView *view)
    : TVxGraphicsToolControl(tool, view) {}

bool TVxScrollToolControl::GetCursor(TVxShiftState, const TVxPoint &, int &cursor) {
  if (!Active) return false;
  cursor = CursorHand;
  return true;
}

bool TVxScrollToolControl::KeyDown(int key, TVxShiftState) {
  IVxToolHost *editor = ToolHost();
  if (!editor) return false;
  // The zoom keys work whichever tool is current, and are left to others too.
  if (key == platform::VkOemPlus) editor->ZoomIn();
  if (key == platform::VkOemMinus) editor->ZoomOut();
  if (Active || key != platform::VkSpace) return false;
  SavedTool = editor->CurrentTool();
  editor->SelectTool(Tool);
  return true;
}

bool TVxScrollToolControl::KeyUp(int key, TVxShiftState) {
  if (!Active || key != platform::VkSpace) return false;
  if (IVxToolHost *editor = ToolHost()) editor->SelectTool(SavedTool.data());
  return true;
}

bool TVxScrollToolControl::MouseDown(TVxMouseButton button, TVxShiftState, const TVxPoint &point) {
  if (!Active || button != TVxMouseButton::Left) return false;
  Dragging = true;
  LastPoint = point;
  return true;
}

bool TVxScrollToolControl::MouseMove(TVxShiftState, const TVxPoint &point) {
  if (!Active || !Dragging || !View) return false;
  int32_t dx = point.X - LastPoint.X, dy = point.Y - LastPoint.Y;
  View->ClampScroll(dx, dy);
  if (dx != 0 || dy != 0) View->ScrollBy(dx, dy);
  LastPoint = {LastPoint.X + dx, LastPoint.Y + dy};
  return true;
}

bool TVxScrollToolControl::MouseUp(TVxMouseButton button, TVxShiftState, const TVxPoint &) {
  if (!Active || button != TVxMouseButton::Left || !Dragging) return false;
  Dragging = false;
  return true;
}

void TVxScrollToolControl::Deactivate() {
  Dragging = false;
  TVxGraphicsToolControl::Deactivate();
}
