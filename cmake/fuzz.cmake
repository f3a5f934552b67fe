# libFuzzer targets of the command-line code, built by Debian's clang with AddressSanitizer
# and UBSan (configure with -DVORLIX_FUZZ=ON and clang; scripts/fuzz does both). The native
# g++ build of the portable code registers a short fuzz run as a test that calls scripts/fuzz;
# the Linux programs' build fuzzes the same targets, so it leaves that to it.
option(VORLIX_FUZZ "Build the libFuzzer targets (needs clang)" OFF)

if(VORLIX_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "VORLIX_FUZZ needs clang++ as the C++ compiler")
  endif()
  set(fuzz_flags -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
                 -fno-omit-frame-pointer -g -O1)
  add_custom_target(fuzz_targets)
  # Each target is compiled together with the product file it drives, so that the product
  # code carries the fuzzer's coverage instrumentation too.
  foreach(name command_tail switch_scan window_number)
    add_executable(fuzz_${name} tests/fuzz/${name}_fuzz.cpp host/command_line.cpp)
    target_include_directories(fuzz_${name} PRIVATE ${CMAKE_SOURCE_DIR})
    target_compile_options(fuzz_${name} PRIVATE ${fuzz_flags})
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    add_dependencies(fuzz_targets fuzz_${name})
  endforeach()
elseif(NOT CMAKE_CROSSCOMPILING AND NOT VORLIX_SANITIZE AND NOT VORLIX_X11 AND
       CMAKE_SIZEOF_VOID_P EQUAL 8)
  add_test(NAME fuzz.command_line COMMAND ${CMAKE_SOURCE_DIR}/scripts/fuzz 60)
  set_tests_properties(fuzz.command_line PROPERTIES TIMEOUT 600)
endif()
