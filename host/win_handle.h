#pragma once
// One move-only owner for every kind of Win32 resource, with an alias per kind.
// Each traits type names the empty value and the one call that releases the resource.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

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
struct DcTraits {  // device contexts made by CreateDC (GetDC's are released, not deleted)
  using Type = HDC;
  static Type Empty() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::DeleteDC(h); }
};
struct CoTaskMemTraits {  // shell item lists and other CoTaskMemAlloc'd blocks
  using Type = void*;
  static Type Empty() noexcept { return nullptr; }
  static void Close(Type p) noexcept { ::CoTaskMemFree(p); }
};

struct GlobalMemoryTraits {  // GlobalAlloc'd blocks (the clipboard's), until the system takes them over
  using Type = HGLOBAL;
  static Type Empty() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::GlobalFree(h); }
};
struct DropTraits {  // the shell's drop handle of WM_DROPFILES, released once
  using Type = HDROP;
  static Type Empty() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::DragFinish(h); }
};

template <class Interface>
struct ComTraits {  // a COM interface pointer: one reference, given back with Release on its own apartment
  using Type = Interface*;
  static Type Empty() noexcept { return nullptr; }
  static void Close(Type p) noexcept { p->Release(); }
};

using UniqueHandle = Unique<HandleTraits>;
using UniqueFile = Unique<FileHandleTraits>;
using UniqueFind = Unique<FindHandleTraits>;
using UniqueWindow = Unique<WindowTraits>;
using UniqueModule = Unique<ModuleTraits>;
using UniqueGdiObject = Unique<GdiObjectTraits>;
using UniqueDc = Unique<DcTraits>;
template <class Interface>
using UniqueCom = Unique<ComTraits<Interface>>;
using UniqueCoTaskMem = Unique<CoTaskMemTraits>;
using UniqueGlobalMemory = Unique<GlobalMemoryTraits>;
using UniqueDrop = Unique<DropTraits>;

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

// A global memory block locked for the scope; data() is null when the lock failed.
class ScopedGlobalLock {
 public:
  explicit ScopedGlobalLock(HGLOBAL block) noexcept : block_(block), data_(::GlobalLock(block)) {}
  ScopedGlobalLock(const ScopedGlobalLock&) = delete;
  ScopedGlobalLock& operator=(const ScopedGlobalLock&) = delete;
  ~ScopedGlobalLock() {
    if (data_ != nullptr) ::GlobalUnlock(block_);
  }
  void* data() const noexcept { return data_; }

 private:
  HGLOBAL block_;
  void* data_;
};

// COM for the scope on this thread. Every successful CoInitializeEx (S_OK, or S_FALSE where the thread had it
// already) is balanced by one CoUninitialize, so the thread leaves as it came; a thread in the other apartment
// model (RPC_E_CHANGED_MODE) keeps its COM and is not released.
class ScopedComInit {
 public:
  explicit ScopedComInit(DWORD model) noexcept : initialised_(SUCCEEDED(::CoInitializeEx(nullptr, model))) {}
  ScopedComInit(const ScopedComInit&) = delete;
  ScopedComInit& operator=(const ScopedComInit&) = delete;
  ~ScopedComInit() {
    if (initialised_) ::CoUninitialize();
  }

 private:
  bool initialised_;
};

}  // namespace hostkit::win
