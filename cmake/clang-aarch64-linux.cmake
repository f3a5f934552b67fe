# arm64 Linux (Raspberry Pi OS, Debian arm64) from this amd64 machine: Debian's clang with its
# aarch64 target, the arm64 cross libc and libstdc++, and the arm64 libraries beside the amd64
# ones (multiarch). GCC's cross compiler would do as well, but Debian lets it not sit beside
# the multilib packages the 32-bit x86 build needs. Tests run under QEMU's user-mode emulator.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(VORLIX_TRIPLET aarch64-linux-gnu)

find_program(VORLIX_CLANG clang)
find_program(VORLIX_CLANGXX clang++)
find_program(VORLIX_QEMU_AARCH64 qemu-aarch64)
find_program(VORLIX_AARCH64_PKG_CONFIG ${VORLIX_TRIPLET}-pkg-config)
foreach(tool VORLIX_CLANG VORLIX_CLANGXX VORLIX_QEMU_AARCH64 VORLIX_AARCH64_PKG_CONFIG)
  if(NOT ${tool})
    message(FATAL_ERROR "arm64 cross build: ${tool} not found (run scripts/setup)")
  endif()
endforeach()

set(CMAKE_C_COMPILER ${VORLIX_CLANG})
set(CMAKE_CXX_COMPILER ${VORLIX_CLANGXX})
set(CMAKE_C_COMPILER_TARGET ${VORLIX_TRIPLET})
set(CMAKE_CXX_COMPILER_TARGET ${VORLIX_TRIPLET})
set(CMAKE_LIBRARY_ARCHITECTURE ${VORLIX_TRIPLET})
set(CMAKE_CROSSCOMPILING_EMULATOR ${VORLIX_QEMU_AARCH64})
set(PKG_CONFIG_EXECUTABLE ${VORLIX_AARCH64_PKG_CONFIG} CACHE FILEPATH "" FORCE)
# Build tools (wayland-scanner) are the machine's own.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
