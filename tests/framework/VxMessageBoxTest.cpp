#include <QAbstractButton>
#include <QApplication>
#include <QTimer>

#include "support/UiFixture.h"
#include "framework/VxMessageBox.h"

namespace {

using MessageBoxTest = uitest::UiTest;
using B = QMessageBox;

TEST_F(MessageBoxTest, FlagsChooseButtonsIconAndDefault) {
  struct Case {
    int Flags;
    QMessageBox::StandardButtons Buttons;
    QMessageBox::Icon Icon;
    QMessageBox::StandardButton Default;
  };
  const Case cases[] = {
      {0, B::Ok, B::NoIcon, B::Ok},
      {1, B::Ok | B::Cancel, B::NoIcon, B::Ok},
      {16, B::Ok, B::Critical, B::Ok},
      {36, B::Yes | B::No, B::Question, B::Yes},
      {51, B::Yes | B::No | B::Cancel, B::Warning, B::Yes},
      {52, B::Yes | B::No, B::Warning, B::Yes},
      {64, B::Ok, B::Information, B::Ok},
      {52 | 0x100, B::Yes | B::No, B::Warning, B::No},  // second button as default
      {51 | 0x200, B::Yes | B::No | B::Cancel, B::Warning, B::Cancel},
  };
  for (const Case &c : cases) {
    const TVxMessageBoxLayout layout = MessageBoxLayout(c.Flags);
    EXPECT_EQ(layout.Buttons, c.Buttons) << c.Flags;
    EXPECT_EQ(layout.Icon, c.Icon) << c.Flags;
    EXPECT_EQ(layout.DefaultButton, c.Default) << c.Flags;
  }
}

// Answers the next modal box by pressing `button`, or by closing it.
void AnswerNextBox(QMessageBox::StandardButton button) {
  QTimer::singleShot(0, [button] {
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    if (button == B::NoButton)
      box->reject();
    else
      box->button(button)->click();
  });
}

TEST_F(MessageBoxTest, AnswersAreTheButtonIdentifiers) {
  struct Case {
    int Flags;
    QMessageBox::StandardButton Pressed;
    int Answer;
  };
  const Case cases[] = {
      {0, B::Ok, IdOk},
      {1, B::Cancel, IdCancel},
      {36, B::Yes, IdYes},
      {36, B::No, IdNo},
      {51, B::Cancel, IdCancel},
      {52, B::No, IdNo},
      {51, B::NoButton, IdCancel},
      {36, B::NoButton, IdNo},  // closed without choosing
  };
  for (const Case &c : cases) {
    AnswerNextBox(c.Pressed);
    EXPECT_EQ(App->MessageBox("Question?", c.Flags), c.Answer) << c.Flags << " " << c.Pressed;
  }
}

TEST_F(MessageBoxTest, TheCaptionIsTheTitleAndTestsCanAnswer) {
  App->SetTitle("Velora");
  QString caption;
  App->SetMessageBoxAnswerer([&caption](const QString &, const QString &shown, int flags) {
    caption = shown;
    return flags == 36 ? IdNo : IdOk;
  });
  EXPECT_EQ(App->MessageBox("Save?", 36), IdNo);
  EXPECT_EQ(caption, "Velora");
  EXPECT_EQ(App->MessageBox("Done", "Other", 64), IdOk);
  EXPECT_EQ(caption, "Other");
}

}  // namespace
