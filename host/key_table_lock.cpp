#include "host/key_table_lock.h"

#include <windows.h>
#include <pthread.h>

// The library's own lock call, under the name the linker gives it with --wrap.
extern "C" int __real_pthread_rwlock_wrlock(pthread_rwlock_t* lock);

namespace hostkit::host {
namespace {

// The library takes the lock for writing whenever it makes or deletes a key, its first use included.
pthread_rwlock_t* volatile g_key_table_lock = nullptr;

}  // namespace
}  // namespace hostkit::host

// Every call of pthread_rwlock_wrlock in the module comes here: it notes the lock (always the same one, so a race
// writes the same value) and takes it.
extern "C" int __wrap_pthread_rwlock_wrlock(pthread_rwlock_t* lock) {
  hostkit::host::g_key_table_lock = lock;
  return __real_pthread_rwlock_wrlock(lock);
}

namespace hostkit::host {

void DestroyKeyTableLock() noexcept {
  pthread_rwlock_t* const lock = g_key_table_lock;
  if (lock == nullptr) return;
  // Frees the lock and closes its semaphores (and the events its mutexes made, if they were ever contended).
  pthread_rwlock_destroy(lock);
  g_key_table_lock = nullptr;
}

}  // namespace hostkit::host
