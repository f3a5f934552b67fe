// Libraries looked up at run time: loaded from the system directory by full path, and their
// entry points as typed function pointers.
#pragma once

#include <windows.h>

// Loads fileName from the system directory: never a library of the same name planted in
// the current or the program's folder. Null when it cannot be loaded.
HMODULE loadSystemLibrary(const char* fileName);

// An entry point of a loaded library as the function type F; null when it is missing.
template <class F>
F entryPoint(HMODULE module, const char* name) {
  // The detour through a generic function type keeps the cast free of type warnings.
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}
