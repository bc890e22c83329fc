#pragma once
// The platform seam of the regex guard: where this thread's stack ends, and a thread with a large stack.
#include <cstdint>

namespace hostkit::regex {

// Lowest address of the calling thread's stack that may be used (guard pages excluded).
std::uintptr_t StackLowEnd() noexcept;

// Runs job(context) on a new thread whose stack reserves 64 MB (32 or 16 MB when that reservation fails; twice that
// in a 64-bit build; pages are
// committed only as used) and waits for it. job must not throw. False when no thread could be started.
bool RunOnLargeStack(void (*job)(void*) noexcept, void* context) noexcept;

}  // namespace hostkit::regex
