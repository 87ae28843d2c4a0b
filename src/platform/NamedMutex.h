#pragma once
// A system-wide name that the running copies of the program hold. Nothing
// waits on it: holding it only tells others that a copy is running.

#include <filesystem>
#include <string>

namespace platform {

class NamedMutex {
 public:
  // On Windows a system mutex of that name. Elsewhere: opens (creating when needed) a lock file
  // named after `name` in the user's runtime folder ($XDG_RUNTIME_DIR, else the temporary folder)
  // and holds a shared lock on it, so any number of copies may hold it at once.
  explicit NamedMutex(const std::string &name);
  ~NamedMutex();
  NamedMutex(const NamedMutex &) = delete;
  NamedMutex &operator=(const NamedMutex &) = delete;

  bool IsHeld() const;
  const std::filesystem::path &Path() const { return LockPath; }

  // Whether some process holds the name at this moment.
  static bool IsHeldByAnyone(const std::string &name);

 private:
  std::filesystem::path LockPath;
  int Fd = -1;
#ifdef _WIN32
  void *Handle = nullptr;
#endif
};

}  // namespace platform
