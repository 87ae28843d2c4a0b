#pragma once
// The plug-in's side of the exchange file: the host's pixel block goes in
// as it is, and the editor's answer comes back out only when the file
// proves to hold what its header claims.

#include <cstdint>
#include <string>

#include "plugin/ExchangeLayout.h"

// Sizes path to 36 + stride x height bytes and writes the header and the
// host's rows into it. False when the file cannot be grown (a full disk) or
// mapped; the file may then be left empty.
bool WriteHostImage(const std::string &path, const TExchangeHeader &header, const void *pixels);

struct THostOutput {
  void *Data = nullptr;
  int32_t RowBytes = 0;
  int32_t Planes = 0;
};

enum class TReadBackStatus {
  Ok,
  Unreadable,  // gone, empty, or cannot be mapped
  Mismatch,    // not the image that was handed over: magic, mode or size differ
  Damaged,     // the header's sizes do not fit the file or the host's rows
};

// Copies the editor's pixels into the host's output rows: red, green and
// blue of every pixel, leaving any further byte of the host's pixels as it
// is. written is the header the plug-in wrote; only mode, width and height
// must still agree (the editor writes left and top 0 and its own stride).
TReadBackStatus ReadBackHostImage(const std::string &path, const TExchangeHeader &written,
                                  const THostOutput &output);
