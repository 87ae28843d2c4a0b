#include "demo/VxDemoClient.h"

#include "framework/VxApplication.h"

IVxDemoRegistry *DemoRegistry() {
  TVxApplication *application = Application();
  return application ? application->Find<IVxDemoRegistry>() : nullptr;
}

TVxDemoPauseScope::TVxDemoPauseScope() {
  TVxApplication *application = Application();
  auto *hold = application ? application->Find<IVxDemoPlaybackHold>() : nullptr;
  if (!hold) return;
  Holder = dynamic_cast<QObject *>(hold);
  hold->PausePlayback();
}

TVxDemoPauseScope::~TVxDemoPauseScope() {
  if (auto *hold = dynamic_cast<IVxDemoPlaybackHold *>(Holder.data())) hold->ResumePlayback();
}
