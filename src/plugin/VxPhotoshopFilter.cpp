#include "plugin/VxPhotoshopFilter.h"

#include "platform/PlainMessage.h"

namespace {

TPhotoshopFilter *GlobalFilter = nullptr;

}  // namespace

intptr_t HostWindow(const VxFilterPlatformData *platformData) {
  return platformData != nullptr ? platformData->hwnd : 0;
}

TPhotoshopFilter::TPhotoshopFilter() { GlobalFilter = this; }

TPhotoshopFilter::~TPhotoshopFilter() {
  if (GlobalFilter == this) GlobalFilter = nullptr;
}

TPhotoshopFilter *TPhotoshopFilter::Instance() { return GlobalFilter; }

int16_t TPhotoshopFilter::About(const VxAboutRecord *record) {
  ShowAbout(record != nullptr ? HostWindow(record->platformData) : 0);
  return VxFilterResultOk;
}

int16_t TPhotoshopFilter::Parameters(VxFilterRecord *) { return VxFilterResultOk; }

int16_t TPhotoshopFilter::Prepare(VxFilterRecord *) { return VxFilterResultOk; }

int16_t TPhotoshopFilter::Start(VxFilterRecord *) { return VxFilterResultOk; }

int16_t TPhotoshopFilter::Continue(VxFilterRecord *) { return VxFilterResultOk; }

int16_t TPhotoshopFilter::Finish(VxFilterRecord *) { return VxFilterResultOk; }

void TPhotoshopFilter::ShowAbout(intptr_t window) {
  platform::ShowPlainMessage(window, AboutText, AboutCaption, platform::PlainMessageIcon::None);
}

void TPhotoshopFilter::Initialize() {}

int16_t TPhotoshopFilter::Dispatch(int16_t selector, void *record) {
  auto *filter = static_cast<VxFilterRecord *>(record);
  switch (selector) {
    case VxFilterSelectorAbout:
      return About(static_cast<const VxAboutRecord *>(record));
    case VxFilterSelectorParameters:
      return Parameters(filter);
    case VxFilterSelectorPrepare:
      return Prepare(filter);
    case VxFilterSelectorStart:
      return Start(filter);
    case VxFilterSelectorContinue:
      return Continue(filter);
    case VxFilterSelectorFinish:
      return Finish(filter);
    default:
      return VxFilterResultBadSelector;
  }
}
