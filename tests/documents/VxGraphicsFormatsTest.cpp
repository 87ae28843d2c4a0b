#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "documents/VxGraphicsDocument.h"
#include "documents/VxGraphicsFormats.h"
#include "documents/VxJPEGOptions.h"
#include "imaging/codecs/VxImage.h"
#include "plugin/ExchangeFile.h"
#include "settings/VxLocalizer.h"
#include "support/UiFixture.h"

namespace {

using testsupport::PixelBytes;
using testsupport::SamplePath;

QString Q(const std::filesystem::path &path) { return QString::fromStdString(path.string()); }

std::vector<uint8_t> ReadAll(const std::filesystem::path &path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const std::filesystem::path &path, const std::vector<uint8_t> &bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char *>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

struct TDifference {
  int Max = 0;
  double Mean = 0;
};

TDifference Difference(const std::vector<uint8_t> &a, const std::vector<uint8_t> &b) {
  TDifference d;
  if (a.size() != b.size() || a.empty()) return {256, 256};
  for (size_t i = 0; i < a.size(); ++i) {
    const int delta = std::abs(int(a[i]) - int(b[i]));
    d.Max = std::max(d.Max, delta);
    d.Mean += delta;
  }
  d.Mean /= double(a.size());
  return d;
}

TVxPropertyItems WithoutThumbnail(TVxPropertyItems items) {
  std::erase_if(items,
                [](const TVxPropertyItem &item) { return IsThumbnailPropertyTag(item.Tag); });
  return items;
}

const TVxPropertyItem *FindItem(const TVxPropertyItems &items, uint32_t tag) {
  for (const TVxPropertyItem &item : items)
    if (item.Tag == tag) return &item;
  return nullptr;
}

// What a host writes: its own stride and plane count, red first in each pixel.
struct THostFile {
  THostFile(int32_t width, int32_t height, int32_t planes, int32_t stride, int32_t mode = 3)
      : Width(width), Height(height), Planes(planes), Stride(stride), Mode(mode) {}
  int32_t Width, Height, Planes, Stride, Mode;
  std::vector<uint8_t> Tail;

  static uint8_t Value(int32_t x, int32_t y, int32_t plane) {
    return static_cast<uint8_t>(x * 7 + y * 13 + plane * 50);
  }
  std::vector<uint8_t> Bytes() const {
    std::vector<uint8_t> out = {'P', 'S', 'P', 'F'};
    for (int32_t v : {32, Mode, 5, 6, Width, Height, Stride, Planes})
      for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i)));
    // A header may claim more rows than a test wants to write.
    const int32_t rowCount = std::clamp(Height, 0, 64);
    std::vector<uint8_t> rows(size_t(std::max(Stride, 0)) * size_t(rowCount), 0xEE);
    for (int32_t y = 0; y < rowCount; ++y)
      for (int32_t x = 0; x < Width; ++x)
        for (int32_t p = 0; p < Planes && (x + 1) * Planes <= Stride; ++p)
          rows[size_t(y * Stride + x * Planes + p)] = Value(x, y, p);
    out.insert(out.end(), rows.begin(), rows.end());
    out.insert(out.end(), Tail.begin(), Tail.end());
    return out;
  }
};

int32_t IntAt(const std::vector<uint8_t> &bytes, size_t offset) {
  return static_cast<int32_t>(uint32_t(bytes[offset]) | uint32_t(bytes[offset + 1]) << 8 |
                              uint32_t(bytes[offset + 2]) << 16 |
                              uint32_t(bytes[offset + 3]) << 24);
}

// The EXIF block of a JPEG file's APP1 segment, without "Exif\0\0".
std::vector<uint8_t> ExifOf(const std::vector<uint8_t> &jpeg) {
  for (size_t i = 2; i + 10 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xE1 &&
        std::equal(jpeg.begin() + long(i) + 4, jpeg.begin() + long(i) + 8, "Exif")) {
      const size_t length = size_t(jpeg[i + 2]) << 8 | jpeg[i + 3];
      return {jpeg.begin() + long(i) + 10, jpeg.begin() + long(i) + 2 + long(length)};
    }
  return {};
}

class GraphicsFormatsTest : public uitest::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    uitest::UseProgramLanguages();
    App->SetMessageBoxAnswerer([](const QString &, const QString &, int) { return 1; });
    AnswerJPEG(80);
  }
  void TearDown() override {
    TVxJPEGOptionsForm::SetAnswerer(nullptr);
    UiTest::TearDown();
  }

  // The JPEG options window answers OK with this quality; records where it started.
  void AnswerJPEG(int quality) {
    TVxJPEGOptionsForm::SetAnswerer([this, quality](TVxJPEGOptionsForm &form) {
      JPEGStarts.push_back(form.Quality());
      WaitCursorDuringDialog = QGuiApplication::overrideCursor() != nullptr;
      form.QualityEdit->setText(QString::number(quality));
      form.OkButton->click();
    });
  }

  std::unique_ptr<TVxGraphicsDocument> Load(const std::filesystem::path &path, int32_t &format) {
    auto doc = std::make_unique<TVxGraphicsDocument>(nullptr);
    format = 99;
    const bool loaded = Formats.LoadDocument(*doc, Q(path), format);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "hourglass left behind";
    return loaded ? std::move(doc) : nullptr;
  }

  bool Save(TVxGraphicsDocument &doc, const std::filesystem::path &path, int32_t format) {
    const bool saved = Formats.SaveDocument(doc, Q(path), format);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "hourglass left behind";
    return saved;
  }

  TVxGraphicsFormats Formats;
  std::vector<int> JPEGStarts;
  bool WaitCursorDuringDialog = false;
};

TEST_F(GraphicsFormatsTest, TheTableAndItsLists) {
  ASSERT_EQ(Formats.Count(), 4);
  const char *expected[][3] = {{"JPEG", "*.jpg;*.jpeg", ".jpg"},
                               {"TIFF", "*.tif;*.tiff", ".tif"},
                               {"PNG", "*.png", ".png"},
                               {"BMP", "*.bmp;*.rle;*.dib", ".bmp"}};
  for (int32_t i = 0; i < 4; ++i) {
    const TVxFileFormatInfo *info = Formats.FormatInfo(i);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->Identifier, i);
    EXPECT_EQ(info->Description, expected[i][0]);
    EXPECT_EQ(info->Mask, expected[i][1]);
    EXPECT_EQ(info->Extension, expected[i][2]);
    EXPECT_TRUE(Formats.CanSave(i));
  }
  EXPECT_EQ(Formats.FormatInfo(4), nullptr);
  EXPECT_EQ(Formats.FormatInfo(-1), nullptr);

  TVxFileFormatArray writable, open;
  Formats.GetWritableFormats(writable);
  Formats.GetOpenFormats(open);
  EXPECT_EQ(writable.size(), 4u);
  ASSERT_EQ(open.size(), 6u);
  EXPECT_EQ(open[4].Mask, "*.jpg;*.jpeg;*.tif;*.tiff;*.png;*.bmp;*.rle;*.dib");
  EXPECT_EQ(open[5].Mask, "*.*");
  EXPECT_TRUE(
      TVxFileFormats::FilterText(writable).startsWith("JPEG (*.jpg;*.jpeg)|*.jpg;*.jpeg|TIFF"));
}

TEST_F(GraphicsFormatsTest, EachFormatKeepsPixelsResolutionAndMetadata) {
  testsupport::TempDir dir;
  int32_t format = 0;
  auto portrait = Load(SamplePath("portrait.jpg"), format);
  ASSERT_TRUE(portrait);
  EXPECT_EQ(format, FormatJPEG);
  EXPECT_FALSE(portrait->ReadFromExchangeFile);
  EXPECT_EQ(portrait->Properties.HorizontalResolution, 300);
  EXPECT_EQ(portrait->Properties.VerticalResolution, 300);
  ASSERT_EQ(PixelBytes(*portrait->ImagePixels()), PixelBytes(*portrait->OriginalPixels()));
  ASSERT_EQ(PixelBytes(*portrait->ImagePixels()), PixelBytes(portrait->Backup));

  const TVxPropertyItems read = PropertyItemsFromBag(portrait->Properties);
  ASSERT_TRUE(std::any_of(read.begin(), read.end(), [](const TVxPropertyItem &item) {
    return IsThumbnailPropertyTag(item.Tag);
  }));
  // A transfer function sits among the thumbnail tags but belongs to the image.
  const uint16_t transfer[] = {0, 1, 2};
  portrait->Properties.SetValue(PropertyTagColorTransferFunction, PropertyTypeShort,
                                sizeof transfer, transfer);
  const TVxPropertyItems kept = WithoutThumbnail(PropertyItemsFromBag(portrait->Properties));
  const std::vector<uint8_t> pixels = PixelBytes(*portrait->ImagePixels());

  struct TCase {
    int32_t Format;
    const char *Name;
    int MaxDifference;
    double MeanDifference;
    bool Metadata;
  };
  for (const TCase &c :
       {TCase{FormatJPEG, "a.jpg", 96, 4.0, true}, TCase{FormatTIFF, "a.tif", 0, 0, true},
        TCase{FormatPNG, "a.png", 0, 0, true}, TCase{FormatBMP, "a.bmp", 0, 0, false}}) {
    SCOPED_TRACE(c.Name);
    ASSERT_TRUE(Save(*portrait, dir / c.Name, c.Format));
    // The thumbnail is gone from the document too.
    EXPECT_EQ(WithoutThumbnail(PropertyItemsFromBag(portrait->Properties)),
              PropertyItemsFromBag(portrait->Properties));

    auto again = Load(dir / c.Name, format);
    ASSERT_TRUE(again);
    EXPECT_EQ(format, c.Format);
    const TDifference difference = Difference(PixelBytes(*again->ImagePixels()), pixels);
    EXPECT_LE(difference.Max, c.MaxDifference);
    EXPECT_LE(difference.Mean, c.MeanDifference);
    EXPECT_EQ(again->Properties.HorizontalResolution, 300);
    EXPECT_EQ(again->Properties.VerticalResolution, 300);
    if (!c.Metadata) continue;
    const TVxPropertyItems written = PropertyItemsFromBag(again->Properties);
    for (const TVxPropertyItem &item : kept) {
      // An RGB TIFF file has no chroma siting of its own; the library drops it.
      if (c.Format == FormatTIFF && item.Tag == 0x0213) continue;
      const TVxPropertyItem *found = FindItem(written, item.Tag);
      ASSERT_NE(found, nullptr) << std::hex << "0x" << item.Tag;
      EXPECT_EQ(found->Value, item.Value) << std::hex << item.Tag;
    }
    EXPECT_EQ(WithoutThumbnail(written).size(), written.size());
  }
}

TEST_F(GraphicsFormatsTest, ResolutionIsRoundedHalfToEven) {
  testsupport::TempDir dir;
  TVxPixelBuffer pixels(PixelFormat24, {0, 0, 4, 3});
  testsupport::FillPattern(pixels);
  struct TCase {
    float DpiX, DpiY;
    int32_t X, Y;
  };
  for (const TCase &c : {TCase{72.5f, 73.5f, 72, 74}, TCase{299.4f, 150.6f, 299, 151}}) {
    TVxSaveOptions options;
    options.DpiX = c.DpiX;
    options.DpiY = c.DpiY;
    ASSERT_EQ(SaveImage(pixels, dir / "r.tif", "image/tiff", options), TVxImageStatus::Ok);
    int32_t format = 0;
    auto doc = Load(dir / "r.tif", format);
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->Properties.HorizontalResolution, c.X) << c.DpiX;
    EXPECT_EQ(doc->Properties.VerticalResolution, c.Y) << c.DpiY;
  }
}

TEST_F(GraphicsFormatsTest, JPEGQualityIsAskedAndRemembered) {
  testsupport::TempDir dir;
  int32_t format = 0;
  auto doc = Load(SamplePath("portrait.jpg"), format);
  ASSERT_TRUE(doc);

  AnswerJPEG(10);
  ASSERT_TRUE(Save(*doc, dir / "low.jpg", FormatJPEG));
  EXPECT_FALSE(WaitCursorDuringDialog);
  AnswerJPEG(100);
  ASSERT_TRUE(Save(*doc, dir / "high.jpg", FormatJPEG));
  EXPECT_EQ(JPEGStarts, (std::vector<int>{80, 10}));
  EXPECT_EQ(Formats.JPEGQuality, 100);
  // The chosen quality reaches the encoder.
  EXPECT_LT(std::filesystem::file_size(dir / "low.jpg") * 2,
            std::filesystem::file_size(dir / "high.jpg"));

  // No other format asks.
  ASSERT_TRUE(Save(*doc, dir / "a.png", FormatPNG));
  EXPECT_EQ(JPEGStarts.size(), 2u);
}

TEST_F(GraphicsFormatsTest, CancellingTheJPEGWindowWritesNothing) {
  testsupport::TempDir dir;
  int32_t format = 0;
  auto doc = Load(SamplePath("portrait.jpg"), format);
  ASSERT_TRUE(doc);
  const std::vector<uint8_t> before = {'o', 'l', 'd'};
  WriteAll(dir / "keep.jpg", before);
  const TVxPropertyItems items = PropertyItemsFromBag(doc->Properties);

  TVxJPEGOptionsForm::SetAnswerer([](TVxJPEGOptionsForm &form) {
    form.QualityEdit->setText("20");
    form.CancelButton->click();
  });
  EXPECT_FALSE(Save(*doc, dir / "keep.jpg", FormatJPEG));
  EXPECT_FALSE(Save(*doc, dir / "new.jpg", FormatJPEG));
  EXPECT_EQ(ReadAll(dir / "keep.jpg"), before);
  EXPECT_FALSE(std::filesystem::exists(dir / "new.jpg"));
  EXPECT_EQ(PropertyItemsFromBag(doc->Properties), items);  // thumbnail items still there
  EXPECT_EQ(Formats.JPEGQuality, 80);
}

TEST_F(GraphicsFormatsTest, UnreadableFilesFailTheLoad) {
  testsupport::TempDir dir;
  WriteAll(dir / "text.jpg", {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'});
  // "PSPF" but not an RGB exchange file: read as an ordinary (unknown) file.
  THostFile grey{4, 2, 1, 4, 1};
  WriteAll(dir / "grey.psp", grey.Bytes());
  int32_t format = 0;
  for (const char *name : {"text.jpg", "grey.psp", "missing.png"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(Load(dir / name, format));
  }

  // Only image documents load.
  class TOtherDocument : public TVxDocument {
   public:
    TOtherDocument() : TVxDocument(nullptr) {}
    QWidget *CreateView() override { return nullptr; }
  } other;
  EXPECT_FALSE(Formats.LoadDocument(other, Q(SamplePath("portrait.png")), format));
  EXPECT_FALSE(Formats.SaveDocument(other, Q(dir / "x.png"), FormatPNG));
}

TEST_F(GraphicsFormatsTest, FileDescriptions) {
  testsupport::TempDir dir;
  TVxPixelBuffer pixels(PixelFormat24, {0, 0, 4, 3});
  testsupport::FillPattern(pixels);
  ASSERT_EQ(SaveImage(pixels, dir / "plain.png", "image/png", {}), TVxImageStatus::Ok);
  ASSERT_EQ(SaveImage(pixels, dir / "plain.bmp", "image/bmp", {}), TVxImageStatus::Ok);
  TVxSaveOptions modelOnly;
  const char model[] = "EX-100";
  modelOnly.Items.push_back(
      {272, PropertyTypeASCII, std::vector<uint8_t>(model, model + sizeof model)});
  ASSERT_EQ(SaveImage(pixels, dir / "model.tif", "image/tiff", modelOnly), TVxImageStatus::Ok);
  WriteAll(dir / "text.png", {'t', 'e', 'x', 't'});

  struct TCase {
    std::filesystem::path Path;
    const char *Description;
  };
  const TCase cases[] = {
      {dir / "plain.png", "Type: PNG\nDimensions: 4 x 3"},
      {dir / "plain.bmp", "Type: BMP\nDimensions: 4 x 3"},
      {dir / "model.tif", "Type: TIFF\nDimensions: 4 x 3\nCamera: EX-100"},
      {SamplePath("portrait.jpg"),
       "Type: JPEG\nDimensions: 512 x 512\nDate taken: 2024:05:17 10:21:33\nCamera: Example Camera "
       "Co. EX-100"},
      {dir / "text.png", ""},  // exists, but nothing to describe
  };
  for (const TCase &c : cases) {
    SCOPED_TRACE(c.Path.string());
    std::unique_ptr<TVxFileInfo> info;
    ASSERT_TRUE(Formats.GetFileInfo(Q(c.Path), info));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->GetDescription(), c.Description);
    EXPECT_EQ(info->FileName, Q(c.Path));
  }
  std::unique_ptr<TVxFileInfo> none;
  EXPECT_FALSE(Formats.GetFileInfo(Q(dir / "missing.png"), none));
  EXPECT_FALSE(Formats.GetFileInfo(Q(dir.Path()), none));  // a folder
}

TEST_F(GraphicsFormatsTest, ThumbnailsFitTheirBoxAndDrawCentred) {
  testsupport::TempDir dir;
  TVxPixelBuffer wide(PixelFormat24, {0, 0, 40, 10});
  testsupport::FillPattern(wide);
  ASSERT_EQ(SaveImage(wide, dir / "wide.png", "image/png", {}), TVxImageStatus::Ok);
  std::unique_ptr<TVxThumbnail> thumbnail;
  ASSERT_TRUE(Formats.CreateThumbnail(Q(dir / "wide.png"), 20, 20, thumbnail));
  auto *graphics = dynamic_cast<TVxGraphicsThumbnail *>(thumbnail.get());
  ASSERT_NE(graphics, nullptr);
  EXPECT_EQ(graphics->Picture().Width, 20);
  EXPECT_EQ(graphics->Picture().Height, 5);

  QImage canvas(31, 31, QImage::Format_RGB32);
  canvas.fill(Qt::white);
  QPainter painter(&canvas);
  TVxRect drawn;
  EXPECT_TRUE(thumbnail->Draw(painter, {1, 1, 30, 30}, drawn));
  painter.end();
  EXPECT_EQ(drawn, (TVxRect{5, 13, 25, 18}));  // halves toward zero
  EXPECT_EQ(canvas.pixel(4, 15), qRgb(255, 255, 255));
  EXPECT_NE(canvas.pixel(5, 13), qRgb(255, 255, 255));

  // A picture never collapses to nothing.
  TVxPixelBuffer tall(PixelFormat24, {0, 0, 1, 500});
  testsupport::FillPattern(tall);
  ASSERT_EQ(SaveImage(tall, dir / "tall.png", "image/png", {}), TVxImageStatus::Ok);
  ASSERT_TRUE(Formats.CreateThumbnail(Q(dir / "tall.png"), 50, 50, thumbnail));
  EXPECT_EQ(dynamic_cast<TVxGraphicsThumbnail *>(thumbnail.get())->Picture().Width, 1);

  WriteAll(dir / "text.png", {'t'});
  for (const char *name : {"text.png", "missing.png"})
    EXPECT_FALSE(Formats.CreateThumbnail(Q(dir / name), 20, 20, thumbnail)) << name;
}

// --- the plug-in's exchange file --------------------------------------------

TEST_F(GraphicsFormatsTest, ExchangeFilesRoundTrip) {
  struct TCase {
    const char *What;
    THostFile Host;
  };
  const TCase cases[] = {
      {"3 planes, stride 30", {10, 2, 3, 30}},
      {"3 planes, padded stride", {10, 3, 3, 36}},
      {"4 planes", {5, 3, 4, 20}},
  };
  testsupport::TempDir dir;
  for (const TCase &c : cases) {
    SCOPED_TRACE(c.What);
    const auto path = dir / "PSPF1.tmp";
    WriteAll(path, c.Host.Bytes());
    int32_t format = 0;
    auto doc = Load(path, format);
    ASSERT_TRUE(doc);
    EXPECT_EQ(format, FormatExchange);
    EXPECT_TRUE(doc->ReadFromExchangeFile);
    ASSERT_EQ(doc->Image.Width(), c.Host.Width);
    ASSERT_EQ(doc->Image.Height(), c.Host.Height);
    for (int32_t y = 0; y < c.Host.Height; ++y)
      for (int32_t x = 0; x < c.Host.Width; ++x) {
        const uint8_t *pixel = doc->ImagePixels()->PixelAddress(x, y);
        ASSERT_EQ(pixel[2], THostFile::Value(x, y, 0));  // red
        ASSERT_EQ(pixel[1], THostFile::Value(x, y, 1));
        ASSERT_EQ(pixel[0], THostFile::Value(x, y, 2));
      }
    EXPECT_EQ(PixelBytes(*doc->ImagePixels()), PixelBytes(*doc->OriginalPixels()));
    EXPECT_EQ(doc->Properties.Count(), 0);  // exactly the rows: no trailer looked for

    ASSERT_TRUE(Save(*doc, path, FormatExchange));
    const std::vector<uint8_t> back = ReadAll(path);
    const int32_t stride = (c.Host.Width * 3 + 3) / 4 * 4;
    ASSERT_EQ(back.size(), size_t(36 + stride * c.Host.Height));
    const int32_t header[] = {32, 3, 0, 0, c.Host.Width, c.Host.Height, stride, 3};
    for (size_t i = 0; i < std::size(header); ++i)
      EXPECT_EQ(IntAt(back, 4 + 4 * i), header[i]) << i;
    for (int32_t y = 0; y < c.Host.Height; ++y)
      for (int32_t x = 0; x < c.Host.Width; ++x)
        for (int32_t p = 0; p < 3; ++p)
          ASSERT_EQ(back[size_t(36 + y * stride + x * 3 + p)], THostFile::Value(x, y, p));

    // Read again by the editor, the file gives the same image.
    auto again = Load(path, format);
    ASSERT_TRUE(again);
    EXPECT_EQ(PixelBytes(*again->ImagePixels()), PixelBytes(*doc->ImagePixels()));
  }
}

TEST_F(GraphicsFormatsTest, ExchangeTrailerBecomesMetadata) {
  testsupport::TempDir dir;
  const std::vector<uint8_t> exif = ExifOf(ReadAll(SamplePath("portrait.jpg")));
  ASSERT_GT(exif.size(), 496u);
  THostFile host{4, 2, 3, 12};
  host.Tail = {'E', 'X', 'I', 'F'};
  for (int i = 0; i < 4; ++i) host.Tail.push_back(static_cast<uint8_t>(exif.size() >> (8 * i)));
  host.Tail.insert(host.Tail.end(), exif.begin(), exif.end());
  WriteAll(dir / "exif.tmp", host.Bytes());

  int32_t format = 0;
  auto doc = Load(dir / "exif.tmp", format);
  ASSERT_TRUE(doc);
  EXPECT_EQ(format, FormatExchange);
  EXPECT_EQ(doc->Properties.HorizontalResolution, 300);
  const TVxPropertyItems items = PropertyItemsFromBag(doc->Properties);
  const TVxPropertyItem *model = FindItem(items, 272);
  ASSERT_NE(model, nullptr);
  EXPECT_EQ(std::string(model->Value.begin(), model->Value.end()), std::string("EX-100\0", 7));

  // Metadata that does not parse costs the metadata only.
  std::fill(host.Tail.begin() + 8, host.Tail.end(), uint8_t{0x5A});
  WriteAll(dir / "junk.tmp", host.Bytes());
  doc = Load(dir / "junk.tmp", format);
  ASSERT_TRUE(doc);
  EXPECT_EQ(doc->Properties.Count(), 0);
}

TEST_F(GraphicsFormatsTest, MalformedExchangeFilesAreRefused) {
  struct TCase {
    const char *What;
    THostFile Host;
    size_t Cut;  // bytes removed from the end
  };
  const TCase cases[] = {
      {"rows cut short", {10, 4, 3, 30}, 1}, {"stride too small for the planes", {10, 2, 3, 29}, 0},
      {"zero width", {0, 2, 3, 30}, 0},      {"negative height", {10, -2, 3, 30}, 0},
      {"two planes", {10, 2, 2, 30}, 0},     {"height beyond the file", {10, 0x7FFFFFFF, 3, 30}, 0},
  };
  testsupport::TempDir dir;
  for (const TCase &c : cases) {
    SCOPED_TRACE(c.What);
    std::vector<uint8_t> bytes = c.Host.Bytes();
    bytes.resize(bytes.size() - c.Cut);
    WriteAll(dir / "bad.tmp", bytes);
    int32_t format = 0;
    EXPECT_FALSE(Load(dir / "bad.tmp", format));
  }
  // A trailer that claims more than the file holds.
  THostFile host{4, 2, 3, 12};
  host.Tail = {'E', 'X', 'I', 'F', 0xFF, 0xFF, 0, 0};
  host.Tail.resize(600, 1);
  WriteAll(dir / "trailer.tmp", host.Bytes());
  int32_t format = 0;
  EXPECT_FALSE(Load(dir / "trailer.tmp", format));
}

}  // namespace
