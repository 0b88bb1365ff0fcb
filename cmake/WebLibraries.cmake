# The browser build's libraries: built once for wasm by scripts/cross/web.sh from Debian's source packages
# and linked as archives by full path, so emcc never swaps in its own (downloaded) ports. The targets keep
# the names the host's pkg-config gives, so the rest of the build does not tell the two apart.
if(NOT RW_WEB_PREFIX)
  execute_process(COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/cross/web.sh
                  OUTPUT_VARIABLE RW_WEB_PREFIX OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "scripts/cross/web.sh could not build the wasm libraries")
  endif()
  set(RW_WEB_PREFIX ${RW_WEB_PREFIX} CACHE PATH "The wasm libraries (include/, lib/)")
endif()

function(rw_web_library name)
  add_library(${name} INTERFACE IMPORTED GLOBAL)
  set(archives)
  foreach(a ${ARGN})
    list(APPEND archives ${RW_WEB_PREFIX}/lib/${a})
  endforeach()
  set_target_properties(${name} PROPERTIES INTERFACE_LINK_LIBRARIES "${archives}")
endfunction()

rw_web_library(PkgConfig::FREETYPE libfreetype.a)
set_target_properties(PkgConfig::FREETYPE PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${RW_WEB_PREFIX}/include/freetype2)
# The game includes <SDL2/SDL.h>; SDL2_mixer's header includes "SDL_stdinc.h", so both folders.
rw_web_library(PkgConfig::SDL2 libSDL2_mixer.a libSDL2.a)
set_target_properties(PkgConfig::SDL2 PROPERTIES
  INTERFACE_INCLUDE_DIRECTORIES "${RW_WEB_PREFIX}/include;${RW_WEB_PREFIX}/include/SDL2"
  INTERFACE_LINK_OPTIONS "-lGL")
rw_web_library(PkgConfig::IMGUI libimgui.a)
set_target_properties(PkgConfig::IMGUI PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${RW_WEB_PREFIX}/include/imgui)

# Errors travel as exceptions through the game; the browser build catches them as the native one does.
add_compile_options(-fexceptions)
add_link_options(-fexceptions)

# stb's PNG writer is a header of its own (libstb-dev), the same for any target; copied alone, so no other
# host header can reach the wasm build.
file(COPY /usr/include/stb/stb_image_write.h DESTINATION ${CMAKE_BINARY_DIR}/web-include/stb)
include_directories(SYSTEM ${CMAKE_BINARY_DIR}/web-include)
