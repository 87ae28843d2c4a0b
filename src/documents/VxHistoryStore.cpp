#include "documents/VxHistoryStore.h"

#include <unistd.h>
#include <zstd.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/AppFolders.h"
#include "platform/SpillFile.h"

namespace {

using TChunks = std::vector<std::vector<uint8_t>>;

// Fast rather than small: the worker has to keep up with whole-image steps,
// and an undo with the decompression. On photographs this level packs
// about 1.25 : 1 at three times the speed of level 1, which packs 1.36 : 1.
constexpr int CompressionLevel = -3;
constexpr size_t ChunkSize = size_t(4) << 20;
constexpr uint64_t MaxBudget = uint64_t(2) << 30;
constexpr uint64_t MaxRecentBytes = uint64_t(64) << 20;

std::mutex DefaultsLock;
TVxHistoryStore::TOptions StoredDefaults{TVxHistoryStore::DefaultBudget(),
                                         TVxHistoryStore::DefaultSpillFolder()};

size_t RowBytes(const TVxPixels &pixels, const TVxRect &rect) {
  return static_cast<size_t>(rect.Width()) * static_cast<size_t>(pixels.BytesPerPixel);
}

// In 64 bits, so that a copy larger than 4 GiB is counted right everywhere.
uint64_t BlockBytes(int32_t format, const TVxRect &bounds) {
  const uint64_t bytes = uint64_t(static_cast<uint32_t>(StrideFor(format, bounds.Width()))) *
                         uint64_t(static_cast<uint32_t>(bounds.Height()));
  return (bytes + 4095) & ~uint64_t(4095);  // the page allocator's rounding
}

uint64_t BlockBytes(const TVxPixels &pixels) {
  return pixels.Bits ? BlockBytes(pixels.Format, pixels.GetBounds()) : 0;
}

// One zstd frame of rect's rows of src, without row padding, in chunks.
// False when cancelled or when memory for the output was refused.
bool PackRows(ZSTD_CCtx *context, const TVxPixels &src, const TVxRect &rect, TChunks &chunks,
              uint64_t &bytes, const std::atomic<bool> &cancel) {
  const size_t rowBytes = RowBytes(src, rect);
  const size_t total = rowBytes * static_cast<size_t>(rect.Height());
  ZSTD_CCtx_reset(context, ZSTD_reset_session_only);
  ZSTD_CCtx_setParameter(context, ZSTD_c_compressionLevel, CompressionLevel);
  ZSTD_CCtx_setPledgedSrcSize(context, total);
  chunks.clear();
  bytes = 0;
  try {
    size_t used = 0;
    const auto room = [&]() -> ZSTD_outBuffer {
      if (chunks.empty() || used == chunks.back().size()) {
        // A small copy gets a small first chunk, so a brush step stays small.
        chunks.emplace_back(chunks.empty() ? std::min(ChunkSize, ZSTD_compressBound(total))
                                           : ChunkSize);
        used = 0;
      }
      return {chunks.back().data() + used, chunks.back().size() - used, 0};
    };
    for (int32_t y = rect.Top; y < rect.Bottom; ++y) {
      if (cancel.load(std::memory_order_relaxed)) return false;
      ZSTD_inBuffer in{src.PixelAddress(rect.Left, y), rowBytes, 0};
      while (in.pos < in.size) {
        ZSTD_outBuffer out = room();
        if (ZSTD_isError(ZSTD_compressStream2(context, &out, &in, ZSTD_e_continue))) return false;
        used += out.pos;
      }
    }
    for (;;) {
      ZSTD_inBuffer in{nullptr, 0, 0};
      ZSTD_outBuffer out = room();
      const size_t left = ZSTD_compressStream2(context, &out, &in, ZSTD_e_end);
      if (ZSTD_isError(left)) return false;
      used += out.pos;
      if (left == 0) break;
    }
    chunks.back().resize(used);
    chunks.back().shrink_to_fit();
    for (const auto &chunk : chunks) bytes += chunk.size();
  } catch (const std::bad_alloc &) {
    chunks.clear();
    return false;
  }
  return true;
}

// Decompresses one frame, fed by next (which points in at the next piece
// and answers false when there is none), into rect of dst; false when the
// frame does not hold exactly rect's pixels.
template <class Next>
bool UnpackRows(Next &&next, const TVxPixels &dst, const TVxRect &rect) {
  ZSTD_DCtx *context = ZSTD_createDCtx();
  if (!context) return false;
  const size_t rowBytes = RowBytes(dst, rect);
  ZSTD_inBuffer in{nullptr, 0, 0};
  bool ok = true;
  size_t last = 1;
  for (int32_t y = rect.Top; ok && y < rect.Bottom; ++y) {
    ZSTD_outBuffer out{dst.PixelAddress(rect.Left, y), rowBytes, 0};
    while (ok && out.pos < out.size) {
      if (in.pos == in.size && !next(in)) {
        ok = false;
        break;
      }
      last = ZSTD_decompressStream(context, &out, &in);
      ok = !ZSTD_isError(last);
    }
  }
  ZSTD_freeDCtx(context);
  // The frame must end where the pixels do.
  return ok && last == 0;
}

void SwapRows(const TVxPixels &a, const TVxPixels &b, const TVxRect &rect) {
  const size_t rowBytes = RowBytes(a, rect);
  for (int32_t y = rect.Top; y < rect.Bottom; ++y)
    std::swap_ranges(a.PixelAddress(rect.Left, y), a.PixelAddress(rect.Left, y) + rowBytes,
                     b.PixelAddress(rect.Left, y));
}

}  // namespace

// --- TVxStoredPixels ---------------------------------------------------------

TVxStoredPixels::~TVxStoredPixels() {
  if (Store) Store->Release(Id);
}

bool TVxStoredPixels::ExchangeWith(const TVxPixels &image) {
  return Store && Store->Exchange(Id, image);
}

bool TVxStoredPixels::CopyTo(TVxPixelBuffer &out) const { return Store && Store->CopyOut(Id, out); }

// --- Options -----------------------------------------------------------------

uint64_t TVxHistoryStore::DefaultBudget() {
  const long pages = sysconf(_SC_PHYS_PAGES);
  const long pageSize = sysconf(_SC_PAGE_SIZE);
  if (pages <= 0 || pageSize <= 0) return MaxBudget;
  const uint64_t physical = uint64_t(pages) * uint64_t(pageSize);
  return std::min(physical / 4, MaxBudget);
}

std::filesystem::path TVxHistoryStore::DefaultSpillFolder() {
  const auto cache = platform::UserCacheFolder();
  return cache ? *cache / "velora" : std::filesystem::path();
}

void TVxHistoryStore::SetDefaults(const TOptions &options) {
  std::lock_guard guard(DefaultsLock);
  StoredDefaults = options;
}

TVxHistoryStore::TOptions TVxHistoryStore::Defaults() {
  std::lock_guard guard(DefaultsLock);
  return StoredDefaults;
}

// --- Life --------------------------------------------------------------------

TVxHistoryStore::TVxHistoryStore(const TOptions &options)
    : Options(options), RecentBytes(std::min(options.Budget / 4, MaxRecentBytes)) {}

std::shared_ptr<TVxHistoryStore> TVxHistoryStore::Create(const TOptions &options) {
  std::shared_ptr<TVxHistoryStore> store(new TVxHistoryStore(options));
  store->Start();
  return store;
}

void TVxHistoryStore::Start() {
  Worker = std::thread([this] { Run(); });
}

TVxHistoryStore::~TVxHistoryStore() {
  {
    std::lock_guard guard(Lock);
    Stopping = true;
  }
  Changed.notify_all();
  if (Worker.joinable()) Worker.join();
}

// --- The user-interface side -------------------------------------------------

void TVxHistoryStore::Keep(TVxPixelBuffer &pixels, TVxStoredPixels &handle) {
  std::unique_lock lock(Lock);
  // Steps may come faster than the worker compresses them; rather than let
  // memory run past the budget, wait for the worker while it can make room.
  WaitForRoom(lock, BlockBytes(pixels));
  const uint64_t id = NextId++;
  TEntry &entry = Entries[id];
  entry.Bounds = pixels.GetBounds();
  entry.Format = pixels.Format;
  entry.Raw.Swap(pixels);
  entry.Stamp = ++Clock;
  Account(entry, +1);
  handle.Store = shared_from_this();
  handle.Id = id;
  handle.FBounds = entry.Bounds;
  Wake();
}

void TVxHistoryStore::WaitForRoom(std::unique_lock<std::mutex> &lock, uint64_t incoming) {
  // While the bytes wait, the worker counts them as held already, so that
  // it spills enough to make room for them.
  Incoming = incoming;
  Largest = std::max(Largest, incoming);
  Wake();
  TJob job;
  Changed.wait(lock, [&] {
    return Stopping || FUsage.MemoryBytes + incoming <= Options.Budget ||
           !(Working || FindJob(job));
  });
  Incoming = 0;
}

TVxHistoryStore::TEntry *TVxHistoryStore::Claim(std::unique_lock<std::mutex> &lock, uint64_t id) {
  auto found = Entries.find(id);
  if (found == Entries.end()) return nullptr;
  TEntry &entry = found->second;
  entry.Cancel = true;
  Changed.wait(lock, [&] { return !entry.Busy; });
  entry.Cancel = false;
  entry.Busy = true;
  return &entry;
}

void TVxHistoryStore::Finish(TEntry &entry) {
  entry.Busy = false;
  Changed.notify_all();
}

void TVxHistoryStore::Wake() { Changed.notify_all(); }

void TVxHistoryStore::Release(uint64_t id) {
  std::unique_lock lock(Lock);
  TEntry *entry = Claim(lock, id);
  if (!entry) return;
  Account(*entry, -1);
  if (entry->Tier == TTier::Spilled && File) File->Discard(entry->Offset, entry->PackedBytes);
  Entries.erase(id);
  Wake();
}

bool TVxHistoryStore::Unpack(const TEntry &entry, const TVxPixels &dst) const {
  if (entry.Tier == TTier::Packed) {
    size_t chunk = 0;
    return UnpackRows(
        [&](ZSTD_inBuffer &in) {
          if (chunk == entry.Packed.size()) return false;
          in = {entry.Packed[chunk].data(), entry.Packed[chunk].size(), 0};
          ++chunk;
          return true;
        },
        dst, entry.Bounds);
  }
  // A spilled copy streams through one small buffer: bringing it back costs
  // no memory beyond the pixels themselves.
  std::vector<uint8_t> buffer;
  try {
    buffer.resize(static_cast<size_t>(std::min<uint64_t>(ChunkSize, entry.PackedBytes)));
  } catch (const std::bad_alloc &) {
    return false;
  }
  uint64_t done = 0;
  return UnpackRows(
      [&](ZSTD_inBuffer &in) {
        const auto size =
            static_cast<size_t>(std::min<uint64_t>(buffer.size(), entry.PackedBytes - done));
        if (size == 0 || File->Read(entry.Offset + done, buffer.data(), size)) return false;
        in = {buffer.data(), size, 0};
        done += size;
        return true;
      },
      dst, entry.Bounds);
}

bool TVxHistoryStore::Exchange(uint64_t id, const TVxPixels &image) {
  std::unique_lock lock(Lock);
  auto found = Entries.find(id);
  if (found == Entries.end()) return false;
  // A compressed copy comes back raw: like a new step, it waits for room
  // when undos come faster than the worker can make it.
  if (found->second.Tier != TTier::Raw)
    WaitForRoom(lock, BlockBytes(found->second.Format, found->second.Bounds));
  TEntry *entry = Claim(lock, id);
  if (!entry) return false;
  const TVxRect bounds = entry->Bounds;
  if (!image.Bits || image.Format != entry->Format ||
      IntersectRect(image.GetBounds(), bounds) != bounds) {
    Finish(*entry);
    return false;
  }
  const TTier tier = entry->Tier;
  lock.unlock();
  // Claimed: the worker leaves the entry alone until Finish.
  bool ok = true;
  TVxPixelBuffer raw;
  if (tier == TTier::Raw) {
    SwapRows(entry->Raw, image, bounds);
  } else {
    raw.SetFormatAndBounds(entry->Format, bounds);
    ok = raw.Bits != nullptr;
    if (ok) {
      CopyPixelRows(raw, image, bounds);
      ok = Unpack(*entry, image);
      if (!ok) CopyPixelRows(image, raw, bounds);
    }
  }
  lock.lock();
  if (ok && tier != TTier::Raw) {
    Account(*entry, -1);
    if (tier == TTier::Spilled) File->Discard(entry->Offset, entry->PackedBytes);
    entry->Packed.clear();
    entry->PackedBytes = 0;
    entry->Raw.Swap(raw);
    entry->Tier = TTier::Raw;
    entry->Pinned = false;
    Account(*entry, +1);
  }
  if (ok) entry->Stamp = ++Clock;
  Finish(*entry);
  lock.unlock();
  // The raw copy that the exchange replaced is freed outside the lock.
  raw.Clear();
  return ok;
}

bool TVxHistoryStore::CopyOut(uint64_t id, TVxPixelBuffer &out) {
  out.Clear();
  std::unique_lock lock(Lock);
  TEntry *entry = Claim(lock, id);
  if (!entry) return false;
  lock.unlock();
  const TVxRect bounds = entry->Bounds;
  out.SetFormatAndBounds(entry->Format, bounds);
  bool ok = out.Bits != nullptr;
  if (ok && entry->Tier == TTier::Raw) {
    CopyPixelRows(out, entry->Raw, bounds);
  } else if (ok) {
    ok = Unpack(*entry, out);
  }
  lock.lock();
  Finish(*entry);
  lock.unlock();
  if (!ok) out.Clear();
  return ok;
}

void TVxHistoryStore::WaitUntilSettled() {
  std::unique_lock lock(Lock);
  TJob job;
  Changed.wait(lock, [&] { return Stopping || !(Working || FindJob(job)); });
}

bool TVxHistoryStore::TakeSpillFailure() {
  std::lock_guard guard(Lock);
  if (!SpillFailed || SpillFailureTold) return false;
  SpillFailureTold = true;
  return true;
}

TVxHistoryStore::TUsage TVxHistoryStore::Usage() const {
  std::lock_guard guard(Lock);
  return FUsage;
}

std::filesystem::path TVxHistoryStore::SpillPath() const {
  std::lock_guard guard(Lock);
  return File ? File->Path() : std::filesystem::path();
}

void TVxHistoryStore::Account(const TEntry &entry, int sign) {
  const auto add = [sign](uint64_t &total, uint64_t bytes) {
    total = sign > 0 ? total + bytes : total - std::min(total, bytes);
  };
  switch (entry.Tier) {
    case TTier::Raw:
      add(FUsage.MemoryBytes, BlockBytes(entry.Raw));
      add(FUsage.RawBytes, BlockBytes(entry.Raw));
      FUsage.Raw += sign;
      break;
    case TTier::Packed:
      add(FUsage.MemoryBytes, entry.PackedBytes);
      FUsage.Packed += sign;
      break;
    case TTier::Spilled:
      add(FUsage.SpilledBytes, entry.PackedBytes);
      FUsage.Spilled += sign;
      break;
  }
}

// --- The worker ----------------------------------------------------------------

bool TVxHistoryStore::FindJob(TJob &job) const {
  // The worker aims below the budget by the largest copy it has seen (up to
  // a quarter of the budget), so that the next step, or an undo that brings
  // a spilled copy back, finds room at once instead of waiting for a spill.
  const uint64_t target = Options.Budget - std::min(Options.Budget / 4, Largest);
  const bool over = FUsage.MemoryBytes + Incoming > target;
  const TEntry *oldestRaw = nullptr;
  const TEntry *oldestPacked = nullptr;
  uint64_t oldestRawId = 0, oldestPackedId = 0, newestRawStamp = 0;
  for (const auto &[id, entry] : Entries) {
    if (entry.Tier == TTier::Raw) newestRawStamp = std::max(newestRawStamp, entry.Stamp);
    if (entry.Busy || entry.Pinned) continue;
    if (entry.Tier == TTier::Raw && (!oldestRaw || entry.Stamp < oldestRaw->Stamp)) {
      oldestRaw = &entry;
      oldestRawId = id;
    } else if (entry.Tier == TTier::Packed &&
               (!oldestPacked || entry.Stamp < oldestPacked->Stamp)) {
      oldestPacked = &entry;
      oldestPackedId = id;
    }
  }
  // The newest copy stays raw as long as anything else can make room: it is
  // the one an undo wants next, and an undo of a raw copy needs no memory.
  const bool newest = oldestRaw && oldestRaw->Stamp == newestRawStamp;
  if (oldestRaw && !newest && (over || FUsage.RawBytes > RecentBytes)) {
    job = {oldestRawId, false};
    return true;
  }
  if (over && oldestPacked && !Options.SpillFolder.empty() && !FileFailed) {
    job = {oldestPackedId, true};
    return true;
  }
  if (oldestRaw && over) {
    job = {oldestRawId, false};
    return true;
  }
  return false;
}

bool TVxHistoryStore::WriteSpill(const TEntry &entry, uint64_t &offset) {
  if (!File) {
    std::error_code error;
    auto made = platform::SpillFile::Create(Options.SpillFolder, error);
    std::lock_guard guard(Lock);
    File = std::move(made);
    FileFailed = !File;
    if (!File) return false;
  }
  offset = File->Reserve(entry.PackedBytes);
  uint64_t at = offset;
  for (const auto &chunk : entry.Packed) {
    if (File->Write(at, chunk.data(), chunk.size())) {
      File->Discard(offset, entry.PackedBytes);
      return false;
    }
    at += chunk.size();
  }
  return true;
}

void TVxHistoryStore::Run() {
  ZSTD_CCtx *context = ZSTD_createCCtx();
  std::unique_lock lock(Lock);
  while (!Stopping) {
    TJob job;
    if (!context || !FindJob(job)) {
      Changed.notify_all();
      Changed.wait(lock);
      continue;
    }
    Working = true;
    TEntry &entry = Entries.at(job.Id);
    entry.Busy = true;
    lock.unlock();
    TChunks packed;
    uint64_t bytes = 0, offset = 0;
    const bool ok = job.Spill
                        ? WriteSpill(entry, offset)
                        : PackRows(context, entry.Raw, entry.Bounds, packed, bytes, entry.Cancel);
    lock.lock();
    TVxPixelBuffer freed;
    if (ok) {
      Account(entry, -1);
      if (job.Spill) {
        packed.swap(entry.Packed);
        entry.Offset = offset;
        entry.Tier = TTier::Spilled;
      } else {
        freed.Swap(entry.Raw);
        entry.Packed = std::move(packed);
        entry.PackedBytes = bytes;
        entry.Tier = TTier::Packed;
      }
      Account(entry, +1);
    } else if (job.Spill) {
      // Kept in memory past the budget; the user hears of it once.
      entry.Pinned = true;
      SpillFailed = true;
    } else if (!entry.Cancel) {
      entry.Pinned = true;
    }
    Working = false;
    Finish(entry);
    // Memory goes back to the system outside the lock.
    lock.unlock();
    freed.Clear();
    packed.clear();
    lock.lock();
  }
  lock.unlock();
  ZSTD_freeCCtx(context);
}
