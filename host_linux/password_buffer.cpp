// Linux: the password buffer, its protection and its edits.
#include "host_linux/password_buffer.h"

#include <string.h>
#include <sys/mman.h>

namespace {

constexpr size_t pageSize = 4096;

// A page of its own, so that mlock and madvise cover the buffer and nothing else.
struct alignas(pageSize) PasswordPage {
  PasswordBuffer buffer;
} page;

}  // namespace

PasswordBuffer& passwordBuffer() { return page.buffer; }

bool protectPasswordBuffer() {
  madvise(&page, sizeof page, MADV_DONTDUMP);
  return mlock(&page, sizeof page) == 0;
}

char* passwordRoom(PasswordBuffer& buffer, size_t bytes) {
  if (buffer.overflowed || buffer.length + bytes > passwordCapacity) {
    buffer.overflowed = true;
    return nullptr;
  }
  return buffer.text + buffer.length;
}

bool takePasswordBytes(PasswordBuffer& buffer, size_t bytes) {
  char* added = buffer.text + buffer.length;
  for (size_t i = 0; i < bytes; ++i) {
    const unsigned char byte = static_cast<unsigned char>(added[i]);
    if (byte < 0x20 || byte == 0x7f) {
      explicit_bzero(added, passwordCapacity + 1 - buffer.length);
      return false;
    }
  }
  buffer.length += bytes;
  buffer.text[buffer.length] = '\0';
  return true;
}

bool removeLastCharacter(PasswordBuffer& buffer) {
  if (buffer.length == 0) return false;
  // UTF-8 continuation bytes are 10xxxxxx: remove back to the character's first byte.
  unsigned char removed = 0;
  do {
    removed = static_cast<unsigned char>(buffer.text[--buffer.length]);
    buffer.text[buffer.length] = '\0';
  } while (buffer.length > 0 && (removed & 0xc0) == 0x80);
  return true;
}

void clearPassword(PasswordBuffer& buffer) {
  explicit_bzero(&buffer, sizeof buffer);
}
