#include "platform/WriteFault.h"

#include <atomic>

namespace platform {

namespace {

std::atomic<int> Fault{0};

}  // namespace

void SetWriteFault(int error) { Fault = error; }

int WriteFault() { return Fault; }

}  // namespace platform
