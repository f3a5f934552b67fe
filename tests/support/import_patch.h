// Redirects calls that the program's own module makes through its import table, so a
// benchmark or a test can count and time them (buffer swaps, heap allocations, system
// announcements) without changing the saver's code. Only the executable's own imports are
// touched, never a system DLL's.
#pragma once

// Points every import of function (from dll, or from any DLL when dll is null) in the
// executable's import table at replacement; the previous target goes to original.
// Result: the number of table entries changed.
int patchImport(const char* dll, const char* function, void* replacement, void** original);
