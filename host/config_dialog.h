// The configuration dialog: the ten settings in dialog 2003, loaded when it opens and saved
// when the user confirms with the radii in order.
#pragma once

#include <windows.h>

// Runs the modal dialog owned by parent (or none): 1 after a confirmation, 0 after a
// cancel, -1 when the dialog cannot be created.
int RunConfigDialog(HWND parent);

// Hook for registering custom control classes before the dialog is created: this dialog
// uses only the platform's own controls, so it registers nothing and returns true.
bool RegisterConfigControls(HINSTANCE instance);

// The dialog procedure.
INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
