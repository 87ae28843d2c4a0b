#pragma once
// The status bar's progress meter that long-running tools drive.

#include <QPointer>
#include <QProgressBar>

#include "base/VxProgress.h"

class QStatusBar;

class TProgressMeter final : public IVxProgress {
 public:
  // The width the meter takes at the right end of the status bar.
  static constexpr int BarWidth = 200;

  // Puts a new bar at the right end of statusBar, at rest.
  explicit TProgressMeter(QStatusBar *statusBar);
  ~TProgressMeter();
  TProgressMeter(const TProgressMeter &) = delete;
  TProgressMeter &operator=(const TProgressMeter &) = delete;

  QProgressBar *Bar() const { return FBar.data(); }

  // Runs on the interface thread; the bar repaints at once, as the work
  // that steps it keeps the event loop waiting.
  void Reset(int32_t maximum) override;
  void Step() override;

 private:
  QPointer<QProgressBar> FBar;
  // Steps of the current run, and where the bar last showed them.
  int32_t Maximum = 0;
  int32_t Position = 0;
};

// The program's meter, or one nobody watches when there is none.
IVxProgress &ProgressMeter();
// The program's meter from now on (null: none); the caller keeps it alive.
void SetProgressMeter(TProgressMeter *meter);
