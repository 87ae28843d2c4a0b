#include "platform/ChildProcess.h"
#include "platform/WideText.h"

#ifdef _WIN32
#include <windows.h>

#include <vector>
#else
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <thread>

extern char **environ;
#endif

namespace platform {

#ifdef _WIN32

ChildProcess::~ChildProcess() {
  if (Process) CloseHandle(Process);
  if (Thread) CloseHandle(Thread);
}

bool ChildProcess::Start(const std::string &program, const std::string &argument,
                         const std::string &folder) {
  std::wstring line =
      L"\"" + platform::WideText(program) + L"\" \"" + platform::WideText(argument) + L"\"";
  const std::wstring directory = platform::WideText(folder);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWMAXIMIZED;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      directory.empty() ? nullptr : directory.c_str(), &startup, &info)) {
    FError = static_cast<int>(GetLastError());
    return false;
  }
  Process = info.hProcess;
  Thread = info.hThread;
  return true;
}

int ChildProcess::WaitForExit() {
  DWORD code = STILL_ACTIVE;
  while (Process && GetExitCodeProcess(Process, &code) && code == STILL_ACTIVE) {
    MSG message;
    if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    } else {
      Sleep(10);
    }
  }
  if (code == STILL_ACTIVE) code = static_cast<DWORD>(-1);
  return static_cast<int>(code);
}

#else

ChildProcess::~ChildProcess() {
  // A program we started and never waited for must not stay a zombie.
  if (Pid > 0) waitpid(Pid, nullptr, WNOHANG);
}

bool ChildProcess::Start(const std::string &program, const std::string &argument,
                         const std::string &folder) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  // The editor starts as from a shell, not with whatever signals the host
  // blocks or ignores for itself.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &all);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  char *argv[] = {const_cast<char *>(program.c_str()), const_cast<char *>(argument.c_str()),
                  nullptr};
  pid_t pid = -1;
  FError = program.empty()
               ? ENOENT
               : posix_spawn(&pid, program.c_str(), &actions, &attributes, argv, environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (FError != 0) return false;
  Pid = pid;
  return true;
}

int ChildProcess::WaitForExit() {
  // The host's record offers no way to run its event loop from here; short
  // sleeps keep the wait cheap while the editor runs.
  int status = 0;
  while (Pid > 0) {
    const pid_t ended = waitpid(Pid, &status, WNOHANG);
    if (ended == Pid) break;
    if (ended < 0 && errno != EINTR) {
      // Someone else (a host's own child handler) took the exit status.
      Pid = -1;
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (Pid <= 0) return -1;
  Pid = -1;
  if (!WIFEXITED(status)) return -1;
  return static_cast<signed char>(WEXITSTATUS(status));
}

#endif

}  // namespace platform
