#include <QDropEvent>
#include <QGuiApplication>
#include <QLocale>
#include <QMimeData>
#include <QScreen>
#include <QToolButton>
#include <QUrl>
#include <stdexcept>

#include "framework/VxMainForm.h"
#include "settings/VxLocalizer.h"
#include "settings/VxStream.h"
#include "support/UiFixture.h"

namespace {

namespace fs = std::filesystem;
using platform::WindowPlacement;

class MainFormTest : public uitest::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    App->CreateForm(Form);
  }

  // The main window's section as LoadSettings sees it.
  static std::vector<uint8_t> Section(const void *placement, uint32_t placementSize,
                                      int32_t language) {
    TVxMemoryStream stream;
    TVxSDFWriter writer(&stream, false);
    writer.BeginSection(1, TMainForm::SectionGuid);
    if (placement) writer.WriteBinary(2, placement, placementSize);
    writer.WriteInteger(1, language);
    writer.EndNode();
    return stream.Data();
  }
  static void Load(TMainForm *form, const std::vector<uint8_t> &bytes) {
    TVxMemoryStream stream(bytes);
    TVxSDFReader reader(&stream, false);
    form->LoadSettings(reader);
  }
  static QStringList Captions(const QWidget *container) {
    QStringList captions;
    for (QAction *item : container->actions())
      captions << (item->isSeparator() ? QStringLiteral("-") : item->text());
    return captions;
  }

  TMainForm *Form = nullptr;
};

TEST_F(MainFormTest, LanguageMenuSwitchesTheLanguageOfMenusAndFormats) {
  Form->Initialize();
  EXPECT_EQ(Captions(Form->Menu), (QStringList{"File", "View", "Help"}));
  EXPECT_EQ(Captions(Form->ViewMenuItem), (QStringList{"Toolbars", "-", "Language"}));
  const QList<QAction *> languages = Form->LanguageMenuItem->actions();
  ASSERT_EQ(Captions(Form->LanguageMenuItem), (QStringList{"Deutsch", "English"}));
  EXPECT_FALSE(languages[0]->isChecked());
  EXPECT_TRUE(languages[1]->isChecked());

  languages[0]->trigger();
  EXPECT_EQ(Localizer().CurrentLanguage(), 1031);
  EXPECT_EQ(QLocale().language(), QLocale::German);
  // Texts the German file lacks come from the default language.
  EXPECT_EQ(Captions(Form->Menu), (QStringList{"Datei", "View", "Help"}));
  EXPECT_EQ(Form->ExitMenuItem->text(), "Beenden");
  EXPECT_TRUE(languages[0]->isChecked());
  EXPECT_FALSE(languages[1]->isChecked());

  Form->show();
  Form->ExitMenuItem->trigger();
  EXPECT_FALSE(Form->isVisible());
}

TEST_F(MainFormTest, PlacementAndLanguageSurviveSaveAndLoad) {
  Form->setGeometry(100, 120, 640, 480);
  Form->SetLanguage(1031);
  TVxMemoryStream stream;
  {
    TVxSDFWriter writer(&stream, false);
    Form->SaveSettings(writer);
  }
  Form->SetLanguage(1033);

  TMainForm other(nullptr);
  Load(&other, stream.Data());
  EXPECT_EQ(other.geometry(), QRect(100, 120, 640, 480));
  EXPECT_EQ(Localizer().CurrentLanguage(), 1031);
  EXPECT_FALSE(other.windowState() & Qt::WindowMaximized);

  Form->setWindowState(Qt::WindowMaximized);
  EXPECT_EQ(Form->Placement().ShowCommand, WindowPlacement::ShowMaximized);
  other.SetPlacement(Form->Placement());
  EXPECT_TRUE(other.windowState() & Qt::WindowMaximized);
}

TEST_F(MainFormTest, APlacementOfTheWrongSizeIsIgnoredWhileTheLanguageApplies) {
  Form->setGeometry(50, 60, 500, 400);
  WindowPlacement moved;
  moved.Left = 10;
  moved.Top = 10;
  moved.Right = 310;
  moved.Bottom = 210;
  const auto good = moved.ToBytes();
  auto wrongLength = good;
  wrongLength[0] = 40;
  uint8_t longer[48] = {};
  std::copy(good.begin(), good.end(), longer);
  struct Case {
    const char *Name;
    const uint8_t *Bytes;
    uint32_t Size;
  };
  const Case cases[] = {
      {"shorter", good.data(), 40},
      {"longer", longer, 48},
      {"empty", good.data(), 0},
      {"names another length", wrongLength.data(), 44},
  };
  for (const Case &c : cases) {
    Form->SetLanguage(1033);
    Load(Form, Section(c.Bytes, c.Size, 1031));
    EXPECT_EQ(Form->geometry(), QRect(50, 60, 500, 400)) << c.Name;
    EXPECT_EQ(Localizer().CurrentLanguage(), 1031) << c.Name;
  }

  Load(Form, Section(good.data(), 44, 1033));
  EXPECT_EQ(Form->geometry(), QRect(10, 10, 300, 200));
  EXPECT_EQ(Localizer().CurrentLanguage(), 1033);
}

TEST_F(MainFormTest, APlacementNoScreenShowsComesBackOnTheScreen) {
  WindowPlacement far;
  far.Left = 30000;
  far.Top = -30000;
  far.Right = 30400;
  far.Bottom = -29700;
  Form->SetPlacement(far);
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_TRUE(screen.contains(Form->geometry().topLeft()));
  EXPECT_EQ(Form->geometry().size(), QSize(400, 300));

  WindowPlacement empty;  // a zero-sized rectangle leaves the geometry alone
  Form->setGeometry(5, 6, 300, 200);
  Form->SetPlacement(empty);
  EXPECT_EQ(Form->geometry(), QRect(5, 6, 300, 200));
}

TEST_F(MainFormTest, OnlyTheFirstDroppedFileOpensAndOnlyWhenItExists) {
  uitest::WriteFile(Dir / "first.jpg", "x");
  uitest::WriteFile(Dir / "second.jpg", "x");
  fs::create_directories(Dir / "folder");
  QStringList opened;
  Form->OnFileDropped = [&opened](const QString &name) { opened << name; };
  auto drop = [this](std::initializer_list<fs::path> paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const fs::path &path : paths) urls << QUrl::fromLocalFile(QString::fromStdString(path));
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(Form, &enter);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(Form, &drop);
  };
  const QString first = QString::fromStdString(Dir / "first.jpg");

  drop({Dir / "first.jpg", Dir / "second.jpg"});
  EXPECT_EQ(opened, QStringList{first});
  drop({Dir / "missing.jpg", Dir / "second.jpg"});
  drop({Dir / "folder"});
  EXPECT_EQ(opened, QStringList{first});

  Form->OnFileDropped = nullptr;  // nobody listening: nothing happens
  drop({Dir / "first.jpg"});
}

TEST_F(MainFormTest, MenuItemsGoInFrontOfTheirBeforeItemOrAtTheEnd) {
  TVxImageList images(24, 24);
  QPixmap picture(24, 24);
  picture.fill(Qt::red);
  images.SetImage(3, QIcon(picture));
  Form->SetCommonImages(&images);
  int clicks = 0;
  QAction *open = Form->AddMenuItem("Open", QKeySequence::Open, Form->FileMenuSeparator,
                                    Form->FileMenuItem, 3, [&clicks] { ++clicks; });
  Form->AddMenuItem("Last", {}, Form->ViewMenuSeparator /* not in File */, Form->FileMenuItem, -1,
                    nullptr);
  Form->AddSeparator(Form->FileMenuItem, open);
  QMenu *edit = Form->AddSubmenu("Edit", nullptr, Form->ViewMenuItem->menuAction());
  Form->AddMenuItem("Top level", {}, nullptr, nullptr, -1, nullptr);

  EXPECT_EQ(Captions(Form->FileMenuItem), (QStringList{"-", "Open", "-", "", "Last"}));
  EXPECT_EQ(Captions(Form->Menu), (QStringList{"", "Edit", "", "", "Top level"}));
  EXPECT_EQ(edit->menuAction()->text(), "Edit");
  EXPECT_EQ(open->shortcut(), QKeySequence(QKeySequence::Open));
  EXPECT_FALSE(open->icon().isNull());
  open->trigger();
  EXPECT_EQ(clicks, 1);
}

class TThrowingAction : public QAction {
 public:
  explicit TThrowingAction(QObject *parent) : QAction(parent) {
    throw std::runtime_error("construction failed");
  }
};

TEST_F(MainFormTest, ToolbarsGetAToggleAndItemsOfAnyClass) {
  QToolBar *toolbar = Form->AddToolbar("Standard");
  EXPECT_EQ(Form->toolBarArea(toolbar), Qt::TopToolBarArea);
  ASSERT_EQ(Form->ToolbarsMenuItem->actions().size(), 1);
  QAction *toggle = Form->ToolbarsMenuItem->actions().first();
  EXPECT_EQ(toggle->text(), "Standard");
  Form->show();
  toggle->trigger();
  EXPECT_FALSE(toolbar->isVisible());

  int clicks = 0;
  QAction *save = nullptr;
  QToolButton *zoom = nullptr;
  Form->AddToolbarItem(
      toolbar, nullptr, "Save", -1, [&clicks] { clicks += 1; }, save);
  Form->AddToolbarItem(
      toolbar, save, "Zoom", -1, [&clicks] { clicks += 10; }, zoom);
  QAction *undo = nullptr;
  Form->AddToolbarItem(toolbar, TMainForm::ToolbarActionOf(toolbar, zoom), "Undo", -1, nullptr,
                       undo);
  EXPECT_EQ(Captions(toolbar), (QStringList{"Undo", "", "Save"}));
  EXPECT_EQ(save->toolTip(), "Save");
  EXPECT_EQ(zoom->text(), "Zoom");
  EXPECT_EQ(zoom->toolTip(), "Zoom");
  save->trigger();
  zoom->click();
  EXPECT_EQ(clicks, 11);

  TThrowingAction *broken = reinterpret_cast<TThrowingAction *>(this);
  EXPECT_THROW(Form->AddToolbarItem(toolbar, nullptr, "Broken", -1, nullptr, broken),
               std::runtime_error);
  EXPECT_EQ(broken, nullptr);

  // A renamed toolbar's toggle follows after the next Localize.
  Form->Initialize();
  toolbar->setWindowTitle("Renamed");
  Form->Localize();
  uitest::ProcessEvents();
  EXPECT_EQ(toggle->text(), "Renamed");
}

TEST_F(MainFormTest, ToolbarImagesComeFromBitmapResources) {
  TVxImageList images(24, 24);
  images.SetKeepsDisabledImages(true);
  Form->SetCommonImages(&images);
  EXPECT_EQ(Form->LoadToolbarImage("NoSuchBitmap"), -1);
  EXPECT_EQ(images.Count(), 0);

  const int index = Form->LoadToolbarImage("TestButton");
  ASSERT_EQ(index, 0);
  const QImage normal = images.Icon(index).pixmap(24, 24).toImage();
  EXPECT_EQ(qAlpha(normal.pixel(0, 0)), 0);  // the top-left colour is transparent
  EXPECT_EQ(normal.pixelColor(12, 12), QColor(0x1E, 0x5F, 0xA8));
  const QImage disabled = images.Icon(index).pixmap(24, 24, QIcon::Disabled).toImage();
  EXPECT_EQ(disabled.pixelColor(12, 12), QColor(0x90, 0x90, 0x90));
  EXPECT_EQ(qAlpha(disabled.pixel(0, 0)), 0);

  Form->SetCommonImages(nullptr);
  EXPECT_EQ(Form->Images(), Form->DefaultImages);
}

TEST_F(MainFormTest, DockablePanelsStayInOneRowOnEachSide) {
  QDockWidget *first = Form->CreateDockablePanel();
  QDockWidget *second = Form->CreateDockablePanel();
  EXPECT_EQ(first->parent(), Form);
  Form->addDockWidget(TMainForm::RightMultiDock, first);
  Form->addDockWidget(TMainForm::RightMultiDock, second);
  EXPECT_FALSE(Form->dockOptions() & QMainWindow::AllowNestedDocks);
  EXPECT_EQ(Form->dockWidgetArea(second), Qt::RightDockWidgetArea);
}

}  // namespace
