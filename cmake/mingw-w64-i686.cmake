# Cross toolchain: MinGW-w64 for 32-bit Windows (Debian's posix-thread variant).
# Same sources as the 64-bit build; only the code generation for x86 differs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VORLIX_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

# NOTE: i686 code uses the x87 unit by default, which keeps floats in 80-bit registers and
# rounds them whenever a register spills; the ball simulation would then drift from the
# 64-bit build. SSE2 scalar maths rounds every single-precision operation as x86-64 does.
# Windows only promises a 4-byte aligned stack to callbacks (window procedures, timer
# callbacks), so functions that keep SSE values on the stack realign it themselves.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse -mstackrealign")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse -mstackrealign")
