#include <gtest/gtest.h>

#include "DocumentFakes.h"
#include "settings/VxLocalizer.h"

namespace {

using FileFormatsTest = uitest::UiTest;

TEST_F(FileFormatsTest, OpenFormatsFilterTextAndLookups) {
  docfakes::TFakeFormats formats;
  TVxFileFormatArray writable;
  formats.GetWritableFormats(writable);
  ASSERT_EQ(writable.size(), 2u);
  EXPECT_EQ(writable[1].Extension, QStringLiteral(".png"));

  TVxFileFormatArray open;
  formats.GetOpenFormats(open);
  ASSERT_EQ(open.size(), 4u);
  EXPECT_EQ(open[2].Identifier, 0);
  EXPECT_EQ(open[2].Description, QString::fromStdU16String(LocalizedString(146)));
  EXPECT_EQ(open[2].Mask, QStringLiteral("*.jpg;*.jpeg;*.png"));
  EXPECT_EQ(open[3].Mask, QStringLiteral("*.*"));
  EXPECT_TRUE(open[3].Extension.isEmpty());

  EXPECT_EQ(TVxFileFormats::FilterText(writable),
            QStringLiteral("JPEG (*.jpg;*.jpeg)|*.jpg;*.jpeg|PNG (*.png)|*.png"));
  EXPECT_EQ(TVxFileFormats::FilterText({}), QString());
  EXPECT_EQ(formats.IndexOfId(2), 1);
  EXPECT_EQ(formats.IndexOfId(1), -1);
  EXPECT_EQ(TVxFileFormats::IndexOfFormat(open, 0), 0);
  EXPECT_EQ(TVxFileFormats::IndexOfFormat(open, -1), -1);

  std::unique_ptr<TVxFileInfo> info;
  std::unique_ptr<TVxThumbnail> thumbnail;
  EXPECT_FALSE(formats.GetFileInfo(QStringLiteral("a.jpg"), info));
  EXPECT_FALSE(formats.CreateThumbnail(QStringLiteral("a.jpg"), 10, 10, thumbnail));
}

}  // namespace
