#pragma once
// Progress of a long whole-image computation, as the computation reports it.
// The core's algorithms take this interface; the program shows it in the
// status bar.

#include <cstdint>

class IVxProgress {
 public:
  // Starts over at 0 of maximum steps; 0 is the meter's resting state.
  virtual void Reset(int32_t maximum) = 0;
  // One step further.
  virtual void Step() = 0;

 protected:
  IVxProgress() = default;
  IVxProgress(const IVxProgress &) = default;
  IVxProgress &operator=(const IVxProgress &) = default;
  ~IVxProgress() = default;
};

// Progress nobody watches.
class TVxNoProgress final : public IVxProgress {
 public:
  void Reset(int32_t) override {}
  void Step() override {}
};

// Starts the meter with maximum steps and puts it back to rest when the
// computation ends, however it ends.
class TVxProgressRun {
 public:
  TVxProgressRun(IVxProgress &progress, int32_t maximum) : Progress(progress) {
    Progress.Reset(maximum);
  }
  ~TVxProgressRun() { Progress.Reset(0); }
  TVxProgressRun(const TVxProgressRun &) = delete;
  TVxProgressRun &operator=(const TVxProgressRun &) = delete;

  void Step() { Progress.Step(); }

 private:
  IVxProgress &Progress;
};
