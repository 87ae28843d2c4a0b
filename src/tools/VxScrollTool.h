#pragma once
// The hand tool: holding the space bar in the image view makes it current,
// and dragging then scrolls the image. Its input object also hosts the zoom
// keys, whichever tool is current.

#include <QPointer>

#include "tools/VxGraphicsTool.h"

class TVxScrollTool : public TVxGraphicsTool {
  Q_OBJECT
 public:
  explicit TVxScrollTool(QObject *owner);
};

class TVxScrollToolControl : public TVxGraphicsToolControl {
 public:
  TVxScrollToolControl(TVxGraphicsTool *tool, TVxGraphicsView *view);

  bool Dragging = false;
  TVxPoint LastPoint;
  // The tool to return to when the space bar is released.
  QPointer<TVxGraphicsTool> SavedTool;

  bool GetCursor(TVxShiftState shift, const TVxPoint &point, int &cursor) override;
  bool KeyDown(int key, TVxShiftState shift) override;
  bool KeyUp(int key, TVxShiftState shift) override;
  bool MouseDown(TVxMouseButton button, TVxShiftState shift, const TVxPoint &point) override;
  bool MouseMove(TVxShiftState shift, const TVxPoint &point) override;
  bool MouseUp(TVxMouseButton button, TVxShiftState shift, const TVxPoint &point) override;
  void Deactivate() override;
};
