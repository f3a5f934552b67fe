// Where the renderer's reports for the user go: message boxes and log files on Windows, lines
// on standard error on Linux (XScreenSaver shows a module's standard error). The texts are the
// same on both; each platform file (diagnostics_win.cpp, diagnostics_linux.cpp) says how. The
// page keeps them for its notice (diagnostics_web.cpp).
#pragma once

#include <string>

// Shows a report titled "Error" or "Warning" and returns once it has been shown.
void showReport(const char* title, const char* text);

// Keeps the compiler's or linker's log of a shader build that failed (logShader.txt on Windows).
void keepShaderLog(const std::string& log);
