# Client code of the Wayland protocols the Wayland program and its tests speak, made by
# wayland-scanner at build time. The stable and staging protocols come from Debian's
# wayland-protocols; wlroots' own (layer shell, virtual pointer) from the XML that
# scripts/setup takes out of a Debian package into build/deps/wlr-protocols, kept out of git.
#   vorlix_wayland_protocols(TARGET XML...)   a static library TARGET with the code of each
#                                             XML and its "NAME-client-protocol.h" headers
find_package(PkgConfig REQUIRED)
pkg_check_modules(WaylandClient REQUIRED IMPORTED_TARGET wayland-client)
pkg_get_variable(VORLIX_WAYLAND_PROTOCOLS wayland-protocols pkgdatadir)
if(NOT VORLIX_WAYLAND_PROTOCOLS)
  message(FATAL_ERROR "wayland-protocols is not installed (scripts/setup installs it)")
endif()
find_program(WAYLAND_SCANNER wayland-scanner REQUIRED)
# Where scripts/setup puts wlroots' XML; a distribution that packages wlr-protocols names its
# folder instead (-DVORLIX_WLR_PROTOCOLS=/usr/share/wlr-protocols/unstable).
set(VORLIX_WLR_PROTOCOLS ${CMAKE_SOURCE_DIR}/build/deps/wlr-protocols CACHE PATH
  "Folder of wlroots' protocol XML (the layer shell, the virtual pointer)")
if(NOT EXISTS ${VORLIX_WLR_PROTOCOLS}/wlr-layer-shell-unstable-v1.xml)
  message(FATAL_ERROR "No wlroots protocol XML in ${VORLIX_WLR_PROTOCOLS} (scripts/setup takes it "
    "out of a Debian package; or name a folder that has it with -DVORLIX_WLR_PROTOCOLS=)")
endif()

# KDE's older idle protocol (org_kde_kwin_idle, sway 1.7's only one) comes with Debian's
# plasma-wayland-protocols; its XML is the same for every architecture.
find_path(VORLIX_PLASMA_PROTOCOLS idle.xml PATHS /usr/share/plasma-wayland-protocols
  NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT VORLIX_PLASMA_PROTOCOLS)
  message(FATAL_ERROR "plasma-wayland-protocols is not installed (scripts/setup installs it)")
endif()

function(vorlix_wayland_protocols target)
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target})
  set(sources)
  foreach(xml ${ARGN})
    get_filename_component(stem ${xml} NAME_WE)
    add_custom_command(OUTPUT ${dir}/${stem}-client-protocol.h ${dir}/${stem}-protocol.c
      COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
      COMMAND ${WAYLAND_SCANNER} client-header ${xml} ${dir}/${stem}-client-protocol.h
      COMMAND ${WAYLAND_SCANNER} private-code ${xml} ${dir}/${stem}-protocol.c
      DEPENDS ${xml} VERBATIM)
    list(APPEND sources ${dir}/${stem}-client-protocol.h ${dir}/${stem}-protocol.c)
  endforeach()
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC ${dir})
  target_link_libraries(${target} PUBLIC PkgConfig::WaylandClient)
endfunction()
