#include "tests/e2e/harness/pointer_lock.h"

#include <windows.h>

namespace e2e {

PointerLock::PointerLock() : mutex_(CreateMutexA(nullptr, FALSE, "hostkit-e2e-pointer")) {
  // A holder that died leaves the mutex abandoned, which still hands it over.
  if (mutex_) {
    const DWORD wait = WaitForSingleObject(mutex_.get(), 60000);
    held_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
  }
}

PointerLock::~PointerLock() {
  if (held_) ReleaseMutex(mutex_.get());
}

}  // namespace e2e
