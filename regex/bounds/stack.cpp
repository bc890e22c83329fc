#include "regex/bounds/stack.h"

#include <algorithm>
#include <cstddef>

#include "regex/bounds/bounds.h"

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

// A thread's stack: [low, high), low past the guard pages; zeros when unknown.
struct StackRange {
  std::uintptr_t low = 0;
  std::uintptr_t high = 0;
};

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

namespace {
StackRange AskStack() noexcept {
  // A thread's stack is one reservation; its lowest pages are the guard that raises the overflow exception,
  // a few pages (more after SetThreadStackGuarantee) that the caller's margin covers. The frame is in the
  // committed part at the reservation's top.
  MEMORY_BASIC_INFORMATION info{};
  if (::VirtualQuery(__builtin_frame_address(0), &info, sizeof info) == 0) return {};
  return {reinterpret_cast<std::uintptr_t>(info.AllocationBase) + 4 * 4096,
          reinterpret_cast<std::uintptr_t>(info.BaseAddress) + info.RegionSize};
}

// Gives back the pages of this thread's stack below the current frame (less a margin for the thread's exit):
// the job is done, and Wine frees an exited thread's stack only when the next thread exits, so without this the
// pages the matcher touched would stay resident after the command (measured: 40 MB touched stayed until another
// thread ended). MEM_RESET keeps them committed and usable, their contents no longer kept; only the committed
// part of the stack is reset (Windows commits it as the stack grows).
void ReleaseTouchedStack() noexcept {
  const auto here = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
  const std::uintptr_t page = 4096;
  // The stack is several regions (Wine splits it where its attributes differ): each committed one below is reset.
  for (std::uintptr_t end = (here - bounds::kStackMargin) & ~(page - 1);;) {
    MEMORY_BASIC_INFORMATION info{};
    if (::VirtualQuery(reinterpret_cast<const void*>(end - 1), &info, sizeof info) == 0) return;
    const auto base = reinterpret_cast<std::uintptr_t>(info.BaseAddress);
    if (base >= end) return;
    if (info.State == MEM_COMMIT && (info.Protect & PAGE_GUARD) == 0)
      ::VirtualAlloc(info.BaseAddress, end - base, MEM_RESET, PAGE_READWRITE);
    if (base <= reinterpret_cast<std::uintptr_t>(info.AllocationBase)) return;
    end = base;
  }
}

DWORD WINAPI ThreadMain(LPVOID parameter) {
  return hostkit::Guard(
      [&] {
        const auto* start = static_cast<const Start*>(parameter);
        start->job(start->context);
        ReleaseTouchedStack();
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

namespace {
StackRange AskStack() noexcept {
  pthread_attr_t attr;
  if (pthread_getattr_np(pthread_self(), &attr) != 0) return {};
  void* low = nullptr;
  std::size_t size = 0;
  const int got = pthread_attr_getstack(&attr, &low, &size);
  pthread_attr_destroy(&attr);
  if (got != 0) return {};
  return {reinterpret_cast<std::uintptr_t>(low), reinterpret_cast<std::uintptr_t>(low) + size};
}

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

// The stack is asked about once per thread, and again only when the frame is outside the stack last seen (a host
// that runs fibers has a stack per fiber): the query costs as much as a whole call with a cached pattern (glibc
// reads /proc/self/maps for the main thread). Without an answer the current frame counts as the low end: no
// room, so the job moves to a thread of ours.
std::uintptr_t StackLowEnd() noexcept {
  thread_local StackRange seen;
  const auto here = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
  if (here <= seen.low || here >= seen.high) seen = AskStack();
  return seen.low != 0 ? seen.low : here;
}

}  // namespace hostkit::regex
