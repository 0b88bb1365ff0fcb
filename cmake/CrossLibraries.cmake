# The libraries of a cross build, from the set-up script's cache (RW_CROSS_PREFIX, set by the toolchain
# file): the same target names the host build gets from pkg-config, so the rest of the build is one.
set(P "${RW_CROSS_PREFIX}")
foreach(lib libSDL2.a libSDL2_mixer.a libfreetype.a libimgui.a)
  if(NOT EXISTS "${P}/lib/${lib}")
    message(FATAL_ERROR "${P}/lib/${lib} is missing: run scripts/cross-setup.sh ${RW_CROSS_TARGET} first")
  endif()
endforeach()

# Where the host build finds /usr/include (stb's headers).
include_directories(SYSTEM "${P}/include")

add_library(PkgConfig::FREETYPE INTERFACE IMPORTED)
set_target_properties(PkgConfig::FREETYPE PROPERTIES
  INTERFACE_INCLUDE_DIRECTORIES "${P}/include/freetype2"
  INTERFACE_LINK_LIBRARIES "${P}/lib/libfreetype.a")

if(RW_CROSS_TARGET STREQUAL "win64")
  # What SDL's static library calls in Windows itself.
  set(RW_SDL_SYSTEM_LIBS m dinput8 dxguid dxerr8 user32 gdi32 winmm imm32 ole32 oleaut32 shell32 setupapi
                         version uuid)
endif()
add_library(PkgConfig::SDL2 INTERFACE IMPORTED)
set_target_properties(PkgConfig::SDL2 PROPERTIES
  INTERFACE_INCLUDE_DIRECTORIES "${P}/include;${P}/include/SDL2"
  INTERFACE_LINK_LIBRARIES "${P}/lib/libSDL2_mixer.a;${P}/lib/libSDL2.a;${RW_SDL_SYSTEM_LIBS}")

add_library(PkgConfig::IMGUI INTERFACE IMPORTED)
set_target_properties(PkgConfig::IMGUI PROPERTIES
  INTERFACE_INCLUDE_DIRECTORIES "${P}/include/imgui"
  INTERFACE_LINK_LIBRARIES "${P}/lib/libimgui.a;PkgConfig::SDL2")

if(RW_CROSS_TARGET STREQUAL "win64")
  # One file each, needing only the DLLs every Windows has.
  add_link_options(-static -static-libgcc -static-libstdc++)
  # The known folders of the player's files.
  set(RW_OS_LIBS shell32 ole32)
endif()
unset(P)
