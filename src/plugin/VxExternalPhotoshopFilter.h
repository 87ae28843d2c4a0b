#pragma once
// The filter that hands the host's image to the editor program: it writes
// the image into an exchange file, runs the editor on it, waits, and takes
// the retouched pixels back when the user confirmed with OK.

#include <string>

#include "plugin/ExchangeLayout.h"
#include "plugin/VxPhotoshopFilter.h"

class TExternalPhotoshopFilter : public TPhotoshopFilter {
 public:
  TExternalPhotoshopFilter(const std::string &editorPath, const std::string &aboutText,
                           const std::string &aboutCaption);

  int16_t Start(VxFilterRecord *record) override;

  const std::string &EditorPath() const { return FEditorPath; }
  const std::string &EditorFolder() const { return FEditorFolder; }

 private:
  // Runs the editor on the exchange file and takes its answer; the host's
  // result code.
  int16_t RunEditor(VxFilterRecord *record, const std::string &file, const TExchangeHeader &header);
  int16_t TakeResult(VxFilterRecord *record, const std::string &file,
                     const TExchangeHeader &header);

  std::string FEditorFolder;
  std::string FEditorPath;
};

// The texts of the plug-in's messages.
namespace plugintexts {
constexpr const char *ErrorCaption = "Error";
constexpr const char *GetImageData = "Get image data error.";
constexpr const char *CreateTempFile = "Create temp file error.";
constexpr const char *GetOutImageData = "Get out image data error.";
constexpr const char *TransferImageData = "Transfer image data error.";
// "Execute application "<path>" error: <number>"
std::string ExecuteApplication(const std::string &path, int error);
}  // namespace plugintexts
