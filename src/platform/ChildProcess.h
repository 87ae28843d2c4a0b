#pragma once
// Starting another program and waiting for it to end while the calling
// thread stays responsive: the filter plug-in runs the editor this way from
// inside a host that must keep painting its windows.

#include <string>

namespace platform {

class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(const ChildProcess &) = delete;
  ChildProcess &operator=(const ChildProcess &) = delete;

  // Starts program with one argument, in folder (the current folder when
  // empty), its main window maximized where the system has such a thing.
  // False when it could not start; Error() then tells the system's number.
  bool Start(const std::string &program, const std::string &argument, const std::string &folder);
  int Error() const { return FError; }

  // Waits until the program ends, handing the calling thread's pending
  // window messages out one at a time and otherwise sleeping 10 ms. The
  // program's exit code; -1 when it ended without one (killed) or its end
  // could not be learned.
  int WaitForExit();

 private:
  int FError = 0;
#ifdef _WIN32
  void *Process = nullptr;
  void *Thread = nullptr;
#else
  int Pid = -1;
#endif
};

}  // namespace platform
