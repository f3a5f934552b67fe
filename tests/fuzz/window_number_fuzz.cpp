// libFuzzer target: ParseWindowNumber on arbitrary bytes, compared with a reference of its
// rules (decimal digits only, read as signed bytes, 32-bit wrap-around, stop at the first
// non-digit). Sanitizers catch reads past the end and signed overflow.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "host/command_line.h"

namespace {

// The number the rules give for text: what the product must return.
uint32_t referenceNumber(const char* text) {
  uint32_t value = 0;
  for (const signed char* p = reinterpret_cast<const signed char*>(text); *p >= '0' && *p <= '9';
       ++p)
    value = value * 10u + static_cast<uint32_t>(*p - '0');
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An exactly sized, terminated copy: ASan reports any read past the terminator.
  std::vector<char> text(data, data + size);
  text.push_back('\0');
  if (ParseWindowNumber(text.data()) != referenceNumber(text.data())) std::abort();
  return 0;
}
