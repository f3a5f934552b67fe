# GLEW for the Windows target: an installed one when there is one (MSYS2, vcpkg),
# otherwise glew.c from Debian's source package, built static.
find_package(GLEW QUIET)
if(GLEW_FOUND)
  add_library(vorlix_glew INTERFACE)
  target_link_libraries(vorlix_glew INTERFACE GLEW::GLEW)
  return()
endif()

set(VORLIX_GLEW_SOURCE_DIR ${CMAKE_SOURCE_DIR}/build/deps/glew-2.2.0 CACHE PATH "GLEW sources")
if(NOT EXISTS ${VORLIX_GLEW_SOURCE_DIR}/src/glew.c)
  message(FATAL_ERROR "GLEW sources not found in ${VORLIX_GLEW_SOURCE_DIR} (run scripts/setup)")
endif()
add_library(vorlix_glew STATIC ${VORLIX_GLEW_SOURCE_DIR}/src/glew.c)
target_compile_definitions(vorlix_glew PUBLIC GLEW_STATIC)
target_include_directories(vorlix_glew SYSTEM PUBLIC ${VORLIX_GLEW_SOURCE_DIR}/include)
target_compile_options(vorlix_glew PRIVATE -w)
target_link_libraries(vorlix_glew PUBLIC opengl32)
