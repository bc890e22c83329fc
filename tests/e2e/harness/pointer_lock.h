#pragma once
// The pointer is one for the whole display, which CTest's parallel Wine tests share: a test that moves the pointer
// or reads it back holds this lock, a mutex named across the processes of one Wine prefix.
#include "host/win_handle.h"

namespace e2e {

class PointerLock {
 public:
  PointerLock();
  ~PointerLock();
  PointerLock(const PointerLock&) = delete;
  PointerLock& operator=(const PointerLock&) = delete;

 private:
  hostkit::win::UniqueHandle mutex_;
  bool held_ = false;
};

}  // namespace e2e
