#pragma once
// A seam in our own file layer for tests: while a fault is set, the writes
// of the layer (replaced files, grown file mappings) fail with it as a full
// or broken disk would make them fail. Nothing else changes.

namespace platform {

// error: an errno value such as ENOSPC; 0 writes normally again.
void SetWriteFault(int error);
// The fault set now, 0 when none.
int WriteFault();

}  // namespace platform
