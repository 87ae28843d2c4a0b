#include "plugin/VxExternalPhotoshopFilter.h"

#include <cstdio>

#include "platform/ChildProcess.h"
#include "platform/PlainMessage.h"
#include "platform/TempFile.h"
#include "plugin/PluginExchange.h"

namespace {

#ifdef _WIN32
constexpr const char *PathSeparators = "\\/";
#else
constexpr const char *PathSeparators = "/";
#endif

void ShowError(const VxFilterRecord *record, const std::string &text) {
  platform::ShowPlainMessage(HostWindow(record->platformData), text, plugintexts::ErrorCaption,
                             platform::PlainMessageIcon::Error);
}

void ClearRects(VxFilterRecord *record) {
  record->inRect = {};
  record->outRect = {};
  record->maskRect = {};
}

// Asks the host to fill inData (input) or outData for the whole filter
// rectangle and every plane.
bool Advance(VxFilterRecord *record, bool input) {
  const auto lastPlane = static_cast<int16_t>(record->planes - 1);
  ClearRects(record);
  if (input) {
    record->inRect = record->filterRect;
    record->inLoPlane = 0;
    record->inHiPlane = lastPlane;
  } else {
    record->outRect = record->filterRect;
    record->outLoPlane = 0;
    record->outHiPlane = lastPlane;
  }
  return record->advanceState != nullptr && record->advanceState() == 0;
}

TExchangeHeader HeaderOf(const VxFilterRecord *record) {
  TExchangeHeader h;
  h.ColourMode = record->imageMode;
  h.Left = record->filterRect.left;
  h.Top = record->filterRect.top;
  h.Width = record->filterRect.right - record->filterRect.left;
  h.Height = record->filterRect.bottom - record->filterRect.top;
  h.Stride = record->inRowBytes;
  h.BytesPerPixel = record->planes;
  return h;
}

// What the host handed us must describe a block of pixels we can copy.
bool Plausible(const TExchangeHeader &h, const void *pixels) {
  return pixels != nullptr && h.Width > 0 && h.Height > 0 && h.BytesPerPixel >= 3 &&
         static_cast<int64_t>(h.Stride) >= static_cast<int64_t>(h.Width) * h.BytesPerPixel;
}

}  // namespace

std::string plugintexts::ExecuteApplication(const std::string &path, int error) {
  return "Execute application \"" + path + "\" error: " + std::to_string(error);
}

TExternalPhotoshopFilter::TExternalPhotoshopFilter(const std::string &editorPath,
                                                   const std::string &aboutText,
                                                   const std::string &aboutCaption)
    : FEditorPath(editorPath) {
  AboutText = aboutText;
  AboutCaption = aboutCaption;
  if (FEditorFolder.empty()) {
    const size_t last = editorPath.find_last_of(PathSeparators);
    if (last != std::string::npos) FEditorFolder = editorPath.substr(0, last);
  }
}

int16_t TExternalPhotoshopFilter::Start(VxFilterRecord *record) {
  if (record == nullptr) return VxFilterResultError;
  if (!Advance(record, true)) {
    ShowError(record, plugintexts::GetImageData);
    ClearRects(record);
    return VxFilterResultError;
  }
  const TExchangeHeader header = HeaderOf(record);
  if (!Plausible(header, record->inData)) {
    ShowError(record, plugintexts::GetImageData);
    ClearRects(record);
    return VxFilterResultError;
  }

  const std::string file = platform::CreateUniqueTempFile("PSPF");
  if (file.empty() || !WriteHostImage(file, header, record->inData)) {
    // A file made but not filled is no use to anyone: it goes as well.
    if (!file.empty()) std::remove(file.c_str());
    ShowError(record, plugintexts::CreateTempFile);
    return VxFilterResultError;
  }
  const int16_t result = RunEditor(record, file, header);
  std::remove(file.c_str());
  ClearRects(record);
  return result;
}

int16_t TExternalPhotoshopFilter::RunEditor(VxFilterRecord *record, const std::string &file,
                                            const TExchangeHeader &header) {
  platform::ChildProcess editor;
  if (!editor.Start(FEditorPath, file, FEditorFolder)) {
    ShowError(record, plugintexts::ExecuteApplication(FEditorPath, editor.Error()));
    return VxFilterResultError;
  }
  if (editor.WaitForExit() != 0) return VxFilterResultUserCanceled;
  return TakeResult(record, file, header);
}

int16_t TExternalPhotoshopFilter::TakeResult(VxFilterRecord *record, const std::string &file,
                                             const TExchangeHeader &header) {
  if (!Advance(record, false)) {
    ShowError(record, plugintexts::GetOutImageData);
    return VxFilterResultUserCanceled;
  }
  const THostOutput output{record->outData, record->outRowBytes, record->planes};
  if (ReadBackHostImage(file, header, output) != TReadBackStatus::Ok) {
    ShowError(record, plugintexts::TransferImageData);
    return VxFilterResultUserCanceled;
  }
  return VxFilterResultOk;
}
