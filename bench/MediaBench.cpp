// The surface's sprite drawing against the software blits of the window library, on the same pictures.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "BenchGame.h"
#include "media/Font.h"
#include "media/ImageList.h"
#include "media/Surface.h"

namespace {

constexpr TColor Key = RGBColor(255, 0, 255);
constexpr int SpriteW = 40, SpriteH = 60;

// A figure filling about two thirds of its cell, the rest keyed out, like the critter pictures.
TImageItem MakeSprite() {
    TImageItem item;
    item.Picture.SetSize(SpriteW, SpriteH, Key);
    for (int y = 0; y < SpriteH; ++y)
        for (int x = 0; x < SpriteW; ++x) {
            const double dx = (x - 19.5) / 18.0, dy = (y - 29.5) / 29.0;
            if (dx * dx + dy * dy <= 1.0) item.Picture.SetPixel(x, y, RGBColor(x * 6, y * 4, (x * y) & 0xFF));
        }
    item.TransparentColor = Key;
    return item;
}

// Places spread over the screen, some of them clipped by its edges.
std::vector<SDL_Point> Places(int count) {
    std::vector<SDL_Point> p;
    uint32_t seed = 12345;
    for (int i = 0; i < count; ++i) {
        seed = seed * 1103515245 + 12345;
        const int x = int((seed >> 8) % 840) - 20;
        seed = seed * 1103515245 + 12345;
        const int y = int((seed >> 8) % 640) - 20;
        p.push_back({x, y});
    }
    return p;
}

struct TSdlSurfaces {
    SDL_Surface* Screen;
    SDL_Surface* Sprite;

    explicit TSdlSurfaces(const TImageItem& item) {
        // XBGR8888 keeps red in the low byte, as our pixels do, so the same bytes serve both sides.
        Screen = SDL_CreateRGBSurfaceWithFormat(0, TSurface::ScreenWidth, TSurface::ScreenHeight, 32,
                                                SDL_PIXELFORMAT_XBGR8888);
        Sprite = SDL_CreateRGBSurfaceWithFormat(0, SpriteW, SpriteH, 32, SDL_PIXELFORMAT_XBGR8888);
        for (int y = 0; y < SpriteH; ++y)
            std::memcpy(static_cast<uint8_t*>(Sprite->pixels) + y * Sprite->pitch, item.Picture.Row(y), SpriteW * 4);
        SDL_SetColorKey(Sprite, SDL_TRUE, Key);
    }
    ~TSdlSurfaces() {
        SDL_FreeSurface(Sprite);
        SDL_FreeSurface(Screen);
    }
};

void DrawKeyed(benchmark::State& state) {
    TFontEngine fonts;
    TSurface surface(fonts);
    const TImageItem sprite = MakeSprite();
    const auto places = Places(256);
    size_t i = 0;
    for (auto _ : state) {
        const SDL_Point p = places[i++ & 255];
        surface.Draw(sprite, p.x, p.y, 0);
    }
    benchmark::DoNotOptimize(surface.Pixels().Data().data());
}
BENCHMARK(DrawKeyed);

void SdlBlitKeyed(benchmark::State& state) {
    const TImageItem sprite = MakeSprite();
    TSdlSurfaces sdl(sprite);
    const auto places = Places(256);
    size_t i = 0;
    for (auto _ : state) {
        const SDL_Point p = places[i++ & 255];
        SDL_Rect r{p.x, p.y, SpriteW, SpriteH};
        SDL_BlitSurface(sdl.Sprite, nullptr, sdl.Screen, &r);
    }
    benchmark::DoNotOptimize(sdl.Screen->pixels);
}
BENCHMARK(SdlBlitKeyed);

void DrawAlphaScaled(benchmark::State& state) {
    TFontEngine fonts;
    TSurface surface(fonts);
    const TImageItem sprite = MakeSprite();
    const auto places = Places(256);
    size_t i = 0;
    for (auto _ : state) {
        const SDL_Point p = places[i++ & 255];
        surface.DrawAlpha(sprite, {p.x, p.y, p.x + 60, p.y + 90}, 0, 120);
    }
    benchmark::DoNotOptimize(surface.Pixels().Data().data());
}
BENCHMARK(DrawAlphaScaled);

// The library's scaled translucent blit, with the colour key (what ours does) and without it (its fastest path).
void SdlBlitScaledAlpha(benchmark::State& state) {
    const TImageItem sprite = MakeSprite();
    TSdlSurfaces sdl(sprite);
    if (state.range(0) == 0) SDL_SetColorKey(sdl.Sprite, SDL_FALSE, 0);
    SDL_SetSurfaceAlphaMod(sdl.Sprite, 120);
    SDL_SetSurfaceBlendMode(sdl.Sprite, SDL_BLENDMODE_BLEND);
    const auto places = Places(256);
    size_t i = 0;
    for (auto _ : state) {
        const SDL_Point p = places[i++ & 255];
        SDL_Rect r{p.x, p.y, 60, 90};
        SDL_BlitScaled(sdl.Sprite, nullptr, sdl.Screen, &r);
    }
    benchmark::DoNotOptimize(sdl.Screen->pixels);
}
BENCHMARK(SdlBlitScaledAlpha)->ArgName("keyed")->Arg(1)->Arg(0);

// Shadows are drawn translucent at their own size.
void DrawAlphaUnscaled(benchmark::State& state) {
    TFontEngine fonts;
    TSurface surface(fonts);
    const TImageItem sprite = MakeSprite();
    const auto places = Places(256);
    size_t i = 0;
    for (auto _ : state) {
        const SDL_Point p = places[i++ & 255];
        surface.DrawAlpha(sprite, {p.x, p.y, p.x + SpriteW, p.y + SpriteH}, 0, 120);
    }
    benchmark::DoNotOptimize(surface.Pixels().Data().data());
}
BENCHMARK(DrawAlphaUnscaled);

// Fills of the whole frame and of a panel-sized rectangle, against the
// library's fill of the same rectangle and a copy of the whole frame.
const SDL_Rect FillRects[] = {{0, 0, TSurface::ScreenWidth, TSurface::ScreenHeight}, {210, 200, 380, 190}};

void FillFrame(benchmark::State& state) {
    TFontEngine fonts;
    TSurface surface(fonts);
    const SDL_Rect r = FillRects[state.range(0)];
    TColor c = 0;
    for (auto _ : state) {
        if (r.w == TSurface::ScreenWidth && r.h == TSurface::ScreenHeight)
            surface.Fill(++c);
        else
            surface.FillRect({r.x, r.y, r.x + r.w, r.y + r.h}, ++c);
        benchmark::DoNotOptimize(surface.Pixels().Data().data());
    }
}
BENCHMARK(FillFrame)->ArgName("panel")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void SdlFillRect(benchmark::State& state) {
    SDL_Surface* screen = SDL_CreateRGBSurfaceWithFormat(0, TSurface::ScreenWidth, TSurface::ScreenHeight, 32,
                                                         SDL_PIXELFORMAT_XBGR8888);
    const SDL_Rect r = FillRects[state.range(0)];
    Uint32 c = 0;
    for (auto _ : state) {
        SDL_FillRect(screen, &r, ++c);
        benchmark::DoNotOptimize(screen->pixels);
    }
    SDL_FreeSurface(screen);
}
BENCHMARK(SdlFillRect)->ArgName("panel")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void MemcpyFrame(benchmark::State& state) {
    std::vector<TColor> from(size_t(TSurface::ScreenWidth) * TSurface::ScreenHeight, 7), to(from.size());
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size() * sizeof(TColor));
        benchmark::DoNotOptimize(to.data());
    }
}
BENCHMARK(MemcpyFrame)->Unit(benchmark::kMicrosecond);

// One game frame: the background pieces, the sprites with some shadows and effects, and the text of the
// console and the overlay.
void WholeFrame(benchmark::State& state) {
    TFontEngine fonts;
    TSurface surface(fonts);
    TImageList images;
    for (int row = 0; row < 5; ++row)
        for (int col = 0; col < 5; ++col) {
            TImageItem& piece = images.Add();
            piece.Picture.SetSize(320, 240, RGBColor(col * 40, row * 40, 90));
            piece.Transparent = false;
        }
    const TImageItem sprite = MakeSprite();
    const auto places = Places(120);
    const std::string line = "Вы получили 12 патронов. Hit points: 100/100";
    surface.Font = {"Tahoma", 8, true, false, RGBColor(0, 255, 0)};
    surface.BrushStyle = TBrushStyle::Clear;
    const int scrollX = -400, scrollY = -300;
    for (auto _ : state) {
        for (int i = 0; i < 25; ++i) surface.Draw(images.Item(i), (i % 5) * 320 + scrollX, (i / 5) * 240 + scrollY, 0);
        for (int i = 0; i < 100; ++i) surface.Draw(sprite, places[size_t(i)].x, places[size_t(i)].y, 0);
        for (int i = 100; i < 120; ++i) {
            const SDL_Point p = places[size_t(i)];
            const int grow = i % 2 ? 0 : 20;  // half shadows at their size, half effects scaled up
            surface.DrawAlpha(sprite, {p.x, p.y, p.x + SpriteW + grow, p.y + SpriteH + grow * 3 / 2}, 0, 120);
        }
        for (int i = 0; i < 10; ++i) surface.TextOut(10, 440 + i * 14, line);
        benchmark::DoNotOptimize(surface.Pixels().Data().data());
    }
}
BENCHMARK(WholeFrame)->Unit(benchmark::kMicrosecond);

// The frame of the location holding the most critters a file may hold and
// the most objects, here beside the library's blits so that both are taken
// on the machine as it is loaded during the same run.
void CrowdedGameFrame(benchmark::State& state) { CrowdedFrame(state, PageGeneral); }
BENCHMARK(CrowdedGameFrame)->Unit(benchmark::kMillisecond);

}  // namespace
