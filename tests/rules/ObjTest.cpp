// Map objects: pictures, translucency, animation and scripts.
#include "support/BareWorld.h"
#include "support/WorldScripts.h"

namespace {

// One translucent picture, one plain and one animated in four patterns.
class ObjTest : public ::testing::Test, public TBareWorld {
protected:
    ObjTest()
        : TBareWorld("SpecialObjects=2\n", "[Object0]\nname=lamp\neffect=alpha\nValue=120\n"
                                           "[Object1]\nname=spark\neffect=anim\nPatternWidth=10\nPatternHeight=10\n") {
        AddPicture("lamp", 16, 16);
        AddPicture("crate", 16, 16);
        AddPicture("spark", 40, 10, 10, 10);
    }
    std::shared_ptr<tObj> Make(const std::string& image, int32_t index = 0) {
        auto o = std::make_shared<tObj>(Context, index);
        o->SetImage(image);
        return o;
    }
    void Step(tObj& o, uint32_t ms) {
        Clock.Advance(ms);
        o.Animate();
    }
    std::vector<int> EventLog() { return RecordedEvents(Scripts); }
};

TEST_F(ObjTest, AlphaComesFromTheSpecialSectionAndStaysWithTheNextPicture) {
    auto o = Make("lamp");
    EXPECT_EQ(o->Alpha, 120);
    o->SetImage("crate");
    EXPECT_EQ(o->Alpha, 120);
    EXPECT_EQ(o->ImageIndex, Images.Find("crate"));
    // The picture is found whatever the case; the section's name must match exactly.
    auto other = Make("LAMP");
    EXPECT_EQ(other->ImageIndex, Images.Find("lamp"));
    EXPECT_EQ(other->Alpha, 255);
}

TEST_F(ObjTest, FrameSizeFollowsThePatternAndSurvivesAMissingPicture) {
    auto o = Make("spark");
    EXPECT_EQ(o->FrameWidth, 10);
    EXPECT_EQ(o->FrameHeight, 10);
    o->SetImage("nothing");
    EXPECT_EQ(o->ImageIndex, -1);
    EXPECT_EQ(o->ImageName, "nothing");
    EXPECT_EQ(o->FrameWidth, 10);
}

TEST_F(ObjTest, AnimationStepsEighteenTimesASecondAndLoops) {
    auto o = Make("spark");  // four patterns
    o->LastFrameTime = Now();
    Step(*o, 55);  // 55 ms is not yet past 1000 / 18
    EXPECT_EQ(o->Frame, 0);
    Step(*o, 1);
    EXPECT_EQ(o->Frame, 1);
    for (int i = 0; i < 3; ++i) Step(*o, 56);
    EXPECT_EQ(o->Frame, 0);
    EXPECT_FALSE(o->PendingRemoval);
}

TEST_F(ObjTest, PlayOnceEndsAfterItsLastFrameOnlyWhenItAnimates) {
    auto spark = Make("spark");
    spark->PlayOnce = true;
    for (int i = 0; i < 3; ++i) Step(*spark, 56);
    EXPECT_FALSE(spark->PendingRemoval);
    Step(*spark, 56);
    EXPECT_TRUE(spark->PendingRemoval);
    EXPECT_EQ(spark->Frame, 4);

    auto crate = Make("crate");  // one pattern: never animates, never ends
    crate->PlayOnce = true;
    auto missing = Make("nothing");
    missing->PlayOnce = true;
    for (int i = 0; i < 10; ++i) {
        Step(*crate, 100);
        missing->Animate();
    }
    EXPECT_FALSE(crate->PendingRemoval);
    EXPECT_EQ(crate->Frame, 0);
    EXPECT_FALSE(missing->PendingRemoval);
    EXPECT_EQ(missing->Frame, 0);
}

TEST_F(ObjTest, SetScriptReplacesTheScriptInOrder) {
    Data.WriteScript("obj_def.sc", RecordNode("OnCreate", 1) + RecordNode("OnDestroy", 2));
    Data.WriteScript("abcdefghijklmnopqrstuvwx.sc", RecordNode("OnCreate", 3) + RecordNode("OnDestroy", 4));
    Scripts.GlobalVars.fill(0);
    auto o = Make("crate", 7);
    o->SetScript("abcdefghijklmnopqrstuvwxyz1234");  // 30 characters: the first 24 name the file
    EXPECT_EQ(o->ScriptName, "abcdefghijklmnopqrstuvwx");
    o->SetScript("");
    EXPECT_EQ(o->ScriptName, "");
    EXPECT_EQ(o->Script->Path, "data\\scripts\\obj_def.sc");
    const std::vector<int> expected = {EventCode(1, OwnerObject, 7), EventCode(2, OwnerObject, 7),
                                       EventCode(3, OwnerObject, 7), EventCode(4, OwnerObject, 7),
                                       EventCode(1, OwnerObject, 7)};
    EXPECT_EQ(EventLog(), expected);
}

TEST_F(ObjTest, ClickRunsTheClickNodeAndAFreedObjectsScriptStaysQuiet) {
    Data.WriteScript("obj_def.sc", RecordNode("OnClick", 9));
    auto o = Make("crate", 2);
    Scripts.GlobalVars.fill(0);
    o->Click();
    EXPECT_EQ(EventLog(), std::vector<int>{EventCode(9, OwnerObject, 2)});
    o->Release();
    o->Click();
    EXPECT_EQ(EventLog().size(), 1u);
}

}  // namespace
