#pragma once
// The process's memory as the system sees it.

namespace platform {

// Hands heap pages that hold nothing back to the system (after a large temporary structure has
// been freed among live data, its pages would otherwise stay resident).
void ReturnFreeMemory();

} // namespace platform
