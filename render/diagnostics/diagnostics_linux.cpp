// Linux: every report and log goes to standard error, one "vorlixss: " line each (the
// Wayland program's name in front in its build), since a module has no boxes and
// XScreenSaver shows what its modules write there.
#include "render/diagnostics/diagnostics.h"

#include <cstdio>
#include <cstring>

#ifndef VORLIX_PROGRAM_NAME
#define VORLIX_PROGRAM_NAME "vorlixss"
#endif

namespace {

// Writes text after the program's name, ending it with one line feed.
void writeLine(const char* prefix, const char* text) {
  const std::size_t length = std::strlen(text);
  const bool ended = length > 0 && text[length - 1] == '\n';
  std::fprintf(stderr, VORLIX_PROGRAM_NAME ": %s%s%s", prefix, text, ended ? "" : "\n");
}

}  // namespace

// "Error" reports read as errors, "Warning" reports as warnings, with the box's text.
void showReport(const char* title, const char* text) {
  writeLine(std::strcmp(title, "Warning") == 0 ? "warning: " : "", text);
}

// The compiler's own words, after a line that says what they are.
void keepShaderLog(const std::string& log) {
  writeLine("", "the shader compiler's log:");
  std::fprintf(stderr, "%s\n", log.c_str());
}
