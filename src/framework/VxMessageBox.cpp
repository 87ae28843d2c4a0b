#include "framework/VxMessageBox.h"

#include "framework/VxApplication.h"

TVxMessageBoxLayout MessageBoxLayout(int flags) {
  using B = QMessageBox;
  TVxMessageBoxLayout layout;
  switch (flags & MbButtonsMask) {
    case MbOkCancel:
      layout.Buttons = B::Ok | B::Cancel;
      layout.EscapeButton = B::Cancel;
      break;
    case MbAbortRetryIgnore:
      layout.Buttons = B::Abort | B::Retry | B::Ignore;
      layout.EscapeButton = B::Abort;
      break;
    case MbYesNoCancel:
      layout.Buttons = B::Yes | B::No | B::Cancel;
      layout.EscapeButton = B::Cancel;
      break;
    case MbYesNo:
      layout.Buttons = B::Yes | B::No;
      layout.EscapeButton = B::No;
      break;
    case MbRetryCancel:
      layout.Buttons = B::Retry | B::Cancel;
      layout.EscapeButton = B::Cancel;
      break;
    default:
      layout.Buttons = B::Ok;
      layout.EscapeButton = B::Ok;
      break;
  }
  switch (flags & MbIconMask) {
    case MbIconError:
      layout.Icon = B::Critical;
      break;
    case MbIconQuestion:
      layout.Icon = B::Question;
      break;
    case MbIconWarning:
      layout.Icon = B::Warning;
      break;
    case MbIconInformation:
      layout.Icon = B::Information;
      break;
    default:
      break;
  }
  // The default button is counted in the order the buttons are listed above.
  const int wanted = (flags >> 8) & 0x3;  // MbDefaultButton2 is 1, MbDefaultButton3 is 2
  int position = 0;
  for (B::StandardButton button : {B::Ok, B::Yes, B::No, B::Abort, B::Retry, B::Ignore, B::Cancel})
    if (layout.Buttons.testFlag(button) && position++ == wanted) layout.DefaultButton = button;
  if (layout.DefaultButton == B::NoButton)
    for (B::StandardButton button : {B::Ok, B::Yes, B::Abort, B::Retry})
      if (layout.Buttons.testFlag(button)) {
        layout.DefaultButton = button;
        break;
      }
  return layout;
}

int MessageBoxAnswer(QMessageBox::StandardButton button) {
  switch (button) {
    case QMessageBox::Ok:
      return IdOk;
    case QMessageBox::Cancel:
      return IdCancel;
    case QMessageBox::Abort:
      return IdAbort;
    case QMessageBox::Retry:
      return IdRetry;
    case QMessageBox::Ignore:
      return IdIgnore;
    case QMessageBox::Yes:
      return IdYes;
    case QMessageBox::No:
      return IdNo;
    default:
      return IdCancel;
  }
}

int ShowMessageBox(QWidget *parent, const QString &text, const QString &caption, int flags) {
  const TVxMessageBoxLayout layout = MessageBoxLayout(flags);
  QMessageBox box(layout.Icon, caption, text, layout.Buttons, parent);
  box.setDefaultButton(layout.DefaultButton);
  box.setEscapeButton(layout.EscapeButton);
  box.exec();
  auto *clicked = box.clickedButton();
  const auto button = clicked ? box.standardButton(clicked) : layout.EscapeButton;
  return MessageBoxAnswer(button == QMessageBox::NoButton ? layout.EscapeButton : button);
}
