#include "framework/VxMainForm.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLocale>
#include <QMimeData>
#include <QScreen>

#include "framework/VxApplication.h"
#include "framework/VxText.h"
#include "platform/Locale.h"
#include "settings/VxLocalizer.h"

namespace {

// Marks the View > Toolbars items with the toolbar they toggle.
constexpr char ToolbarProperty[] = "vxToolbar";

// Where the stored normal rectangle goes: as it was when some screen still
// shows a good part of it, else on the primary screen.
QRect VisibleRect(QRect rect) {
  const auto screens = QGuiApplication::screens();
  for (QScreen *screen : screens) {
    const QRect shown = screen->availableGeometry().intersected(rect);
    if (shown.width() >= 64 && shown.height() >= 32) return rect;
  }
  QScreen *primary = QGuiApplication::primaryScreen();
  if (!primary) return rect;
  const QRect area = primary->availableGeometry();
  rect.setSize(rect.size().boundedTo(area.size()));
  rect.moveTopLeft(area.topLeft());
  return rect;
}

}  // namespace

TMainForm *MainForm() {
  TVxApplication *application = Application();
  return application ? qobject_cast<TMainForm *>(application->MainWindow()) : nullptr;
}

TMainForm::TMainForm(TVxApplication *owner) : TVxForm(owner) {
  setObjectName(QStringLiteral("MainForm"));
  resize(534, 458);
  setAcceptDrops(true);
  setDockOptions(AnimatedDocks | AllowTabbedDocks);
  setWindowTitle(Application() ? Application()->Title() : QString());
  if (Application())
    connect(Application(), &TVxApplication::TitleChanged, this,
            [this] { setWindowTitle(Application()->Title()); });

  // The workspace behind the documents.
  auto *workspace = new QWidget(this);
  workspace->setObjectName(QStringLiteral("Workspace"));
  workspace->setBackgroundRole(QPalette::Dark);
  workspace->setAutoFillBackground(true);
  setCentralWidget(workspace);

  DefaultImages = new TVxImageList(16, 16, this);

  Menu = menuBar();
  Menu->setObjectName(QStringLiteral("Menu"));
  FileMenuItem = AddSubmenu(QString());
  FileMenuItem->setObjectName(QStringLiteral("FileMenuItem"));
  FileMenuSeparator = AddSeparator(FileMenuItem);
  ExitMenuItem = AddMenuItem(QString(), QKeySequence(), nullptr, FileMenuItem, -1,
                             [this] { ExitMenuItemClick(); });
  ExitMenuItem->setObjectName(QStringLiteral("ExitMenuItem"));
  ViewMenuItem = AddSubmenu(QString());
  ViewMenuItem->setObjectName(QStringLiteral("ViewMenuItem"));
  ToolbarsMenuItem = AddSubmenu(QString(), ViewMenuItem);
  ToolbarsMenuItem->setObjectName(QStringLiteral("ToolbarsMenuItem"));
  ViewMenuSeparator = AddSeparator(ViewMenuItem);
  LanguageMenuItem = AddSubmenu(QString(), ViewMenuItem);
  LanguageMenuItem->setObjectName(QStringLiteral("LanguageMenuItem"));
  HelpMenuItem = AddSubmenu(QString());
  HelpMenuItem->setObjectName(QStringLiteral("HelpMenuItem"));

  StatusBar = statusBar();
  StatusBar->setObjectName(QStringLiteral("StatusBar"));
}

TMainForm::~TMainForm() = default;

bool TMainForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

void TMainForm::PlaceAction(QWidget *parent, QAction *before, QAction *action) {
  // Qt appends when `before` is not an item of `parent`.
  parent->insertAction(before, action);
}

QAction *TMainForm::AddMenuItem(const QString &caption, const QKeySequence &shortcut,
                                QAction *before, QMenu *parent, int imageIndex, THandler handler) {
  QWidget *container = parent ? static_cast<QWidget *>(parent) : Menu;
  auto *item = new QAction(caption, container);
  item->setShortcut(shortcut);
  if (imageIndex >= 0) item->setIcon(Images()->Icon(imageIndex));
  if (handler)
    connect(item, &QAction::triggered, item, [handler = std::move(handler)] { handler(); });
  PlaceAction(container, before, item);
  return item;
}

QMenu *TMainForm::AddSubmenu(const QString &caption, QMenu *parent, QAction *before) {
  QWidget *container = parent ? static_cast<QWidget *>(parent) : Menu;
  auto *submenu = new QMenu(caption, container);
  PlaceAction(container, before, submenu->menuAction());
  return submenu;
}

QAction *TMainForm::AddSeparator(QMenu *parent, QAction *before) {
  QWidget *container = parent ? static_cast<QWidget *>(parent) : Menu;
  auto *separator = new QAction(container);
  separator->setSeparator(true);
  PlaceAction(container, before, separator);
  return separator;
}

QToolBar *TMainForm::AddToolbar(const QString &caption) {
  auto *toolbar = new QToolBar(caption, this);
  toolbar->setIconSize(Images()->ImageSize());
  addToolBar(TopDock, toolbar);
  QAction *toggle = toolbar->toggleViewAction();
  toggle->setProperty(ToolbarProperty, QVariant::fromValue(static_cast<QObject *>(toolbar)));
  ToolbarsMenuItem->addAction(toggle);
  return toolbar;
}

void TMainForm::ConfigureToolbarAction(QToolBar *toolbar, QAction *before, const QString &caption,
                                       int imageIndex, THandler handler, QAction *item) {
  item->setText(caption);
  item->setToolTip(caption);
  if (imageIndex >= 0) item->setIcon(Images()->Icon(imageIndex));
  if (handler)
    connect(item, &QAction::triggered, item, [handler = std::move(handler)] { handler(); });
  PlaceAction(toolbar, before, item);
}

void TMainForm::ConfigureToolbarWidget(QToolBar *toolbar, QAction *before, const QString &caption,
                                       int imageIndex, THandler handler, QWidget *item) {
  item->setToolTip(caption);
  if (auto *button = qobject_cast<QAbstractButton *>(item)) {
    button->setText(caption);
    if (imageIndex >= 0) {
      button->setIcon(Images()->Icon(imageIndex));
      button->setIconSize(Images()->ImageSize());
    }
    if (handler)
      connect(button, &QAbstractButton::clicked, button,
              [handler = std::move(handler)] { handler(); });
  }
  toolbar->insertWidget(before, item);
}

QAction *TMainForm::ToolbarActionOf(QToolBar *toolbar, QWidget *item) {
  for (QAction *action : toolbar->actions())
    if (toolbar->widgetForAction(action) == item) return action;
  return nullptr;
}

int TMainForm::LoadToolbarImage(const QString &name) {
  auto load = [](const QString &resource) -> QPixmap {
    for (const char *suffix : {".png", ".bmp"}) {
      QImage image(QStringLiteral(":/bitmaps/") + resource + QLatin1String(suffix));
      if (image.isNull()) continue;
      QPixmap picture = QPixmap::fromImage(image);
      if (!image.hasAlphaChannel())
        picture.setMask(QBitmap::fromImage(image.createMaskFromColor(image.pixel(0, 0))));
      return picture;
    }
    return {};
  };
  const QPixmap picture = load(name);
  if (picture.isNull()) return -1;
  TVxImageList *images = Images();
  const int index = images->Add(QIcon(picture));
  if (images->KeepsDisabledImages()) images->SetDisabledImage(index, load(name + "Disabled"));
  return index;
}

QDockWidget *TMainForm::CreateDockablePanel() {
  auto *panel = new QDockWidget(this);
  panel->hide();
  return panel;
}

void TMainForm::SetLanguage(uint16_t id) {
  const std::string locale = platform::LocaleNameFromLanguageId(id);
  if (!locale.empty()) QLocale::setDefault(QLocale(QString::fromStdString(locale)));
  Localizer().SetLanguage(id);
}

void TMainForm::Initialize() {
  BuildLanguageMenu();
  TVxForm::Initialize();
}

void TMainForm::BuildLanguageMenu() {
  LanguageMenuItem->clear();
  const uint16_t current = Localizer().CurrentLanguage();
  for (const TVxLanguage &language : Localizer().GetLanguages()) {
    auto *item = new QAction(QString::fromStdU16String(language.Name), LanguageMenuItem);
    item->setCheckable(true);
    item->setData(language.Id);
    item->setChecked(language.Id == current);
    const uint16_t id = language.Id;
    connect(item, &QAction::triggered, this, [this, id] { SetLanguage(id); });
    LanguageMenuItem->addAction(item);
  }
}

void TMainForm::Localize() {
  Menu->setWindowTitle(Text(161));
  FileMenuItem->setTitle(Text(10));
  ExitMenuItem->setText(Text(23));
  ViewMenuItem->setTitle(Text(34));
  ToolbarsMenuItem->setTitle(Text(163));
  LanguageMenuItem->setTitle(Text(41));
  HelpMenuItem->setTitle(Text(46));
  const uint16_t current = Localizer().CurrentLanguage();
  for (QAction *item : LanguageMenuItem->actions()) {
    const auto id = static_cast<uint16_t>(item->data().toUInt());
    item->setChecked(id == current);
    std::u16string name;
    if (Localizer().GetLanguageName(id, name)) item->setText(QString::fromStdU16String(name));
  }
  // Toolbars take their new captions in their own Localize, which may come
  // later in this pass.
  if (TVxApplication *application = Application())
    application->PostCall(TVxMethod(this, &TMainForm::UpdateToolbarToggleCaptions), this);
}

void TMainForm::UpdateToolbarToggleCaptions() {
  std::function<void(QMenu *)> walk = [&](QMenu *menu) {
    for (QAction *item : menu->actions()) {
      if (item->menu()) walk(item->menu());
      if (auto *toolbar =
              qobject_cast<QToolBar *>(item->property(ToolbarProperty).value<QObject *>()))
        item->setText(toolbar->windowTitle());
    }
  };
  walk(ViewMenuItem);
}

platform::WindowPlacement TMainForm::Placement() const {
  platform::WindowPlacement placement;
  const Qt::WindowStates state = windowState();
  if (state & Qt::WindowMinimized) {
    placement.ShowCommand = platform::WindowPlacement::ShowMinimized;
    if (state & Qt::WindowMaximized)
      placement.Flags = platform::WindowPlacement::RestoreToMaximized;
  } else if (state & Qt::WindowMaximized) {
    placement.ShowCommand = platform::WindowPlacement::ShowMaximized;
  }
  // The rectangle is the client area, which is what Qt positions and sizes.
  const QRect normal = normalGeometry().isValid() ? normalGeometry() : geometry();
  placement.Left = normal.left();
  placement.Top = normal.top();
  placement.Right = normal.left() + normal.width();
  placement.Bottom = normal.top() + normal.height();
  return placement;
}

void TMainForm::SetPlacement(const platform::WindowPlacement &placement) {
  const int64_t width = int64_t{placement.Right} - placement.Left;
  const int64_t height = int64_t{placement.Bottom} - placement.Top;
  if (width > 0 && height > 0 && width <= QWIDGETSIZE_MAX && height <= QWIDGETSIZE_MAX)
    setGeometry(VisibleRect(
        QRect(placement.Left, placement.Top, static_cast<int>(width), static_cast<int>(height))));
  setWindowState(placement.OpensMaximized() ? Qt::WindowMaximized : Qt::WindowNoState);
}

void TMainForm::LoadSettings(TVxSDFReader &reader) {
  if (!reader.OpenSection(1, SectionGuid)) return;
  uint8_t bytes[platform::WindowPlacement::Size];
  if (reader.ReadBinary(2, bytes, sizeof bytes))
    if (auto placement = platform::WindowPlacement::FromBytes(bytes, sizeof bytes))
      SetPlacement(*placement);
  int32_t language = -1;
  if (reader.ReadInteger(1, language) && language >= 0 && language <= 0xFFFF)
    SetLanguage(static_cast<uint16_t>(language));
  reader.CloseNode();
}

void TMainForm::SaveSettings(TVxSDFWriter &writer) {
  writer.BeginSection(1, SectionGuid);
  writer.WriteInteger(1, Localizer().CurrentLanguage());
  const auto placement = Placement().ToBytes();
  writer.WriteBinary(2, placement.data(), static_cast<uint32_t>(placement.size()));
  writer.EndNode();
}

void TMainForm::dragEnterEvent(QDragEnterEvent *event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent *event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  event->acceptProposedAction();
  if (urls.isEmpty() || !urls.first().isLocalFile()) return;
  const QString path = urls.first().toLocalFile();
  if (OnFileDropped && QFileInfo(path).isFile()) OnFileDropped(path);
}
