// The draw order and the removal of finished objects.
#include "base/Random.h"
#include "media/Font.h"
#include "media/Surface.h"
#include "support/BareWorld.h"
#include "world/DrawOrder.h"

namespace {
struct TFigure {
    int32_t Y;
    bool Dead = false;
};
struct TOrderCase {
    const char* Name;
    std::vector<TFigure> Critters;
    std::vector<int32_t> Objects;
    std::string Expected;  // C<index> / O<index> in draw order
};

std::string Order(const tObjHandler& list) {
    std::string s;
    for (const TDrawEntry& e : list.Entries())
        s += (s.empty() ? "" : " ") + std::string(e.Kind == KindCritter ? "C" : "O") + std::to_string(e.Index);
    return s;
}
}  // namespace

class DrawListTest : public ::testing::Test, public TBareWorld {
protected:
    DrawListTest() { AddPicture("crate", 16, 16); }
    void AddObjects(int count) {
        for (int i = 0; i < count; ++i) AddObject(0, 0);
    }
};

TEST_F(DrawListTest, SortsByRowWithDeadCrittersFirstAsTheSelectionSortDoes) {
    // Orders worked out by hand from the sort's scans and swaps.
    const TOrderCase cases[] = {
        {"dead critter in the last place", {{5}, {3}, {9, true}}, {1}, "C2 O0 C1 C0"},
        {"equal rows are not kept in index order", {{5}, {5}, {3}}, {}, "C2 C1 C0"},
        {"two dead critters in scan order", {{4}, {8, true}, {2, true}}, {}, "C1 C2 C0"},
        {"a dead critter already in front is only sorted by row", {{9, true}}, {0}, "O0 C0"},
        {"objects and critters interleave by row", {{7}, {2}}, {4, 2, 9}, "C1 O1 O0 C0 O2"},
    };
    for (const TOrderCase& k : cases) {
        World.Reset();
        for (size_t i = 0; i < k.Critters.size(); ++i) {
            auto c = std::make_shared<tCritter>(Context, int32_t(i));
            c->SetPosition(int32_t(i), k.Critters[i].Y);
            if (k.Critters[i].Dead) c->State = csDead;
            World.AppendCritter(c);
        }
        for (size_t i = 0; i < k.Objects.size(); ++i) {
            auto o = std::make_shared<tObj>(Context, int32_t(i));
            o->Y = k.Objects[i];
            World.AppendObject(o);
        }
        World.DrawList->Rebuild();
        EXPECT_EQ(Order(*World.DrawList), k.Expected) << k.Name;
    }
}

TEST_F(DrawListTest, AdjacentFinishedObjectsAreBothRemovedAndTheRestKeepTheirIndex) {
    AddObjects(5);
    World.ObjectLabels.ItemIndex = 4;
    TScriptPtr removedScript = O(1).Script;
    O(1).PendingRemoval = true;
    O(2).PendingRemoval = true;

    World.DrawList->Rebuild();

    ASSERT_EQ(World.ObjectCount(), 3);
    EXPECT_EQ(O(0).Index, 0);
    EXPECT_EQ(O(1).Index, 3);
    EXPECT_EQ(O(2).Index, 4);
    EXPECT_EQ(O(1).Script->OwnerIndex, 3);
    EXPECT_FALSE(removedScript->Alive());
    EXPECT_EQ(World.ObjectLabels.Items, (std::vector<std::string>{"o0", "o3", "o4"}));
    EXPECT_EQ(World.ObjectLabels.Text(), "o4");
    EXPECT_EQ(Order(*World.DrawList), "O0 O1 O2");
}

TEST_F(DrawListTest, AnObjectWithoutPictureNameGoesAtTheNextRebuild) {
    AddObjects(2);
    O(0).SetImage("");
    O(0).Animate();
    EXPECT_TRUE(O(0).PendingRemoval);
    EXPECT_EQ(World.ObjectCount(), 2);
    World.DrawList->Rebuild();
    ASSERT_EQ(World.ObjectCount(), 1);
    EXPECT_EQ(O(0).Index, 1);
}

// The literal selection sort the draw order is defined by.
static std::vector<int32_t> SelectionSortOracle(const std::vector<TDrawKey>& keys) {
    std::vector<int32_t> order(keys.size());
    for (size_t p = 0; p < order.size(); ++p) order[p] = int32_t(p);
    const int count = int(order.size());
    for (int i = 0; i + 1 < count; ++i) {
        int best = i;
        int32_t key = keys[size_t(order[size_t(i)])].Row;
        for (int k = i + 1; k < count; ++k) {
            const TDrawKey& e = keys[size_t(order[size_t(k)])];
            if (e.Dead) {
                best = k;
                break;
            }
            if (e.Row < key) best = k, key = e.Row;
        }
        std::swap(order[size_t(i)], order[size_t(best)]);
    }
    return order;
}

TEST(DrawOrder, IsExactlyTheSelectionSortsOrderOverRandomLists) {
    TRandom random(7);
    // Few distinct rows make many ties, whose order the swaps decide; the extremes must compare right.
    for (int round = 0; round < 3000; ++round) {
        const int count = int(random.Random(40));
        const int rows = 1 + random.Random(round % 3 == 0 ? 3 : 200);
        const int deadPercent = round % 4 == 0 ? 0 : random.Random(60);
        std::vector<TDrawKey> keys(static_cast<size_t>(count));
        for (TDrawKey& k : keys) {
            k.Row = random.Random(rows) - rows / 2;
            if (random.Random(50) == 0) k.Row = random.Random(2) ? INT32_MIN : INT32_MAX;
            k.Dead = random.Random(100) < deadPercent;
        }
        std::vector<int32_t> order(keys.size());
        for (size_t p = 0; p < order.size(); ++p) order[p] = int32_t(p);
        SortDrawOrder(order, keys);
        ASSERT_EQ(order, SelectionSortOracle(keys)) << "round " << round;
    }
}

// The draw list keeps the keys of its last rebuild and reads again only the
// critters that changed since; after any sequence of what play and the editor
// do to the location it must hold the order a sort of everything gives.
class DrawListKeysTest : public DrawListTest {
protected:
    DrawListKeysTest() {
        AddPicture("puff", 32, 16, 16, 16);  // two patterns: a play-once effect finishes
    }
    // The literal sort of every record as it stands now.
    std::vector<TDrawEntry> FullOrder() const {
        std::vector<TDrawKey> keys;
        for (int i = 0; i < World.CritterCount(); ++i) {
            const tCritter* c = World.Critter(i);
            keys.push_back({c->Y, c->State == csDead});
        }
        for (int i = 0; i < World.ObjectCount(); ++i) keys.push_back({World.Object(i)->Y, false});
        std::vector<TDrawEntry> entries;
        for (int32_t e : SelectionSortOracle(keys))
            entries.push_back(e < World.CritterCount() ? TDrawEntry{KindCritter, e}
                                                       : TDrawEntry{KindObject, e - World.CritterCount()});
        return entries;
    }
    static std::string Text(const std::vector<TDrawEntry>& entries) {
        std::string s;
        for (const TDrawEntry& e : entries) s += (e.Kind == KindCritter ? " C" : " O") + std::to_string(e.Index);
        return s;
    }
};

TEST_F(DrawListKeysTest, RebuildsFromChangedCrittersGiveTheOrderOfAFullSort) {
    TRandom random(11);
    // Few rows and a crowd on them: ties everywhere, where the order is most fragile.
    // Walks and the reserved tiles of steps stay within the first 16 x 6 tiles.
    auto freeTile = [&](int32_t& x, int32_t& y) {
        do {
            x = random.Random(16);
            y = random.Random(6);
        } while (Grid().At(x, y).WalkBlock != 0);
    };
    auto populate = [&] {
        for (int i = 0; i < 14; ++i) {
            int32_t x, y;
            freeTile(x, y);
            AddCritter(x, y);
        }
        for (int i = 0; i < 10; ++i) AddObject(random.Random(12), random.Random(6));
    };
    populate();
    const char* names[] = {"MOVETO",     "walk",           "frames",     "stop",          "death",
                           "MAKEDEAD",   "unplaced move",  "LOADMAP",    "editor add",    "editor delete",
                           "editor move", "effect object", "hit"};
    for (int step = 0; step < 1500; ++step) {
        const int op = random.Random(int(std::size(names)));
        const int count = World.CritterCount();
        tCritter& c = C(random.Random(count));
        int32_t x, y;
        switch (op) {
            case 0:
                freeTile(x, y);
                c.SetPosition(x, y);
                break;
            case 1:
                freeTile(x, y);
                c.WalkTo(x, y);
                break;
            case 2:
                for (int f = 1 + random.Random(6); f > 0; --f) Frame();
                break;
            case 3:
                c.Stop();
                break;
            case 4:
                c.Die();
                break;
            case 5:
                c.SetAnimation(csDying);
                c.State = csDead;
                c.DrawKeyChanged();
                break;
            case 6:
                c.Placed = false;
                freeTile(x, y);
                c.SetPosition(x, y);
                c.Placed = true;
                break;
            case 7:
                World.Reset();
                for (TCell& cell : Grid().Raw()) cell = TCell{};
                populate();
                World.DrawList->Rebuild();
                break;
            case 8: {
                if (count >= 30) break;
                freeTile(x, y);
                auto added = std::make_shared<tCritter>(Context, count);
                World.InsertCritter(Context, random.Random(count + 1), added, "new");
                added->Placed = true;
                added->SetPosition(x, y);
                World.RedrawOrder();
                break;
            }
            case 9:
                if (count > 2) World.RemoveCritter(Context, 1 + random.Random(count - 1));
                if (World.ObjectCount() > 1) World.RemoveObject(Context, random.Random(World.ObjectCount()));
                World.RedrawOrder();
                break;
            case 10:
                if (World.ObjectCount() > 0) O(random.Random(World.ObjectCount())).Y = random.Random(6);
                World.RedrawOrder();
                break;
            case 11: {
                tObj& o = AddObject(random.Random(12), random.Random(6), "puff");
                o.PlayOnce = true;
                break;
            }
            case 12:
                c.Hit(1 + random.Random(30));
                break;
        }
        // What the game would show now is checked by the next tile change's rebuild.
        World.DrawList->RebuildForCritters();
        ASSERT_EQ(Text(World.DrawList->Entries()), Text(FullOrder())) << "step " << step << ", " << names[op];
    }
}

// The draw passes over the entries that cannot show without reading their records. What it draws, and in
// which order, must be what a walk over every entry draws: with sprites across each edge of the view, large
// offsets, critters between pixels as they walk, and places and pictures changed since the last rebuild.
TEST_F(DrawListKeysTest, DrawingWhatMayShowGivesThePictureOfTheFullWalk) {
    TRandom random(5);
    // Pictures in colours of their own, so that a sprite left out shows even under another.
    auto paint = [&](const std::string& name, int w, int h, int pw, int ph) {
        AddPicture(name, w, h, pw, ph);
        Images.Item(Images.Count() - 1).Picture = TBitmap(w, h, TColor(0x102030 * Images.Count()) & 0xFFFFFF);
    };
    for (const char* set : {"metal_idle", "metal_walk", "metal_fire", "metal_death"}) {
        paint(set, 8 * 80, 8 * 76, 80, 76);
        paint(std::string(set) + "_shadow", 8 * 80, 8 * 76, 80, 76);
    }
    paint("wide", 300, 40, 0, 0);
    paint("tall", 30, 400, 0, 0);
    for (int i = 0; i < 400; ++i) {
        int32_t x, y;
        do {
            x = random.Random(MapCols);
            y = random.Random(MapRows);
        } while (Grid().At(x, y).WalkBlock != 0);
        AddCritter(x, y);
    }
    const char* pictures[] = {"crate", "wide", "tall", "puff"};
    for (int i = 0; i < 150; ++i) {
        tObj& o = AddObject(random.Random(MapCols), random.Random(MapRows), pictures[random.Random(4)]);
        o.OffsetX = random.Random(200) - 100;
        o.OffsetY = random.Random(200) - 100;
    }
    World.DrawList->Rebuild();
    TFontEngine fonts;
    TSurface culled(fonts), full(fonts);
    struct TScroll {
        int X, Y;
    };
    // The corners and the middle, then places at random: sprites meet the edges by every margin.
    std::vector<TScroll> scrolls = {{0, 0}, {-800, -600}, {-400, -300}, {-800, 0}, {0, -600}, {-13, -597}, {-787, -3}};
    for (int i = 0; i < 60; ++i) scrolls.push_back({-random.Random(801), -random.Random(601)});
    for (int round = 0; round < 12; ++round) {
        for (const TScroll& s : scrolls) {
            culled.Fill(0);
            full.Fill(0);
            World.DrawList->Draw(culled, s.X, s.Y);
            World.DrawList->SkipOffScreen = false;
            World.DrawList->Draw(full, s.X, s.Y);
            World.DrawList->SkipOffScreen = true;
            ASSERT_TRUE(culled.Pixels().Data() == full.Pixels().Data())
                << "round " << round << ", scroll " << s.X << ", " << s.Y;
        }
        // Between the pictures: walks, a new skin set, objects re-pictured; no rebuild of their own.
        for (int k = 0; k < 20; ++k) {
            tCritter& c = C(random.Random(World.CritterCount()));
            c.WalkTo(random.Random(MapCols), random.Random(MapRows));
        }
        C(random.Random(World.CritterCount())).SetAnimation(csFiring);
        O(random.Random(World.ObjectCount())).SetImage(pictures[random.Random(4)]);
        for (int f = 1 + random.Random(4); f > 0; --f) Frame(20);
    }
}
