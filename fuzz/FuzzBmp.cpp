// Any byte string must either load as a picture or fail with the game's own error.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/Errors.h"
#include "media/Bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        const TBitmap b = LoadBmp(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.bmp");
        if (b.Empty() || size_t(b.Width()) * b.Height() != b.Data().size()) __builtin_trap();
    } catch (const EGameError&) {
    }
    return 0;
}
