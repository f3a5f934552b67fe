// Loading system libraries by full path.
#include "host/system_library.h"

#include <cstring>

HMODULE loadSystemLibrary(const char* fileName) {
  char path[MAX_PATH];
  const UINT length = GetSystemDirectoryA(path, MAX_PATH);
  if (length == 0 || length + 1 + std::strlen(fileName) >= MAX_PATH) return nullptr;
  path[length] = '\\';
  std::strcpy(path + length + 1, fileName);
  return LoadLibraryA(path);
}
