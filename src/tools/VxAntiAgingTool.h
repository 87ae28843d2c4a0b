#pragma once
// Skin smoothing and emphasis: brushes that take a band of middle spatial
// frequencies out of the painted skin, or add it. The whole image is
// decomposed once (retouch/VxFrequencyRange) and painting only blends the
// precomputed result in, so a stroke is instant and painting one place again
// converges instead of compounding. The decomposition is refreshed lazily, on
// the first move over the image after anything but the tool's own strokes
// changed the image or the band.

#include <QAction>

#include "retouch/VxFrequencyRange.h"
#include "settings/VxSDF.h"
#include "tools/VxBrushFrame.h"
#include "tools/VxDrawTools.h"

class TVxAntiAgingFrame : public TVxBrushFrame {
  Q_OBJECT
 public:
  explicit TVxAntiAgingFrame(QWidget *parent = nullptr)
      : TVxBrushFrame(parent, {.Width = 338, .BandSliders = true}) {}
};

class TVxAntiAgingFrame1 : public TVxAntiAgingFrame {
  Q_OBJECT
 public:
  using TVxAntiAgingFrame::TVxAntiAgingFrame;
};

class TVxEmphasisFrame : public TVxAntiAgingFrame {
  Q_OBJECT
 public:
  using TVxAntiAgingFrame::TVxAntiAgingFrame;
};

class TVxAntiAgingTool : public TVxToolWords<TVxBrushTool, TVxAntiAgingTool> {
  Q_OBJECT
 public:
  static constexpr TVxGUID SettingsGuid =
      TVxGUID::FromLiteral("{3142CA0D-F215-4C09-9E1A-D2EC5EC45439}");
  static constexpr int32_t NonExpertHardness = 127;

  explicit TVxAntiAgingTool(QObject *owner);

  bool ExpertMode = false;
  // Radius of the narrow blur, 0 to 5.
  int32_t Naturalness = 1;
  // Radius of the wide blur, 1 to 25.
  int32_t Smoothing = 5;
  TFrequencyRange Bands;
  // Skin smoothing takes the band out; emphasis adds it.
  bool RemoveBand = true;

  virtual TVxGUID GetSettingsId() const { return SettingsGuid; }
  // Decomposes the current document's backup image, shown on the progress meter.
  virtual void RecomputeBands();

  // Each moves the frame's control when there is one, whose change then runs
  // as for the user.
  void SetExpertMode(bool on);
  void SetNaturalness(int32_t n);
  void SetSmoothingRadius(int32_t n);
  void ArrangeControls();
  // Recomputes now when the decomposition is stale, under the hourglass.
  void RefreshBands();

  void Localize() override;
  void UpdateControls() override;
  void LoadSettings(TVxSDFReader &reader) override;
  void SaveSettings(TVxSDFWriter &writer) override;
  void DocumentOpened(TVxGraphicsDocument *document) override;
  void ImageAreaChanged(TVxGraphicsDocument *document, IVxGraphicsDocumentClient *tool,
                        const TVxRect &rect) override;
  bool BeginStroke(TVxDrawToolControl *control, TVxMouseButton button,
                   TVxShiftState shift) override;
  void ApplyInRect(const TVxRect &rect) override;

  static const TVxDemoWordTable<TVxAntiAgingTool> &DemoWords();

  TVxAntiAgingFrame *BandFrame() const;

 protected:
  // What tells the three tools apart.
  struct TKind {
    const char *ToolName;
    bool RemoveBand;
    QString Title;
    std::function<TVxAntiAgingFrame *(QWidget *)> MakeFrame;
  };
  TVxAntiAgingTool(QObject *owner, const TKind &kind);
  // The button and the options frame.
  void CreateToolUi(const TKind &kind);
  virtual QString TitleText() const;
  virtual QString SmoothingText() const;

 private:
  void ExpertModeTBXCheckBoxChange(bool checked);
  void NaturalnessTrackBarChange(int position);
  void SmoothingTrackBarChange(int position);
};

// The product's skin smoothing: the same tool with a settings node of its own.
class TVxAntiAgingTool1 : public TVxAntiAgingTool {
  Q_OBJECT
 public:
  static constexpr TVxGUID SettingsGuid =
      TVxGUID::FromLiteral("{7B414328-3C85-4B6C-92EF-5B576ECB710C}");
  explicit TVxAntiAgingTool1(QObject *owner);
  TVxGUID GetSettingsId() const override { return SettingsGuid; }
};

class TVxEmphasisTool : public TVxAntiAgingTool {
  Q_OBJECT
 public:
  static constexpr TVxGUID SettingsGuid =
      TVxGUID::FromLiteral("{180846F1-572F-4E24-92E1-8AFB4A36A1FB}");
  explicit TVxEmphasisTool(QObject *owner);
  TVxGUID GetSettingsId() const override { return SettingsGuid; }

 protected:
  QString TitleText() const override;
  QString SmoothingText() const override;
};

// Refreshes a stale decomposition once the pointer moves over the image.
class TVxAntiAgingToolControl : public TVxBrushToolControl {
 public:
  using TVxBrushToolControl::TVxBrushToolControl;
  bool MouseMove(TVxShiftState shift, const TVxPoint &point) override;
};
