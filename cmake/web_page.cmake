# The web page (emscripten): the shared scene, renderer and frame tick with their WebGL 2
# variants, the page's C functions, and the page's own files, all in one folder that opens
# from disk. build/web/: index.html, page.js, page.css, vorlixss.js (wasm inside).

include(cmake/embed_shaders.cmake)
vorlix_embed_shaders(${CMAKE_BINARY_DIR}/generated/shader_resource_bytes.h
  ${CMAKE_SOURCE_DIR}/resources/shaders
  "#126" ghost_composite_es.frag "#127" ghost_composite_es.vert)

add_executable(vorlixss_web
  ${vorlix_shared_gl_sources}
  render/context/gl_context_webgl.cpp
  render/context/gl_context_gles.cpp
  render/shaders/shader_dialect_gles.cpp
  render/quad/fullscreen_quad_gles.cpp
  render/ghosting/ghost_ring_gles.cpp
  render/overlay/fps_overlay.cpp
  render/diagnostics/diagnostics_web.cpp
  render/shaders/shader_resources_embedded.cpp
  render/shaders/shader_file_web.cpp
  host_web/page_api.cpp
)
target_include_directories(vorlixss_web PRIVATE ${CMAKE_BINARY_DIR}/generated)
target_link_libraries(vorlixss_web PRIVATE vorlix_portable)
set_target_properties(vorlixss_web PROPERTIES OUTPUT_NAME vorlixss SUFFIX .js)
# NOTE: SINGLE_FILE embeds the wasm: Chromium refuses a separate .wasm to a page opened from
# file://. No file system: the page reads no files, and the shader texts are compiled in.
target_link_options(vorlixss_web PRIVATE
  -sMODULARIZE=1 -sEXPORT_NAME=createVorlixModule -sENVIRONMENT=web -sSINGLE_FILE=1
  -sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2 -sFILESYSTEM=0
  -sEXPORTED_RUNTIME_METHODS=ccall,cwrap,UTF8ToString
  --js-library ${CMAKE_SOURCE_DIR}/render/context/gl_detach_webgl.js)
set_property(TARGET vorlixss_web APPEND PROPERTY
  LINK_DEPENDS ${CMAKE_SOURCE_DIR}/render/context/gl_detach_webgl.js)

# The page's own files beside the program, copied again whenever one changes.
set(page_files)
foreach(file index.html page.js page.css)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/${file}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/host_web/${file}
            ${CMAKE_BINARY_DIR}/${file}
    DEPENDS ${CMAKE_SOURCE_DIR}/host_web/${file})
  list(APPEND page_files ${CMAKE_BINARY_DIR}/${file})
endforeach()
add_custom_target(web_page_files ALL DEPENDS ${page_files})
