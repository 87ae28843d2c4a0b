#include "documents/VxDemoClient.h"

#include "framework/VxApplication.h"

IVxDemoRegistry *DemoRegistry() {
  TVxApplication *application = Application();
  if (!application) return nullptr;
  for (int i = 0; i < application->ComponentCount(); ++i)
    if (auto *registry = dynamic_cast<IVxDemoRegistry *>(application->Component(i)))
      return registry;
  return nullptr;
}
