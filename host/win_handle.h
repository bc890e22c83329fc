#pragma once
// One move-only owner for every kind of Win32 resource, with an alias per kind.
// Each traits type names the empty value and the one call that releases the resource.
#include <windows.h>
#include <objbase.h>

#include <utility>

namespace hostkit::win {

template <class Traits>
class Unique {
 public:
  using Type = typename Traits::Type;

  Unique() noexcept : value_(Traits::Empty()) {}
  explicit Unique(Type value) noexcept : value_(value) {}
  Unique(const Unique&) = delete;
  Unique& operator=(const Unique&) = delete;
  Unique(Unique&& other) noexcept : value_(other.release()) {}
  Unique& operator=(Unique&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~Unique() { reset(); }

  Type get() const noexcept { return value_; }
  explicit operator bool() const noexcept { return value_ != Traits::Empty(); }

  Type release() noexcept { return std::exchange(value_, Traits::Empty()); }
  void reset(Type value = Traits::Empty()) noexcept {
    const Type old = std::exchange(value_, value);
    if (old != Traits::Empty()) Traits::Close(old);
  }

 private:
  Type value_;
};

struct HandleTraits {  // kernel objects whose empty value is null (processes, threads, events)
  using Type = HANDLE;
  static Type Empty() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::CloseHandle(h); }
};
struct FileHandleTraits {  // CreateFile answers INVALID_HANDLE_VALUE on failure
  using Type = HANDLE;
  static Type Empty() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) noexcept { ::CloseHandle(h); }
};
struct FindHandleTraits {  // FindFirstFile answers INVALID_HANDLE_VALUE on failure
  using Type = HANDLE;
  static Type Empty() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) noexcept { ::FindClose(h); }
};
struct WindowTraits {
  using Type = HWND;
  static Type Empty() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::DestroyWindow(h); }
};
struct ModuleTraits {
  using Type = HMODULE;
  static Type Empty() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::FreeLibrary(h); }
};
struct GdiObjectTraits {
  using Type = HGDIOBJ;
  static Type Empty() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::DeleteObject(h); }
};
struct CoTaskMemTraits {  // shell item lists and other CoTaskMemAlloc'd blocks
  using Type = void*;
  static Type Empty() noexcept { return nullptr; }
  static void Close(Type p) noexcept { ::CoTaskMemFree(p); }
};

using UniqueHandle = Unique<HandleTraits>;
using UniqueFile = Unique<FileHandleTraits>;
using UniqueFind = Unique<FindHandleTraits>;
using UniqueWindow = Unique<WindowTraits>;
using UniqueModule = Unique<ModuleTraits>;
using UniqueGdiObject = Unique<GdiObjectTraits>;
using UniqueCoTaskMem = Unique<CoTaskMemTraits>;

// Restores the calling thread's error mode when it leaves scope (SetThreadErrorMode).
class ScopedThreadErrorMode {
 public:
  explicit ScopedThreadErrorMode(DWORD mode) noexcept { ::SetThreadErrorMode(mode, &old_); }
  ScopedThreadErrorMode(const ScopedThreadErrorMode&) = delete;
  ScopedThreadErrorMode& operator=(const ScopedThreadErrorMode&) = delete;
  ~ScopedThreadErrorMode() { ::SetThreadErrorMode(old_, nullptr); }

 private:
  DWORD old_ = 0;
};

}  // namespace hostkit::win
