// The structured exception guard of the host: a crash inside the run ends the run with the
// guard's answer instead of ending the process.
#include <gtest/gtest.h>
#include <windows.h>

#include "host/crash_guard.h"

namespace {

// The system's unhandled-exception filter asks the process's top-level filter first; this
// one stands for the platform's crash report and gives its verdict: run the guard's handler.
// NOTE: Wine's filter ignores SEM_NOGPFAULTERRORBOX and would start its debugger instead.
int verdictsAsked = 0;
LONG WINAPI reportAndSelectHandler(EXCEPTION_POINTERS*) {
  ++verdictsAsked;
  return EXCEPTION_EXECUTE_HANDLER;
}

class CrashGuard : public ::testing::Test {
 protected:
  void SetUp() override {
    verdictsAsked = 0;
    previous = SetUnhandledExceptionFilter(reportAndSelectHandler);
  }
  void TearDown() override { SetUnhandledExceptionFilter(previous); }
  LPTOP_LEVEL_EXCEPTION_FILTER previous = nullptr;
};

TEST_F(CrashGuard, ABodyThatEndsNormallyIsReportedAsRun) {
  int steps = 0;
  EXPECT_EQ(runUnderCrashGuard([](void* c) { *static_cast<int*>(c) = 1; }, &steps), 1);
  EXPECT_EQ(steps, 1);
  EXPECT_EQ(verdictsAsked, 0);
}

TEST_F(CrashGuard, AStructuredExceptionEndsTheBodyWhereItHappened) {
  int steps = 0;
  EXPECT_EQ(runUnderCrashGuard(
                [](void* c) {
                  *static_cast<int*>(c) = 1;
                  RaiseException(0xE0564F52, 0, 0, nullptr);
                  *static_cast<int*>(c) = 2;
                },
                &steps),
            0);
  EXPECT_EQ(steps, 1);
  EXPECT_EQ(verdictsAsked, 1);
}

TEST_F(CrashGuard, AnAccessViolationIsCaughtAndTheGuardCanRunAgain) {
  static volatile int* nowhere = nullptr;
  EXPECT_EQ(runUnderCrashGuard([](void*) { *nowhere = 1; }, nullptr), 0);
  int steps = 0;
  EXPECT_EQ(runUnderCrashGuard([](void* c) { *static_cast<int*>(c) = 3; }, &steps), 1);
  EXPECT_EQ(steps, 3);
  EXPECT_EQ(verdictsAsked, 1);
}

}  // namespace
