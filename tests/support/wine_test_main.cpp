// main() of the Windows layer's and the end-to-end test programs: gtest's, with the main
// thread made known to gtest before the first test.
// NOTE: on Windows gtest starts a thread of its own the first time a thread records a skip or
// a failure. When a last test skips (one run by another ctest entry), that thread is born
// just before the program ends, and 32-bit Wine 8 kills a process that ends while one of its
// threads is still starting, with a segmentation fault (about 1 run in 30 of a busy machine).
// A trace opened and closed here starts gtest's thread at once, long before any ending.
#include <gtest/gtest.h>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  { SCOPED_TRACE("the main thread, known to gtest from the start"); }
  return RUN_ALL_TESTS();
}
