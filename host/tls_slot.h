#pragma once
// The TLS slot that the thread library linked into this module takes at each load and never frees. Every
// thread-local of the module (its own, the runtime's exception records and the compiler's emulation of
// thread_local) lives behind that one slot, which the library keeps in a variable of its own that nothing outside
// can read. Each load cost one of the process's 1,088 slots, and the load after the last one ended the process
// (exit code 3, measured under Wine 8 at about 1,085 cycles). The library takes it while the runtime starts the
// module (measured: after the TLS callbacks and the module's entry point, before the constructors).

namespace hostkit::host {

// Notes the slot that TlsAlloc hands out next. Called by the module's entry point before the runtime starts, so
// it may call nothing but the system (no C or C++ runtime, nothing that throws or allocates).
void NoteFreeTlsSlot() noexcept;

// Learns whether the noted slot is the thread library's. Called once, at process attach, before any command can
// run.
void NoteThreadLibrarySlot() noexcept;

// Frees the thread library's slot, if it is known. Called last at an unload by FreeLibrary, after the runtime's
// detach, when nothing of the module reads a thread-local any more; never at the end of the process.
void FreeThreadLibrarySlot() noexcept;

}  // namespace hostkit::host
