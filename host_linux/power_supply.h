// Linux: whether the machine draws on its battery, from the kernel's power-supply folder
// (/sys/class/power_supply; no daemon needed): on battery when a supply of type Battery is
// Discharging and no Mains or USB supply is online. A folder that is missing or unreadable
// means mains. The folder stays open, so a look costs a few small reads and no allocation.
#pragma once

#include <cstdint>

constexpr const char* powerSupplyFolder = "/sys/class/power_supply";
// How often a run looks again.
constexpr uint32_t powerLookMilliseconds = 10000;

// The watch of one run.
struct PowerWatch {
  int folder = -1;          // the open folder; -1: none (mains)
  bool onBattery = false;   // as last seen
  uint32_t lookedAt = 0;    // millisecond reading of the last look
};

// Opens folder and looks once at now.
void startPowerWatch(PowerWatch& watch, uint32_t now, const char* folder = powerSupplyFolder);

// Looks again when powerLookMilliseconds have passed since the last look; true when the
// machine went from mains to battery or back.
bool powerChanged(PowerWatch& watch, uint32_t now);

// Closes the folder. Safe to call twice.
void stopPowerWatch(PowerWatch& watch);
