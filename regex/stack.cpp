#include "regex/stack.h"

#include <algorithm>
#include <cstddef>

#include "regex/bounds.h"

#ifdef _WIN32
#include <windows.h>

#include "host/boundary.h"
#include "host/win_handle.h"
#else
#include <pthread.h>
#endif

namespace hostkit::regex {
namespace {

// Sized for i686, the DLL's target; a 64-bit build (the native tests and fuzzer) needs about twice the stack
// per matcher frame, and has the address space for it.
constexpr std::size_t kMiB = std::size_t{1024} * 1024 * kStackScale;
constexpr std::size_t kSmallest = 16 * kMiB;
constexpr std::size_t kLargest = bounds::kLargestStack * kStackScale;

// The reservations to try, largest first: bytes, then halves down to the smallest.
template <class Try>
bool EachSize(std::size_t bytes, Try&& attempt) {
  for (std::size_t size = std::clamp(bytes, kSmallest, kLargest);; size /= 2) {
    if (size < kSmallest) return false;
    if (attempt(size)) return true;
  }
}

struct Start {
  void (*job)(void*) noexcept;
  void* context;
};

}  // namespace

std::size_t LargeStackBytes(std::size_t bound) noexcept {
  const std::size_t mib = std::size_t{1} << 20;
  const std::size_t rounded =
      bound > bounds::kLargestStack - mib ? bounds::kLargestStack : (bound + mib - 1) / mib * mib;
  return std::clamp(rounded * kStackScale, kSmallest, kLargest);
}

#ifdef _WIN32

std::uintptr_t StackLowEnd() noexcept {
  // A thread's stack is one reservation; its lowest pages are the guard that raises the overflow exception,
  // a few pages (more after SetThreadStackGuarantee) that the caller's margin covers.
  MEMORY_BASIC_INFORMATION info{};
  const void* here = __builtin_frame_address(0);
  // Without an answer the current frame counts as the low end: no room, so the job moves to a thread of ours.
  if (::VirtualQuery(here, &info, sizeof info) == 0) return reinterpret_cast<std::uintptr_t>(here);
  return reinterpret_cast<std::uintptr_t>(info.AllocationBase) + 4 * 4096;
}

namespace {
DWORD WINAPI ThreadMain(LPVOID parameter) {
  return hostkit::Guard(
      [&] {
        const auto* start = static_cast<const Start*>(parameter);
        start->job(start->context);
        return DWORD{0};
      },
      DWORD{1});
}
}  // namespace

bool RunOnLargeStack(std::size_t bytes, void (*job)(void*) noexcept, void* context) noexcept {
  Start start{job, context};
  return EachSize(bytes, [&](std::size_t size) {
    win::UniqueHandle thread(
        ::CreateThread(nullptr, size, &ThreadMain, &start, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
    if (!thread) return false;  // address space too fragmented for this reservation: try a smaller one
    ::WaitForSingleObject(thread.get(), INFINITE);
    return true;
  });
}

#else

// Without an answer the current frame counts as the low end: no room, so the job moves to a thread of ours.
std::uintptr_t Here() noexcept { return reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)); }

std::uintptr_t StackLowEnd() noexcept {
  pthread_attr_t attr;
  if (pthread_getattr_np(pthread_self(), &attr) != 0) return Here();
  void* low = nullptr;
  std::size_t size = 0;
  const int got = pthread_attr_getstack(&attr, &low, &size);
  pthread_attr_destroy(&attr);
  return got == 0 ? reinterpret_cast<std::uintptr_t>(low) : Here();
}

namespace {
void* ThreadMain(void* parameter) {
  const auto* start = static_cast<const Start*>(parameter);
  start->job(start->context);
  return nullptr;
}
}  // namespace

bool RunOnLargeStack(std::size_t bytes, void (*job)(void*) noexcept, void* context) noexcept {
  Start start{job, context};
  return EachSize(bytes, [&](std::size_t size) {
    pthread_attr_t attr;
    if (pthread_attr_init(&attr) != 0) return false;
    pthread_t thread;
    const bool started =
        pthread_attr_setstacksize(&attr, size) == 0 && pthread_create(&thread, &attr, &ThreadMain, &start) == 0;
    pthread_attr_destroy(&attr);
    if (!started) return false;
    pthread_join(thread, nullptr);
    return true;
  });
}

#endif

}  // namespace hostkit::regex
