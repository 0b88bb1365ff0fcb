// Location files from anywhere: the parser either reads them or says what is
// damaged, and what it reads writes back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "base/Errors.h"
#include "world/MapFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TMapData map;
    try {
        map = ParseMap(bytes, "fuzz.map");
    } catch (const EGameError&) {
        return 0;
    }
    // Short strings come back with zeroed tails, so compare a second round.
    std::string once = SerializeMap(map);
    if (SerializeMap(ParseMap(once, "fuzz.map")) != once) std::abort();
    return 0;
}
