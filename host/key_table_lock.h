#pragma once
// The lock that the thread library linked into this module keeps over its table of thread-specific keys. The
// first thread_local access of each load (the runtime's emulation of thread_local makes a key) sets it up, with a
// condition variable of two semaphores that the library never gives back: each load and unload left two handles
// (measured under Wine 8). The library keeps the lock in a variable of its own; the DLL is linked with
// --wrap=pthread_rwlock_wrlock so that the lock's address is learnt when the library takes it, and nothing else
// in the module takes a read-write lock.

namespace hostkit::host {

// Destroys the lock, if the library has set it up, closing its handles. Called at an unload by FreeLibrary, after
// the runtime's detach and this thread's detach notice, when nothing of the module makes or reads a key any more.
void DestroyKeyTableLock() noexcept;

}  // namespace hostkit::host
