#pragma once
// Stand-ins for what the documents meet in the program: a format registry
// that "reads" files by name into generated images, an image view, tools
// that log what they are told, a recorder and a concrete editor.

#include <QFileInfo>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "documents/VxEditor.h"
#include "documents/VxGraphicsDocument.h"
#include "support/TestSupport.h"
#include "support/UiFixture.h"

namespace docfakes {

using testsupport::FillImage;
// Every byte of the rect's pixels, row by row.
std::vector<uint8_t> PixelsOf(const TVxPixels &pixels, const TVxRect &rect);
std::vector<uint8_t> PixelsOf(const TVxPixels &pixels);

// Reads any name ending in .jpg or .png whose base name does not start with
// "broken" into an 8 x 6 image; writes an empty file on save.
class TFakeFormats : public TVxDocumentFormats {
 public:
  TFakeFormats();
  int32_t Count() const override { return static_cast<int32_t>(Table.size()); }
  const TVxFileFormatInfo *FormatInfo(int32_t index) const override;
  bool LoadDocument(TVxDocument &document, const QString &name, int32_t &format) override;
  bool SaveDocument(TVxDocument &document, const QString &name, int32_t format) override;
  bool CanSave(int32_t) const override { return SaveAllowed; }

  TVxFileFormatArray Table;
  bool SaveAllowed = true;
  bool SaveSucceeds = true;
  std::vector<std::pair<QString, int32_t>> Saved;  // name, format of each save
};

// Device = 2 x image, shifted by (10, 20).
class TFakeView : public QWidget, public IVxGraphicsDocumentView {
 public:
  TFakeView();
  QWidget *Widget() override { return this; }
  const TVxMapMode &MapMode() const override { return Map; }
  void InvalidateDeviceRect(const TVxRect &rect) override { Invalidated.push_back(rect); }
  void SetDocumentBounds(const TVxRect &bounds) override { DocumentBounds.push_back(bounds); }
  void UpdateScrollRange() override { ++ScrollUpdates; }

  TVxMapMode Map;
  std::vector<TVxRect> Invalidated;
  std::vector<TVxRect> DocumentBounds;
  int ScrollUpdates = 0;
};

class TTestDocument : public TVxGraphicsDocument {
 public:
  using TVxGraphicsDocument::TVxGraphicsDocument;
  bool WithView = true;

 protected:
  IVxGraphicsDocumentView *NewGraphicsView() override { return WithView ? new TFakeView : nullptr; }
};

// Logs every notification as one line into a log shared by all tools.
class TFakeTool : public QObject, public IVxGraphicsDocumentClient {
 public:
  TFakeTool(QObject *owner, std::string name, std::vector<std::string> &log);

  void DocumentOpened(TVxGraphicsDocument *) override { Log.push_back(Name + " opened"); }
  void DocumentClosing(TVxGraphicsDocument *) override { Log.push_back(Name + " closing"); }
  void BeforeSave(TVxGraphicsDocument *) override { Log.push_back(Name + " before save"); }
  void BeforeUndo(TVxCommandState *state) override { States.push_back(state); }
  void AfterUndo(TVxCommandState *state) override { States.push_back(state); }
  void BeforeRedo(TVxCommandState *state) override { States.push_back(state); }
  void AfterRedo(TVxCommandState *state) override { States.push_back(state); }
  void ImageAreaChanged(TVxGraphicsDocument *document, IVxGraphicsDocumentClient *tool,
                        const TVxRect &rect) override;
  // Commits through the document's model, like a retouching tool.
  void EndEdit() override;
  void SetImagePixels(TVxPixels *pixels) override { GivenPixels = pixels; }

  // Paints rect with value within this tool's open edit, opening one if needed.
  void Paint(TVxGraphicsDocument &document, const TVxRect &rect, uint8_t value);

  std::string Name;
  std::vector<std::string> &Log;
  TVxGraphicsDocument *EditDocument = nullptr;
  std::vector<TVxCommandState *> States;
  std::vector<TVxRect> CommittedRects;
  TVxPixels *GivenPixels = nullptr;
};

class TTestEditor : public TVxEditor, public IVxGraphicsDocumentHost {
 public:
  explicit TTestEditor(QObject *owner) : TVxEditor(owner) {}

  TVxDocumentFormats *GetFormats() override { return &Formats; }
  std::unique_ptr<TVxDocument> CreateDocument() override;
  IVxGraphicsDocumentClient *CurrentGraphicsTool() const override { return CurrentTool; }
  void ShowImageSize(int32_t width, int32_t height) override {
    ShownSizes.push_back({width, height});
  }

  TVxGraphicsDocument *Current() const {
    return static_cast<TVxGraphicsDocument *>(CurrentDocument());
  }

  TFakeFormats Formats;
  bool DocumentsHaveViews = true;
  IVxGraphicsDocumentClient *CurrentTool = nullptr;
  std::vector<TVxPoint> ShownSizes;
  // The dialogs: return false for cancel; the save dialog sees (and may
  // change) the proposed name and filter index.
  std::function<bool(QString &)> OpenDialog;
  std::function<bool(const TVxFileFormatArray &, QString &, int &)> SaveDialog;
  int OpenDialogRuns = 0;

 protected:
  bool RunOpenDialog(QString &name) override;
  bool RunSaveDialog(const TVxFileFormatArray &formats, QString &name, int &filterIndex) override;
};

// Message boxes answered from a queue (IdCancel when empty) and recorded.
struct TMessages {
  struct TShown {
    QString Text;
    int Flags;
  };
  std::vector<int> Answers;
  std::vector<TShown> Shown;
  void Install(TVxApplication &application);
};

}  // namespace docfakes
