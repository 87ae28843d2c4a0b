#pragma once
// What the plug-in library exports to its host, and its start and end.

#include <cstdint>
#include <string>

#ifdef _WIN32
#define VX_PLUGIN_EXPORT __declspec(dllexport)
#else
#define VX_PLUGIN_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {
// The host's one call into the plug-in. result is -30100 for a selector we
// do not know and when no filter exists.
VX_PLUGIN_EXPORT void ENTRYPOINT(int16_t selector, void *record, intptr_t *data, int16_t *result);
}
// The Linux library also exports the property list, the same bytes the
// Windows build carries as its "PIPL" resource 16000:
// VeloraPluginProperties (the bytes) and VeloraPluginPropertiesSize.

namespace pluginentry {

// Where the installer writes the editor's path: the key's default value.
constexpr const char *EditorKey = "SOFTWARE\\Lumetra\\Zored Azivuzu\\Velora";
constexpr const char *AboutCaption = "About Velora Plug-in";
std::string AboutText();

// Library start: the named mutex, the editor's path, the global filter.
void StartLibrary();
// Library end: the global filter and the mutex go.
void EndLibrary();

}  // namespace pluginentry
