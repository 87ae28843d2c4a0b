#include "demo/VxDemoClient.h"

#include "framework/VxApplication.h"

IVxDemoRegistry *DemoRegistry() {
  TVxApplication *application = Application();
  return application ? application->Find<IVxDemoRegistry>() : nullptr;
}
