#include "framework/VxProgressMeter.h"

#include <QStatusBar>

namespace {

TProgressMeter *Current = nullptr;

}  // namespace

TProgressMeter::TProgressMeter(QStatusBar *statusBar) {
  auto *bar = new QProgressBar(statusBar);
  bar->setObjectName(QStringLiteral("ProgressMeter"));
  bar->setFixedWidth(BarWidth);
  bar->setTextVisible(false);
  FBar = bar;
  if (statusBar) statusBar->addPermanentWidget(bar);
  Reset(0);
}

TProgressMeter::~TProgressMeter() {
  if (Current == this) Current = nullptr;
  // The bar belongs to the status bar, which may already be gone.
  delete FBar.data();
}

void TProgressMeter::Reset(int32_t maximum) {
  Maximum = maximum > 0 ? maximum : 0;
  Position = 0;
  if (!FBar) return;
  // A range of 0..0 would make the bar a busy indicator; at rest it is empty.
  FBar->setRange(0, Maximum > 0 ? Maximum : 1);
  FBar->setValue(0);
}

void TProgressMeter::Step() {
  if (Position >= Maximum) return;
  ++Position;
  // setValue repaints only when the drawn bar would change.
  if (FBar) FBar->setValue(Position);
}

IVxProgress &ProgressMeter() {
  static TVxNoProgress nobody;
  return Current ? static_cast<IVxProgress &>(*Current) : nobody;
}

void SetProgressMeter(TProgressMeter *meter) { Current = meter; }
