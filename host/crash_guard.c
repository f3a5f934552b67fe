/* The crash guard: a structured exception scope whose filter asks UnhandledExceptionFilter
   (which shows whatever report the platform shows) for its verdict; x64 and x86 forms. */
#include "host/crash_guard.h"

#include <windows.h>
#include <excpt.h>

/* The scope's filter: the system's verdict on the exception. */
__attribute__((used)) static LONG crashFilter(EXCEPTION_POINTERS* exception) {
  return UnhandledExceptionFilter(exception);
}

#if defined(__x86_64__)

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

#elif defined(__i386__)

/* NOTE: 32-bit Windows has no scope tables: structured exception handling is a chain of
   registration records on the stack, headed at fs:0, each naming a handler that the system
   calls with the exception record. excpt.h's __try1 for x86 pushes a record by inline
   assembler behind the compiler's back (its stack offsets go wrong) and would call the
   filter as such a handler; so the record is a plain local here and the handler asks the
   filter itself. One guard runs per process, which is what lets the handler find it. */
typedef struct GuardFrame {
  EXCEPTION_REGISTRATION_RECORD record; /* first: the system sees only this part */
  void* resume[5];                      /* __builtin_setjmp's buffer */
} GuardFrame;

static GuardFrame* volatile activeGuard; /* the guard being run, or null */

/* The record's handler: the filter's verdict decides whether the run ends at the guard. */
static EXCEPTION_DISPOSITION __cdecl guardHandler(EXCEPTION_RECORD* record, void* frame,
                                                  CONTEXT* context, void* dispatcher) {
  (void)dispatcher;
  if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND))
    return ExceptionContinueSearch;
  EXCEPTION_POINTERS pointers = {record, context};
  const LONG verdict = crashFilter(&pointers);
  if (verdict == EXCEPTION_CONTINUE_EXECUTION) return ExceptionContinueExecution;
  if (verdict != EXCEPTION_EXECUTE_HANDLER) return ExceptionContinueSearch;
  /* Unwind the records above ours, then leave the chain as it was before the guard.
     NOTE: RtlUnwind does not keep the callee-saved registers, so the guard is read back
     from memory afterwards. */
  RtlUnwind(frame, NULL, record, NULL);
  GuardFrame* guard = activeGuard;
  __writefsdword(0, (DWORD)(ULONG_PTR)guard->record.Next);
  __builtin_longjmp(guard->resume, 1);
}

__attribute__((noinline)) int runUnderCrashGuard(void (*body)(void*), void* context) {
  GuardFrame guard;
  guard.record.Next = (EXCEPTION_REGISTRATION_RECORD*)(ULONG_PTR)__readfsdword(0);
  guard.record.Handler = (PEXCEPTION_ROUTINE)guardHandler;
  if (__builtin_setjmp(guard.resume)) {
    activeGuard = NULL;
    return 0;
  }
  activeGuard = &guard;
  __writefsdword(0, (DWORD)(ULONG_PTR)&guard.record);
  body(context);
  __writefsdword(0, (DWORD)(ULONG_PTR)guard.record.Next);
  activeGuard = NULL;
  return 1;
}

#else
#error "the crash guard knows the structured exception handling of x86 and x86-64 only"
#endif
