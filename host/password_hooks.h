// Lock-password hooks of the Windows 95 family: the platform's verification entry point,
// the announcement of a running saver, and the gate every close request passes.
#pragma once

#include <windows.h>

// "VerifyScreenSavePwd" of PASSWORD.CPL: shows the platform's password dialog for the saver
// window and returns nonzero when the right password was given.
using VerifyPasswordFn = BOOL(WINAPI*)(HWND);

extern HMODULE passwordModule;          // PASSWORD.CPL while loaded
extern VerifyPasswordFn verifyPasswordFn;  // null when no lock password is in force
extern DWORD lastVerifyTick;            // tick count at the end of the last verification

// The private message by which the gate has the window procedure run the verification.
constexpr UINT HOSTM_VERIFYPASSWORD = WM_APP;

// Milliseconds after a refused verification in which a new close request is refused silently.
constexpr DWORD verifyRefusalWindowMs = 200;

// Tells the system (95 family only) that a password-protected saver runs or stopped.
void SetSaverRunning(bool running);

// Loads the verification entry point when the desktop's lock password is in force.
void LoadPasswordVerifier();

// Frees the password library and, if it had announced a running saver, announces its end.
void UnloadPasswordVerifier();

// Asks for the password before the saver window closes; nonzero when it may close.
int AskPasswordBeforeClose(HWND window);
