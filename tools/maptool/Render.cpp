#include "Render.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>

#include "base/Errors.h"
#include "base/FileSystem.h"
#include "base/Ini.h"
#include "base/Text.h"
#include "media/Font.h"
#include "media/ImageList.h"
#include "media/Surface.h"

namespace {

constexpr int LocationW = MapCols * TileW, LocationH = MapRows * TileH;

class TPictures {
public:
    TPictures(const TFileSystem& files, std::vector<std::string>& notes) : Files(files), Notes(notes) {}

    // A picture of a list, keyed by its top-left pixel as the game keys them; null when it cannot be had.
    const TImageItem* Load(const std::string& folder, const std::vector<std::string>& list, const std::string& name) {
        const std::string key = folder + "/" + LowerCase(name);
        if (auto it = Cache.find(key); it != Cache.end()) return it->second.get();
        std::unique_ptr<TImageItem>& item = Cache[key];
        if (!ListHas(list, name)) {
            Notes.push_back("picture \"" + name + "\" is not in " + folder + ".lst");
            return nullptr;
        }
        const std::string path = "data\\Images\\" + folder + "\\" + name + ".bmp";
        try {
            item = std::make_unique<TImageItem>();
            item->Name = name;
            item->Picture = LoadBmp(Files.ReadFile(path), path);
            item->Transparent = true;
            item->TransparentColor = item->Picture.Pixel(0, 0);
        } catch (const EGameError& e) {
            Notes.push_back(e.what());
            item.reset();
        }
        return item.get();
    }

private:
    const TFileSystem& Files;
    std::vector<std::string>& Notes;
    std::map<std::string, std::unique_ptr<TImageItem>> Cache;
};

// The section of a critter picture: its name cut before the second underscore.
std::string CritterSection(const std::string& picture) {
    const size_t first = picture.find('_');
    const size_t second = first == std::string::npos ? first : picture.find('_', first + 1);
    return second == std::string::npos ? picture : picture.substr(0, second);
}

struct TSprite {
    bool Critter;
    size_t Index;
    int32_t Row;
};

void DrawBlocks(TSurface& s, const TMapData& map) {
    auto cell = [&](int x, int y) -> const TCell& { return map.Grid[size_t(x) * MapRows + size_t(y)]; };
    s.BrushStyle = TBrushStyle::Clear;
    s.PenColor = 0x0000FF;
    for (int x = 0; x < MapCols; ++x)
        for (int y = 0; y < MapRows; ++y)
            if (cell(x, y).WalkBlock) s.Rectangle(x * TileW, y * TileH, x * TileW + TileW, y * TileH + TileH);
    s.PenColor = 0x00FF00;
    for (int x = 0; x < MapCols; ++x)
        for (int y = 0; y < MapRows; ++y)
            if (cell(x, y).ShootBlock) s.Rectangle(x * TileW + 1, y * TileH + 1, x * TileW + 19, y * TileH + 9);
    s.PenColor = 0x00FFFF;
    s.Font = TFontSpec{"Small Fonts", 4, false, false, 0x00FFFF};
    for (int x = 0; x < MapCols; ++x)
        for (int y = 0; y < MapRows; ++y)
            if (const int hit = cell(x, y).HitType; hit > 0) {
                s.Rectangle(x * TileW + 2, y * TileH + 2, x * TileW + 10, y * TileH + 8);
                s.TextOut(x * TileW + 4, y * TileH + 2, std::to_string(hit));
            }
}

}  // namespace

TBitmap RenderLocation(const TMapData& map, const std::filesystem::path& dataDir, const TRenderOptions& options,
                       std::vector<std::string>& notes) {
    const TFileSystem files(dataDir);
    TIniFile ini;
    std::vector<std::string> critterList, objectList, locationList;
    auto guarded = [&](auto f) {
        try {
            f();
        } catch (const EGameError& e) {
            notes.push_back(e.what());
        }
    };
    guarded([&] { ini = TIniFile::ParseCp1251(files.ReadFile("data\\data\\game.ini")); });
    guarded([&] { critterList = ReadListFile(files, "data\\Images\\Critters\\Critters.lst"); });
    guarded([&] { objectList = ReadListFile(files, "data\\Images\\Objects\\Objects.lst"); });
    guarded([&] { locationList = ReadListFile(files, "data\\Images\\Locations\\Locations.lst"); });

    TFontEngine fonts(GameFontDirs(dataDir));
    TSurface surface(fonts);
    surface.Pixels().SetSize(LocationW, LocationH, 0);
    TPictures pictures(files, notes);

    if (const TImageItem* background = pictures.Load("Locations", locationList, map.PatternName)) {
        TImageItem opaque = *background;
        opaque.Transparent = false;
        surface.Draw(opaque, 0, 0, 0);
    }

    // The draw list at rest: critters, then objects, ordered by row with the
    // game's own selection sort, whose swaps decide the order among equal rows.
    std::vector<TSprite> sprites;
    for (size_t i = 0; i < map.Critters.size(); ++i) sprites.push_back({true, i, map.Critters[i].StartY});
    for (size_t i = 0; i < map.Objects.size(); ++i) sprites.push_back({false, i, map.Objects[i].Y});
    for (size_t i = 0; i + 1 < sprites.size(); ++i) {
        size_t best = i;
        int32_t key = sprites[i].Row;
        for (size_t k = i + 1; k < sprites.size(); ++k)
            if (sprites[k].Row < key) {
                best = k;
                key = sprites[k].Row;
            }
        std::swap(sprites[i], sprites[best]);
    }

    const int32_t specialObjects = ini.ReadInteger("Main", "SpecialObjects", 0);
    for (const TSprite& sprite : sprites) {
        if (sprite.Critter) {
            const TMapCritter& c = map.Critters[sprite.Index];
            if (c.Invisible) continue;
            const std::string set = c.Skin + "_idle";
            const TImageItem* sheet = pictures.Load("Critters", critterList, set);
            if (!sheet) continue;
            TImageItem item = *sheet;
            const std::string section = CritterSection(set);
            item.PatternWidth = ini.ReadInteger(section, "Width", 0);
            item.PatternHeight = ini.ReadInteger(section, "Height", 0);
            const int frames = ini.ReadInteger(set, "Frames", 0);
            const int direction = ((c.Direction % 8) + 8) % 8;
            const int x = c.StartX * TileW - ini.ReadInteger(set, "OffX", 0);
            const int y = c.StartY * TileH - ini.ReadInteger(set, "OffY", 0);
            if (ListHas(critterList, set + "_shadow"))
                if (const TImageItem* shadowSheet = pictures.Load("Critters", critterList, set + "_shadow")) {
                    TImageItem shadow = *shadowSheet;
                    shadow.PatternWidth = item.PatternWidth;
                    shadow.PatternHeight = item.PatternHeight;
                    surface.DrawAlpha(shadow, TRect{x, y, x + shadow.PatternWidth, y + shadow.PatternHeight},
                                      direction * frames, 120);
                }
            surface.Draw(item, x, y, direction * frames);
        } else {
            const TMapObject& o = map.Objects[sprite.Index];
            if (o.Invisible) continue;
            const TImageItem* picture = pictures.Load("Objects", objectList, o.ImageName);
            if (!picture) continue;
            TImageItem item = *picture;
            int alpha = 255;
            for (int32_t k = 0; k < specialObjects; ++k) {
                const std::string section = "Object" + std::to_string(k);
                if (ini.ReadString(section, "name", "") != o.ImageName) continue;
                const std::string effect = ini.ReadString(section, "effect", "");
                if (effect == "anim") {
                    item.PatternWidth = ini.ReadInteger(section, "PatternWidth", 0);
                    item.PatternHeight = ini.ReadInteger(section, "PatternHeight", 0);
                } else if (effect == "alpha") {
                    alpha = ini.ReadInteger(section, "Value", 0);
                }
            }
            // Centred on the tile's middle, standing 10 pixels below the tile's bottom.
            const int cx = o.X * TileW + o.OffsetX + 10, bottom = o.Y * TileH + o.OffsetY + 20;
            const int w = item.PatW(), h = item.PatH();
            if (alpha == 255)
                surface.Draw(item, cx - w / 2, bottom - h, 0);
            else
                surface.DrawAlpha(item, TRect{cx - w / 2, bottom - h, cx + w / 2, bottom}, 0, alpha);
        }
    }
    if (options.Blocks) DrawBlocks(surface, map);
    return options.Scale == 1.0 ? surface.Pixels() : ScaleBitmap(surface.Pixels(), options.Scale);
}

TBitmap ScaleBitmap(const TBitmap& source, double scale) {
    const int w = std::max(1, int(std::lround(source.Width() * scale)));
    const int h = std::max(1, int(std::lround(source.Height() * scale)));
    TBitmap out(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            // The source pixels this one covers: at least one.
            const int x0 = int(x / scale), y0 = int(y / scale);
            const int x1 = std::max(x0 + 1, std::min(source.Width(), int((x + 1) / scale)));
            const int y1 = std::max(y0 + 1, std::min(source.Height(), int((y + 1) / scale)));
            uint64_t r = 0, g = 0, b = 0, n = 0;
            for (int sy = y0; sy < y1; ++sy)
                for (int sx = x0; sx < x1; ++sx) {
                    const TColor c = source.Pixel(sx, sy);
                    r += c & 0xFF;
                    g += (c >> 8) & 0xFF;
                    b += (c >> 16) & 0xFF;
                    ++n;
                }
            out.SetPixel(x, y, RGBColor(uint8_t(r / n), uint8_t(g / n), uint8_t(b / n)));
        }
    return out;
}
