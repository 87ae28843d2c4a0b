#pragma once
// The filter a host calls through the plug-in's entry point: one operation
// per selector, each answering with the host's result code. A library holds
// one instance, made global by its construction.

#include <cstdint>
#include <string>

#include "plugin/VxFilterRecord.h"

class TPhotoshopFilter {
 public:
  TPhotoshopFilter();
  virtual ~TPhotoshopFilter();
  TPhotoshopFilter(const TPhotoshopFilter &) = delete;
  TPhotoshopFilter &operator=(const TPhotoshopFilter &) = delete;

  // The library's filter; null before the library started or after it ended.
  static TPhotoshopFilter *Instance();

  virtual int16_t About(const VxAboutRecord *record);
  virtual int16_t Parameters(VxFilterRecord *record);
  virtual int16_t Prepare(VxFilterRecord *record);
  virtual int16_t Start(VxFilterRecord *record);
  virtual int16_t Continue(VxFilterRecord *record);
  virtual int16_t Finish(VxFilterRecord *record);
  virtual void ShowAbout(intptr_t window);
  // Run once the filter is made and global.
  virtual void Initialize();

  // The host's result for selector; VxFilterResultBadSelector for one we do
  // not know. record is the about record for selector 0, the filter record
  // otherwise.
  int16_t Dispatch(int16_t selector, void *record);

  std::string AboutCaption = "About";
  std::string AboutText;
};

// The host's window, owner of our messages; 0 when the host gave none.
intptr_t HostWindow(const VxFilterPlatformData *platformData);
