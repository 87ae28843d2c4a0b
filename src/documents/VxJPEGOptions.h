#pragma once
// The window that asks for the JPEG quality before a JPEG file is written.

#include <QDialog>
#include <functional>

#include "framework/VxForms.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

class TVxJPEGOptionsForm : public QDialog, public TVxFormModule {
  Q_OBJECT
 public:
  // The qualities of the combo box entries, lowest first.
  static constexpr int Presets[] = {10, 30, 60, 80, 100};

  explicit TVxJPEGOptionsForm(QWidget *parent = nullptr);

  // The track bar's position.
  int Quality() const;
  // Sets all three controls.
  void SetQuality(int quality);

  // Shows the window modally; true when it was closed with OK.
  bool Execute();

  // Replaces the modal run, e.g. so that tests answer the window: the
  // answerer gets the ready window and may change its controls and press
  // its buttons; Execute then reports whether the window was accepted.
  using TAnswerer = std::function<void(TVxJPEGOptionsForm &form)>;
  static void SetAnswerer(TAnswerer answerer);

  // The combo box entry of a quality: the highest preset not above it.
  static int PresetIndexFor(int quality);

  void Localize() override;

  QPushButton *OkButton = nullptr;
  QPushButton *CancelButton = nullptr;
  QCheckBox *DisplayCheckbox = nullptr;
  QGroupBox *QualityGroupBox = nullptr;
  QLineEdit *QualityEdit = nullptr;
  QComboBox *QualityComboBox = nullptr;
  QSlider *QualityTrackBar = nullptr;
  QLabel *SmallFileLabel = nullptr;
  QLabel *LargeFileLabel = nullptr;
  QLabel *QualityLabel = nullptr;

 protected:
  bool event(QEvent *event) override;

 private:
  void OkButtonClick();
  void QualityEditChange();
  void QualityComboBoxChange(int index);
  void QualityTrackBarChange(int position);
  // Runs `change` unless another change is already being passed on.
  void InStep(const std::function<void()> &change);

  bool Changing = false;
};

// Asks for a JPEG quality, starting from `quality`; on OK stores the choice
// there and returns true.
bool ExecuteJPEGOptions(int &quality, QWidget *parent = nullptr);
