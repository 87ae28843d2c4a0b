#include "PluginHost.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace pluginhost {

namespace {

THost *CurrentHost = nullptr;

bool IsEmpty(const VxFilterRect &r) { return r.right <= r.left || r.bottom <= r.top; }

bool Same(const VxFilterRect &a, const VxFilterRect &b) {
  return a.top == b.top && a.left == b.left && a.bottom == b.bottom && a.right == b.right;
}

}  // namespace

TPluginLibrary::TPluginLibrary(const std::filesystem::path &path) {
  Handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (Handle == nullptr) {
    FWhy = dlerror();
    return;
  }
  Entry = reinterpret_cast<decltype(Entry)>(dlsym(Handle, "ENTRYPOINT"));
  if (Entry == nullptr) FWhy = "no ENTRYPOINT";
}

TPluginLibrary::~TPluginLibrary() {
  if (Handle != nullptr) dlclose(Handle);
}

std::vector<uint8_t> TPluginLibrary::Properties() const {
  if (Handle == nullptr) return {};
  const auto *bytes = static_cast<const uint8_t *>(dlsym(Handle, "VeloraPluginProperties"));
  const auto *size = static_cast<const uint32_t *>(dlsym(Handle, "VeloraPluginPropertiesSize"));
  if (bytes == nullptr || size == nullptr) return {};
  return {bytes, bytes + *size};
}

int16_t TPluginLibrary::Call(int16_t selector, void *record) {
  int16_t result = 12345;
  intptr_t data = 0;
  Entry(selector, record, &data, &result);
  return result;
}

THost::THost(int32_t width, int32_t height, int16_t planes, int32_t rowBytes,
             VxFilterRect selection)
    : Width(width), Height(height), RowBytes(rowBytes), Planes(planes) {
  Image.resize(static_cast<size_t>(rowBytes) * static_cast<size_t>(height));
  for (size_t i = 0; i < Image.size(); ++i) Image[i] = static_cast<uint8_t>(i * 7 + i / 251);
  Output.assign(Image.size(), Untouched);
  Platform.hwnd = 0x1234;
  Record.planes = planes;
  Record.filterRect = selection;
  Record.imageMode = VxFilterModeRGB;
  Record.platformData = &Platform;
  Record.advanceState = &THost::AdvanceState;
  About.platformData = &Platform;
}

THost::~THost() {
  if (CurrentHost == this) CurrentHost = nullptr;
}

int16_t THost::Run(TPluginLibrary &library, int16_t selector) {
  CurrentHost = this;
  return library.Call(selector, selector == VxFilterSelectorAbout ? static_cast<void *>(&About)
                                                                  : static_cast<void *>(&Record));
}

int16_t THost::AdvanceState() { return CurrentHost != nullptr ? CurrentHost->Advance() : -1; }

size_t THost::Offset(int32_t x, int32_t y) const {
  return static_cast<size_t>(y) * static_cast<size_t>(RowBytes) +
         static_cast<size_t>(x) * static_cast<size_t>(Planes);
}

// A host hands out exactly what was asked for, and only whole planes of a
// rectangle inside its image.
int16_t THost::Advance() {
  Record.inData = nullptr;
  Record.outData = nullptr;
  const auto inside = [&](const VxFilterRect &r) {
    return r.left >= 0 && r.top >= 0 && r.right <= Width && r.bottom <= Height;
  };
  if (!IsEmpty(Record.inRect)) {
    ++InputRequests;
    if (RefuseInput || !inside(Record.inRect) || Record.inLoPlane != 0 ||
        Record.inHiPlane != Planes - 1)
      return -1;
    Record.inData = Image.data() + Offset(Record.inRect.left, Record.inRect.top);
    Record.inRowBytes = RowBytes;
  }
  if (!IsEmpty(Record.outRect)) {
    ++OutputRequests;
    if (RefuseOutput || !inside(Record.outRect) || !Same(Record.outRect, Record.filterRect) ||
        Record.outLoPlane != 0 || Record.outHiPlane != Planes - 1)
      return -1;
    Record.outData = Output.data() + Offset(Record.outRect.left, Record.outRect.top);
    Record.outRowBytes = RowBytes;
  }
  return 0;
}

std::string THost::CheckReturned(int returned) const {
  const VxFilterRect &s = Record.filterRect;
  for (int32_t y = 0; y < Height; ++y)
    for (int32_t x = 0; x < Width; ++x)
      for (int32_t b = 0; b < Planes; ++b) {
        const size_t at = Offset(x, y) + static_cast<size_t>(b);
        const bool copied =
            x >= s.left && x < s.right && y >= s.top && y < s.bottom && b < returned;
        const uint8_t expected = copied ? Image[at] : Untouched;
        if (Output[at] != expected)
          return "byte " + std::to_string(b) + " of pixel (" + std::to_string(x) + ", " +
                 std::to_string(y) + ") is " + std::to_string(Output[at]) + ", not " +
                 std::to_string(expected);
      }
  return {};
}

bool THost::OutputUntouched() const {
  return std::all_of(Output.begin(), Output.end(), [](uint8_t b) { return b == Untouched; });
}

}  // namespace pluginhost

namespace pluginhost {

void InstallEditor(const std::filesystem::path &folder, const std::string &path) {
  const std::filesystem::path value =
      folder / "machine" / "SOFTWARE" / "Lumetra" / "Zored Azivuzu" / "Velora" / "default";
  std::filesystem::create_directories(value.parent_path());
  std::filesystem::create_directories(folder / "tmp");
  FILE *file = std::fopen(value.c_str(), "wb");
  if (file != nullptr) {
    std::fputs(path.c_str(), file);
    std::fclose(file);
  }
  setenv("VELORA_MACHINE_STORE", (folder / "machine").c_str(), 1);
  setenv("TMPDIR", (folder / "tmp").c_str(), 1);
}

std::vector<std::filesystem::path> ExchangeFilesLeft(const std::filesystem::path &folder) {
  std::vector<std::filesystem::path> left;
  std::error_code error;
  for (const auto &entry : std::filesystem::directory_iterator(folder / "tmp", error))
    if (entry.path().filename().string().starts_with("PSPF")) left.push_back(entry.path());
  return left;
}

}  // namespace pluginhost
