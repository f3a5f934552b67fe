// The saver's command line, as text only: the tail after the program name, the first switch,
// and window numbers. The platform's CharNext is passed in, so this runs natively too.
#pragma once

#include <cstdint>

// Steps one character forward (CharNextA on Windows: a double-byte character whole).
using CharStep = const char* (*)(const char*);

// The command tail: the program name (quoted or not) and the blanks after it cut off.
const char* commandTail(const char* commandLine, CharStep next);

// Decimal digits read as a number, wrapping in 32 bits; stops at the first other byte.
uint32_t ParseWindowNumber(const char* text);

enum class SaverMode {
  configure,       // no switch: the dialog without a parent
  configureSwitch, // C: the dialog owned by the window after ":", or the foreground window
  save,            // S: full screen
  preview,         // P or L: inside the window whose number follows
  changePassword,  // A: the platform's password-change dialog
  refused,         // anything else
};

// The mode of the first switch, and where its window number starts (null when it has none).
struct SwitchRequest {
  SaverMode mode;
  const char* number;
};
SwitchRequest readSwitch(const char* tail);
