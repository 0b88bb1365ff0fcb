// Faults in the data that the game runs past but an author must hear of:
// script files a location names but the data lacks, scripts saved as UTF-8.
#include <algorithm>

#include "WorldTestKit.h"

namespace {

using DataWarnings = WorldTest;

TEST_F(DataWarnings, MissingScriptFilesAreReportedOncePerLoad) {
    TMapData map;
    map.MapScript = "nothere";
    map.Critters = {MapCritter("A", 5, 5), MapCritter("B", 8, 5, "ghost"), MapCritter("C", 9, 5, "")};
    map.Objects = {MapObject("O", 3, 3, "crate", "ghost"), MapObject("P", 4, 3)};
    WriteMap("data/locations/m.map", map);
    std::vector<std::string> log;
    G().LogHook = [&](const std::string& line) { log.push_back(line); };

    Load("data\\locations\\m.map");
    ASSERT_EQ(G().Errors.size(), 1u);
    const std::string& text = G().Errors[0];
    EXPECT_NE(text.find("data\\scripts\\nothere.sc: the map"), std::string::npos) << text;
    EXPECT_NE(text.find("data\\scripts\\ghost.sc: critter 1 \"B\", object 0 \"O\""), std::string::npos) << text;
    // The default script and an empty name are no fault.
    EXPECT_EQ(text.find("obj_def"), std::string::npos) << text;
    EXPECT_EQ(text.find("\"C\""), std::string::npos) << text;
    EXPECT_EQ(std::count(log.begin(), log.end(), text), 1);

    // Outside debug mode only the log says it.
    G().DebugMode = false;
    Load("data\\locations\\m.map");
    EXPECT_EQ(G().Errors.size(), 1u);
    EXPECT_EQ(std::count(log.begin(), log.end(), text), 2);
}

TEST_F(DataWarnings, Utf8ScriptIsReportedOnceItIsRead) {
    Data.WriteFile("data/scripts/utf.sc", "[OnCreate]\n1=\xD0\x9F\xD1\x80\xD0\xB8\n2=ADDCONSOLE\n[OnClick]\n1=0\n");
    TMapData map;
    map.Critters = {MapCritter("A", 5, 5), MapCritter("B", 8, 5, "utf")};
    WriteMap("data/locations/m.map", map);
    Load("data\\locations\\m.map");
    ASSERT_EQ(G().Errors.size(), 1u);
    EXPECT_NE(G().Errors[0].find("Script data\\scripts\\utf.sc is UTF-8 text"), std::string::npos) << G().Errors[0];
    C(1).Script->Execute("OnClick");
    EXPECT_EQ(G().Errors.size(), 1u);

    // The same letters in Windows-1251 are what the game expects.
    Data.WriteScript("utf.sc", "[OnCreate]\n1=Привет\n2=ADDCONSOLE\n");
    Load("data\\locations\\m.map");
    EXPECT_EQ(G().Errors.size(), 1u);
}

}  // namespace
