#pragma once
// The platform seam of the regex guard: where this thread's stack ends, and a thread with a large stack.
#include <cstddef>
#include <cstdint>

namespace hostkit::regex {

// Lowest address of the calling thread's stack that may be used (guard pages excluded).
std::uintptr_t StackLowEnd() noexcept;

// The stack the large-stack worker reserves when it may take at most `most` bytes: 64, 32 or 16 MB, the largest
// that fits, and never less than the smallest. A 64-bit build (the native tests and fuzzer) reserves twice that:
// it needs about twice the stack per matcher frame, and has the address space for it.
std::size_t LargeStackBytes(std::size_t most) noexcept;

// How many times the 32-bit figures a stack reservation of this build is.
inline constexpr std::size_t kStackScale = sizeof(void*) / 4;

// Runs job(context) on a new thread whose stack reserves `bytes` (a size from LargeStackBytes; a smaller one when
// that reservation fails) and waits for it. job must not throw. False when no thread could be started.
bool RunOnLargeStack(std::size_t bytes, void (*job)(void*) noexcept, void* context) noexcept;

}  // namespace hostkit::regex
