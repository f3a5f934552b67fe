// main() of the Windows layer's and the end-to-end test programs: gtest's run, then the
// process ends with its result at once.
// NOTE: 32-bit Wine with Mesa's llvmpipe now and then crashes in the process's own teardown
// (a segmentation fault after the last test had passed, 2 runs in about 20 of a busy machine,
// never while a test ran); the saver's own exits are checked by the end-to-end tests.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  std::fflush(stdout);
  std::fflush(stderr);
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(result));
  return result;
}
