// The lock's password buffer: text written in place, a character removed whole, control
// characters not taken, input beyond the capacity spoiling the try instead of being cut
// short, nothing left after a clear, and the memory kept out of swap.
#include "host_linux/password_buffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

namespace {

// Writes text as xkbcommon does for a key: at the buffer's room, zero-terminated.
bool type(PasswordBuffer& buffer, const char* text) {
  const size_t bytes = std::strlen(text);
  char* room = passwordRoom(buffer, bytes);
  if (!room) return false;
  std::memcpy(room, text, bytes + 1);
  return takePasswordBytes(buffer, bytes);
}

TEST(PasswordBuffer, TakesTextRemovesWholeCharactersAndRefusesATryThatDoesNotFit) {
  PasswordBuffer& buffer = passwordBuffer();
  clearPassword(buffer);
  EXPECT_TRUE(type(buffer, "p") && type(buffer, "\xc3\xa9"));  // p, e acute
  EXPECT_FALSE(type(buffer, "\t"));
  EXPECT_STREQ(buffer.text, "p\xc3\xa9");
  EXPECT_TRUE(removeLastCharacter(buffer));
  EXPECT_STREQ(buffer.text, "p");
  EXPECT_EQ(buffer.text[2], '\0') << "a removed byte was left behind";

  // Full to the last byte is fine; a character more spoils the whole try, also one of two
  // bytes whose first would still fit, and the text is not cut to what fits.
  for (const char* last : {"a", "\xc3\xa9"}) {
    clearPassword(buffer);
    while (buffer.length < passwordCapacity - 1) ASSERT_TRUE(type(buffer, "x"));
    const bool fits = std::strlen(last) == 1;
    EXPECT_EQ(type(buffer, last), fits);
    EXPECT_EQ(buffer.overflowed, !fits);
    EXPECT_FALSE(type(buffer, "x"));
    EXPECT_TRUE(buffer.overflowed);
    EXPECT_EQ(buffer.length, passwordCapacity - (fits ? 0 : 1)) << "a spoilt try changed";
  }
  clearPassword(buffer);
  const auto* bytes = reinterpret_cast<const unsigned char*>(&buffer);
  for (size_t i = 0; i < sizeof buffer; ++i) ASSERT_EQ(bytes[i], 0) << "byte " << i;

  // Kept out of swap: the process has locked memory now.
  ASSERT_TRUE(protectPasswordBuffer());
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line) && line.rfind("VmLck:", 0) != 0) {
  }
  EXPECT_NE(line, "VmLck:\t       0 kB");
}

}  // namespace
