#pragma once
// Scanner acquisition through SANE: the sources attached to the machine, one
// page from a named source as a 24-bit image or as a BMP file in the system's
// temporary folder, and notifications around each acquisition so that the
// owner can disable its scanner commands while one runs.
//
// SANE is started once for the process while any scanner object has used it
// and shut down when the last one goes away. SANE calls are serialised over
// the whole process.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "imaging/VxPixels.h"

namespace platform {

enum class TScanStatus {
  Ok,
  Busy,         // another acquisition of this scanner is running
  NoSane,       // SANE itself could not start
  OpenFailed,   // the source is unknown, gone or in use
  ScanFailed,   // the device reported an error while scanning
  Cancelled,    // Cancel() or the device's cancel button
  Unsupported,  // a frame layout or an image size we cannot take
  OutOfMemory,
  WriteFailed,  // the BMP could not be written
};

struct TScanResult {
  TScanStatus Status = TScanStatus::Ok;
  // SANE's own status text, or what was wrong with the data; empty on success.
  std::string Detail;
  // The BMP file of a file acquisition that succeeded; the caller deletes it.
  std::filesystem::path File;

  bool Ok() const { return Status == TScanStatus::Ok; }
};

struct TScanSource {
  std::string Name;  // what Acquire takes, e.g. "test:0"
  std::string Vendor;
  std::string Model;
  std::string Type;
};

struct TScanOptions {
  // Colour when true, grey when false; only where the device offers the mode.
  bool Colour = true;
  // Dots per inch, brought to the nearest the device allows; 0 keeps its default.
  int32_t Resolution = 0;
};

// Thread contract. Construct, configure and call the object from one thread,
// the owner's (the user-interface thread in the editor); Sources alone may
// instead be called from one helper thread at a time, as long as the owner's
// thread does not call it meanwhile. Set the callbacks and
// Dispatch before the first acquisition; each acquisition works with copies
// of them and of Options.
//  - OnAcquireStarted runs on the owner's thread inside Acquire*, before any
//    scanning, and only when the acquisition really starts (not when Busy).
//  - The synchronous calls run OnAcquireEnded on the owner's thread before
//    they return.
//  - The asynchronous call scans on a worker thread. When it is done the
//    worker clears IsBusy() and then runs OnAcquireEnded followed by the
//    completion, both on the worker thread, or, when Dispatch is set, hands
//    one function doing both to Dispatch (which typically queues it to the
//    user-interface thread) and does not run them itself. The future becomes
//    ready after that.
//  - OnProgress runs on the thread that scans (the worker for the
//    asynchronous call) after every block of data, never through Dispatch;
//    it should only note the value (an atomic the idle handler reads, or a
//    queued call of its own).
class TScanner {
 public:
  using TCallback = std::function<void()>;
  using TCompletion = std::function<void(const TScanResult &)>;
  using TDispatcher = std::function<void(std::function<void()>)>;
  // Percent of the page received, -1 while its height is unknown.
  using TProgress = std::function<void(int32_t percent)>;

  TScanner();
  // Cancels a running acquisition and waits for it to end.
  ~TScanner();
  TScanner(const TScanner &) = delete;
  TScanner &operator=(const TScanner &) = delete;

  TCallback OnAcquireStarted;
  TCallback OnAcquireEnded;
  TProgress OnProgress;
  TDispatcher Dispatch;
  TScanOptions Options;

  // The sources attached now, asked of SANE afresh on every call. While this
  // scanner acquires, or another one holds SANE, the list of the previous call
  // comes back instead of waiting. False, with the reason in *error, when SANE
  // fails.
  bool Sources(std::vector<TScanSource> &sources, std::string *error = nullptr);
  bool IsBusy() const { return Busy.load(); }

  // One page from the named source as a PixelFormat24 buffer at (0, 0).
  TScanResult Acquire(const std::string &source, TVxPixelBuffer &pixels);
  // The same, written as a BMP file in the system's temporary folder; on
  // failure no file is left behind.
  TScanResult AcquireToFile(const std::string &source);
  // AcquireToFile on a worker thread; `done` may be empty. A refusal because
  // another acquisition runs completes at once, on the calling thread,
  // without the started and ended notifications.
  std::future<TScanResult> AcquireToFileAsync(const std::string &source, TCompletion done = {});

  // Asks a running acquisition to stop at the next block of data; it then
  // ends with TScanStatus::Cancelled. Any thread.
  void Cancel() { CancelRequested = true; }

 private:
  bool Begin();
  TScanResult Scan(const std::string &source, const TScanOptions &options, TVxPixelBuffer &pixels,
                   double &dpi, const TProgress &progress);
  TScanResult ScanToFile(const std::string &source, const TScanOptions &options,
                         const TProgress &progress);
  bool EnsureSession(std::string &error);

  std::atomic<bool> Busy{false};
  std::atomic<bool> CancelRequested{false};
  bool HasSession = false;  // guarded by the process-wide SANE lock
  std::vector<TScanSource> LastSources;
  std::thread Worker;
};

}  // namespace platform
