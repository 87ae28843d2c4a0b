#pragma once
// A filter host of our own, as small as a host can be: it loads the plug-in
// library, reads its property list, and calls its entry point with a
// filter record over an RGB image it owns, answering advanceState itself.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "plugin/VxFilterRecord.h"

namespace pluginhost {

// The plug-in library, loaded on construction (the library starts then)
// and unloaded on destruction.
class TPluginLibrary {
 public:
  explicit TPluginLibrary(const std::filesystem::path &path);
  ~TPluginLibrary();
  TPluginLibrary(const TPluginLibrary &) = delete;
  TPluginLibrary &operator=(const TPluginLibrary &) = delete;

  bool Loaded() const { return Entry != nullptr; }
  const std::string &Why() const { return FWhy; }
  std::vector<uint8_t> Properties() const;
  // ENTRYPOINT(selector, record, data, result); the result it stored.
  int16_t Call(int16_t selector, void *record);

 private:
  void *Handle = nullptr;
  void (*Entry)(int16_t, void *, intptr_t *, int16_t *) = nullptr;
  std::string FWhy;
};

constexpr uint8_t Untouched = 0xA5;

// An image of the host: its pixels (the input the plug-in reads) and the
// output buffer the plug-in writes into, which starts as Untouched bytes so
// that every byte the plug-in copies shows.
class THost {
 public:
  THost(int32_t width, int32_t height, int16_t planes, int32_t rowBytes, VxFilterRect selection);
  ~THost();
  THost(const THost &) = delete;
  THost &operator=(const THost &) = delete;

  int16_t Run(TPluginLibrary &library, int16_t selector);

  VxFilterRecord Record{};
  VxAboutRecord About{};
  VxFilterPlatformData Platform{};
  std::vector<uint8_t> Image;
  std::vector<uint8_t> Output;
  bool RefuseInput = false;
  bool RefuseOutput = false;
  int InputRequests = 0;
  int OutputRequests = 0;

  // Whether Output holds the first `returned` bytes of every selected pixel
  // of Image and Untouched everywhere else; empty when it does, else the
  // first wrong byte.
  std::string CheckReturned(int returned = 3) const;
  bool OutputUntouched() const;

 private:
  static int16_t AdvanceState();
  int16_t Advance();
  size_t Offset(int32_t x, int32_t y) const;

  int32_t Width, Height, RowBytes;
  int16_t Planes;
};

}  // namespace pluginhost

namespace pluginhost {

// Points the machine store at folder and writes path there as the editor's,
// as the installer does; TMPDIR goes to folder/tmp, where the exchange
// files are then made. Call before the library loads.
void InstallEditor(const std::filesystem::path &folder, const std::string &path);
// The exchange files left in folder/tmp (named "PSPF...").
std::vector<std::filesystem::path> ExchangeFilesLeft(const std::filesystem::path &folder);

}  // namespace pluginhost
