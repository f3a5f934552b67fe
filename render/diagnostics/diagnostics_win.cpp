// Windows: reports are modal message boxes without an owner; the shader log is a small text
// file in the current folder, replaced at every write.
#include "render/diagnostics/diagnostics.h"

#include <windows.h>

#include <cstdio>

namespace {
constexpr const char* shaderLogFileName = "logShader.txt";
}

// A box with one OK button; the saver's thread waits for it.
void showReport(const char* title, const char* text) {
  MessageBoxA(nullptr, text, title, MB_OK);
}

// The log followed by a line end; nothing when the folder is not writable.
void keepShaderLog(const std::string& log) {
  FILE* file = std::fopen(shaderLogFileName, "w");
  if (!file) return;
  std::fprintf(file, "%s\n", log.c_str());
  std::fflush(file);
  std::fclose(file);
}
