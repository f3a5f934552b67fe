// libFuzzer target: commandTail on arbitrary command lines, stepped byte by byte
// and, as CharNextA does under a double-byte code page, two bytes at a lead byte. The
// first input byte picks the stepping; the rest is the command line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "host/command_line.h"

namespace {

// One byte a step; the end of the text stays where it is.
const char* stepByte(const char* text) { return *text ? text + 1 : text; }

// Lead bytes of a Shift-JIS-like code page: such a byte and the next one form a character,
// unless the next one is the end of the text.
bool isLeadByte(unsigned char byte) { return (byte >= 0x81 && byte <= 0x9F) || byte >= 0xE0; }

const char* stepDoubleByte(const char* text) {
  if (!*text) return text;
  if (isLeadByte(static_cast<unsigned char>(*text)) && text[1]) return text + 2;
  return text + 1;
}

// Where the tail starts for single-byte stepping, worked out by position: after the
// closing quote of a quoted name (or at the end without one), else after the first run of
// bytes above 0x20; then past every byte from 1 to 0x20.
size_t referenceTailStart(const char* line) {
  const size_t length = std::strlen(line);
  size_t i = 0;
  if (line[0] == '"') {
    const char* close = std::strchr(line + 1, '"');
    i = close ? size_t(close - line) + 1 : length;
  } else {
    while (i < length && static_cast<unsigned char>(line[i]) > 0x20) ++i;
  }
  while (i < length && static_cast<unsigned char>(line[i]) <= 0x20) ++i;
  return i;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const bool doubleByte = data[0] & 1;
  // An exactly sized, terminated copy: ASan reports any read past the terminator.
  std::vector<char> line(data + 1, data + size);
  line.push_back('\0');
  const char* start = line.data();
  const char* end = start + std::strlen(start);
  const char* tail = commandTail(start, doubleByte ? stepDoubleByte : stepByte);
  // Whatever the stepping, the tail lies inside the text and begins at its end or at a
  // byte above 0x20.
  if (tail < start || tail > end) std::abort();
  if (*tail != '\0' && static_cast<unsigned char>(*tail) <= 0x20) std::abort();
  if (!doubleByte && size_t(tail - start) != referenceTailStart(start)) std::abort();
  return 0;
}
