#include "platform/TerminationSignals.h"

#include <fcntl.h>
#include <unistd.h>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>

namespace platform {

namespace {

// The handler may only do async-signal-safe work: it writes the signal number
// into a pipe whose other end the event loop watches.
int PipeFds[2] = {-1, -1};
struct sigaction Previous[2];
constexpr int Handled[2] = {SIGTERM, SIGINT};

void OnSignal(int number) {
  const int saved = errno;
  const unsigned char byte = static_cast<unsigned char>(number);
  [[maybe_unused]] ssize_t ignored = write(PipeFds[1], &byte, 1);
  errno = saved;
}

}  // namespace

TerminationSignals::TerminationSignals(QObject *parent) : QObject(parent) {
  if (pipe2(PipeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
    PipeFds[0] = PipeFds[1] = -1;
    return;
  }
  Notifier = new QSocketNotifier(PipeFds[0], QSocketNotifier::Read, this);
  connect(Notifier, &QSocketNotifier::activated, this, &TerminationSignals::Drain);
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int i = 0; i < 2; ++i) sigaction(Handled[i], &action, &Previous[i]);
}

TerminationSignals::~TerminationSignals() {
  if (PipeFds[0] < 0) return;
  for (int i = 0; i < 2; ++i) sigaction(Handled[i], &Previous[i], nullptr);
  delete Notifier;
  close(PipeFds[0]);
  close(PipeFds[1]);
  PipeFds[0] = PipeFds[1] = -1;
}

void TerminationSignals::Drain() {
  unsigned char byte = 0;
  while (read(PipeFds[0], &byte, 1) == 1) emit Received(byte);
}

}  // namespace platform
