#include "services/Scanner.h"

#include <sane/sane.h>
#include <sane/saneopts.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <mutex>
#include <system_error>
#include <utility>

#include "imaging/codecs/VxImage.h"

namespace platform {
namespace {

// Larger sides than this are not a page from a scanner but a device fault.
constexpr int32_t MaxSide = 65535;
constexpr SANE_Int ReadBlock = 64 * 1024;

std::mutex &SaneLock() {
  static std::mutex lock;
  return lock;
}

// Guarded by SaneLock.
int SessionUsers = 0;

bool AcquireSession(std::string &error) {
  if (SessionUsers == 0) {
    SANE_Int version = 0;
    const SANE_Status status = sane_init(&version, nullptr);
    if (status != SANE_STATUS_GOOD) {
      error = sane_strstatus(status);
      return false;
    }
  }
  ++SessionUsers;
  return true;
}

void ReleaseSession() {
  if (--SessionUsers == 0) sane_exit();
}

TScanResult Failure(TScanStatus status, std::string detail) {
  TScanResult result;
  result.Status = status;
  result.Detail = std::move(detail);
  return result;
}

TScanResult SaneFailure(TScanStatus status, SANE_Status saneStatus) {
  if (saneStatus == SANE_STATUS_CANCELLED) status = TScanStatus::Cancelled;
  if (saneStatus == SANE_STATUS_NO_MEM) status = TScanStatus::OutOfMemory;
  return Failure(status, sane_strstatus(saneStatus));
}

std::string Lower(std::string text) {
  for (char &c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// An open device; cancelled and closed on every way out.
class TDevice {
 public:
  explicit TDevice(SANE_Handle handle) : Handle(handle) {}
  ~TDevice() {
    sane_cancel(Handle);
    sane_close(Handle);
  }
  TDevice(const TDevice &) = delete;
  TDevice &operator=(const TDevice &) = delete;

  SANE_Handle Handle;
};

int32_t FindOption(SANE_Handle handle, const char *name) {
  SANE_Int count = 0;
  if (sane_control_option(handle, 0, SANE_ACTION_GET_VALUE, &count, nullptr) != SANE_STATUS_GOOD)
    return -1;
  for (SANE_Int i = 1; i < count; ++i) {
    const SANE_Option_Descriptor *option = sane_get_option_descriptor(handle, i);
    if (option && option->name && std::strcmp(option->name, name) == 0) return i;
  }
  return -1;
}

const SANE_Option_Descriptor *SettableOption(SANE_Handle handle, int32_t index) {
  if (index < 0) return nullptr;
  const SANE_Option_Descriptor *option = sane_get_option_descriptor(handle, index);
  if (!option || !SANE_OPTION_IS_ACTIVE(option->cap) || !SANE_OPTION_IS_SETTABLE(option->cap))
    return nullptr;
  return option;
}

// Device modes are free text: "Color", "Colour", "24bit Color", "Gray", "Grayscale"...
void SelectMode(SANE_Handle handle, bool colour) {
  const int32_t index = FindOption(handle, SANE_NAME_SCAN_MODE);
  const SANE_Option_Descriptor *option = SettableOption(handle, index);
  if (!option || option->type != SANE_TYPE_STRING ||
      option->constraint_type != SANE_CONSTRAINT_STRING_LIST)
    return;
  const char *exact = colour ? SANE_VALUE_SCAN_MODE_COLOR : SANE_VALUE_SCAN_MODE_GRAY;
  const SANE_String_Const *list = option->constraint.string_list;
  const SANE_String_Const *chosen = nullptr;
  for (const SANE_String_Const *entry = list; *entry && !chosen; ++entry)
    if (std::strcmp(*entry, exact) == 0) chosen = entry;
  for (const SANE_String_Const *entry = list; *entry && !chosen; ++entry) {
    const std::string mode = Lower(*entry);
    const bool match =
        colour ? mode.find("colo") != std::string::npos
               : mode.find("gray") != std::string::npos || mode.find("grey") != std::string::npos;
    if (match) chosen = entry;
  }
  if (!chosen) return;
  std::vector<char> value(static_cast<size_t>(std::max<SANE_Int>(option->size, 1)), '\0');
  std::strncpy(value.data(), *chosen, value.size() - 1);
  sane_control_option(handle, index, SANE_ACTION_SET_VALUE, value.data(), nullptr);
}

// The allowed value nearest `wanted`, in the option's own units.
double ConstrainResolution(const SANE_Option_Descriptor &option, double wanted) {
  const bool fixed = option.type == SANE_TYPE_FIXED;
  const auto real = [fixed](SANE_Word word) {
    return fixed ? SANE_UNFIX(word) : static_cast<double>(word);
  };
  if (option.constraint_type == SANE_CONSTRAINT_RANGE) {
    const SANE_Range &range = *option.constraint.range;
    const double low = real(range.min);
    const double high = real(range.max);
    double value = std::clamp(wanted, low, std::max(low, high));
    const double quant = real(range.quant);
    if (quant > 0) value = low + std::round((value - low) / quant) * quant;
    return std::min(value, high);
  }
  if (option.constraint_type == SANE_CONSTRAINT_WORD_LIST) {
    const SANE_Word *list = option.constraint.word_list;
    double best = wanted;
    double bestDistance = -1;
    for (SANE_Word i = 1; i <= list[0]; ++i) {
      const double distance = std::abs(real(list[i]) - wanted);
      if (bestDistance < 0 || distance < bestDistance) {
        best = real(list[i]);
        bestDistance = distance;
      }
    }
    return best;
  }
  return wanted;
}

// Sets the resolution when one is asked for and returns the one in force, 0 when unknown.
double SelectResolution(SANE_Handle handle, int32_t wanted) {
  const int32_t index = FindOption(handle, SANE_NAME_SCAN_RESOLUTION);
  if (index < 0) return 0;
  const SANE_Option_Descriptor *option = sane_get_option_descriptor(handle, index);
  if (!option || option->size < static_cast<SANE_Int>(sizeof(SANE_Word)) ||
      (option->type != SANE_TYPE_INT && option->type != SANE_TYPE_FIXED))
    return 0;
  const bool fixed = option->type == SANE_TYPE_FIXED;
  if (wanted > 0 && SettableOption(handle, index)) {
    const double value = ConstrainResolution(*option, wanted);
    SANE_Word word = fixed ? SANE_FIX(value) : static_cast<SANE_Word>(std::lround(value));
    sane_control_option(handle, index, SANE_ACTION_SET_VALUE, &word, nullptr);
  }
  // An array option (separate x and y resolutions) fills more than one word.
  std::vector<SANE_Word> words(static_cast<size_t>(option->size) / sizeof(SANE_Word) + 1, 0);
  if (sane_control_option(handle, index, SANE_ACTION_GET_VALUE, words.data(), nullptr) !=
      SANE_STATUS_GOOD)
    return 0;
  return fixed ? SANE_UNFIX(words[0]) : static_cast<double>(words[0]);
}

// One sample of a scan line as a byte: 16-bit samples come in the host's byte
// order; a 1-bit sample is fully off or fully on.
uint8_t Sample(const uint8_t *line, int32_t index, int32_t depth) {
  switch (depth) {
    case 8:
      return line[index];
    case 16: {
      uint16_t value;
      std::memcpy(&value, line + static_cast<ptrdiff_t>(index) * 2, sizeof value);
      return static_cast<uint8_t>(value >> 8);
    }
    default:
      return (line[index >> 3] >> (7 - (index & 7))) & 1 ? 255 : 0;
  }
}

// Where a frame's samples go in a blue, green, red pixel: the byte offset of
// each of its channels, or all three for grey.
struct TFrameLayout {
  int32_t Channels = 1;
  int32_t Offsets[3] = {0, 0, 0};
  bool Grey = false;
};

bool LayoutOf(SANE_Frame format, TFrameLayout &layout) {
  switch (format) {
    case SANE_FRAME_GRAY:
      layout.Grey = true;
      return true;
    case SANE_FRAME_RGB:
      layout.Channels = 3;
      layout.Offsets[0] = 2;
      layout.Offsets[1] = 1;
      layout.Offsets[2] = 0;
      return true;
    case SANE_FRAME_RED:
      layout.Offsets[0] = 2;
      return true;
    case SANE_FRAME_GREEN:
      layout.Offsets[0] = 1;
      return true;
    case SANE_FRAME_BLUE:
      layout.Offsets[0] = 0;
      return true;
    default:
      return false;
  }
}

void ConvertLine(const uint8_t *line, int32_t width, int32_t depth, const TFrameLayout &layout,
                 uint8_t *target) {
  for (int32_t x = 0; x < width; ++x, target += 3) {
    if (layout.Grey) {
      uint8_t value = Sample(line, x, depth);
      // In a 1-bit grey frame a set bit is black.
      if (depth == 1) value = static_cast<uint8_t>(255 - value);
      target[0] = target[1] = target[2] = value;
      continue;
    }
    for (int32_t c = 0; c < layout.Channels; ++c)
      target[layout.Offsets[c]] = Sample(line, x * layout.Channels + c, depth);
  }
}

TScanResult CheckParameters(const SANE_Parameters &p, TFrameLayout &layout) {
  if (!LayoutOf(p.format, layout))
    return Failure(TScanStatus::Unsupported, "frame format " + std::to_string(p.format));
  if (p.depth != 1 && p.depth != 8 && p.depth != 16)
    return Failure(TScanStatus::Unsupported, "bit depth " + std::to_string(p.depth));
  if (p.pixels_per_line <= 0 || p.pixels_per_line > MaxSide || p.lines > MaxSide || p.lines == 0 ||
      p.lines < -1)
    return Failure(TScanStatus::Unsupported, "image size " + std::to_string(p.pixels_per_line) +
                                                 " x " + std::to_string(p.lines));
  const int64_t bits = static_cast<int64_t>(p.pixels_per_line) * layout.Channels * p.depth;
  if (p.bytes_per_line < (bits + 7) / 8)
    return Failure(TScanStatus::Unsupported,
                   "line of " + std::to_string(p.bytes_per_line) + " bytes is too short");
  return {};
}

// All bytes of the current frame, up to `limit` of them; `received` hears
// of every block.
TScanResult ReadFrame(SANE_Handle handle, size_t limit, const std::atomic<bool> &cancel,
                      const std::function<void(size_t)> &received, std::vector<uint8_t> &data) {
  data.clear();
  std::vector<uint8_t> block(ReadBlock);
  for (;;) {
    if (cancel) return Failure(TScanStatus::Cancelled, sane_strstatus(SANE_STATUS_CANCELLED));
    SANE_Int length = 0;
    const SANE_Status status = sane_read(handle, block.data(), ReadBlock, &length);
    if (status == SANE_STATUS_EOF) return {};
    if (status != SANE_STATUS_GOOD) return SaneFailure(TScanStatus::ScanFailed, status);
    const size_t take = std::min(static_cast<size_t>(std::max<SANE_Int>(length, 0)),
                                 limit - std::min(limit, data.size()));
    data.insert(data.end(), block.begin(), block.begin() + static_cast<ptrdiff_t>(take));
    received(data.size());
  }
}

TScanResult WriteTemporaryBmp(const TVxPixels &pixels, double dpi, std::filesystem::path &file) {
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
  if (error) return Failure(TScanStatus::WriteFailed, error.message());
  std::string name = (folder / "velora-scan-XXXXXX.bmp").string();
  const int fd = mkstemps(name.data(), 4);
  if (fd < 0) return Failure(TScanStatus::WriteFailed, std::strerror(errno));
  close(fd);
  TVxSaveOptions options;
  if (dpi > 0) options.DpiX = options.DpiY = static_cast<float>(dpi);
  const TVxImageStatus status = SaveImage(pixels, name, "image/bmp", options);
  if (status != TVxImageStatus::Ok) {
    std::filesystem::remove(name, error);
    return Failure(TScanStatus::WriteFailed,
                   "image status " + std::to_string(static_cast<int32_t>(status)));
  }
  file = name;
  return {};
}

}  // namespace

TScanner::TScanner() = default;

TScanner::~TScanner() {
  Cancel();
  if (Worker.joinable()) Worker.join();
  std::lock_guard lock(SaneLock());
  if (HasSession) ReleaseSession();
}

bool TScanner::EnsureSession(std::string &error) {
  if (HasSession) return true;
  HasSession = AcquireSession(error);
  return HasSession;
}

bool TScanner::Sources(std::vector<TScanSource> &sources, std::string *error) {
  std::unique_lock lock(SaneLock(), std::defer_lock);
  if (Busy || !lock.try_lock()) {
    sources = LastSources;
    return true;
  }
  std::string reason;
  const SANE_Device **list = nullptr;
  SANE_Status status = SANE_STATUS_GOOD;
  if (EnsureSession(reason)) {
    status = sane_get_devices(&list, SANE_FALSE);
    if (status != SANE_STATUS_GOOD) reason = sane_strstatus(status);
  }
  if (!reason.empty()) {
    if (error) *error = reason;
    return false;
  }
  sources.clear();
  for (const SANE_Device **device = list; device && *device; ++device) {
    const auto text = [](const char *value) { return std::string(value ? value : ""); };
    sources.push_back({text((*device)->name), text((*device)->vendor), text((*device)->model),
                       text((*device)->type)});
  }
  LastSources = sources;
  return true;
}

bool TScanner::Begin() {
  bool idle = false;
  if (!Busy.compare_exchange_strong(idle, true)) return false;
  CancelRequested = false;
  if (OnAcquireStarted) OnAcquireStarted();
  return true;
}

TScanResult TScanner::Scan(const std::string &source, const TScanOptions &options,
                           TVxPixelBuffer &pixels, double &dpi, const TProgress &progress) {
  std::lock_guard lock(SaneLock());
  std::string reason;
  if (!EnsureSession(reason)) return Failure(TScanStatus::NoSane, reason);
  SANE_Handle handle = nullptr;
  const SANE_Status opened = sane_open(source.c_str(), &handle);
  if (opened != SANE_STATUS_GOOD) return SaneFailure(TScanStatus::OpenFailed, opened);
  TDevice device(handle);
  SelectMode(handle, options.Colour);
  dpi = SelectResolution(handle, options.Resolution);

  // One frame holds the whole image, or three frames hold red, green and blue.
  std::vector<uint8_t> data;
  for (int32_t frame = 0;; ++frame) {
    const bool first = frame == 0;
    const SANE_Status started = sane_start(handle);
    if (started != SANE_STATUS_GOOD) return SaneFailure(TScanStatus::ScanFailed, started);
    SANE_Parameters p;
    const SANE_Status got = sane_get_parameters(handle, &p);
    if (got != SANE_STATUS_GOOD) return SaneFailure(TScanStatus::ScanFailed, got);
    TFrameLayout layout;
    if (TScanResult checked = CheckParameters(p, layout); !checked.Ok()) return checked;
    if (!first && p.pixels_per_line != pixels.Width)
      return Failure(TScanStatus::Unsupported, "frames of different widths");

    const int32_t knownLines = first ? p.lines : pixels.Height;
    const size_t limit = static_cast<size_t>(p.bytes_per_line) *
                         static_cast<size_t>(knownLines > 0 ? knownLines : MaxSide);
    const int32_t passes = layout.Channels == 1 && !layout.Grey ? 3 : 1;
    const auto report = [&](size_t bytes) {
      if (!progress) return;
      if (knownLines <= 0) return progress(-1);
      const size_t expected = static_cast<size_t>(p.bytes_per_line) * knownLines;
      const auto part = static_cast<int32_t>(std::min<size_t>(100, bytes * 100 / expected));
      progress(std::min(100, (frame * 100 + part) / passes));
    };
    if (TScanResult read = ReadFrame(handle, limit, CancelRequested, report, data); !read.Ok())
      return read;
    // A device that does not know the height beforehand (-1) ends the frame
    // where its data ends; one that sends fewer lines than announced leaves
    // the rest of the page black.
    const auto received = static_cast<int32_t>(data.size() / static_cast<size_t>(p.bytes_per_line));
    if (first) {
      const int32_t height = p.lines > 0 ? p.lines : received;
      if (height <= 0) return Failure(TScanStatus::ScanFailed, "no image data");
      pixels.SetFormatAndBounds(PixelFormat24, {0, 0, p.pixels_per_line, height});
      if (!pixels.Bits) return Failure(TScanStatus::OutOfMemory, "image too large");
      std::memset(pixels.Bits, 0, static_cast<size_t>(pixels.Stride) * static_cast<size_t>(height));
    }
    const int32_t lines = std::min(received, pixels.Height);
    for (int32_t y = 0; y < lines; ++y)
      ConvertLine(data.data() + static_cast<size_t>(y) * p.bytes_per_line, pixels.Width, p.depth,
                  layout, pixels.PixelAddress(0, y));
    if (p.last_frame) return {};
  }
}

TScanResult TScanner::ScanToFile(const std::string &source, const TScanOptions &options,
                                 const TProgress &progress) {
  TVxPixelBuffer pixels;
  double dpi = 0;
  TScanResult result = Scan(source, options, pixels, dpi, progress);
  if (!result.Ok()) return result;
  std::filesystem::path file;
  result = WriteTemporaryBmp(pixels, dpi, file);
  result.File = std::move(file);
  return result;
}

TScanResult TScanner::Acquire(const std::string &source, TVxPixelBuffer &pixels) {
  if (!Begin()) return Failure(TScanStatus::Busy, {});
  double dpi = 0;
  TScanResult result = Scan(source, Options, pixels, dpi, OnProgress);
  Busy = false;
  if (OnAcquireEnded) OnAcquireEnded();
  return result;
}

TScanResult TScanner::AcquireToFile(const std::string &source) {
  if (!Begin()) return Failure(TScanStatus::Busy, {});
  TScanResult result = ScanToFile(source, Options, OnProgress);
  Busy = false;
  if (OnAcquireEnded) OnAcquireEnded();
  return result;
}

std::future<TScanResult> TScanner::AcquireToFileAsync(const std::string &source, TCompletion done) {
  std::promise<TScanResult> promise;
  std::future<TScanResult> future = promise.get_future();
  if (!Begin()) {
    TScanResult refused = Failure(TScanStatus::Busy, {});
    if (done) done(refused);
    promise.set_value(std::move(refused));
    return future;
  }
  // The previous worker has finished its scan (Busy was clear); collect it,
  // unless this call comes from its own completion, which touches nothing of
  // ours afterwards.
  if (Worker.joinable()) {
    if (Worker.get_id() == std::this_thread::get_id())
      Worker.detach();
    else
      Worker.join();
  }
  Worker = std::thread([this, source, options = Options, progress = OnProgress,
                        ended = OnAcquireEnded, dispatch = Dispatch, done = std::move(done),
                        promise = std::move(promise)]() mutable {
    TScanResult result = ScanToFile(source, options, progress);
    Busy = false;
    std::function<void()> finish = [ended, done, result]() {
      if (ended) ended();
      if (done) done(result);
    };
    if (dispatch)
      dispatch(std::move(finish));
    else
      finish();
    promise.set_value(std::move(result));
  });
  return future;
}

}  // namespace platform
