#pragma once
// The modal message box behind TVxApplication::MessageBox.

#include <QMessageBox>
#include <QString>

class QWidget;

// What a flags value asks for: the buttons, the icon and the default button.
struct TVxMessageBoxLayout {
  QMessageBox::StandardButtons Buttons;
  QMessageBox::Icon Icon = QMessageBox::NoIcon;
  QMessageBox::StandardButton DefaultButton = QMessageBox::NoButton;
  // The button whose answer a box closed without choosing gives.
  QMessageBox::StandardButton EscapeButton = QMessageBox::NoButton;
};

TVxMessageBoxLayout MessageBoxLayout(int flags);
// IdOk, IdCancel, IdYes... for a standard button.
int MessageBoxAnswer(QMessageBox::StandardButton button);
// Shows the box and waits for the answer.
int ShowMessageBox(QWidget *parent, const QString &text, const QString &caption, int flags);
