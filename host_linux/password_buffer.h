// Linux: the one buffer that holds the password typed at the lock: fixed in size, kept out
// of swap and core dumps, zeroed after every try and at the end. Text is written into it in
// place (no copy passes through the program) and input that does not fit spoils the try
// instead of being cut off, so that a long password is never checked as its beginning.
#pragma once

#include <cstddef>

// Bytes of UTF-8 a password may have (the terminating zero not counted).
constexpr size_t passwordCapacity = 256;

struct PasswordBuffer {
  char text[passwordCapacity + 1];  // zero-terminated, zero beyond the length
  size_t length;                    // bytes of text
  bool overflowed;                  // more was typed than fits: the try is refused whole
};

// The process's one buffer.
PasswordBuffer& passwordBuffer();

// Keeps the buffer's memory out of swap (mlock) and out of core dumps. False, errno set, when
// the system refuses the first.
bool protectPasswordBuffer();

// Where bytes more (and a terminating zero) may be written at the end of the text, or null
// when they do not fit: the try is then spoilt (overflowed) and the text stays as it was.
char* passwordRoom(PasswordBuffer& buffer, size_t bytes);

// Takes the bytes written at passwordRoom's place; control characters among them are
// zeroed and not taken (false).
bool takePasswordBytes(PasswordBuffer& buffer, size_t bytes);

// Removes the last character (all its UTF-8 bytes), zeroing it; false when empty.
bool removeLastCharacter(PasswordBuffer& buffer);

// Zeroes the whole buffer for the next try (after every try, at Escape and at the end).
void clearPassword(PasswordBuffer& buffer);
