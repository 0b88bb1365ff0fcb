// Feeds arbitrary bytes to the saved-game reader: nothing may crash, hang or
// allocate without bound. An odd first byte seals the rest as a save of this
// version, so the fuzzer gets past the check sum to the game's fields.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/SaveGame.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::string bytes = data[0] & 1 ? SealSave(rest) : std::string(rest);
    try {
        CheckSave(bytes);
    } catch (const std::exception&) {
    }
    try {
        ReadSlotInfo(bytes);
    } catch (const std::exception&) {
    }
    return 0;
}
