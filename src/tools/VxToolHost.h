#pragma once
// What a tool may ask of the editor it works in. The image editor provides
// it; tools never see the editor itself, so they stay below it in the
// layers and can be tested with any host.

class IVxDemoRecorder;
class IVxProgress;
class QToolBar;
class TVxGraphicsDocument;
class TVxGraphicsTool;
class TVxGraphicsView;

class IVxToolHost {
 public:
  // The document and view on screen; null when none is open.
  virtual TVxGraphicsDocument *CurrentGraphicsDocument() const = 0;
  virtual TVxGraphicsView *CurrentView() const = 0;

  virtual TVxGraphicsTool *CurrentTool() const = 0;
  // Deactivates the current tool and activates tool (null: none).
  virtual void SelectTool(TVxGraphicsTool *tool) = 0;
  // Whether tool may be chosen now: a document is open, switching is not
  // locked, and no other tool's edit locks the rest out.
  virtual bool CanUseTool(const TVxGraphicsTool *tool) const = 0;
  virtual bool IsPluginMode() const = 0;

  // Where tools without a tool panel put their buttons.
  virtual QToolBar *ToolButtonBar() const = 0;
  virtual void ZoomIn() = 0;
  virtual void ZoomOut() = 0;

  // What long computations report their progress to.
  virtual IVxProgress &Progress() const = 0;
  // The demonstration being played or recorded; null when there is none.
  virtual IVxDemoRecorder *Recorder() const = 0;
  // Shows a colour in the status bar's R, G and B panels.
  virtual void ShowColourStatus(int red, int green, int blue) {
    (void)red;
    (void)green;
    (void)blue;
  }

 protected:
  ~IVxToolHost() = default;
};

// The program's tool host; null when the application has none.
IVxToolHost *ToolHost();
