// Entry and modes of the saver process.
#include "host/host_main.h"

HINSTANCE hostInstance = nullptr;
bool is95Family = false;
