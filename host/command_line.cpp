// Command-line reading: bytes are compared as the platform's start-up code does, a byte
// from 0x80 up never being a switch letter.
#include "host/command_line.h"

namespace {

// Skips blanks (0x20 only, not tabs): the blanks between a switch and its number.
const char* skipSpaces(const char* c) {
  while (*c == ' ') ++c;
  return c;
}

}  // namespace

const char* commandTail(const char* commandLine, CharStep next) {
  const char* c = commandLine;
  if (*c == '"') {
    c = next(c);
    while (*c != '\0' && *c != '"') c = next(c);
    if (*c == '"') c = next(c);
  } else if (static_cast<unsigned char>(*c) > 0x20) {
    while (static_cast<unsigned char>(*c) > 0x20) c = next(c);
  }
  while (*c != '\0' && static_cast<unsigned char>(*c) <= 0x20) c = next(c);
  return c;
}

uint32_t ParseWindowNumber(const char* text) {
  uint32_t value = 0;
  for (const signed char* c = reinterpret_cast<const signed char*>(text); *c >= '0' && *c <= '9';
       ++c)
    value = value * 10u + static_cast<uint32_t>(*c - '0');
  return value;
}

SwitchRequest readSwitch(const char* tail) {
  for (const char* c = tail;; ++c) {
    switch (static_cast<signed char>(*c)) {
      case '\0':
        return {SaverMode::configure, nullptr};
      case ' ':
      case '-':
      case '/':
        continue;  // separators may repeat and mix
      case 'S':
      case 's':
        return {SaverMode::save, nullptr};
      case 'P':
      case 'p':
      case 'L':
      case 'l':
        return {SaverMode::preview, skipSpaces(c + 1)};
      case 'C':
      case 'c':
        // The number is read only after a colon; without one the foreground window owns.
        return {SaverMode::configureSwitch, c[1] == ':' ? c + 2 : nullptr};
      case 'A':
      case 'a':
        return {SaverMode::changePassword, skipSpaces(c + 1)};
      default:
        return {SaverMode::refused, nullptr};
    }
  }
}
