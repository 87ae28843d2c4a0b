#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <string>
#include <vector>

#include "documents/VxJPEGOptions.h"
#include "settings/VxLocalizer.h"
#include "support/UiFixture.h"

namespace {

struct TShown {
  QString Text, Caption;
  int Flags;
};

class JPEGOptionsTest : public uitest::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    App->SetMessageBoxAnswerer([this](const QString &text, const QString &caption, int flags) {
      Shown.push_back({text, caption, flags});
      return 1;
    });
  }
  void TearDown() override {
    TVxJPEGOptionsForm::SetAnswerer(nullptr);
    UiTest::TearDown();
  }
  void ExpectControls(const TVxJPEGOptionsForm &form, int quality, const QString &edit, int entry) {
    EXPECT_EQ(form.QualityTrackBar->value(), quality);
    EXPECT_EQ(form.QualityEdit->text(), edit);
    EXPECT_EQ(form.QualityComboBox->currentIndex(), entry);
  }
  std::vector<TShown> Shown;
};

TEST_F(JPEGOptionsTest, TheThreeControlsStayInStep) {
  TVxJPEGOptionsForm form;
  ExpectControls(form, 80, "80", 3);

  struct TCase {
    const char *What;
    std::function<void(TVxJPEGOptionsForm &)> Change;
    int Quality;
    const char *Edit;
    int Entry;
  };
  const TCase cases[] = {
      {"edit between presets", [](auto &f) { f.QualityEdit->setText("45"); }, 45, "45", 1},
      {"edit below the lowest preset", [](auto &f) { f.QualityEdit->setText("5"); }, 5, "5", 0},
      // The edit is not rewritten by the change it started.
      {"edit with a leading zero", [](auto &f) { f.QualityEdit->setText("07"); }, 7, "07", 0},
      {"edit with blanks", [](auto &f) { f.QualityEdit->setText(" 100 "); }, 100, " 100 ", 4},
      {"edit that is no number", [](auto &f) { f.QualityEdit->setText("x"); }, 100, "x", 4},
      {"edit above 100", [](auto &f) { f.QualityEdit->setText("150"); }, 100, "150", 4},
      {"track bar", [](auto &f) { f.QualityTrackBar->setValue(61); }, 61, "61", 2},
      {"track bar on a preset", [](auto &f) { f.QualityTrackBar->setValue(30); }, 30, "30", 1},
      {"lowest entry", [](auto &f) { f.QualityComboBox->setCurrentIndex(0); }, 10, "10", 0},
      {"highest entry", [](auto &f) { f.QualityComboBox->setCurrentIndex(4); }, 100, "100", 4},
      {"quality set directly", [](auto &f) { f.SetQuality(79); }, 79, "79", 2},
  };
  for (const TCase &c : cases) {
    SCOPED_TRACE(c.What);
    c.Change(form);
    ExpectControls(form, c.Quality, c.Edit, c.Entry);
  }
}

TEST_F(JPEGOptionsTest, OkRefusesAnythingButAWholeNumberUpTo100) {
  struct TCase {
    const char *Edit;
    int Quality;  // put back into the controls
  };
  const TCase cases[] = {
      {"150", 100}, {"-3", 0}, {"99999999999999999999", 100}, {"abc", 42}, {"", 42}, {"4.5", 42},
  };
  for (const TCase &c : cases) {
    SCOPED_TRACE(c.Edit);
    Shown.clear();
    TVxJPEGOptionsForm form;
    form.SetQuality(42);
    form.show();
    form.QualityEdit->setText(c.Edit);
    form.OkButton->click();
    ASSERT_EQ(Shown.size(), 1u);
    EXPECT_EQ(Shown[0].Caption, form.windowTitle());
    EXPECT_EQ(Shown[0].Flags, MbOk | MbIconError);
    EXPECT_TRUE(form.isVisible());  // stays open
    ExpectControls(form, c.Quality, QString::number(c.Quality),
                   TVxJPEGOptionsForm::PresetIndexFor(c.Quality));
  }
}

TEST_F(JPEGOptionsTest, ExecuteReportsTheChoice) {
  int quality = 80;
  TVxJPEGOptionsForm::SetAnswerer([](TVxJPEGOptionsForm &form) {
    form.QualityEdit->setText("33");
    form.CancelButton->click();
  });
  EXPECT_FALSE(ExecuteJPEGOptions(quality));
  EXPECT_EQ(quality, 80);

  // An answerer that presses nothing cancels too.
  TVxJPEGOptionsForm::SetAnswerer([](TVxJPEGOptionsForm &) {});
  EXPECT_FALSE(ExecuteJPEGOptions(quality));

  // A refused OK followed by a good one.
  TVxJPEGOptionsForm::SetAnswerer([](TVxJPEGOptionsForm &form) {
    EXPECT_EQ(form.Quality(), 80);
    form.QualityEdit->setText("101");
    form.OkButton->click();
    form.QualityEdit->setText(" 33");
    form.OkButton->click();
  });
  EXPECT_TRUE(ExecuteJPEGOptions(quality));
  EXPECT_EQ(quality, 33);
  EXPECT_EQ(Shown.size(), 1u);
}

TEST_F(JPEGOptionsTest, CaptionsComeFromTheLanguageFiles) {
  uitest::UseProgramLanguages(1031);
  TVxJPEGOptionsForm form;
  form.show();
  auto text = [](int number) { return QString::fromStdU16String(LocalizedString(number)); };
  ASSERT_FALSE(text(205).isEmpty());
  EXPECT_EQ(form.windowTitle(), text(205));
  EXPECT_EQ(form.QualityLabel->text(), text(207) + ":");
  EXPECT_EQ(form.SmallFileLabel->text(), text(213));
  EXPECT_EQ(form.LargeFileLabel->text(), text(214));
  EXPECT_EQ(form.OkButton->text(), text(1));
  EXPECT_EQ(form.CancelButton->text(), text(2));
  for (int i = 0; i < 5; ++i) EXPECT_EQ(form.QualityComboBox->itemText(i), text(208 + i));
  EXPECT_FALSE(form.DisplayCheckbox->isVisible());
  EXPECT_EQ(form.QualityTrackBar->tickInterval(), 5);
}

}  // namespace
