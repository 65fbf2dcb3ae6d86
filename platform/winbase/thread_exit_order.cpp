// Thread-local objects end before their storage does. With this toolchain a thread_local lives
// in a block handed out by the emulated TLS runtime, and at a thread's exit both the release of
// those blocks and the objects' destructors run as POSIX key destructors, in the order the keys
// were made. The emulated TLS key is made at the first access to any thread_local, the
// destructors' key only once the first object with a destructor has been built, so every
// destructor ran on storage already freed: now and then a heap corrupted at a worker's end, or a
// fault inside the thread's exit callbacks that left the key lock held, and the process hung in
// exit() deleting that key. One empty destructor registered before any other initialisation
// makes the destructors' key the first.
#include <cxxabi.h>

// The calling convention the runtime gives destructors (thiscall on 32-bit x86, none elsewhere).
#ifndef _GLIBCXX_CDTOR_CALLABI
#define _GLIBCXX_CDTOR_CALLABI
#endif

extern "C" void* __dso_handle;

namespace {

void _GLIBCXX_CDTOR_CALLABI nothing(void*) {}

__attribute__((constructor(101))) void makeTheDestructorKeyFirst() {
  __cxxabiv1::__cxa_thread_atexit(nothing, nullptr, &__dso_handle);
}

}  // namespace

// Named on every Windows program's link line (platform_part.cmake), so this file is always in.
extern "C" const int cellbraeThreadExitOrder = 0;
