#include "imaging/VxBitmap.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstring>
#include <vector>

#include "imaging/VxResamplers.h"
#include "platform/PageAllocator.h"

namespace {

std::atomic<bool> DraftSwitch{false};

// Copies srcRect of src so that its top-left lands at (dstX, dstY) of dst,
// clipped to both; the formats must match.
void CopyArea(const TVxPixels &dst, int32_t dstX, int32_t dstY, const TVxPixels &src,
              const TVxRect &srcRect) {
  const int32_t dx = dstX - srcRect.Left, dy = dstY - srcRect.Top;
  // src seen at the destination's coordinates.
  const TVxForeignPixels moved(src.GetBounds().Offset(dx, dy), src.Bits, src.Format, src.Stride);
  const TVxRect area =
      IntersectRect(IntersectRect(srcRect, src.GetBounds()).Offset(dx, dy), dst.GetBounds());
  CopyPixelRows(dst, moved, area);
}

// The source index of every destination index of [from, to) when [srcStart,
// srcStart + srcSize) is stretched onto [dstStart, dstStart + dstSize): the
// source pixel under each destination centre; -1 outside [0, limit).
std::vector<int32_t> StretchMap(int32_t from, int32_t to, int32_t dstStart, int32_t dstSize,
                                int32_t srcStart, int32_t srcSize, int32_t limit) {
  std::vector<int32_t> map;
  map.reserve(static_cast<size_t>(std::max(0, to - from)));
  for (int32_t i = from; i < to; ++i) {
    const int64_t k = int64_t{i} - dstStart;
    const int64_t s = srcStart + (2 * k + 1) * srcSize / (2 * int64_t{dstSize});
    map.push_back(s >= 0 && s < limit ? static_cast<int32_t>(s) : -1);
  }
  return map;
}

// A 1:1 row into a 32-bit target: two pixels from each 8-byte read.
void WidenRow(uint32_t *out, const uint8_t *p, int32_t count) {
  int32_t i = 0;
  if constexpr (std::endian::native == std::endian::little) {
    for (; i + 3 <= count; i += 2, p += 6) {  // 8 bytes readable inside the row
      uint64_t v;
      std::memcpy(&v, p, 8);
      out[i] = (static_cast<uint32_t>(v) & 0xFFFFFFu) | 0xFF000000u;
      out[i + 1] = (static_cast<uint32_t>(v >> 24) & 0xFFFFFFu) | 0xFF000000u;
    }
  }
  for (; i < count; ++i, p += 3)
    out[i] = p[0] | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | 0xFF000000u;
}

void StretchRow(uint8_t *out, int32_t outBytes, const uint8_t *row, const int32_t *columns,
                int32_t count) {
  // A stretch's steps are all 0 or 1 (zoomed in) or all 1 or more (zoomed
  // out), so a run as long as its span is a 1:1 copy.
  if (columns[count - 1] - columns[0] == count - 1) {
    if (outBytes == 3) {
      std::memcpy(out, row + columns[0] * 3, static_cast<size_t>(count) * 3);
    } else {
      alignas(4) uint32_t chunk[256];
      for (int32_t i = 0; i < count; i += 256) {
        const int32_t n = std::min(256, count - i);
        WidenRow(chunk, row + (columns[0] + i) * 3, n);
        std::memcpy(out + static_cast<size_t>(i) * 4, chunk, static_cast<size_t>(n) * 4);
      }
    }
    return;
  }
  if (outBytes == 3) {
    for (int32_t i = 0; i < count; ++i, out += 3) {
      const uint8_t *p = row + columns[i] * 3;
      out[0] = p[0];
      out[1] = p[1];
      out[2] = p[2];
    }
  } else {
    for (int32_t i = 0; i < count; ++i, out += 4) {
      const uint8_t *p = row + columns[i] * 3;
      const uint32_t v = p[0] | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | 0xFF000000u;
      std::memcpy(out, &v, 4);
    }
  }
}

}  // namespace

void SetDraftResampling(bool on) { DraftSwitch.store(on, std::memory_order_relaxed); }
bool DraftResampling() { return DraftSwitch.load(std::memory_order_relaxed); }

bool StretchDraw(TVxPixels &target, const TVxRect &dstRect, const TVxPixels &image,
                 const TVxRect &srcRect, const TVxRect *clip) {
  if (image.Format != PixelFormat24 || image.Bits == nullptr) return false;
  if (target.Format != PixelFormat24 && target.Format != PixelFormat32Alpha) return false;
  if (target.Bits == nullptr) return false;
  if (dstRect.IsEmpty() || srcRect.IsEmpty()) return true;
  TVxRect area = IntersectRect(dstRect, target.GetBounds());
  if (clip != nullptr) area = IntersectRect(area, *clip);
  if (area.IsEmpty()) return true;

  const std::vector<int32_t> columns =
      StretchMap(area.Left, area.Right, dstRect.Left, dstRect.Width(), srcRect.Left - image.Left,
                 srcRect.Width(), image.Width);
  const std::vector<int32_t> rows =
      StretchMap(area.Top, area.Bottom, dstRect.Top, dstRect.Height(), srcRect.Top - image.Top,
                 srcRect.Height(), image.Height);
  // The map is monotonic, so the columns that have a source form one run.
  const auto first = std::find_if(columns.begin(), columns.end(), [](int32_t c) { return c >= 0; });
  const auto last = std::find_if(first, columns.end(), [](int32_t c) { return c < 0; });
  if (first == last) return true;
  const auto skipped = static_cast<int32_t>(first - columns.begin());
  const auto count = static_cast<int32_t>(last - first);
  const int32_t outBytes = target.BytesPerPixel;
  const size_t rowBytes = static_cast<size_t>(count) * outBytes;
  const uint8_t *previous = nullptr;
  int32_t previousRow = -1;
  for (int32_t y = area.Top; y < area.Bottom; ++y) {
    const int32_t sy = rows[static_cast<size_t>(y - area.Top)];
    if (sy < 0) continue;
    uint8_t *out = target.PixelAddress(area.Left + skipped, y);
    if (sy == previousRow) {
      // Zoomed in: the rows a source row covers are all alike.
      std::memcpy(out, previous, rowBytes);
    } else {
      const uint8_t *row = image.Bits + static_cast<ptrdiff_t>(sy) * image.Stride;
      StretchRow(out, outBytes, row, &*first, count);
    }
    previous = out;
    previousRow = sy;
  }
  return true;
}

class TVxLTBitmap::TNewImage {
 public:
  TNewImage(int32_t width, int32_t height, int32_t format) {
    if (width <= 0 || height <= 0 || BitsPerPixel(format) == 0) return;
    const int32_t stride = StrideFor(format, width);
    if (stride <= 0) return;
    const size_t size = static_cast<size_t>(stride) * static_cast<size_t>(height);
    auto *block = static_cast<uint8_t *>(platform::AllocatePages(size));
    if (block == nullptr) return;
    Handle = {block, size, width, height, format, stride};
    Surface = std::make_unique<TVxLTPixels>(TVxRect{0, 0, width, height}, block, format, stride);
  }
  ~TNewImage() { platform::FreePages(Handle.Block, Handle.Size); }
  TNewImage(const TNewImage &) = delete;
  TNewImage &operator=(const TNewImage &) = delete;

  bool Ok() const { return Handle.Block != nullptr; }
  TVxLTPixels &Pixels() { return *Surface; }

  TVxBitmapHandle Handle;
  std::unique_ptr<TVxLTPixels> Surface;
};

TVxLTBitmap::~TVxLTBitmap() { Discard(); }

void TVxLTBitmap::Adopt(TNewImage &image) {
  Discard();
  Handle = image.Handle;
  FPixels = std::move(image.Surface);
  image.Handle = {};
}

void TVxLTBitmap::Discard() {
  FPixels.reset();
  platform::FreePages(Handle.Block, Handle.Size);
  Handle = {};
}

bool TVxLTBitmap::SetSize(int32_t width, int32_t height, int32_t format) {
  Discard();
  TNewImage image(width, height, format);
  if (!image.Ok()) return false;
  Adopt(image);
  return true;
}

std::unique_ptr<TVxLTBitmap> TVxLTBitmap::Clone() const {
  auto copy = std::make_unique<TVxLTBitmap>();
  if (FPixels == nullptr) return copy;
  if (!copy->SetSize(Handle.Width, Handle.Height, Handle.Format)) return nullptr;
  std::memcpy(copy->Handle.Block, Handle.Block, Handle.Size);
  return copy;
}

bool TVxLTBitmap::Crop(const TVxRect &rect) {
  const TVxRect area = IntersectRect(rect, BoundsRect());
  if (area.IsEmpty()) return false;
  TNewImage image(area.Width(), area.Height(), Handle.Format);
  if (!image.Ok()) return false;
  CopyArea(image.Pixels(), 0, 0, *FPixels, area);
  Adopt(image);
  return true;
}

bool TVxLTBitmap::SetCanvasSize(int32_t width, int32_t height) {
  TNewImage image(width, height, FPixels != nullptr ? Handle.Format : PixelFormat24);
  if (!image.Ok()) return false;
  if (FPixels != nullptr) CopyArea(image.Pixels(), 0, 0, *FPixels, BoundsRect());
  Adopt(image);
  return true;
}

bool TVxLTBitmap::FlipHorizontal() {
  if (FPixels == nullptr || Handle.Format != PixelFormat24) return false;
  for (int32_t y = 0; y < Handle.Height; ++y) {
    uint8_t *left = FPixels->PixelAddress(0, y);
    uint8_t *right = FPixels->PixelAddress(Handle.Width - 1, y);
    for (; left < right; left += 3, right -= 3) {
      std::swap(left[0], right[0]);
      std::swap(left[1], right[1]);
      std::swap(left[2], right[2]);
    }
  }
  return true;
}

bool TVxLTBitmap::FlipVertical() {
  if (FPixels == nullptr || Handle.Format != PixelFormat24) return false;
  const auto rowBytes = static_cast<size_t>(Handle.Width) * 3;
  std::vector<uint8_t> spare(rowBytes);
  for (int32_t y = 0, z = Handle.Height - 1; y < z; ++y, --z) {
    uint8_t *top = FPixels->PixelAddress(0, y);
    uint8_t *bottom = FPixels->PixelAddress(0, z);
    std::memcpy(spare.data(), top, rowBytes);
    std::memcpy(top, bottom, rowBytes);
    std::memcpy(bottom, spare.data(), rowBytes);
  }
  return true;
}

namespace {

// new(x, y) = old(sourceX(x, y), sourceY(x, y)), walked in tiles so that the
// column-wise side stays in cache.
template <typename SourceOf>
void Rotate(TVxPixels &fresh, const TVxPixels &old, SourceOf sourceOf) {
  constexpr int32_t tile = 64;
  for (int32_t ty = 0; ty < fresh.Height; ty += tile)
    for (int32_t tx = 0; tx < fresh.Width; tx += tile) {
      const int32_t yEnd = std::min(ty + tile, fresh.Height);
      const int32_t xEnd = std::min(tx + tile, fresh.Width);
      for (int32_t y = ty; y < yEnd; ++y) {
        uint8_t *out = fresh.PixelAddress(tx, y);
        for (int32_t x = tx; x < xEnd; ++x, out += 3) {
          const TVxPoint s = sourceOf(x, y);
          std::memcpy(out, old.PixelAddress(s.X, s.Y), 3);
        }
      }
    }
}

}  // namespace

bool TVxLTBitmap::RotateLeft() {
  if (FPixels == nullptr || Handle.Format != PixelFormat24) return false;
  TNewImage image(Handle.Height, Handle.Width, Handle.Format);
  if (!image.Ok()) return false;
  const int32_t w = Handle.Width;
  // old (x, y) goes to new (y, W - 1 - x).
  Rotate(image.Pixels(), *FPixels, [w](int32_t x, int32_t y) { return TVxPoint{w - 1 - y, x}; });
  Adopt(image);
  return true;
}

bool TVxLTBitmap::RotateRight() {
  if (FPixels == nullptr || Handle.Format != PixelFormat24) return false;
  TNewImage image(Handle.Height, Handle.Width, Handle.Format);
  if (!image.Ok()) return false;
  const int32_t h = Handle.Height;
  // old (x, y) goes to new (H - 1 - y, x).
  Rotate(image.Pixels(), *FPixels, [h](int32_t x, int32_t y) { return TVxPoint{y, h - 1 - x}; });
  Adopt(image);
  return true;
}

bool TVxLTBitmap::Resample(int32_t width, int32_t height) {
  if (FPixels == nullptr || Handle.Format != PixelFormat24) return false;
  TNewImage image(width, height, Handle.Format);
  if (!image.Ok()) return false;
  const TVxRect bounds{0, 0, width, height};
  if (DraftResampling())
    ::Resample(image.Pixels(), bounds, bounds, TQuickDraftResampler(), BoundsRect(), *FPixels);
  else
    ::Resample(image.Pixels(), bounds, bounds, TLanczosResampler(), BoundsRect(), *FPixels);
  Adopt(image);
  return true;
}

bool TVxLTBitmap::AssignFromBuffer(const TVxPixels &buffer) {
  if (!SetSize(buffer.Width, buffer.Height, buffer.Format)) return false;
  if (buffer.Bits != nullptr) CopyArea(*FPixels, 0, 0, buffer, buffer.GetBounds());
  return true;
}

bool TVxLTBitmap::CopyToBuffer(TVxPixelBuffer &buffer) const {
  if (FPixels == nullptr) {
    buffer.Clear();
    return true;
  }
  buffer.SetFormatAndBounds(Handle.Format, BoundsRect());
  if (buffer.Bits == nullptr) return false;
  buffer.Assign(*FPixels);
  return true;
}

bool TVxLTBitmap::Draw(TVxPixels &target, const TVxRect &dest, const TVxRect *source,
                       const TVxRect *clip) const {
  if (FPixels == nullptr) return false;
  return StretchDraw(target, dest, *FPixels, source != nullptr ? *source : BoundsRect(), clip);
}

bool TVxLTBitmap::Print(IVxPrintTarget &target, const TVxRect &dest) const {
  if (FPixels == nullptr) return false;
  return target.PrintImage(*FPixels, dest);
}
