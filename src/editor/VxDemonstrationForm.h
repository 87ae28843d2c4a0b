#pragma once
// The demonstration chooser: every script of the demonstration folder with
// its title and picture; the chosen one is played when the dialog closes
// with Start.

#include <QCheckBox>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <memory>
#include <vector>

#include "demo/VxDemoScript.h"

class TVxDemonstrationModule;

class TVxDemonstrationForm : public QDialog {
  Q_OBJECT
 public:
  TVxDemonstrationForm(TVxDemonstrationModule &module, QWidget *parent);
  ~TVxDemonstrationForm() override;

  QLabel *SelectLabel = nullptr;
  QLabel *EscTntLabel = nullptr;
  QListWidget *DemoListView = nullptr;
  QCheckBox *ShowAtStartupCheckBox = nullptr;
  QPushButton *StartButton = nullptr;
  QPushButton *CloseButton = nullptr;

  // The script of the selected item; null when nothing is selected.
  const TVxDemoScript *SelectedScript() const;
  void Localize();

  // The chooser's 64 x 64 picture of an image: fitted with its proportions,
  // centred, framed in light grey; a plain framed square when picture is null.
  static QImage Thumbnail(const QImage &picture);

 protected:
  void done(int result) override;

 private:
  void LoadScripts();
  void SelectionChanged();

  TVxDemonstrationModule &Module;
  std::vector<std::unique_ptr<TVxDemoScript>> Scripts;
};
