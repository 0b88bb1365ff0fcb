// The draw order and the removal of finished objects.
#include "base/Random.h"
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
    for (const TDrawEntry& e : list.Entries)
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
