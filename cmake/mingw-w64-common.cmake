# Shared part of the MinGW-w64 toolchain files: finds each cross tool or stops.
# Expects VORLIX_TRIPLET (x86_64-w64-mingw32 or i686-w64-mingw32).

foreach(tool IN ITEMS gcc g++)
  string(TOUPPER "${tool}" var)
  find_program(VORLIX_${var} NAMES ${VORLIX_TRIPLET}-${tool}-posix ${VORLIX_TRIPLET}-${tool})
  if(NOT VORLIX_${var})
    message(FATAL_ERROR "MinGW-w64: ${VORLIX_TRIPLET}-${tool} not found (run scripts/setup)")
  endif()
endforeach()
find_program(VORLIX_WINDRES NAMES ${VORLIX_TRIPLET}-windres)
if(NOT VORLIX_WINDRES)
  message(FATAL_ERROR "MinGW-w64: ${VORLIX_TRIPLET}-windres not found (run scripts/setup)")
endif()

set(CMAKE_C_COMPILER ${VORLIX_GCC})
set(CMAKE_CXX_COMPILER ${VORLIX_G++})
set(CMAKE_RC_COMPILER ${VORLIX_WINDRES})

set(CMAKE_FIND_ROOT_PATH /usr/${VORLIX_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
