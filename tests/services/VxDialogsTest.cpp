#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <iterator>
#include <mutex>
#include <thread>

#include "documents/VxEditor.h"
#include "documents/VxGraphicsDocument.h"
#include "documents/VxGraphicsFormats.h"
#include "documents/VxJPEGOptions.h"
#include "framework/VxMainForm.h"
#include "framework/VxText.h"
#include "imaging/codecs/VxImage.h"
#include "services/VxDialogs.h"
#include "support/UiFixture.h"

namespace {

using testsupport::PixelBytes;
using testsupport::SamplePath;

QString Q(const std::filesystem::path &path) { return QString::fromStdString(path.string()); }

// Handles events until done() holds or five seconds have passed.
template <class F>
bool ProcessUntil(F done) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > 5000) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

// --- the preview worker, without a dialog -----------------------------------

class TFakeThumbnail : public TVxThumbnail {
 public:
  explicit TFakeThumbnail(QString name) : Name(std::move(name)) { ++Alive; }
  ~TFakeThumbnail() override { --Alive; }
  bool Draw(QPainter &, const TVxRect &box, TVxRect &drawn) const override {
    drawn = box;
    return true;
  }
  QString Name;
  static std::atomic<int> Alive;
};
std::atomic<int> TFakeThumbnail::Alive = 0;

// Makes thumbnails on request; one name can be held at a gate until the
// test opens it, so requests can pile up while the worker is busy.
class TSlowFormats : public TVxFileFormats {
 public:
  int32_t Count() const override { return 0; }
  const TVxFileFormatInfo *FormatInfo(int32_t) const override { return nullptr; }

  bool CreateThumbnail(const QString &name, int32_t width, int32_t height,
                       std::unique_ptr<TVxThumbnail> &thumbnail) const override {
    std::unique_lock<std::mutex> lock(Lock);
    Made.push_back(name);
    Sizes.push_back({width, height});
    Changed.notify_all();
    Changed.wait(lock, [&] { return name != Gate; });
    if (name.startsWith("bad")) return false;
    thumbnail = std::make_unique<TFakeThumbnail>(name);
    return true;
  }

  void WaitUntilMaking(const QString &name) const {
    std::unique_lock<std::mutex> lock(Lock);
    Changed.wait(lock, [&] { return !Made.empty() && Made.back() == name; });
  }
  void OpenGate() {
    std::lock_guard<std::mutex> lock(Lock);
    Gate.clear();
    Changed.notify_all();
  }
  QStringList MadeSoFar() const {
    std::lock_guard<std::mutex> lock(Lock);
    return Made;
  }

  QString Gate;
  mutable std::mutex Lock;
  mutable std::condition_variable Changed;
  mutable QStringList Made;
  mutable std::vector<std::pair<int32_t, int32_t>> Sizes;
};

class PreviewThreadTest : public uitest::UiTest {
 protected:
  void TearDown() override {
    Thread.reset();
    EXPECT_EQ(TFakeThumbnail::Alive, 0) << "a thumbnail leaked";
    UiTest::TearDown();
  }
  void Start() {
    Thread = std::make_unique<TVxDialogPreviewThread>(Formats, &Context, [this] {
      Thread->UsePreview([this](const TVxThumbnail *preview) {
        Painted << (preview ? static_cast<const TFakeThumbnail *>(preview)->Name : QString("-"));
      });
    });
  }

  TSlowFormats Formats;
  QObject Context;
  QStringList Painted;
  std::unique_ptr<TVxDialogPreviewThread> Thread;
};

TEST_F(PreviewThreadTest, OnlyTheNewestRequestIsPainted) {
  Formats.Gate = "first";
  Start();
  Thread->Request("first", 100, 80);
  Formats.WaitUntilMaking("first");
  for (const char *name : {"second", "third", "last"}) Thread->Request(name, 100, 80);
  Formats.OpenGate();

  ASSERT_TRUE(ProcessUntil([&] { return !Painted.isEmpty(); }));
  uitest::ProcessEvents();
  EXPECT_EQ(Painted, QStringList{"last"});
  // The stale thumbnail was made and thrown away; the skipped ones never made.
  EXPECT_EQ(Formats.MadeSoFar(), (QStringList{"first", "last"}));
  EXPECT_EQ(Formats.Sizes.back(), (std::pair<int32_t, int32_t>{100, 80}));
  EXPECT_EQ(TFakeThumbnail::Alive, 1);  // the one shown

  Thread->ClearPreview();
  EXPECT_EQ(TFakeThumbnail::Alive, 0);

  // A file that yields no thumbnail paints nothing; the worker carries on.
  Thread->Request("bad.jpg", 10, 10);
  Thread->Request("good.jpg", 10, 10);
  ASSERT_TRUE(ProcessUntil([&] { return Painted.size() == 2; }));
  EXPECT_EQ(Painted.back(), "good.jpg");
}

TEST_F(PreviewThreadTest, ClosingWhileAThumbnailIsMadePaintsNothing) {
  Formats.Gate = "big.jpg";
  Start();
  Thread->Request("big.jpg", 100, 80);
  Formats.WaitUntilMaking("big.jpg");
  Thread->Terminate();  // the dialog closes
  Formats.OpenGate();
  Thread.reset();  // waits for the worker
  uitest::ProcessEvents();
  EXPECT_TRUE(Painted.isEmpty());
  EXPECT_EQ(TFakeThumbnail::Alive, 0);
}

TEST_F(PreviewThreadTest, APaintQueuedBeforeTheCloseIsDropped) {
  Start();
  Thread->Request("shown.jpg", 10, 10);
  // The worker stores the preview and queues the paint; the dialog closes
  // before the user-interface thread gets to it.
  bool stored = false;
  for (int wait = 0; wait < 500 && !stored; ++wait) {  // no events handled meanwhile
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    Thread->UsePreview([&](const TVxThumbnail *preview) { stored = preview != nullptr; });
  }
  ASSERT_TRUE(stored);
  Thread->Terminate();
  uitest::ProcessEvents();
  EXPECT_TRUE(Painted.isEmpty());
}

// --- the dialogs --------------------------------------------------------------

class DialogsTest : public uitest::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    uitest::UseProgramLanguages();
  }
  void TearDown() override {
    SetFileDialogAnswerer(nullptr);
    TVxJPEGOptionsForm::SetAnswerer(nullptr);
    UiTest::TearDown();
  }
  TVxGraphicsFormats Formats;
};

TEST_F(DialogsTest, FilterListsAndTitles) {
  QString title;
  QStringList filters;
  int filterIndex = 0;
  SetFileDialogAnswerer([&](TVxOpenDialog &dialog) {
    title = dialog.windowTitle();
    filters = dialog.nameFilters();
    filterIndex = dialog.FilterIndex();
    return false;
  });

  QString name;
  EXPECT_FALSE(ExecuteOpenFileDialog(nullptr, Formats, name));
  EXPECT_EQ(title, Text(12));
  ASSERT_EQ(filters.size(), 6);
  EXPECT_EQ(filters[0], "JPEG (*.jpg *.jpeg)");
  EXPECT_EQ(filters[3], "BMP (*.bmp *.rle *.dib)");
  EXPECT_EQ(filters[4], Text(146) + " (*.jpg *.jpeg *.tif *.tiff *.png *.bmp *.rle *.dib)");
  EXPECT_EQ(filters[5], Text(147) + " (*.*)");
  EXPECT_EQ(filterIndex, 5);  // all supported images

  int chosenIndex = 3;
  EXPECT_FALSE(ExecuteSaveFileDialog(nullptr, Formats, name, chosenIndex));
  EXPECT_EQ(title, Text(15));
  EXPECT_EQ(filters, (QStringList{"JPEG (*.jpg *.jpeg)", "TIFF (*.tif *.tiff)", "PNG (*.png)",
                                  "BMP (*.bmp *.rle *.dib)"}));
  EXPECT_EQ(filterIndex, 3);  // the caller's
  EXPECT_EQ(chosenIndex, 3);  // untouched on cancel
}

TEST_F(DialogsTest, SelectingAFileDescribesAndPreviewsIt) {
  TVxOpenDialog dialog(nullptr, Formats);
  dialog.resize(900, 500);
  dialog.show();
  emit dialog.currentChanged(Q(SamplePath("portrait.jpg")));
  bool shown = false;
  ASSERT_TRUE(ProcessUntil([&] {
    dialog.PreviewThread->UsePreview([&](const TVxThumbnail *preview) { shown = preview; });
    return shown && !dialog.InfoLabel->text().isEmpty();
  }));
  EXPECT_TRUE(dialog.InfoLabel->text().startsWith("\n" + Text(215) + ": JPEG\n" + Text(504) +
                                                  ": 512 x 512"));
  uitest::ProcessEvents();
  const QImage painted = dialog.PreviewBox->grab().toImage();
  const QColor background = dialog.PreviewBox->palette().color(dialog.PreviewBox->backgroundRole());
  EXPECT_NE(painted.pixelColor(painted.width() / 2, painted.height() / 2).rgb(), background.rgb());
  EXPECT_EQ(painted.pixelColor(0, 0).rgb(),
            dialog.PreviewBox->palette().color(QPalette::Dark).rgb());

  // A folder shows nothing, and neither does a file the registry cannot
  // describe: both are cleared.
  const testsupport::TempDir folder;
  std::filesystem::create_directory(folder / "album.jpg");
  emit dialog.currentChanged(Q(folder / "album.jpg"));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  uitest::ProcessEvents();
  EXPECT_TRUE(dialog.InfoLabel->text().isEmpty());
  emit dialog.currentChanged(Q(SamplePath("does-not-exist.jpg")));
  EXPECT_TRUE(dialog.InfoLabel->text().isEmpty());
  dialog.PreviewThread->UsePreview([&](const TVxThumbnail *preview) { shown = preview; });
  EXPECT_FALSE(shown);
  const QImage cleared = dialog.PreviewBox->grab().toImage();
  EXPECT_EQ(cleared.pixelColor(cleared.width() / 2, cleared.height() / 2).rgb(), background.rgb());

  dialog.reject();
  EXPECT_TRUE(dialog.PreviewThread->IsTerminated());
}

// Describing a file reads it (a large photograph takes a tenth of a second
// and more): the dialog's thread only asks, the worker reads, and the text
// arrives with the picture.
TEST_F(DialogsTest, TheDescriptionIsMadeOnThePreviewWorker) {
  class TDescribingFormats : public TSlowFormats {
   public:
    bool GetFileInfo(const QString &name, std::unique_ptr<TVxFileInfo> &info) const override {
      {
        std::lock_guard<std::mutex> lock(Lock);
        Threads.push_back(std::this_thread::get_id());
      }
      class TInfo : public TVxFileInfo {
       public:
        using TVxFileInfo::TVxFileInfo;
        QString GetDescription() const override { return "about " + FileName; }
      };
      info = std::make_unique<TInfo>(name);
      return true;
    }
    mutable std::vector<std::thread::id> Threads;
  } formats;
  {
    TVxOpenDialog dialog(nullptr, formats);
    dialog.show();
    emit dialog.currentChanged("first.jpg");
    emit dialog.currentChanged("second.jpg");
    ASSERT_TRUE(ProcessUntil([&] { return dialog.InfoLabel->text() == "\nabout second.jpg"; }))
        << dialog.InfoLabel->text().toStdString();
    std::lock_guard<std::mutex> lock(formats.Lock);
    ASSERT_FALSE(formats.Threads.empty());
    for (const std::thread::id &thread : formats.Threads)
      EXPECT_NE(thread, std::this_thread::get_id());
  }
  EXPECT_EQ(TFakeThumbnail::Alive, 0);
}

// --- the dialogs in the editor's Open and Save As -----------------------------

class TImageEditor : public TVxEditor {
 public:
  using TVxEditor::TVxEditor;
  TVxDocumentFormats *GetFormats() override { return &Formats; }
  bool RunOpenDialog(QString &name) override {
    return ExecuteOpenFileDialog(MainForm(), Formats, name);
  }
  bool RunSaveDialog(const TVxFileFormatArray &, QString &name, int &filterIndex) override {
    return ExecuteSaveFileDialog(MainForm(), Formats, name, filterIndex);
  }
  std::unique_ptr<TVxDocument> CreateDocument() override {
    return std::make_unique<TVxGraphicsDocument>(this);
  }
  TVxGraphicsDocument *Current() const {
    return static_cast<TVxGraphicsDocument *>(CurrentDocument());
  }
  TVxGraphicsFormats Formats;
};

TEST_F(DialogsTest, TheEditorOpensAndSavesThroughThem) {
  std::vector<std::pair<QString, int>> messages;
  App->SetMessageBoxAnswerer([&](const QString &text, const QString &, int flags) {
    messages.push_back({text, flags});
    return int(IdYes);
  });
  auto *editor = new TImageEditor(App.get());
  TVxJPEGOptionsForm::SetAnswerer([](TVxJPEGOptionsForm &form) { form.OkButton->click(); });

  SetFileDialogAnswerer([](TVxOpenDialog &dialog) {
    dialog.SetFileName(Q(SamplePath("portrait.jpg")));
    return true;
  });
  editor->OpenClick();
  ASSERT_NE(editor->Current(), nullptr);
  EXPECT_EQ(editor->Current()->FileName(), Q(SamplePath("portrait.jpg")));
  const std::vector<uint8_t> pixels = PixelBytes(*editor->Current()->ImagePixels());

  // The next Open starts in the folder of the photograph on screen.
  QString startedIn;
  SetFileDialogAnswerer([&](TVxOpenDialog &dialog) {
    startedIn = dialog.directory().absolutePath();
    return false;
  });
  editor->OpenClick();
  EXPECT_EQ(startedIn, QFileInfo(Q(SamplePath("portrait.jpg"))).absolutePath());

  struct TCase {
    int FilterIndex;
    const char *Written;
  };
  for (const TCase &c :
       {TCase{1, "copy.jpg"}, TCase{2, "copy.tif"}, TCase{3, "copy.png"}, TCase{4, "copy.bmp"}}) {
    SCOPED_TRACE(c.Written);
    QString proposed;
    int proposedIndex = 0;
    SetFileDialogAnswerer([&](TVxOpenDialog &dialog) {
      proposed = dialog.FileName();
      proposedIndex = dialog.FilterIndex();
      dialog.SetFileName(Q(Dir / "copy"));  // the editor adds the extension
      dialog.SetFilterIndex(c.FilterIndex);
      return true;
    });
    editor->SaveAsClick();
    EXPECT_EQ(proposed.section('/', -1), "portrait");
    EXPECT_EQ(proposedIndex, 1);  // the format the document was read in
    ASSERT_TRUE(std::filesystem::exists(Dir / c.Written));

    TVxDocument *reopened = nullptr;
    ASSERT_TRUE(editor->OpenFile(Q(Dir / c.Written), reopened, true));
    auto *image = static_cast<TVxGraphicsDocument *>(reopened);
    EXPECT_EQ(image->Format(), c.FilterIndex - 1);
    if (c.FilterIndex != 1) {
      EXPECT_EQ(PixelBytes(*image->ImagePixels()), pixels);
    }
    EXPECT_EQ(image->Properties.HorizontalResolution, 300);
    // Back to the JPEG original for the next save.
    ASSERT_TRUE(editor->OpenFile(Q(SamplePath("portrait.jpg")), reopened, true));
  }
  EXPECT_TRUE(messages.empty());

  // A malformed exchange file is refused with the editor's open error.
  const std::string bad = std::string("PSPF") + std::string("\x20\0\0\0\x03\0\0\0", 8) +
                          std::string(16, '\0') + std::string("\xFF\xFF\0\0\x03\0\0\0", 8);
  uitest::WriteFile(Dir / "PSPF7.tmp", bad);
  TVxDocument *none = nullptr;
  EXPECT_FALSE(editor->OpenFile(Q(Dir / "PSPF7.tmp"), none, true));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].second, MbOk | MbIconError);
  EXPECT_TRUE(messages[0].first.contains("PSPF7.tmp"));
}

}  // namespace
