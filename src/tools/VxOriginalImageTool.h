#pragma once
// Compare with the original: while its button is held down, or the O key is
// held in the image view, the view shows the image as it was opened; the
// tool that was current before returns on release.

#include <QPointer>
#include <QToolButton>

#include "tools/VxGraphicsTool.h"

class TVxOriginalImageTool : public TVxGraphicsTool {
  Q_OBJECT
 public:
  explicit TVxOriginalImageTool(QObject *owner);

  QToolButton *OriginalImageToolButton = nullptr;
  QPointer<TVxGraphicsTool> SavedTool;

  // Makes this tool current, remembering the current one.
  void ShowOriginal();
  // Brings back the remembered tool.
  void RestoreTool();

  void Localize() override;
  void UpdateControls() override;
  void ActivateTool() override;
  // Its words name the button only: it is held down, not clicked, so no
  // word runs it and the base's click word does not apply.
  void GetDemoCommandPoint(IVxDemoRecorder *playback, const TVxProperties &params, bool &handled,
                           QPoint &screenPoint) override;
  void ExecuteDemoCommand(IVxDemoRecorder *playback, const QString &word, bool &handled,
                          bool userAction, const TVxProperties &params) override;
  void ListDemoWords(const TVxDemoWordVisitor &visit) override;
  static const TVxDemoWordTable<TVxOriginalImageTool> &DemoWords();
};

class TVxOriginalImageToolControl : public TVxGraphicsToolControl {
 public:
  static constexpr int DefaultHotKey = 79;  // the O key

  TVxOriginalImageToolControl(TVxGraphicsTool *tool, TVxGraphicsView *view);

  int HotKey = DefaultHotKey;
  const TVxLTBitmap *OriginalBitmap = nullptr;

  void Activate() override;
  void Deactivate() override;
  void PaintBody(TVxViewCanvas &canvas) override;
  bool KeyDown(int key, TVxShiftState shift) override;
  bool KeyUp(int key, TVxShiftState shift) override;

 private:
  TVxOriginalImageTool *OriginalTool() const;
};
