/* The structured exception guard over the whole run: a crash is handed to the system's
   unhandled-exception filter, and when its verdict selects the handler the run ends there.
   Plain C: GCC's C++ functions carry their own exception handler, and one function can
   have only one. */
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

/* Runs body(context); 1 when it ran to its end, 0 when a structured exception ended it. */
int runUnderCrashGuard(void (*body)(void*), void* context);

#ifdef __cplusplus
}
#endif
