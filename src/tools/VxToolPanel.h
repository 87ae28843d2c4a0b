#pragma once
// The dockable panel on the right of the main window that holds the tool
// buttons and, below them, the options frame of the current tool.

#include <QAction>
#include <QDockWidget>
#include <QScrollArea>
#include <QStackedWidget>
#include <QToolBar>
#include <QToolButton>
#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "framework/VxForms.h"
#include "framework/VxModule.h"
#include "settings/VxSDF.h"

// Where the panel was and how large, as stored in the configuration: a
// packed little-endian record of 47 bytes.
struct TVxPanelLayout {
  static constexpr uint32_t RecordSize = 47;
  // Dock side codes.
  enum : uint8_t { SideTop = 0, SideBottom = 1, SideLeft = 2, SideRight = 3 };

  bool Visible = true;
  bool Floating = false;
  int32_t FloatingLeft = 0, FloatingTop = 0, FloatingWidth = 0, FloatingHeight = 0;
  uint8_t DockSide = SideRight;
  int32_t DockPosition = 0, DockRow = 0;
  int32_t DockedWidth = 0, DockedHeight = 0;
  int32_t SplitSize = 0;

  // Fields of the state the panel is not in are written as zero.
  std::array<uint8_t, RecordSize> Encode() const;
  // False, leaving layout alone, unless the record is 47 bytes long and says so.
  static bool Decode(const uint8_t *bytes, size_t count, TVxPanelLayout &layout);
};

// The buttons of a toolbar's actions in rows that wrap at the grid's width.
// A separator leaves a gap in its row; one whose RowBreakProperty is true
// starts a new row. Hidden actions take no place.
class TVxToolGrid : public QWidget {
  Q_OBJECT
 public:
  static constexpr const char *RowBreakProperty = "VxRowBreak";
  static constexpr int Spacing = 2;
  static constexpr int SeparatorGap = 8;

  // Follows source's actions as they come, change and go.
  TVxToolGrid(QToolBar *source, QWidget *parent = nullptr);

  // The button standing for action, or null.
  QToolButton *ButtonFor(const QAction *action) const;

  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override;
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;

 private:
  void AddButton(QAction *action);
  void RemoveButton(const QAction *action);
  // Lays the buttons out for width; places them when place is true. The
  // height the rows take.
  int Arrange(int width, bool place) const;
  void Relayout();

  QToolBar *Source;
  std::vector<std::pair<QAction *, QToolButton *>> Buttons;
};

// The frame at the top of the panel holding the tool toolbar; its height
// follows the toolbar's, or the grid's when the tools wrap.
class TVxToolFrame : public TVxFrame {
  Q_OBJECT
 public:
  explicit TVxToolFrame(QWidget *parent = nullptr);

  // Where tools put their buttons; shown itself only when the tools do not wrap.
  QToolBar *Toolbar = nullptr;
  // The toolbar's buttons wrapped into rows.
  TVxToolGrid *Grid = nullptr;

  void SetWrap(bool on);
  bool Wraps() const { return !Grid->isHidden(); }
  // The button the user sees for action, or null.
  QWidget *ButtonFor(QAction *action) const;

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  void FollowHeight();
};

class TVxToolPanelModule : public TVxModuleWithControls {
  Q_OBJECT
 public:
  static constexpr TVxGUID SectionGuid =
      TVxGUID::FromLiteral("{9FC124C8-2014-4832-8878-3489538D623F}");
  static constexpr int DefaultWidth = 200;

  // Needs the main window.
  explicit TVxToolPanelModule(QObject *owner);
  ~TVxToolPanelModule() override;

  QDockWidget *Panel = nullptr;
  TVxToolFrame *ToolFrame = nullptr;
  QToolBar *Toolbar = nullptr;
  // Check item under View > Toolbars.
  QAction *VisibleMenuItem = nullptr;

  void Localize() override;
  void UpdateControls() override;
  void LoadSettings(TVxSDFReader &reader) override;
  void SaveSettings(TVxSDFWriter &writer) override;

  // Fixes the panel's width; ignored below the current minimum width.
  void SetPanelWidth(int width);
  void SetPanelVisible(bool visible);
  bool PanelVisible() const;
  // On: the tool buttons wrap into rows at the panel's width. Off: one line.
  void SetToolbarWrap(bool on);
  bool ToolbarWraps() const { return ToolFrame && ToolFrame->Wraps(); }
  // A separator between tool buttons; a row break starts a new row when the
  // buttons wrap.
  QAction *AddToolSeparator(bool rowBreak = false);

  TVxPanelLayout Layout() const;
  void ApplyLayout(const TVxPanelLayout &layout);

  // A tool's options frame, made inside the panel (all frames share one
  // area), initialized, and kept by the panel.
  template <class TFrame>
  TFrame *CreateOptionsFrame() {
    auto *frame = CreateOwned<TFrame>(Frames);
    AddOptionsFrame(frame);
    return frame;
  }
  void AddOptionsFrame(TVxFrame *frame);
  // Brings a frame to the front (the current tool's).
  void ShowOptionsFrame(TVxFrame *frame);
  QStackedWidget *OptionsArea() const { return Frames; }
  // Scrolls the options frames vertically when the panel is shorter than the frame.
  QScrollArea *OptionsScroller = nullptr;

 private:
  QStackedWidget *Frames = nullptr;
};

// The application's tool panel, or null.
TVxToolPanelModule *ToolPanel();
