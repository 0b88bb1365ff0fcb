# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (the posix thread model, for std::thread and
# std::mutex). The libraries come statically from the cross set-up's cache: scripts/cross-setup.sh win64.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# The folder the set-up script installed the libraries into (a link to the one of the current versions).
if(NOT RW_CROSS_PREFIX)
  if(DEFINED ENV{RW_CROSS_CACHE})
    set(RW_CROSS_PREFIX "$ENV{RW_CROSS_CACHE}/win64")
  elseif(DEFINED ENV{XDG_CACHE_HOME})
    set(RW_CROSS_PREFIX "$ENV{XDG_CACHE_HOME}/rustwake-cross/win64")
  else()
    set(RW_CROSS_PREFIX "$ENV{HOME}/.cache/rustwake-cross/win64")
  endif()
endif()
set(RW_CROSS_PREFIX "${RW_CROSS_PREFIX}" CACHE PATH "Static libraries of the cross build")
set(RW_CROSS_TARGET win64)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 "${RW_CROSS_PREFIX}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The host's pkg-config files must not leak into the cross build.
set(ENV{PKG_CONFIG_LIBDIR} "${RW_CROSS_PREFIX}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
