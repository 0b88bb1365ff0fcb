// Aiming, shots, hits, ammunition and the idle behaviour of non-player critters.
#include <algorithm>
#include <set>

#include "base/Text.h"
#include "support/BareWorld.h"
#include "world/LineOfFire.h"

namespace {
int Count(const std::vector<std::string>& list, const std::string& item) {
    return int(std::count(list.begin(), list.end(), item));
}

std::string ConsoleText(const std::vector<std::string>& console) {
    std::string all;
    for (const auto& line : console) all += line + " ";
    return all;
}

// Two hit types (sand, metal) whose impacts play three patterns once; the
// player stands on (30, 50) with 300 rounds, damage 3 .. 8 and accuracy 90.
class FiringTest : public ::testing::Test, public TBareWorld {
protected:
    FiringTest()
        : TBareWorld("HitTypes=2\n", "[HitTypes]\nType0=sand\nType1=metal\n"
                                     "[sand]\nsound=imp_sand\nimage=imp_sand\n[metal]\nsound=imp_metal\nimage=imp_metal\n" +
                                         MetalSkinSets()) {
        for (const char* type : {"imp_sand", "imp_metal"}) {
            AddPicture(type, 60, 40, 20, 40);
            for (int n = 1; n <= 3; ++n) Waves.Add(type + std::to_string(n), nullptr);
        }
        for (int n = 1; n <= 12; ++n) Waves.Add("rico" + std::to_string(n), nullptr);
        tCritter& player = AddCritter(30, 50, 100);
        player.Ammo = 300;
        player.DmgMin = 3;
        player.DmgMax = 6;
        player.Accuracy = 90;
    }
    tCritter& Player() { return C(0); }
    // Ticks the critter until the predicate holds, at most `limit` times.
    template <class Pred>
    void TickUntil(tCritter& c, Pred done, int limit = 100) {
        for (int i = 0; i < limit && !done(); ++i) Tick(c);
    }
};

TEST_F(FiringTest, FacingFollowsTheAimedTile) {
    tCritter& p = Player();  // on (30, 50)
    const std::vector<std::pair<std::pair<int, int>, int>> cases = {
        {{30, 55}, 10}, {{35, 50}, 6}, {{27, 47}, 0}, {{30, 50}, 10}, {{30, 40}, 2}, {{20, 50}, 14}, {{32, 51}, 7}};
    for (const auto& [target, direction] : cases) {
        p.Fire(target.first, target.second);
        EXPECT_EQ(p.State, csFiring);
        EXPECT_EQ(p.Direction, direction) << target.first << "," << target.second;
        EXPECT_EQ(p.CurrentFrame, p.FirstFrame + p.CycleFrame);
    }
}

TEST_F(FiringTest, SpreadDrawsInOrderAndIsHeldToAQuarterOfTheDistance) {
    tCritter& c = AddCritter(20, 60);
    c.Accuracy = 40;
    std::set<int> errors;
    for (uint32_t seed = 1; seed <= 400; ++seed) {
        Rand.SetSeed(seed);
        TRandom replay(seed);
        c.ShotsFired = 6;
        c.Fire(35, 60);  // 15 tiles: spread 6.4, 14 raw values from -6 to 7
        auto error = [&] {
            int e = RoundEven(replay.Random(14) - 6.4f);
            return std::abs(e) > 3.75 ? (e > 0 ? 4 : -4) : e;
        };
        const int ex = error(), ey = error();
        ASSERT_EQ(c.ShotEndX, 35 + ex) << seed;
        ASSERT_EQ(c.ShotEndY, 60 + ey) << seed;
        ASSERT_EQ(c.BurstLength, replay.Random(8) + 2) << seed;
        ASSERT_EQ(Rand.GetSeed(), replay.GetSeed());
        errors.insert(ex);
        errors.insert(ey);
    }
    EXPECT_EQ(*errors.begin(), -4);
    EXPECT_EQ(*errors.rbegin(), 4);
    EXPECT_EQ(c.TargetX, 35);
    EXPECT_EQ(c.TargetY, 60);
}

TEST_F(FiringTest, PerfectAimHasNoErrorEvenAbove100) {
    tCritter& c = AddCritter(20, 60);
    for (int accuracy : {100, 150, 1000}) {
        c.Accuracy = accuracy;
        for (uint32_t seed = 1; seed <= 50; ++seed) {
            Rand.SetSeed(seed);
            c.ShotsFired = 0;
            c.Fire(30, 60);
            ASSERT_EQ(std::make_pair(c.ShotEndX, c.ShotEndY), std::make_pair(30, 60)) << accuracy << " " << seed;
        }
    }
    // However wild the numbers a script gives, the aim stays a tile of the grid.
    c.Accuracy = -2000000000;
    c.ShotsFired = 2000000000;
    c.Fire(2000000000, -2000000000);
    EXPECT_TRUE(TGrid::Inside(c.ShotEndX, c.ShotEndY));
}

TEST_F(FiringTest, DamageRange) {
    tCritter& p = Player();
    tCritter& target = AddCritter(30, 51, 1000000);
    p.Ammo = 1000;
    p.Fire(30, 51);
    std::set<int> damages;
    for (int i = 0; i < 400; ++i) {
        const int before = target.HP;
        Tick(p);
        if (target.HP != before) damages.insert(before - target.HP);
    }
    EXPECT_EQ(*damages.begin(), 3);
    EXPECT_EQ(*damages.rbegin(), 8);
    EXPECT_EQ(damages.size(), 6u);

    // No width, or a negative one from a script: always the minimum.
    p.DmgMin = 4;
    for (int width : {0, -5}) {
        p.DmgMax = width;
        damages.clear();
        for (int i = 0; i < 40; ++i) {
            const int before = target.HP;
            Tick(p);
            if (target.HP != before) damages.insert(before - target.HP);
        }
        EXPECT_EQ(damages, std::set<int>{4});
    }
}

TEST_F(FiringTest, LastRoundThenOneReportEach) {
    tCritter& c = AddCritter(20, 60);
    c.Ammo = 1;
    c.Fire(25, 60);
    TakeSounds();
    TickUntil(c, [&] { return c.State != csFiring; });
    EXPECT_EQ(Count(TakeSounds(), "player_fire"), 1);
    EXPECT_EQ(Console.size(), 1u);
    EXPECT_EQ(c.State, csIdle);
    EXPECT_EQ(c.Ammo, 0);
    EXPECT_NE(ConsoleText(Console).find("патроны!"), std::string::npos);
    const auto lines = Console.size();
    c.Fire(25, 60);
    c.Fire(25, 60);
    EXPECT_EQ(Console.size(), lines);
    EXPECT_EQ(c.State, csIdle);

    // Firing again with ammunition arms the message once more.
    c.Ammo = 1;
    c.Fire(25, 60);
    TickUntil(c, [&] { return c.State != csFiring; });
    EXPECT_EQ(Console.size(), lines + 1);

    // The player has a text of its own.
    Console.clear();
    Player().Ammo = 0;
    Player().Fire(30, 40);
    const std::string text = ConsoleText(Console);
    EXPECT_NE(text.find("вас"), std::string::npos);
    EXPECT_EQ(text.find("рейдера"), std::string::npos);
}

TEST_F(FiringTest, HitOnAFiringCritterLeavesItIdleInItsWalkingDirection) {
    tCritter& c = AddCritter(20, 60);
    c.Fire(22, 61);
    ASSERT_EQ(c.Direction, 7);
    c.Hit(1);
    EXPECT_EQ(c.State, csHit);
    EXPECT_EQ(c.Direction, 3);
    EXPECT_EQ(c.AiMode, aiWander);
    EXPECT_EQ(c.AiTime, Now() + 300);
    EXPECT_EQ(c.HP, 19);
    TickUntil(c, [&] { return c.State != csHit; });
    EXPECT_EQ(c.State, csIdle);
    EXPECT_EQ(c.Direction, 3);
}

TEST_F(FiringTest, FlinchOrDeathAndTheirEvents) {
    Data.WriteScript("hurt.sc",
                     "[OnHit]\n1=1\n2=1\n3=GETGVAR\n4=1\n5=ADD\n6=SETGVAR\n"
                     "[OnDie]\n1=2\n2=2\n3=GETGVAR\n4=1\n5=ADD\n6=SETGVAR\n");
    auto& g = Scripts.GlobalVars;
    tCritter& a = AddCritter(20, 60, 5);
    a.SetScript("hurt");
    a.Hit(4);
    EXPECT_EQ(a.State, csHit);
    EXPECT_EQ(g[1], 1);
    EXPECT_EQ(g[2], 0);

    tCritter& b = AddCritter(22, 60, 5);
    b.SetScript("hurt");
    TakeSounds();
    b.Hit(5);
    EXPECT_EQ(b.State, csDying);
    EXPECT_EQ(g[2], 1);
    EXPECT_EQ(TakeSounds(), std::vector<std::string>{"Death"});
    // Its cell stays taken; further hits are ignored.
    EXPECT_EQ(Grid().At(22, 60).Occupant, b.Index);
    b.Hit(5);
    EXPECT_EQ(g[2], 1);
    EXPECT_EQ(b.HP, 0);
    TickUntil(b, [&] { return b.State == csDead; });
    EXPECT_EQ(b.State, csDead);
}

TEST_F(FiringTest, ShooterKilledByItsOwnShotStopsFiring) {
    tCritter& p = Player();
    p.HP = 3;
    p.DmgMin = 5;
    p.DmgMax = 0;
    p.Fire(30, 50);  // its own tile
    TakeSounds();
    TickUntil(p, [&] { return p.State != csFiring; });
    EXPECT_EQ(p.State, csDying);
    EXPECT_EQ(p.Ammo, 299);
    auto sounds = TakeSounds();
    EXPECT_EQ(Count(sounds, "DeathPlayer"), 1);
    EXPECT_EQ(Count(sounds, "player_fire"), 1);
    EXPECT_NE(ConsoleText(Console).find("Вы погибли."), std::string::npos);
    EXPECT_EQ(Deaths, 1);
    for (int i = 0; i < 20; ++i) Tick(p);
    EXPECT_EQ(p.State, csDead);
    EXPECT_EQ(p.Ammo, 299);

    // A non-player critter that survives its own shot flinches instead of firing on.
    tCritter& c = AddCritter(20, 60, 100);
    c.Fire(20, 60);
    TickUntil(c, [&] { return c.State != csFiring; });
    EXPECT_EQ(c.State, csHit);
    EXPECT_LT(c.HP, 100);
}

TEST_F(FiringTest, MissLeavesAnImpactThatPlaysOnceAndGoes) {
    tCritter& p = Player();
    p.Accuracy = 100;
    Grid().At(30, 40).HitType = 1;
    p.Fire(30, 40);
    TakeSounds();
    ASSERT_EQ(World.ObjectCount(), 0);
    TRandom replay = Rand;
    Tick(p);
    ASSERT_EQ(World.ObjectCount(), 1);
    const tObj& impact = *World.Objects[0];
    std::string expectedSound;
    if (replay.Random(100) >= 90)
        expectedSound = "rico" + std::to_string(replay.Random(12) + 1);
    else
        expectedSound = "imp_metal" + std::to_string(replay.Random(3) + 1);
    EXPECT_EQ(TakeSounds(), (std::vector<std::string>{"player_fire", expectedSound}));
    EXPECT_EQ(impact.Index, 0);
    EXPECT_EQ(std::make_pair(impact.X, impact.Y), std::make_pair(30, 40));
    EXPECT_EQ(impact.OffsetX, replay.Random(5) - 3);
    EXPECT_EQ(impact.OffsetY, replay.Random(5));
    EXPECT_EQ(impact.ImageName, "imp_metal");
    EXPECT_GE(impact.ImageIndex, 0);
    EXPECT_TRUE(impact.PlayOnce);
    const auto& entries = World.DrawList->Entries();
    EXPECT_TRUE(std::any_of(entries.begin(), entries.end(), [](const TDrawEntry& e) { return e.Kind == KindObject; }));

    // Hit type 0 hangs the picture higher.
    Grid().At(30, 40).HitType = 0;
    while (World.ObjectCount() == 1) Tick(p);
    const tObj& sand = *World.Objects[1];
    EXPECT_EQ(sand.ImageName, "imp_sand");
    EXPECT_GE(sand.OffsetY, -15);
    EXPECT_LE(sand.OffsetY, -11);
    EXPECT_GE(sand.OffsetX, -3);
    EXPECT_LE(sand.OffsetX, 1);

    p.StopFiring();
    for (int i = 0; i < 12 && World.ObjectCount() > 0; ++i) Frame();
    EXPECT_EQ(World.ObjectCount(), 0);
    EXPECT_TRUE(Errors.empty()) << Errors[0];
}

TEST_F(FiringTest, UnlistedHitTypeHasNoImpact) {
    tCritter& p = Player();
    p.Accuracy = 100;
    Grid().At(30, 40).HitType = 9;
    p.Fire(30, 40);
    TakeSounds();
    for (int i = 0; i < 4; ++i) Tick(p);
    EXPECT_EQ(World.ObjectCount(), 0);
    const auto sounds = TakeSounds();
    EXPECT_EQ(Count(sounds, "player_fire"), 2);
    EXPECT_EQ(int(sounds.size()), 2);
    EXPECT_EQ(p.Ammo, 298);
}

class BehaviourTest : public FiringTest {
protected:
    void SetUp() override {
        FiringTest::SetUp();
        A = &AddCritter(20, 60);
        B = &AddCritter(26, 60, 1000000);
        A->Victim = B->Index;
    }
    tCritter* A = nullptr;
    tCritter* B = nullptr;
};

TEST_F(BehaviourTest, ThinkAttackBurstThenRest) {
    TRandom replay = Rand;
    Tick(*A);
    EXPECT_EQ(A->AiMode, aiAttack);
    EXPECT_EQ(A->AiTime, Now() + uint32_t(replay.Random(300)));
    TickUntil(*A, [&] { return A->State == csFiring; });
    ASSERT_EQ(A->State, csFiring);
    EXPECT_EQ(std::make_pair(A->TargetX, A->TargetY), std::make_pair(26, 60));

    TakeSounds();
    TickUntil(*A, [&] { return A->State != csFiring; });
    const int shots = Count(TakeSounds(), "player_fire");
    EXPECT_GE(shots, 2);
    EXPECT_LE(shots, 9);
    EXPECT_EQ(A->State, csIdle);
    EXPECT_TRUE(A->AiMode == aiAttack || A->AiMode == aiWander);
    EXPECT_GE(A->AiTime, Now() + 300);
    EXPECT_LE(A->AiTime, Now() + 799);
    EXPECT_EQ(A->ShotsFired, 0);
    EXPECT_EQ(A->Ammo, 100 - shots);
    EXPECT_LT(B->HP, 1000000);
}

TEST_F(BehaviourTest, NoLineOfFireMeansWander) {
    AddCritter(23, 60);  // critters in between never block
    EXPECT_TRUE(HasLineOfFire(World, A->Index, B->Index));
    EXPECT_FALSE(HasLineOfFire(World, A->Index, 99));
    Grid().At(23, 60).ShootBlock = 1;
    EXPECT_FALSE(HasLineOfFire(World, A->Index, B->Index));
    Tick(*A);
    EXPECT_EQ(A->AiMode, aiWander);
    TickUntil(*A, [&] { return A->AiMode != aiWander; });
    EXPECT_EQ(A->AiMode, aiThink);
    EXPECT_EQ(A->AiTime, Now() + 300);
    // One step of at most two tiles, or none when the tile drawn was refused.
    EXPECT_LE(std::abs(A->DestX - 20), 2);
    EXPECT_LE(std::abs(A->DestY - 60), 2);
}

TEST_F(BehaviourTest, NothingToAttack) {
    // A dead victim is left alone.
    A->AiMode = aiAttack;
    B->SetAnimation(csDying);
    B->State = csDead;
    uint32_t seed = Rand.GetSeed();
    for (int i = 0; i < 5; ++i) Tick(*A);
    EXPECT_EQ(A->State, csIdle);
    EXPECT_EQ(A->AiMode, aiAttack);
    EXPECT_EQ(Rand.GetSeed(), seed);

    // No victim, or one that names no critter: the critter stands and thinks.
    for (int victim : {-1, 99}) {
        A->Victim = victim;
        A->AiMode = aiThink;
        for (int i = 0; i < 5; ++i) Tick(*A);
        EXPECT_EQ(A->AiMode, aiThink);
        EXPECT_EQ(Rand.GetSeed(), seed);
    }
    // The player has no idle behaviour of its own.
    Player().Victim = B->Index;
    for (int i = 0; i < 5; ++i) Tick(Player());
    EXPECT_EQ(Player().State, csIdle);
    EXPECT_EQ(Rand.GetSeed(), seed);
}
}  // namespace
