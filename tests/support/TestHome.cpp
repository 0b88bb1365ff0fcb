// Every test program (and every game it starts as a child process) keeps
// settings, saves, screenshots and logs in the build tree, never in the
// home folder of whoever runs the tests.
#include <cstdlib>
#include <string>

namespace {
const bool TestHomeSet = [] {
    const std::string home = std::string(RW_BINARY_DIR) + "/test-home/";
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME", "XDG_PICTURES_DIR", "XDG_CACHE_HOME"})
        setenv(name, (home + name).c_str(), 1);
    return true;
}();
}  // namespace
