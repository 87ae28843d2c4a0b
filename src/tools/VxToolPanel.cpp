#include "tools/VxToolPanel.h"

#include <QActionEvent>
#include <QEvent>
#include <QMainWindow>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>

#include "framework/VxApplication.h"
#include "framework/VxMainForm.h"
#include "framework/VxText.h"

namespace {

void Put32(uint8_t *at, int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(v >> (8 * i));
}

int32_t Get32(const uint8_t *at) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(at[i]) << (8 * i);
  return static_cast<int32_t>(v);
}

// The options frames, one at a time, sized to the frame shown: a short
// frame after a tall one needs no scrolling.
class TOptionsStack : public QStackedWidget {
 public:
  TOptionsStack() {
    connect(this, &QStackedWidget::currentChanged, this, [this] { updateGeometry(); });
  }
  QSize sizeHint() const override {
    return currentWidget() ? currentWidget()->sizeHint() : QStackedWidget::sizeHint();
  }
  QSize minimumSizeHint() const override {
    return currentWidget() ? currentWidget()->minimumSizeHint() : QSize();
  }
};

uint8_t SideOf(Qt::DockWidgetArea area) {
  switch (area) {
    case Qt::TopDockWidgetArea:
      return TVxPanelLayout::SideTop;
    case Qt::BottomDockWidgetArea:
      return TVxPanelLayout::SideBottom;
    case Qt::LeftDockWidgetArea:
      return TVxPanelLayout::SideLeft;
    default:
      return TVxPanelLayout::SideRight;
  }
}

}  // namespace

// --- TVxPanelLayout ----------------------------------------------------------

std::array<uint8_t, TVxPanelLayout::RecordSize> TVxPanelLayout::Encode() const {
  std::array<uint8_t, RecordSize> r{};
  Put32(&r[0], static_cast<int32_t>(RecordSize));
  r[4] = Visible ? 1 : 0;
  r[5] = Floating ? 1 : 0;
  if (Floating) {
    Put32(&r[6], FloatingLeft);
    Put32(&r[10], FloatingTop);
    Put32(&r[14], FloatingWidth);
    Put32(&r[18], FloatingHeight);
  } else {
    r[22] = DockSide;
    Put32(&r[23], DockPosition);
    Put32(&r[27], DockRow);
    Put32(&r[31], DockedWidth);
    Put32(&r[35], DockedHeight);
    Put32(&r[39], SplitSize);
    Put32(&r[43], SplitSize);
  }
  return r;
}

bool TVxPanelLayout::Decode(const uint8_t *bytes, size_t count, TVxPanelLayout &layout) {
  if (bytes == nullptr || count != RecordSize || Get32(bytes) != static_cast<int32_t>(RecordSize))
    return false;
  TVxPanelLayout l;
  l.Visible = bytes[4] != 0;
  l.Floating = bytes[5] != 0;
  l.FloatingLeft = Get32(bytes + 6);
  l.FloatingTop = Get32(bytes + 10);
  l.FloatingWidth = Get32(bytes + 14);
  l.FloatingHeight = Get32(bytes + 18);
  l.DockSide = bytes[22];
  l.DockPosition = Get32(bytes + 23);
  l.DockRow = Get32(bytes + 27);
  l.DockedWidth = Get32(bytes + 31);
  l.DockedHeight = Get32(bytes + 35);
  l.SplitSize = Get32(bytes + 39);
  layout = l;
  return true;
}

// --- TVxToolGrid -------------------------------------------------------------

TVxToolGrid::TVxToolGrid(QToolBar *source, QWidget *parent) : QWidget(parent), Source(source) {
  setObjectName(QStringLiteral("ToolGrid"));
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  for (QAction *action : Source->actions()) AddButton(action);
  Source->installEventFilter(this);
}

QToolButton *TVxToolGrid::ButtonFor(const QAction *action) const {
  for (const auto &[item, button] : Buttons)
    if (item == action) return button;
  return nullptr;
}

void TVxToolGrid::AddButton(QAction *action) {
  QToolButton *button = nullptr;
  if (!action->isSeparator()) {
    button = new QToolButton(this);
    button->setDefaultAction(action);
    button->setAutoRaise(true);
    button->setIconSize(Source->iconSize());
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setVisible(action->isVisible());
  }
  // Actions may be inserted before others, so the order is the toolbar's.
  const QList<QAction *> order = Source->actions();
  const qsizetype at = order.indexOf(action);
  auto place = Buttons.begin();
  while (place != Buttons.end() && order.indexOf(place->first) < at) ++place;
  Buttons.insert(place, {action, button});
  Relayout();
}

void TVxToolGrid::RemoveButton(const QAction *action) {
  for (auto it = Buttons.begin(); it != Buttons.end(); ++it)
    if (it->first == action) {
      delete it->second;
      Buttons.erase(it);
      break;
    }
  Relayout();
}

int TVxToolGrid::Arrange(int width, bool place) const {
  int x = 0, y = 0, rowHeight = 0;
  const auto newRow = [&] {
    if (x == 0) return;
    x = 0;
    y += rowHeight + Spacing;
    rowHeight = 0;
  };
  for (const auto &[action, button] : Buttons) {
    if (!action->isVisible()) continue;
    if (!button) {
      if (action->property(RowBreakProperty).toBool())
        newRow();
      else if (x > 0)
        x += SeparatorGap;
      continue;
    }
    const QSize size = button->sizeHint();
    if (x > 0 && x + size.width() > width) newRow();
    if (place) button->setGeometry(x, y, size.width(), size.height());
    x += size.width() + Spacing;
    rowHeight = std::max(rowHeight, size.height());
  }
  return y + rowHeight;
}

int TVxToolGrid::heightForWidth(int width) const { return Arrange(width, false); }

QSize TVxToolGrid::sizeHint() const {
  const int width = std::max(this->width(), minimumSizeHint().width());
  return {width, heightForWidth(width)};
}

QSize TVxToolGrid::minimumSizeHint() const {
  int widest = 0;
  for (const auto &[action, button] : Buttons)
    if (button && action->isVisible()) widest = std::max(widest, button->sizeHint().width());
  return {widest, 0};
}

void TVxToolGrid::Relayout() {
  for (const auto &[action, button] : Buttons)
    if (button) button->setVisible(action->isVisible());
  Arrange(width(), true);
  updateGeometry();
}

void TVxToolGrid::resizeEvent(QResizeEvent *event) {
  QWidget::resizeEvent(event);
  Arrange(width(), true);
}

bool TVxToolGrid::eventFilter(QObject *watched, QEvent *event) {
  if (watched == Source) {
    switch (event->type()) {
      case QEvent::ActionAdded:
        AddButton(static_cast<QActionEvent *>(event)->action());
        break;
      case QEvent::ActionRemoved:
        RemoveButton(static_cast<QActionEvent *>(event)->action());
        break;
      case QEvent::ActionChanged:
        // A tool shown or hidden moves the buttons after it.
        Relayout();
        break;
      default:
        break;
    }
  }
  return QWidget::eventFilter(watched, event);
}

// --- TVxToolFrame ------------------------------------------------------------

TVxToolFrame::TVxToolFrame(QWidget *parent) : TVxFrame(parent) {
  setObjectName(QStringLiteral("ToolFrame"));
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(3, 3, 3, 3);
  Toolbar = new QToolBar(this);
  Toolbar->setObjectName(QStringLiteral("Toolbar"));
  Toolbar->setMovable(false);
  Toolbar->setFloatable(false);
  layout->addWidget(Toolbar);
  Grid = new TVxToolGrid(Toolbar, this);
  Grid->hide();
  layout->addWidget(Grid);
  Toolbar->installEventFilter(this);
  Grid->installEventFilter(this);
}

void TVxToolFrame::SetWrap(bool on) {
  Toolbar->setVisible(!on);
  Grid->setVisible(on);
  FollowHeight();
}

QWidget *TVxToolFrame::ButtonFor(QAction *action) const {
  if (Wraps()) return Grid->ButtonFor(action);
  return Toolbar->widgetForAction(action);
}

void TVxToolFrame::FollowHeight() {
  const int content = Wraps() ? Grid->heightForWidth(Grid->width()) : Toolbar->sizeHint().height();
  setFixedHeight(content + 6);
}

bool TVxToolFrame::eventFilter(QObject *watched, QEvent *event) {
  if ((watched == Toolbar || watched == Grid) &&
      (event->type() == QEvent::Resize || event->type() == QEvent::LayoutRequest))
    FollowHeight();
  return TVxFrame::eventFilter(watched, event);
}

// --- TVxToolPanelModule ------------------------------------------------------

TVxToolPanelModule *ToolPanel() {
  TVxApplication *application = Application();
  return application ? application->Find<TVxToolPanelModule>() : nullptr;
}

TVxToolPanelModule::TVxToolPanelModule(QObject *owner) : TVxModuleWithControls(owner) {
  setObjectName(QStringLiteral("ToolPanel"));
  TMainForm *form = MainForm();
  if (!form) return;
  Panel = form->CreateDockablePanel();
  Panel->setObjectName(QStringLiteral("ToolPanel"));
  Panel->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
  Panel->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
  auto *client = new QWidget(Panel);
  auto *layout = new QVBoxLayout(client);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->setSpacing(8);
  ToolFrame = CreateOwned<TVxToolFrame>(client);
  Toolbar = ToolFrame->Toolbar;
  Toolbar->setIconSize(form->Images()->ImageSize());
  layout->addWidget(ToolFrame);
  // A tall frame on a small screen scrolls instead of being cut off.
  OptionsScroller = new QScrollArea(client);
  OptionsScroller->setObjectName(QStringLiteral("OptionsScroller"));
  OptionsScroller->setFrameShape(QFrame::NoFrame);
  OptionsScroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  OptionsScroller->setWidgetResizable(true);
  Frames = new TOptionsStack;
  OptionsScroller->setWidget(Frames);
  layout->addWidget(OptionsScroller, 1);
  Panel->setWidget(client);
  form->addDockWidget(TMainForm::RightMultiDock, Panel);
  Panel->show();
  form->resizeDocks({Panel}, {DefaultWidth}, Qt::Horizontal);
  VisibleMenuItem = form->AddMenuItem({}, {}, nullptr, form->ToolbarsMenuItem, -1,
                                      [this] { SetPanelVisible(!PanelVisible()); });
  VisibleMenuItem->setCheckable(true);
  VisibleMenuItem->setChecked(true);
  Localize();
}

TVxToolPanelModule::~TVxToolPanelModule() = default;

void TVxToolPanelModule::Localize() {
  if (!Panel) return;
  Panel->setWindowTitle(Text(176));
  VisibleMenuItem->setText(Text(176));
}

void TVxToolPanelModule::UpdateControls() {
  if (VisibleMenuItem) VisibleMenuItem->setChecked(PanelVisible());
}

void TVxToolPanelModule::SetPanelWidth(int width) {
  if (!Panel || width < Panel->minimumWidth()) return;
  Panel->setMinimumWidth(width);
  Panel->setMaximumWidth(width);
  if (auto *form = qobject_cast<QMainWindow *>(Panel->parentWidget()))
    form->resizeDocks({Panel}, {width}, Qt::Horizontal);
}

void TVxToolPanelModule::SetPanelVisible(bool visible) {
  if (Panel) Panel->setVisible(visible);
}

bool TVxToolPanelModule::PanelVisible() const { return Panel && !Panel->isHidden(); }

void TVxToolPanelModule::SetToolbarWrap(bool on) {
  if (ToolFrame) ToolFrame->SetWrap(on);
}

QAction *TVxToolPanelModule::AddToolSeparator(bool rowBreak) {
  if (!Toolbar) return nullptr;
  QAction *separator = new QAction(Toolbar);
  separator->setSeparator(true);
  separator->setProperty(TVxToolGrid::RowBreakProperty, rowBreak);
  Toolbar->addAction(separator);
  return separator;
}

TVxPanelLayout TVxToolPanelModule::Layout() const {
  TVxPanelLayout layout;
  if (!Panel) return layout;
  layout.Visible = PanelVisible();
  layout.Floating = Panel->isFloating();
  if (layout.Floating) {
    const QRect g = Panel->geometry();
    layout.FloatingLeft = g.left();
    layout.FloatingTop = g.top();
    layout.FloatingWidth = g.width();
    layout.FloatingHeight = g.height();
  } else {
    if (auto *form = qobject_cast<QMainWindow *>(Panel->parentWidget()))
      layout.DockSide = SideOf(form->dockWidgetArea(Panel));
    layout.DockedWidth = Panel->width();
    layout.DockedHeight = Panel->height();
    layout.SplitSize = Panel->width();
  }
  return layout;
}

void TVxToolPanelModule::ApplyLayout(const TVxPanelLayout &layout) {
  if (!Panel) return;
  auto *form = qobject_cast<QMainWindow *>(Panel->parentWidget());
  if (layout.Floating && Panel->features().testFlag(QDockWidget::DockWidgetFloatable)) {
    Panel->setFloating(true);
    Panel->setGeometry(layout.FloatingLeft, layout.FloatingTop, layout.FloatingWidth,
                       layout.FloatingHeight);
  } else if (form && !layout.Floating) {
    // The panel docks left or right only; any other side keeps it where it is.
    if (layout.DockSide == TVxPanelLayout::SideLeft)
      form->addDockWidget(Qt::LeftDockWidgetArea, Panel);
    else if (layout.DockSide == TVxPanelLayout::SideRight)
      form->addDockWidget(Qt::RightDockWidgetArea, Panel);
    if (layout.DockedWidth > 0 && Panel->minimumWidth() != Panel->maximumWidth())
      form->resizeDocks({Panel}, {layout.DockedWidth}, Qt::Horizontal);
  }
  SetPanelVisible(layout.Visible);
}

void TVxToolPanelModule::SaveSettings(TVxSDFWriter &writer) {
  const auto record = Layout().Encode();
  writer.BeginSection(1, SectionGuid);
  writer.WriteBinary(1, record.data(), static_cast<uint32_t>(record.size()));
  writer.EndNode();
}

void TVxToolPanelModule::LoadSettings(TVxSDFReader &reader) {
  if (!reader.OpenSection(1, SectionGuid)) return;
  std::array<uint8_t, TVxPanelLayout::RecordSize> record{};
  TVxPanelLayout layout;
  if (reader.ReadBinary(1, record.data(), static_cast<uint32_t>(record.size())) &&
      TVxPanelLayout::Decode(record.data(), record.size(), layout))
    ApplyLayout(layout);
  reader.CloseNode();
}

void TVxToolPanelModule::AddOptionsFrame(TVxFrame *frame) {
  if (Frames && frame) Frames->addWidget(frame);
}

void TVxToolPanelModule::ShowOptionsFrame(TVxFrame *frame) {
  if (!Frames || !frame || Frames->indexOf(frame) < 0) return;
  Frames->setCurrentWidget(frame);
  // The scroll area takes the new frame's size now, not at the next layout pass.
  OptionsScroller->setWidgetResizable(true);
}
