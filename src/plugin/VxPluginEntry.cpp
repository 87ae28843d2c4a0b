#include "plugin/VxPluginEntry.h"

#include <array>
#include <memory>
#include <new>

#include "platform/MachineStore.h"
#include "platform/NamedMutex.h"
#include "plugin/VxExternalPhotoshopFilter.h"
#include "plugin/VxPluginProperties.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// The editor reads no more of the value either.
constexpr size_t MaxPathBytes = 1024;

std::unique_ptr<platform::NamedMutex> Mutex;
std::unique_ptr<TExternalPhotoshopFilter> Filter;

}  // namespace

std::string pluginentry::AboutText() {
  return "Velora Plug-in\nVersion: 2.2.8\nRetouch the image in the Velora portrait editor.";
}

void pluginentry::StartLibrary() {
  Mutex = std::make_unique<platform::NamedMutex>("VeloraMutexName");
  Filter = std::make_unique<TExternalPhotoshopFilter>(
      platform::ReadMachineValue(EditorKey, MaxPathBytes), AboutText(), AboutCaption);
  Filter->Initialize();
}

void pluginentry::EndLibrary() {
  Filter.reset();
  Mutex.reset();
}

extern "C" void ENTRYPOINT(int16_t selector, void *record, intptr_t *, int16_t *result) {
  if (result == nullptr) return;
  *result = VxFilterResultBadSelector;
  TPhotoshopFilter *filter = TPhotoshopFilter::Instance();
  if (filter == nullptr) return;
  // Nothing may unwind into the host, which knows nothing of our exceptions.
  try {
    *result = filter->Dispatch(selector, record);
  } catch (...) {
    *result = VxFilterResultError;
  }
}

#ifdef _WIN32

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) pluginentry::StartLibrary();
  if (reason == DLL_PROCESS_DETACH) pluginentry::EndLibrary();
  return TRUE;
}

#else

namespace {

__attribute__((constructor)) void LibraryLoaded() { pluginentry::StartLibrary(); }
__attribute__((destructor)) void LibraryUnloaded() { pluginentry::EndLibrary(); }

}  // namespace

extern "C" {
VX_PLUGIN_EXPORT extern const std::array<uint8_t, pluginproperties::Size> VeloraPluginProperties;
VX_PLUGIN_EXPORT extern const uint32_t VeloraPluginPropertiesSize;
}
constexpr std::array<uint8_t, pluginproperties::Size> VeloraPluginProperties =
    pluginproperties::Bytes();
constexpr uint32_t VeloraPluginPropertiesSize = pluginproperties::Size;

#endif
