// libFuzzer target: readSwitch on arbitrary command tails, compared with a reference of the
// switch rules worked out by position (separators " ", "-", "/"; S, P or L, C with a window
// only after ":", A; everything else refused): the mode, where the window number starts,
// and the number ParseWindowNumber reads there (wrapping in 32 bits).
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

SwitchRequest referenceSwitch(const char* tail) {
  const size_t at = std::strspn(tail, " -/");
  const unsigned char letter = static_cast<unsigned char>(tail[at]);
  const char* after = tail + at + 1;
  if (letter == 0) return {SaverMode::configure, nullptr};
  if (letter == 'S' || letter == 's') return {SaverMode::save, nullptr};
  if (std::strchr("PpLl", letter)) return {SaverMode::preview, after + std::strspn(after, " ")};
  if (letter == 'C' || letter == 'c')
    return {SaverMode::configureSwitch, after[0] == ':' ? after + 1 : nullptr};
  if (letter == 'A' || letter == 'a')
    return {SaverMode::changePassword, after + std::strspn(after, " ")};
  return {SaverMode::refused, nullptr};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An exactly sized, terminated copy: ASan reports any read past the terminator.
  std::vector<char> tail(data, data + size);
  tail.push_back('\0');
  const SwitchRequest found = readSwitch(tail.data());
  const SwitchRequest expected = referenceSwitch(tail.data());
  if (found.mode != expected.mode || found.number != expected.number) std::abort();
  if (found.number && ParseWindowNumber(found.number) != referenceNumber(found.number))
    std::abort();
  return 0;
}
