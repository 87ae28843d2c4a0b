#pragma once
// Where the pixel copies of a document's undo steps live. The recent ones
// stay as they are; older ones are compressed, and when the history holds
// more than its memory budget the oldest compressed copies move into one
// spill file of the document. All of it happens on a worker thread, so
// recording a step costs no more than taking its copy. Nothing is ever
// dropped: a copy that cannot be written to the disk stays in memory, past
// the budget, and the store remembers that the user has to be told.
//
// "Oldest" means longest unused: a step that was just undone or redone is
// recent again, as it is the one most likely to be wanted next.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "base/VxTypes.h"
#include "imaging/VxPixels.h"

namespace platform {
class SpillFile;
}

class TVxHistoryStore;

// One stored copy; its owner (an undo step) gives it back by destroying the
// handle, which frees its memory or its bytes in the spill file.
class TVxStoredPixels {
 public:
  TVxStoredPixels() = default;
  ~TVxStoredPixels();
  TVxStoredPixels(const TVxStoredPixels &) = delete;
  TVxStoredPixels &operator=(const TVxStoredPixels &) = delete;

  explicit operator bool() const { return Store != nullptr; }
  const TVxRect &Bounds() const { return FBounds; }
  // Exchanges the stored pixels with the same rectangle of image, so the
  // store then holds what the image showed. False, with nothing changed, when
  // the stored copy cannot be brought back (memory refused, unreadable file).
  bool ExchangeWith(const TVxPixels &image);
  // A copy of the stored pixels into out (sized to them), for steps that
  // restore whole buffers rather than exchange them (crop, resize). False,
  // with out empty, when memory or the spill file refuses.
  bool CopyTo(TVxPixelBuffer &out) const;

 private:
  friend class TVxHistoryStore;
  std::shared_ptr<TVxHistoryStore> Store;
  uint64_t Id = 0;
  TVxRect FBounds;
};

class TVxHistoryStore : public std::enable_shared_from_this<TVxHistoryStore> {
 public:
  struct TOptions {
    // Bytes of memory the copies may hold: raw and compressed together.
    uint64_t Budget = DefaultBudget();
    // Where the spill file is made (on first need); empty: never spill.
    std::filesystem::path SpillFolder;
  };

  // A quarter of the physical memory, at most 2 GiB.
  static uint64_t DefaultBudget();
  // What Create without options uses; set from the program's settings.
  static void SetDefaults(const TOptions &options);
  static TOptions Defaults();
  // <user cache folder>/velora: the spill folder of the program.
  static std::filesystem::path DefaultSpillFolder();

  static std::shared_ptr<TVxHistoryStore> Create(const TOptions &options);
  static std::shared_ptr<TVxHistoryStore> Create() { return Create(Defaults()); }
  // Stops the worker; the spill file is removed.
  ~TVxHistoryStore();
  TVxHistoryStore(const TVxHistoryStore &) = delete;
  TVxHistoryStore &operator=(const TVxHistoryStore &) = delete;

  // Takes pixels over (left empty) into handle, which must be empty. A
  // brush-sized copy costs nothing more than the move; the worker sees to
  // the budget later.
  void Keep(TVxPixelBuffer &pixels, TVxStoredPixels &handle);

  // Blocks until the worker has nothing left to do: for tests and
  // measurements that want a settled store.
  void WaitUntilSettled();
  // True once after a copy could not be spilled; the user is to be told of
  // it once, so later failures of this store answer false.
  bool TakeSpillFailure();

  // What the copies hold now.
  struct TUsage {
    uint64_t MemoryBytes = 0;  // raw and compressed, in memory
    uint64_t RawBytes = 0;
    uint64_t SpilledBytes = 0;  // in the spill file
    int32_t Raw = 0, Packed = 0, Spilled = 0;
  };
  TUsage Usage() const;
  uint64_t Budget() const { return Options.Budget; }
  // The spill file, empty until one was made.
  std::filesystem::path SpillPath() const;

 private:
  friend class TVxStoredPixels;
  enum class TTier { Raw, Packed, Spilled };
  struct TEntry {
    TVxRect Bounds;
    int32_t Format = 0;
    TTier Tier = TTier::Raw;
    TVxPixelBuffer Raw;
    std::vector<std::vector<uint8_t>> Packed;  // chunks of one compressed frame
    uint64_t PackedBytes = 0;
    uint64_t Offset = 0;              // in the spill file
    uint64_t Stamp = 0;               // last use
    bool Busy = false;                // someone works on it outside the lock
    std::atomic<bool> Cancel{false};  // its user wants it back from the worker
    bool Pinned = false;              // its spill failed: it stays in memory
  };
  struct TJob {
    uint64_t Id = 0;
    bool Spill = false;
  };

  explicit TVxHistoryStore(const TOptions &options);
  void Start();
  void Release(uint64_t id);
  bool Exchange(uint64_t id, const TVxPixels &image);
  bool CopyOut(uint64_t id, TVxPixelBuffer &out);

  // Under Lock.
  bool FindJob(TJob &job) const;
  void Account(const TEntry &entry, int sign);
  // Waits while the copies hold more than the budget allows with incoming
  // more bytes and the worker can still make room.
  void WaitForRoom(std::unique_lock<std::mutex> &lock, uint64_t incoming);
  // Waits until nobody else works on the entry, then marks it as ours.
  TEntry *Claim(std::unique_lock<std::mutex> &lock, uint64_t id);
  void Finish(TEntry &entry);
  void Wake();

  void Run();
  // Outside the lock, on a claimed entry.
  bool WriteSpill(const TEntry &entry, uint64_t &offset);
  // The compressed or spilled copy into its rectangle of dst; outside the
  // lock, on a claimed entry.
  bool Unpack(const TEntry &entry, const TVxPixels &dst) const;

  const TOptions Options;
  const uint64_t RecentBytes;
  mutable std::mutex Lock;
  std::condition_variable Changed;
  std::map<uint64_t, TEntry> Entries;
  uint64_t NextId = 1;
  uint64_t Clock = 0;
  TUsage FUsage;
  uint64_t Incoming = 0;  // bytes a caller waits to add
  uint64_t Largest = 0;   // the largest copy added so far
  std::unique_ptr<platform::SpillFile> File;
  bool FileFailed = false;
  bool SpillFailed = false;
  bool SpillFailureTold = false;
  bool Working = false;
  bool Stopping = false;
  std::thread Worker;
};
