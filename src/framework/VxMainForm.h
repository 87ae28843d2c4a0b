#pragma once
// The main window: menu bar, toolbar docks, dockable-panel areas and status
// bar, into which modules insert their commands through a small item factory.

#include <QAbstractButton>
#include <QAction>
#include <QDockWidget>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <functional>
#include <type_traits>

#include "framework/VxForms.h"
#include "framework/VxImageList.h"
#include "platform/WindowPlacement.h"

class TMainForm : public TVxForm {
  Q_OBJECT
 public:
  static constexpr TVxGUID SectionGuid =
      TVxGUID::FromLiteral("{7AF6D7FF-618B-41D9-882E-419D500DF28B}");

  // Toolbar docks and the areas of dockable panels. Panels on the right and
  // left share one row each.
  static constexpr Qt::ToolBarArea TopDock = Qt::TopToolBarArea;
  static constexpr Qt::ToolBarArea RightDock = Qt::RightToolBarArea;
  static constexpr Qt::ToolBarArea BottomDock = Qt::BottomToolBarArea;
  static constexpr Qt::ToolBarArea LeftDock = Qt::LeftToolBarArea;
  static constexpr Qt::DockWidgetArea TopMultiDock = Qt::TopDockWidgetArea;
  static constexpr Qt::DockWidgetArea RightMultiDock = Qt::RightDockWidgetArea;
  static constexpr Qt::DockWidgetArea BottomMultiDock = Qt::BottomDockWidgetArea;
  static constexpr Qt::DockWidgetArea LeftMultiDock = Qt::LeftDockWidgetArea;

  using THandler = std::function<void()>;

  explicit TMainForm(TVxApplication *owner);
  ~TMainForm() override;

  QMenuBar *Menu = nullptr;
  QMenu *FileMenuItem = nullptr;
  QAction *FileMenuSeparator = nullptr;
  QAction *ExitMenuItem = nullptr;
  QMenu *ViewMenuItem = nullptr;
  QMenu *ToolbarsMenuItem = nullptr;
  QAction *ViewMenuSeparator = nullptr;
  QMenu *LanguageMenuItem = nullptr;
  QMenu *HelpMenuItem = nullptr;
  QStatusBar *StatusBar = nullptr;
  TVxImageList *DefaultImages = nullptr;

  // Called with the path of a file dropped on the window, when it exists.
  std::function<void(const QString &fileName)> OnFileDropped;
  // Asked before the window closes; clearing canClose keeps it open.
  std::function<void(QObject *sender, bool &canClose)> OnCloseQuery;

  // The item factory. Items go to the end of `parent` (the menu bar when
  // null) unless `before` is one of its items, in which case they go in
  // front of it.
  QAction *AddMenuItem(const QString &caption, const QKeySequence &shortcut, QAction *before,
                       QMenu *parent, int imageIndex, THandler handler);
  QMenu *AddSubmenu(const QString &caption, QMenu *parent = nullptr, QAction *before = nullptr);
  QAction *AddSeparator(QMenu *parent = nullptr, QAction *before = nullptr);
  // A toolbar in the top dock using Images, with a visibility toggle under
  // View > Toolbars.
  QToolBar *AddToolbar(const QString &caption);
  // An item of class TItem on the toolbar, caption and hint set to
  // `caption`. TItem is an action (clicks run `handler`) or a widget (a
  // button's clicks run `handler`; other widgets connect their own signals).
  // `item` holds the new item while it is configured and is cleared again if
  // that fails.
  template <class TItem>
  TItem *AddToolbarItem(QToolBar *toolbar, QAction *before, const QString &caption, int imageIndex,
                        THandler handler, TItem *&item);
  // The toolbar's action that stands for a widget item (for `before`).
  static QAction *ToolbarActionOf(QToolBar *toolbar, QWidget *item);
  // Adds the bitmap resource `name` to Images (an image without alpha takes
  // its top-left pixel as transparent colour), with `name` + "Disabled" as
  // its disabled look when Images keeps those. Its index, or -1.
  int LoadToolbarImage(const QString &name);
  // The common image list when one is set, else DefaultImages.
  TVxImageList *Images() const { return CommonImages ? CommonImages : DefaultImages; }
  void SetCommonImages(TVxImageList *images) { CommonImages = images; }
  // A new dockable panel owned by the window, not yet docked.
  QDockWidget *CreateDockablePanel();

  // Makes `id` the language of the program and of number and date formats.
  void SetLanguage(uint16_t id);

  void Localize() override;
  void Initialize() override;
  void LoadSettings(TVxSDFReader &reader) override;
  void SaveSettings(TVxSDFWriter &writer) override;

  platform::WindowPlacement Placement() const;
  void SetPlacement(const platform::WindowPlacement &placement);

  void ExitMenuItemClick() { close(); }

 protected:
  bool CloseQuery() override;
  void dragEnterEvent(QDragEnterEvent *event) override;
  void dropEvent(QDropEvent *event) override;

 private:
  void PlaceAction(QWidget *parent, QAction *before, QAction *action);
  void ConfigureToolbarAction(QToolBar *toolbar, QAction *before, const QString &caption,
                              int imageIndex, THandler handler, QAction *item);
  void ConfigureToolbarWidget(QToolBar *toolbar, QAction *before, const QString &caption,
                              int imageIndex, THandler handler, QWidget *item);
  void BuildLanguageMenu();
  void UpdateToolbarToggleCaptions();

  TVxImageList *CommonImages = nullptr;
};

// The application's main window when it is a TMainForm.
TMainForm *MainForm();

template <class TItem>
TItem *TMainForm::AddToolbarItem(QToolBar *toolbar, QAction *before, const QString &caption,
                                 int imageIndex, THandler handler, TItem *&item) {
  static_assert(std::is_base_of_v<QAction, TItem> || std::is_base_of_v<QWidget, TItem>,
                "a toolbar item is an action or a widget");
  item = nullptr;
  try {
    item = new TItem(toolbar);
    if constexpr (std::is_base_of_v<QAction, TItem>)
      ConfigureToolbarAction(toolbar, before, caption, imageIndex, std::move(handler), item);
    else
      ConfigureToolbarWidget(toolbar, before, caption, imageIndex, std::move(handler), item);
  } catch (...) {
    delete item;
    item = nullptr;
    throw;
  }
  return item;
}
