#include <gtest/gtest.h>

#include "critters/Critter.h"
#include "support/TestGame.h"
#include "world/Obj.h"

namespace {

class GameScreen : public TDebugGameTest {
protected:
    // A picture held only in memory: a filled square with a colour-key hole.
    int AddPicture(const std::string& name, int size, TColor fill, int holeX, int holeY) {
        TImageItem& item = Game().DXIL.Add();
        item.Name = name;
        item.Picture.SetSize(size, size, fill);
        item.Picture.SetPixel(holeX, holeY, 0xFF00FF);
        item.TransparentColor = 0xFF00FF;
        return Game().DXIL.Count() - 1;
    }
    tObj& AddObject(const std::string& image, int x, int y) {
        TWorld& world = Game().World;
        world.AppendObject(std::make_shared<tObj>(Game().Context, world.ObjectCount()));
        tObj& o = *world.Objects.back();
        o.X = x;
        o.Y = y;
        o.SetImage(image);
        Game().World.DrawList->Rebuild();
        return o;
    }
};

}  // namespace

TEST_F(GameScreen, EdgeScrollingAcceleratesToThreePixelsAndStopsAtTheEdge) {
    TViewState& v = Game().View;
    v.ScrollX = -400;
    Game().DXDrawMouseMove(2, 300);
    std::vector<int> steps;
    for (int i = 0; i < 40; ++i) {
        int before = v.ScrollX;
        Frame();
        steps.push_back(v.ScrollX - before);
    }
    EXPECT_EQ(steps[0], 0);  // 0.2 rounds to nothing
    EXPECT_EQ(steps[1], 0);
    EXPECT_FLOAT_EQ(v.VelocityX, 3.0f - 0.2f / 3);
    EXPECT_EQ(steps[39], 3);
    for (int i = 0; i < 200; ++i) Frame();
    EXPECT_EQ(v.ScrollX, 0);
}

TEST_F(GameScreen, AOneFrameKeyTapDoesNotMoveTheView) {
    TViewState& v = Game().View;
    Game().DXDrawMouseMove(400, 300);
    v.ScrollX = -400;
    Game().DXI.Live[VK_LEFT] = true;
    Frame();
    Game().DXI.Live[VK_LEFT] = false;
    for (int i = 0; i < 50; ++i) Frame();
    EXPECT_EQ(v.ScrollX, -400);
    EXPECT_LT(std::abs(v.VelocityX), 0.07f);
}

TEST_F(GameScreen, BrushOverlayCoversTheTilesOnScreen) {
    TMainForm& g = Game();
    g.ControlForm.ActivePage = PageBrush;
    g.View.ScrollX = -800;
    g.View.ScrollY = -600;
    g.World.Grid.At(79, 119).WalkBlock = 1;
    g.World.Grid.At(40, 60).ShootBlock = 1;
    g.DXDrawMouseMove(100, 100);
    Frame();
    EXPECT_EQ(g.DXDraw.PixelRead(780, 599), 0x0000FFu);  // walk block of the last tile: red outline
    EXPECT_EQ(g.DXDraw.PixelRead(1, 1), 0x00FF00u);      // shoot block inset by one: green
}

TEST_F(GameScreen, TileInfoBoxFlipsNearTheBottomRightCorner) {
    TMainForm& g = Game();
    g.ControlForm.ActivePage = PageBrush;
    g.DXDrawMouseMove(700, 550);
    Frame();
    // The box spans (550, 468) - (700, 534): its outline is green, its inside dark.
    EXPECT_EQ(g.DXDraw.PixelRead(550, 500), 0x00FF00u);
    EXPECT_EQ(g.DXDraw.PixelRead(699, 500), 0x00FF00u);
    EXPECT_EQ(g.DXDraw.PixelRead(600, 530), 0x303030u);
    g.DXI.Live[VK_SHIFT] = true;
    Frame();
    EXPECT_FALSE(g.View.TileInfoShown);
}

TEST_F(GameScreen, PickSeesThroughTransparentPixelsToTheSpriteBehind) {
    TMainForm& g = Game();
    AddPicture("back", 20, 0x0000AA, -1, -1);
    AddPicture("front", 20, 0x00AA00, 10, 10);
    tObj& back = AddObject("back", 10, 11);
    tObj& front = AddObject("front", 10, 12);  // a later row is drawn over the earlier
    front.OffsetY = -10;                       // ... here exactly over it
    ASSERT_EQ(g.World.DrawList->Entries().size(), 3u);
    // Both cover (200, 110) - (220, 130); the front's hole is at (210, 120).
    g.DXDrawMouseMove(210, 120);
    Frame();
    EXPECT_EQ(g.View.HoverIndex, back.Index);
    EXPECT_EQ(g.View.HoverKind, KindObject);
    g.DXDrawMouseMove(205, 115);
    Frame();
    EXPECT_EQ(g.View.HoverIndex, front.Index);
    // A disabled sprite is skipped, and the one behind it is not what shows there.
    front.Disabled = true;
    g.DXDrawMouseMove(205, 114);
    Frame();
    EXPECT_EQ(g.View.HoverIndex, -1);
}

TEST_F(GameScreen, EffectObjectsFadeAsTheyPlay) {
    TMainForm& g = Game();
    AddPicture("spark", 20, 0xFFFFFF, -1, -1);
    TImageItem& strip = *g.DXIL.FindItem("spark");
    strip.Picture.SetSize(120, 20, 0xFFFFFF);
    strip.PatternWidth = 20;
    strip.PatternHeight = 20;
    tObj& o = AddObject("spark", 5, 5);
    o.PlayOnce = true;
    o.Frame = 5;  // alpha 255 - 5 * 24 = 135
    g.View.ScrollX = g.View.ScrollY = 0;
    TColor under = 0;
    g.DXDraw.Fill(0);
    g.World.DrawList->Draw(g.DXDraw, g.View.ScrollX, g.View.ScrollY);
    TColor c = g.DXDraw.PixelRead(5 * 20 + 10, 5 * 10 + 15);
    EXPECT_NE(c, under);
    EXPECT_NEAR(int(c & 0xFF), 135, 1);
}

TEST_F(GameScreen, PanelRegionsOutsideDebugMode) {
    TMainForm& g = Game();
    g.DebugMode = false;
    g.DXWL.Add("ButIn", nullptr);
    g.DXWL.Add("ButOut", nullptr);
    struct TCase {
        int X, Y;
        bool Inventory, Menu, GameArea;
    } cases[] = {
        {150, 450, true, false, false}, {200, 450, false, true, false}, {215, 443, false, false, false},
        {240, 450, false, false, true}, {260, 500, false, false, true}, {100, 300, false, false, true},
    };
    for (const TCase& c : cases) {
        g.View = TViewState{};
        g.DXDrawMouseMove(c.X, c.Y);
        g.DXDrawMouseDown(mbLeft, c.X, c.Y);
        EXPECT_EQ(g.View.InventoryCaptured, c.Inventory) << c.X << "," << c.Y;
        EXPECT_EQ(g.View.MenuCaptured, c.Menu) << c.X << "," << c.Y;
        EXPECT_EQ(g.View.LeftHeld, c.GameArea) << c.X << "," << c.Y;
        g.DXDrawMouseMove(400, 300);  // released off the buttons: no action
        g.DXDrawMouseUp(mbLeft, 400, 300);
    }
    // The inventory button gives its line once per click.
    g.ConsoleLines.clear();
    g.DXDrawMouseMove(150, 450);
    g.DXDrawMouseDown(mbLeft, 150, 450);
    g.DXDrawMouseUp(mbLeft, 150, 450);
    ASSERT_FALSE(g.ConsoleLines.empty());
    EXPECT_EQ(g.ConsoleLines[0].rfind("\\nGrimdust еще жив", 0), 0u);
    size_t lines = g.ConsoleLines.size();
    g.DXDrawMouseDown(mbLeft, 150, 450);
    g.DXDrawMouseUp(mbLeft, 150, 450);
    EXPECT_EQ(g.ConsoleLines.size(), 2 * lines);
}

TEST_F(GameScreen, RightClickTogglesAimingAndThePlayerTurnsWhenClicked) {
    TMainForm& g = Game();
    g.DXDrawMouseDown(mbRight, 0, 0);
    g.DXDrawMouseUp(mbRight, 0, 0);
    EXPECT_TRUE(g.View.AttackCursor);
    g.DXDrawMouseDown(mbRight, 0, 0);
    EXPECT_FALSE(g.View.AttackCursor);

    tCritter& player = *g.World.Critters[0];
    EXPECT_EQ(player.Direction, 5);
    g.View.HoverIndex = 0;
    g.View.HoverKind = KindCritter;
    for (int i = 0; i < 5; ++i) {
        g.DXDrawMouseDown(mbLeft, 0, 0);
        g.DXDrawMouseUp(mbLeft, 0, 0);
    }
    EXPECT_EQ(player.Direction, 2);
}

TEST_F(GameScreen, AStaleHoverIndexActsAsNothing) {
    TMainForm& g = Game();
    g.View.HoverIndex = 7;  // left over from a location with more critters
    g.View.HoverKind = KindCritter;
    g.DXDrawMouseMove(400, 300);
    g.DXDrawMouseDown(mbLeft, 400, 300);
    EXPECT_TRUE(g.Errors.empty());
}

TEST_F(GameScreen, BrushPaintsWhileTheButtonIsHeld) {
    TMainForm& g = Game();
    g.ControlForm.ActivePage = PageBrush;
    g.DXDrawMouseMove(100, 100);  // tile (5, 10)
    g.DXDrawMouseDown(mbLeft, 100, 100);
    g.DXDrawMouseMove(140, 100);  // tile (7, 10)
    g.DXDrawMouseUp(mbLeft, 140, 100);
    g.DXDrawMouseMove(160, 100);
    EXPECT_EQ(g.World.Grid.At(5, 10).WalkBlock, 1);
    EXPECT_EQ(g.World.Grid.At(7, 10).WalkBlock, 1);
    EXPECT_EQ(g.World.Grid.At(6, 10).WalkBlock, 1);  // the tiles between two samples are painted too
    EXPECT_EQ(g.World.Grid.At(8, 10).WalkBlock, 0);
    g.DXDrawMouseDown(mbRight, 140, 100);
    EXPECT_EQ(g.World.Grid.At(7, 10).WalkBlock, 1);  // the press paints the tile of the last move: (8, 10)
    EXPECT_EQ(g.World.Grid.At(8, 10).WalkBlock, 0);
}
