#pragma once
// Make-up: paints a colour chosen on a colour plane, or picked from the photo
// with the eyedropper, onto the skin, either as paint that keeps the skin's
// texture or as a tint that keeps its brightness. Teeth whitening is the same
// brush fixed to a faint white, so each stroke moves the teeth a little.

#include "retouch/VxDetailLayer.h"
#include "retouch/VxMakeUpBlend.h"
#include "retouch/VxMakeUpPalette.h"
#include "settings/VxSDF.h"
#include "tools/VxDrawTools.h"
#include "tools/VxMakeUpSurfaceFrame.h"
#include "tools/VxToolWords.h"

class TVxMakeUpSurfaceTool : public TVxToolWords<TVxCustomBlurBrushTool, TVxMakeUpSurfaceTool> {
  Q_OBJECT
 public:
  static constexpr TVxGUID SettingsGuid =
      TVxGUID::FromLiteral("{031714C4-FC12-4A22-8B32-3B7A3FB50200}");

  explicit TVxMakeUpSurfaceTool(QObject *owner);

  TMakeUpMode Mode = TMakeUpMode::Normal;
  // Coverage of the current stroke: the per-pixel maximum of its dabs.
  TVxPixelMask SurfaceMask;
  bool ColorSelector = false;
  TMakeUpPalette Palette;
  bool PreserveTexture = true;

  // The texture every make-up tool of the program shares.
  static TMakeUpDetailLayer &DetailLayer();

  virtual TVxGUID GetSettingsId() const { return SettingsGuid; }
  TVxMakeUpSurfaceFrame *MakeUpFrame() const;

  void SetMode(TMakeUpMode mode);
  void SetColorSelector(bool on);
  void PickPalettePoint(int32_t x, int32_t y);
  // The colour of the photo around the brush becomes the palette colour.
  void PickColour();
  // The brightness of the photo around the brush becomes the palette's.
  void AutoBrightness();
  void SetBrightness(int32_t brightness);
  void SetAxis(int32_t axis);
  // Computes the detail layer when it is stale, under the hourglass.
  void RefreshDetailLayer();

  void Localize() override;
  void LoadSettings(TVxSDFReader &reader) override;
  void SaveSettings(TVxSDFWriter &writer) override;
  void UpdateControls() override;
  void CommitChanges() override;
  void DocumentOpened(TVxGraphicsDocument *document) override;
  void ImageAreaChanged(TVxGraphicsDocument *document, IVxGraphicsDocumentClient *tool,
                        const TVxRect &rect) override;
  bool BeginStroke(TVxDrawToolControl *control, TVxMouseButton button,
                   TVxShiftState shift) override;
  void ApplyInRect(const TVxRect &rect) override;
  void EndStroke() override;

  static const TVxDemoWordTable<TVxMakeUpSurfaceTool> &DemoWords();

  // The frame's events.
  void ToggleColorSelectorByKey();
  void AxisButtonClick(int axis);

 protected:
  struct TKind {
    const char *ToolName;
    QString Caption;
    std::function<TVxMakeUpSurfaceFrame *(QWidget *)> MakeFrame;
  };
  TVxMakeUpSurfaceTool(QObject *owner, const TKind &kind);
  virtual void CreateToolUi(const TKind &kind);
  virtual QString Caption() const;
  // Slider and axis buttons follow the palette.
  void SyncControls();

 private:
  void BindMakeUpFrame(TVxMakeUpSurfaceFrame &frame);
  void PaintPalette(QPainter &painter) const;
  void PaintSwatch(QPainter &painter) const;
  void ShowColour() const;
  void RefreshPointerCursor();
  void RecordWord(std::string_view word, std::initializer_list<TVxDemoArgument> arguments = {});
};

// Teeth whitening: a faint white brush without texture; only the size shows.
class TVxTeethBleachTool : public TVxMakeUpSurfaceTool {
  Q_OBJECT
 public:
  static constexpr TVxGUID SettingsGuid =
      TVxGUID::FromLiteral("{07B44135-CA6E-4F34-9A26-AD7536DA49C0}");

  explicit TVxTeethBleachTool(QObject *owner);

  TVxGUID GetSettingsId() const override { return SettingsGuid; }
  void LoadSettings(TVxSDFReader &reader) override;
  void UpdateControls() override;

 protected:
  QString Caption() const override;
};

class TVxMakeUpSurfaceToolControl : public TVxBrushToolControl {
 public:
  TVxMakeUpSurfaceToolControl(TVxGraphicsTool *tool, TVxGraphicsView *view);

  bool GetCursor(TVxShiftState shift, const TVxPoint &point, int &cursor) override;
  bool MouseDown(TVxMouseButton button, TVxShiftState shift, const TVxPoint &point) override;
  bool MouseMove(TVxShiftState shift, const TVxPoint &point) override;
  bool KeyDown(int key, TVxShiftState shift) override;

 private:
  TVxMakeUpSurfaceTool *MakeUpTool() const;
  bool BrushInsideImage() const;
};
