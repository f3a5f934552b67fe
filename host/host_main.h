// The top of the process: command tail, shared controls, platform family, and the one mode
// that the first switch selects (save, preview, configure, change password).
#pragma once

#include <windows.h>

#include <cstdint>

extern HINSTANCE hostInstance;  // the program's own module
extern bool is95Family;         // the platform is of the Windows 95 family

// Called by the runtime's start-up code; ends the process with HostMain's result.
[[noreturn]] void HostEntry();

// Runs the mode named by the command tail; its result, or -1 for a refused command line.
int HostMain(HINSTANCE instance, const char* commandTail);

// Lets the platform's password-change service set the saver's lock password.
void ChangeLockPassword(HWND parent);
