#pragma once

// The build names the version; a build outside CMake still says something.
#ifndef RW_VERSION
#define RW_VERSION "0.2.0"
#endif

inline constexpr const char* GameVersion = RW_VERSION;
