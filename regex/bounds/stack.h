#pragma once
// The platform seam of the regex guard: where this thread's stack ends, and a thread with a large stack.
#include <cstddef>
#include <cstdint>

namespace hostkit::regex {

// Lowest address of the calling thread's stack that may be used (guard pages excluded).
std::uintptr_t StackLowEnd() noexcept;

// The stack the large-stack worker reserves for a command whose memory bound is `bound` bytes: the bound rounded
// up to a megabyte, at least 16 MB and at most 256 MB (bounds::kLargestStack). Only address space: the pages the
// matcher touches are charged as it goes. A 64-bit build (the native tests and fuzzer) reserves twice that: it
// needs about twice the stack per matcher frame, and has the address space for it.
std::size_t LargeStackBytes(std::size_t bound) noexcept;

// How many times the 32-bit figures a stack reservation of this build is.
inline constexpr std::size_t kStackScale = sizeof(void*) / 4;

// Runs job(context) on a new thread whose stack reserves `bytes` (a size from LargeStackBytes; half as much, and
// so on down to 16 MB, where the address space has no room for it) and waits for it. job must not throw. False
// when no thread could be started.
bool RunOnLargeStack(std::size_t bytes, void (*job)(void*) noexcept, void* context) noexcept;

}  // namespace hostkit::regex
