#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "base/Errors.h"
#include "base/Os.h"
#include "media/Font.h"
#include "media/Surface.h"

namespace {

constexpr TColor Black = 0, Pen = RGBColor(255, 0, 0), Brush = RGBColor(0, 0, 255), Ink = RGBColor(255, 255, 255);

struct CanvasTest : ::testing::Test {
    TFontEngine Fonts{"/usr/share/wine/fonts"};
    TSurface Surface{Fonts};

    void SetUp() override {
        Surface.Fill(Black);
        Surface.PenColor = Pen;
        Surface.BrushColor = Brush;
    }
    TColor At(int x, int y) const { return Surface.PixelRead(x, y); }
    // The box around everything that is not black; Left > Right when nothing was drawn.
    TRect Drawn() const {
        TRect r{800, 600, -1, -1};
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x)
                if (At(x, y) != Black) {
                    r.Left = std::min(r.Left, x), r.Top = std::min(r.Top, y);
                    r.Right = std::max(r.Right, x + 1), r.Bottom = std::max(r.Bottom, y + 1);
                }
        return r;
    }
};

TEST_F(CanvasTest, RectangleOutlineAndFill) {
    Surface.Rectangle(10, 20, 16, 24);
    for (int x = 10; x < 16; ++x) {
        EXPECT_EQ(At(x, 20), Pen);
        EXPECT_EQ(At(x, 23), Pen);
    }
    for (int y = 20; y < 24; ++y) {
        EXPECT_EQ(At(10, y), Pen);
        EXPECT_EQ(At(15, y), Pen);
    }
    EXPECT_EQ(At(11, 21), Brush);
    EXPECT_EQ(At(14, 22), Brush);
    const TRect r = Drawn();  // right and bottom are exclusive
    EXPECT_EQ(r.Right, 16);
    EXPECT_EQ(r.Bottom, 24);

    Surface.BrushStyle = TBrushStyle::Clear;
    Surface.Rectangle(50, 50, 54, 54);
    EXPECT_EQ(At(51, 51), Black);
    EXPECT_EQ(At(53, 53), Pen);

    // Far outside the surface: the outline is off screen and the brush covers everything.
    Surface.BrushStyle = TBrushStyle::Solid;
    Surface.Rectangle(INT32_MIN, -5, INT32_MAX, 1000);
    EXPECT_EQ(At(0, 0), Brush);
    EXPECT_EQ(At(799, 599), Brush);
}

TEST_F(CanvasTest, EllipseTouchesItsBoxAndIsSymmetric) {
    const int l = 100, t = 200, r = 141, b = 222;
    Surface.Ellipse(l, t, r, b);
    const TRect box = Drawn();
    EXPECT_EQ(box.Left, l);
    EXPECT_EQ(box.Top, t);
    EXPECT_EQ(box.Right, r);
    EXPECT_EQ(box.Bottom, b);
    EXPECT_EQ(At(l, t), Black);  // corners stay outside
    EXPECT_EQ(At(r - 1, b - 1), Black);
    EXPECT_EQ(At(120, t), Pen);      // top middle
    EXPECT_EQ(At(l, 210), Pen);      // left middle
    EXPECT_EQ(At(120, 210), Brush);  // centre
    for (int y = t; y < b; ++y)
        for (int x = l; x < r; ++x) {
            ASSERT_EQ(At(x, y), At(l + r - 1 - x, y)) << x << "," << y;
            ASSERT_EQ(At(x, y), At(x, t + b - 1 - y)) << x << "," << y;
            // The outline is closed: a brush pixel never touches the outside.
            if (At(x, y) == Brush) {
                EXPECT_NE(At(x - 1, y), Black);
                EXPECT_NE(At(x + 1, y), Black);
                EXPECT_NE(At(x, y - 1), Black);
                EXPECT_NE(At(x, y + 1), Black);
            }
        }

    Surface.Fill(Black);
    Surface.BrushStyle = TBrushStyle::Clear;
    Surface.Ellipse(l, t, r, b);
    EXPECT_EQ(At(120, 210), Black);
    EXPECT_EQ(At(120, b - 1), Pen);
}

TEST_F(CanvasTest, EllipseClippedAndDegenerate) {
    Surface.Ellipse(-50, -50, 50, 50);
    EXPECT_EQ(At(0, 0), Brush);
    EXPECT_EQ(At(0, 49), Pen);
    Surface.Fill(Black);
    Surface.Ellipse(10, 10, 10, 30);  // no width
    Surface.Ellipse(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX);
    Surface.Ellipse(700, 500, 703, 501);  // one row still reaches both ends
    EXPECT_EQ(At(700, 500), Pen);
    EXPECT_EQ(At(702, 500), Pen);
    EXPECT_EQ(Drawn().Left, 0);  // the huge one covers the screen
}

TEST_F(CanvasTest, TextStaysInsideItsExtentAndAdvancesByIt) {
    struct Case {
        const char* Face;
        int Size;
        bool Bold, Italic;
    };
    const Case cases[] = {{"Tahoma", 8, false, false},       {"Tahoma", 8, true, false},
                          {"Tahoma", 10, true, false},       {"Tahoma", 14, false, false},
                          {"Small Fonts", 4, false, false},  {"Small Fonts", 4, true, false},
                          {"MS Sans Serif", 8, false, false}};
    const std::string left = "Жизнь: 100 ", right = "Hello, мир";
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Face) + " " + std::to_string(c.Size) + (c.Bold ? " bold" : ""));
        Surface.Font = {c.Face, c.Size, c.Bold, c.Italic, Ink};
        Surface.BrushStyle = TBrushStyle::Clear;
        const TSize all = Surface.TextExtent(left + right), first = Surface.TextExtent(left);
        EXPECT_EQ(all.Cx, first.Cx + Surface.TextExtent(right).Cx);

        Surface.Fill(Black);
        Surface.TextOut(300, 200, left + right);
        const TRect r = Drawn();
        ASSERT_LE(r.Left, r.Right) << "nothing drawn";
        EXPECT_GE(r.Left, 300);
        EXPECT_GE(r.Top, 200);
        EXPECT_LE(r.Right, 300 + all.Cx);
        EXPECT_LE(r.Bottom, 200 + all.Cy);
        const std::vector<TColor> whole = Surface.Pixels().Data();

        Surface.Fill(Black);
        Surface.TextOut(300, 200, left);
        Surface.TextOut(300 + first.Cx, 200, right);
        EXPECT_EQ(Surface.Pixels().Data(), whole);
    }
}

// The widest run of lit pixels in any row of an "l": its stem.
int StemOf(TSurface& surface, int size, bool bold) {
    surface.Fill(Black);
    surface.BrushStyle = TBrushStyle::Clear;
    surface.Font = {"Tahoma", size, bold, false, Ink};
    surface.TextOut(100, 100, "l");
    int widest = 0;
    for (int y = 100; y < 140; ++y)
        for (int x = 100, run = 0; x < 140; ++x) {
            run = (surface.PixelRead(x, y) & 0xFF) >= 128 ? run + 1 : 0;
            widest = std::max(widest, run);
        }
    return widest;
}

TEST_F(CanvasTest, BoldIsBoldAtEverySizeTheGameUses) {
    // Console 8, dialog 9, FPS 10, credits 12; the console's 8-point bold is the yardstick.
    const int console = StemOf(Surface, 8, true);
    EXPECT_GE(console, 2);
    for (int size : {8, 9, 10, 12}) {
        SCOPED_TRACE(size);
        const int bold = StemOf(Surface, size, true);
        EXPECT_GT(bold, StemOf(Surface, size, false));
        EXPECT_GE(bold, console);
    }
}

TEST_F(CanvasTest, TinySmallFontsAreDrawnAtTheirOwnSize) {
    Surface.BrushStyle = TBrushStyle::Clear;
    Surface.Font = {"Small Fonts", 4, false, false, Ink};
    EXPECT_EQ(Surface.TextExtent("0123456789").Cx, 40);
    EXPECT_EQ(Surface.TextExtent("7").Cy, 6);
    Surface.TextOut(100, 100, "0123456789");
    // Four rows under one row of leading: inside the 4 x 6 box the hit-type numbers sit in.
    const TRect r = Drawn();
    EXPECT_EQ(std::vector<int>({r.Left, r.Top, r.Right, r.Bottom}), std::vector<int>({100, 101, 139, 105}));
    // Every digit is told apart from the others.
    std::set<std::vector<TColor>> shapes;
    for (char digit = '0'; digit <= '9'; ++digit) {
        Surface.Fill(Black);
        Surface.TextOut(0, 0, std::string(1, digit));
        std::vector<TColor> shape;
        for (int y = 1; y < 5; ++y)
            for (int x = 0; x < 3; ++x) shape.push_back(At(x, y));
        shapes.insert(shape);
    }
    EXPECT_EQ(shapes.size(), 10u);
    // From 8 pixels up the face's own 11-pixel strike is the nearest.
    Surface.Font.Size = 6;
    EXPECT_EQ(Surface.TextExtent("7").Cy, 11);
}

TEST_F(CanvasTest, ItalicAndFallbackFace) {
    Surface.BrushStyle = TBrushStyle::Clear;
    Surface.Font = {"Tahoma", 10, false, false, Ink};
    const TSize upright = Surface.TextExtent("Italic");
    Surface.TextOut(100, 100, "Italic");
    const std::vector<TColor> plain = Surface.Pixels().Data();

    Surface.Fill(Black);
    Surface.Font.Italic = true;
    EXPECT_EQ(Surface.TextExtent("Italic").Cy, upright.Cy);
    Surface.TextOut(100, 100, "Italic");
    EXPECT_NE(Surface.Pixels().Data(), plain);
    EXPECT_LE(Drawn().Right, 100 + upright.Cx + 4);

    Surface.Font = {"No Such Face", 10, false, false, Ink};
    EXPECT_EQ(Surface.TextExtent("Italic").Cx, upright.Cx);
}

TEST_F(CanvasTest, CyrillicRendersWithRealGlyphs) {
    Surface.BrushStyle = TBrushStyle::Clear;
    Surface.Font = {"Tahoma", 8, true, false, Ink};
    const TSize s = Surface.TextExtent("Вы погибли.");
    EXPECT_GE(s.Cx, 64);
    EXPECT_LE(s.Cx, 78);
    EXPECT_GE(s.Cy, 10);
    EXPECT_LE(s.Cy, 13);

    // A letter the face lacks falls back to one box glyph; the Cyrillic letters must not all look like that.
    Surface.TextOut(10, 10, "\uE000");
    const std::vector<TColor> missing = Surface.Pixels().Data();
    for (const char* letter : {"Ж", "ы", "Я"}) {
        Surface.Fill(Black);
        Surface.TextOut(10, 10, letter);
        EXPECT_NE(Surface.Pixels().Data(), missing) << letter;
        EXPECT_LE(Drawn().Left, Drawn().Right) << letter;
    }
}

TEST_F(CanvasTest, SolidBrushFillsTheExtentFirst) {
    Surface.Font = {"Tahoma", 8, false, false, Ink};
    Surface.BrushStyle = TBrushStyle::Solid;
    const TSize s = Surface.TextExtent("Menu");
    Surface.TextOut(40, 30, "Menu");
    const TRect r = Drawn();
    EXPECT_EQ(r.Left, 40);
    EXPECT_EQ(r.Top, 30);
    EXPECT_EQ(r.Right, 40 + s.Cx);
    EXPECT_EQ(r.Bottom, 30 + s.Cy);
    EXPECT_EQ(At(40, 30), Brush);
    int ink = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x) ink += At(x, y) != Brush;
    EXPECT_GT(ink, 10);
}

TEST_F(CanvasTest, TextClippedAtTheEdgesAndEmpty) {
    Surface.Font = {"Tahoma", 12, true, true, Ink};
    for (auto [x, y] :
         {std::pair{-7, -5}, {790, 595}, {-2000, 300}, {400, 650}, {INT32_MAX - 3, INT32_MAX}, {INT32_MIN, INT32_MIN}})
        Surface.TextOut(x, y, "Wg Жй");
    EXPECT_NE(At(0, 0), Black);
    const TSize empty = Surface.TextExtent("");
    EXPECT_EQ(empty.Cx, 0);
    EXPECT_GT(empty.Cy, 0);
}

TEST(FontFiles, MissingFileNamesEveryFolderLookedIn) {
    namespace fs = std::filesystem;
    const auto dir = fs::temp_directory_path() / "rw_no_fonts", other = fs::temp_directory_path() / "rw_no_fonts2";
    fs::create_directories(dir);
    fs::create_directories(other);
    for (const std::vector<fs::path>& dirs : {std::vector<fs::path>{dir}, std::vector<fs::path>{dir, other}}) {
        TFontEngine fonts(dirs);
        try {
            fonts.TextExtent(TFontSpec{}, "x");
            ADD_FAILURE() << "no error";
        } catch (const EGameError& e) {
            for (const fs::path& d : dirs)
                EXPECT_NE(std::string(e.what()).find((d / "tahoma.ttf").string()), std::string::npos) << e.what();
        }
    }
}

// A data folder's own faces are drawn before the system's, face by face: here its "Tahoma" is another
// face, and Small Fonts, which it lacks, still comes from the system.
TEST(FontFiles, DataFolderBeforeSystem) {
    namespace fs = std::filesystem;
    const fs::path data = fs::temp_directory_path() / "rw_font_data";
    fs::remove_all(data);
    fs::create_directories(data / "fonts");
    fs::copy_file(SystemFontDir() / "ms_sans_serif.ttf", data / "fonts" / "tahoma.ttf");
    TFontEngine game(GameFontDirs(data)), system;
    EXPECT_EQ(game.FindFace("tahoma.ttf"), data / "fonts" / "tahoma.ttf");
    EXPECT_EQ(game.FindFace("small_fonts.ttf"), SystemFontDir() / "small_fonts.ttf");
    EXPECT_TRUE(game.FindFace("none.ttf").empty());
    const std::string text = "Новая игра Wg";
    EXPECT_NE(game.TextExtent(TFontSpec{}, text).Cx, system.TextExtent(TFontSpec{}, text).Cx);
    const TFontSpec small{"Small Fonts", 6};
    EXPECT_EQ(game.TextExtent(small, text).Cx, system.TextExtent(small, text).Cx);
    fs::remove_all(data);
}

}  // namespace
