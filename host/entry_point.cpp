// The executable's entry: the runtime's start-up code calls WinMain, which hands over to
// HostEntry; its arguments are not used (HostEntry reads the command line itself).
#include "host/host_main.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { HostEntry(); }
