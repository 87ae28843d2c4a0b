#include <QAbstractButton>
#include <QApplication>
#include <QTimer>

#include "framework/VxMessageBox.h"
#include "support/UiFixture.h"

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
      {MbOk, B::Ok, B::NoIcon, B::Ok},
      {MbOkCancel, B::Ok | B::Cancel, B::NoIcon, B::Ok},
      {MbAbortRetryIgnore, B::Abort | B::Retry | B::Ignore, B::NoIcon, B::Abort},
      {MbRetryCancel | MbIconQuestion, B::Retry | B::Cancel, B::Question, B::Retry},
      {MbOk | MbIconError, B::Ok, B::Critical, B::Ok},
      {MbYesNo | MbIconQuestion, B::Yes | B::No, B::Question, B::Yes},
      {MbYesNoCancel | MbIconWarning, B::Yes | B::No | B::Cancel, B::Warning, B::Yes},
      {MbYesNo | MbIconWarning, B::Yes | B::No, B::Warning, B::Yes},
      {MbOk | MbIconInformation, B::Ok, B::Information, B::Ok},
      {MbYesNo | MbIconWarning | MbDefaultButton2, B::Yes | B::No, B::Warning, B::No},
      {MbYesNoCancel | MbIconWarning | MbDefaultButton3, B::Yes | B::No | B::Cancel, B::Warning,
       B::Cancel},
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
      {MbOk, B::Ok, IdOk},
      {MbOkCancel, B::Cancel, IdCancel},
      {MbYesNo | MbIconQuestion, B::Yes, IdYes},
      {MbYesNo | MbIconQuestion, B::No, IdNo},
      {MbYesNoCancel | MbIconWarning, B::Cancel, IdCancel},
      {MbYesNo | MbIconWarning, B::No, IdNo},
      {MbYesNoCancel | MbIconWarning, B::NoButton, IdCancel},  // closed without choosing
      {MbYesNo | MbIconQuestion, B::NoButton, IdNo},
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
    return flags == (MbYesNo | MbIconQuestion) ? IdNo : IdOk;
  });
  EXPECT_EQ(App->MessageBox("Save?", MbYesNo | MbIconQuestion), IdNo);
  EXPECT_EQ(caption, "Velora");
  EXPECT_EQ(App->MessageBox("Done", "Other", MbOk | MbIconInformation), IdOk);
  EXPECT_EQ(caption, "Other");
}

}  // namespace
