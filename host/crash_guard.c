/* The crash guard: a scope of the x64 structured exception handling whose filter asks
   UnhandledExceptionFilter (which shows whatever report the platform shows) for its verdict. */
#include "host/crash_guard.h"

#include <windows.h>
#include <excpt.h>

/* The scope's filter: the system's verdict on the exception. */
__attribute__((used)) static LONG crashFilter(EXCEPTION_POINTERS* exception) {
  return UnhandledExceptionFilter(exception);
}

/* NOTE: MinGW GCC has no __try/__except; __try1/__except1 from excpt.h lay down the same
   scope table (handler __C_specific_handler, filter, jump target) by assembler directives.
   The labels are local to this function, so it must never be inlined. */
__attribute__((noinline)) int runUnderCrashGuard(void (*body)(void*), void* context) {
  volatile int completed = 0;
  __try1(crashFilter)
  body(context);
  completed = 1;
  __except1
  return completed;
}
