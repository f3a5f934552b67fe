// Linux: the power-supply folder's supplies, read without allocating.
#include "host_linux/power_supply.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstring>

namespace {

// The first line of a supply's file (type, status, online) into text; false when unreadable.
bool readLine(int folder, const char* supply, const char* file, char (&text)[32]) {
  char path[NAME_MAX + 16];
  if (std::strlen(supply) + std::strlen(file) + 2 > sizeof path) return false;
  std::strcpy(path, supply);
  std::strcat(path, "/");
  std::strcat(path, file);
  const int descriptor = openat(folder, path, O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return false;
  const ssize_t got = read(descriptor, text, sizeof text - 1);
  close(descriptor);
  if (got <= 0) return false;
  text[got] = '\0';
  text[std::strcspn(text, "\n")] = '\0';
  return true;
}

// Each supply of the folder once: on battery when one battery discharges and nothing feeds it.
bool lookAtSupplies(int folder) {
  if (folder < 0 || lseek(folder, 0, SEEK_SET) < 0) return false;
  bool discharging = false, fed = false;
  alignas(dirent64) char entries[4096];
  long got;
  while ((got = syscall(SYS_getdents64, folder, entries, sizeof entries)) > 0) {
    for (long at = 0; at < got;) {
      const auto* entry = reinterpret_cast<const dirent64*>(entries + at);
      at += entry->d_reclen;
      if (entry->d_name[0] == '.') continue;
      char type[32], state[32];
      if (!readLine(folder, entry->d_name, "type", type)) continue;
      if (std::strcmp(type, "Battery") == 0)
        discharging = discharging ||
                      (readLine(folder, entry->d_name, "status", state) &&
                       std::strcmp(state, "Discharging") == 0);
      else if (std::strcmp(type, "Mains") == 0 || std::strncmp(type, "USB", 3) == 0)
        fed = fed || (readLine(folder, entry->d_name, "online", state) &&
                      std::strcmp(state, "1") == 0);
    }
  }
  return discharging && !fed;
}

}  // namespace

void startPowerWatch(PowerWatch& watch, uint32_t now, const char* folder) {
  watch = PowerWatch{};
  watch.folder = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  watch.onBattery = lookAtSupplies(watch.folder);
  watch.lookedAt = now;
}

bool powerChanged(PowerWatch& watch, uint32_t now) {
  if (watch.folder < 0 || now - watch.lookedAt < powerLookMilliseconds) return false;
  watch.lookedAt = now;
  const bool before = watch.onBattery;
  watch.onBattery = lookAtSupplies(watch.folder);
  return watch.onBattery != before;
}

void stopPowerWatch(PowerWatch& watch) {
  if (watch.folder >= 0) close(watch.folder);
  watch = PowerWatch{};
}
