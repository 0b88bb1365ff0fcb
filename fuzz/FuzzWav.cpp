// Any byte string must either load as a wave or fail with the game's own error.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/Errors.h"
#include "media/Sound.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        const TWaveData w = LoadWav(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.wav");
        if (w.Samples.size() > size || w.Samples.size() % (size_t(w.Channels) * (w.BitsPerSample / 8)) != 0)
            __builtin_trap();
    } catch (const EGameError&) {
    }
    return 0;
}
