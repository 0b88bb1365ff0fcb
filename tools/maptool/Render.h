#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "media/Bitmap.h"
#include "world/MapFormat.h"

struct TRenderOptions {
    bool Blocks = false;  // walk and shoot blocks and hit types, as the editor's tile page shows them
    double Scale = 1.0;
};

// The whole 1600 x 1200 location as the game shows it at rest: background,
// then objects and critters (in their start frames) in the game's draw
// order. Pictures come from the data folder `dataDir`; what cannot be found
// is left out and named in `notes`.
TBitmap RenderLocation(const TMapData& map, const std::filesystem::path& dataDir, const TRenderOptions& options,
                       std::vector<std::string>& notes);

// A picture resized by `scale`: averaged when it shrinks, repeated pixels when it grows.
TBitmap ScaleBitmap(const TBitmap& source, double scale);
