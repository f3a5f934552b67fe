// libFuzzer target: ReadHostSwitch on arbitrary command tails, compared with a reference of
// the switch rules worked out by position (separators " ", "-", "/"; S, P or L, C with a
// window only after ":", A; everything else refused), window numbers wrapping in 32 bits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "host/command_line.h"

namespace {

// Decimal digits at text, taken modulo 2^32 in 64-bit arithmetic.
uint32_t referenceNumber(const char* text) {
  uint64_t value = 0;
  for (size_t i = 0; text[i] >= '0' && text[i] <= '9'; ++i)
    value = (value * 10 + uint64_t(text[i] - '0')) & 0xFFFFFFFFu;
  return uint32_t(value);
}

HostSwitch referenceSwitch(const char* tail) {
  HostSwitch expected;
  const size_t at = std::strspn(tail, " -/");
  const unsigned char letter = static_cast<unsigned char>(tail[at]);
  const char* after = tail + at + 1;
  if (letter == 0) {
    expected.mode = HostMode::configure;
  } else if (letter == 'S' || letter == 's') {
    expected.mode = HostMode::save;
  } else if (std::strchr("PpLl", letter)) {
    expected.mode = HostMode::preview;
    expected.window = referenceNumber(after + std::strspn(after, " "));
  } else if (letter == 'C' || letter == 'c') {
    expected.mode = HostMode::configure;
    expected.window = after[0] == ':' ? referenceNumber(after + 1) : 0;
  } else if (letter == 'A' || letter == 'a') {
    expected.mode = HostMode::changePassword;
    expected.window = referenceNumber(after + std::strspn(after, " "));
  } else {
    expected.mode = HostMode::refused;
  }
  return expected;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An exactly sized, terminated copy: ASan reports any read past the terminator.
  std::vector<char> tail(data, data + size);
  tail.push_back('\0');
  const HostSwitch found = ReadHostSwitch(tail.data());
  const HostSwitch expected = referenceSwitch(tail.data());
  if (found.mode != expected.mode || found.window != expected.window) std::abort();
  return 0;
}
