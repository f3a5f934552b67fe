// Checking build only: reads glGetError once per frame tick and writes a health line to
// logChecks.txt every ten seconds, so a long run shows GL faults and GDI object growth.
#include "saver/tick_checks_win.h"

#include <GL/gl.h>
#include <windows.h>
#include <mmsystem.h>

#include <cstdio>

namespace {

constexpr const char* checksLogName = "logChecks.txt";
// Often enough that a once-a-minute reader always finds a line at most this old.
constexpr DWORD reportPeriodMs = 10000;

// Fixed module state of the checks.
struct TickChecks {
  unsigned ticks = 0;         // ticks checked so far
  unsigned glErrors = 0;      // ticks whose reading was not GL_NO_ERROR
  unsigned firstError = 0;    // the first error code seen, 0 while none
  unsigned reports = 0;       // lines written so far (line n is due n periods in)
  DWORD firstTickTime = 0;    // millisecond reading of the first check
} checks;

// Live GDI objects of this process.
// NOTE: Wine's GetGuiResources always answers 0, but GetObjectType accepts a handle whose
// upper word is 0 as any generation of that table slot, so walking the 16-bit slot numbers
// finds every live object (stock objects included) in well under a millisecond.
int countGdiObjects() {
  int count = 0;
  for (UINT_PTR slot = 1; slot < 0x10000; ++slot)
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(slot)) != 0) ++count;
  return count;
}

// Appends one health line; the file is opened per line, so a killed process loses nothing.
void writeReport() {
  char line[160];
  const int length = std::snprintf(line, sizeof line,
                                   "report %u ticks %u glErrors %u firstError 0x%04x gdiObjects %d\r\n",
                                   checks.reports, checks.ticks, checks.glErrors,
                                   checks.firstError, countGdiObjects());
  HANDLE file = CreateFileA(checksLogName, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
  CloseHandle(file);
}

}  // namespace

void checkTick() {
  const GLenum error = glGetError();
  ++checks.ticks;
  if (error != GL_NO_ERROR) {
    ++checks.glErrors;
    if (checks.firstError == 0) checks.firstError = error;
  }
  const DWORD now = timeGetTime();
  if (checks.reports == 0) checks.firstTickTime = now;
  if (checks.reports == 0 || now - checks.firstTickTime >= checks.reports * reportPeriodMs) {
    writeReport();
    ++checks.reports;
  }
}
