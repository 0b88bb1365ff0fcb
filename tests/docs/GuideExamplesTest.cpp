// Every script example of the author's guide and the README runs here, so the
// documents cannot drift from the game. An example is a fenced ```ini block
// followed by a line "Result:" (or "Result after OnClick:" ...) whose
// `backticked` checks say what the game holds afterwards.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "base/Text.h"
#include "critters/Critter.h"
#include "script/Commands.h"
#include "script/Script.h"
#include "support/MapRecords.h"
#include "support/TestGame.h"
#include "world/Obj.h"

namespace fs = std::filesystem;

namespace {

struct TExample {
    std::string Document;
    int Line = 0;  // of the opening fence
    std::string Script;
    std::vector<std::string> Events;  // raised after the location is loaded
    std::vector<std::string> Checks;
};

std::vector<TExample> ReadExamples(const std::string& document) {
    std::ifstream in(fs::path(RW_SOURCE_DIR) / document);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    std::vector<TExample> examples;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] != "```ini") continue;
        TExample e{document, int(i + 1), {}, {}, {}};
        for (++i; i < lines.size() && lines[i] != "```"; ++i) e.Script += lines[i] + "\n";
        size_t r = i + 1;
        while (r < lines.size() && Trim(lines[r]).empty()) ++r;
        std::string result = r < lines.size() ? lines[r] : "";
        if (result.rfind("Result", 0) == 0) {
            const size_t colon = result.find(':');
            std::string head = result.substr(0, colon);
            if (size_t after = head.find(" after "); after != std::string::npos) {
                std::istringstream events(head.substr(after + 7));
                for (std::string ev; std::getline(events, ev, ',');) e.Events.push_back(Trim(ev));
            }
            for (size_t open = result.find('`', colon); open != std::string::npos; open = result.find('`', open + 1)) {
                const size_t close = result.find('`', open + 1);
                if (close == std::string::npos) break;
                e.Checks.push_back(result.substr(open + 1, close - open - 1));
                open = close;
            }
        }
        examples.push_back(std::move(e));
    }
    return examples;
}

const TCritterStats FigureStats{.Direction = 3, .HP = 40, .DmgMin = 1, .DmgMax = 5, .Accuracy = 60};

// The stage every example plays on: the player on (10, 10), the example's
// critter 1 on (15, 10), critter 2 on (30, 12), object 0 on (5, 5); loc02
// is a second location with pattern2.
class GuideStage {
public:
    explicit GuideStage(const std::string& script) {
        TTestGameFiles files;
        files.Ini = TestIni("CritterSkin=1\nHeads=2\n",
                            "[CritterSkin]\nSkin0=metal\n[Heads]\nHead0=Elder\nHead1=Elder_angry\n");
        files.Critters = {{"metal_idle", 8, 64}};
        files.Objects = {{"crate", 8, 8}};
        files.Locations = {"pattern1", "pattern2"};
        Data.WriteGame(files);
        WriteMenuFiles(Data);
        for (const char* head : {"Elder", "Elder_angry"})
            Data.WriteBmp(std::string("data/Images/Portraits/") + head + ".bmp", 8, 8, 0x404040);
        Data.WriteScript("obj_def.sc", "");
        Data.WriteScript("example.sc", script);
        TMapData map;
        map.Critters = {MapCritter("Игрок", 10, 10, "obj_def", FigureStats),
                        MapCritter("Страж", 15, 10, "example", FigureStats),
                        MapCritter("Бродяга", 30, 12, "obj_def", FigureStats)};
        map.Objects = {MapObject("Ящик", 5, 5, "crate", "obj_def")};
        Data.WriteFile("data/locations/stage.map", SerializeMap(map));
        TMapData second;
        second.PatternName = "pattern2";
        second.Critters = {MapCritter("Игрок", 3, 4, "obj_def", FigureStats)};
        Data.WriteFile("data/locations/loc02.map", SerializeMap(second));
        Game = MakeGame(Data);
    }
    TTestData Data;
    std::unique_ptr<TTestGame> Game;
};

int32_t CritterField(const tCritter& c, const std::string& field) {
    static const std::vector<std::pair<std::string, int32_t tCritter::*>> ints = {{"x", &tCritter::X},
                                                                                  {"y", &tCritter::Y},
                                                                                  {"hp", &tCritter::HP},
                                                                                  {"ammo", &tCritter::Ammo},
                                                                                  {"direction", &tCritter::Direction},
                                                                                  {"victim", &tCritter::Victim},
                                                                                  {"destx", &tCritter::DestX},
                                                                                  {"desty", &tCritter::DestY}};
    for (const auto& [name, member] : ints)
        if (name == field) return c.*member;
    if (field == "state") return c.State;
    if (field == "invisible") return c.Invisible;
    if (field == "disabled") return c.Disabled;
    ADD_FAILURE() << "no critter field " << field;
    return 0;
}

// A console or question line as read: without the marker that opens each new entry.
std::string Shown(std::string line) {
    if (line.rfind("\\n", 0) == 0) line.erase(0, 2);
    return line;
}

std::string Joined(const std::vector<std::string>& items, const std::string& separator = " ") {
    std::string out;
    for (const auto& s : items) out += (out.empty() ? "" : separator) + s;
    return out;
}

// One check against the game; an empty string when it holds, else what was found.
std::string Failure(TMainForm& g, const TScript& script, const std::string& check) {
    std::istringstream words(check);
    std::string what;
    words >> what;
    std::string rest;
    std::getline(words, rest);
    rest = Trim(rest);
    auto expect = [](const std::string& found, const std::string& wanted) {
        return found == wanted ? std::string() : "found \"" + found + "\"";
    };
    // "I = V" forms.
    auto assignment = [&](int32_t found) {
        const size_t eq = rest.find('=');
        return expect(std::to_string(found), Trim(rest.substr(eq + 1)));
    };
    if (what == "stack") return expect(Joined(script.Stack), rest);
    if (what == "console") return expect(g.ConsoleLines.empty() ? "" : Shown(g.ConsoleLines.back()), rest);
    if (what == "error") {
        for (const auto& e : g.Errors)
            if (e.find(rest) != std::string::npos) return "";
        return "errors: " + Joined(g.Errors, " / ");
    }
    if (what == "global") return assignment(g.Scripts.GlobalVars.at(size_t(std::stoi(rest))));
    if (what == "local") return assignment(script.Locals.at(size_t(std::stoi(rest))));
    if (what == "critter" || what == "object") {
        std::istringstream parts(rest);
        size_t index;
        std::string field;
        parts >> index >> field;
        field = LowerCase(field);
        if (what == "critter") {
            if (index >= g.World.Critters.size()) return "no critter " + std::to_string(index);
            return assignment(CritterField(*g.World.Critters[index], field));
        }
        if (index >= g.World.Objects.size()) return "no object " + std::to_string(index);
        const tObj& o = *g.World.Objects[index];
        return assignment(field == "x" ? o.X : field == "y" ? o.Y : field == "disabled" ? o.Disabled : o.Invisible);
    }
    if (what == "critters") return expect(std::to_string(g.World.CritterCount()), rest);
    if (what == "timer") return expect(script.TimerEnabled ? std::to_string(script.TimerInterval) : "off", rest);
    if (what == "mode") {
        const char* mode = g.ScreenMode == smGame ? "game" : g.ScreenMode == smDialog ? "dialog" : "menu";
        return expect(mode, rest);
    }
    if (what == "question") {
        std::vector<std::string> lines;
        for (const auto& line : g.Dialog.Question) lines.push_back(Shown(line));
        return expect(Joined(lines), rest);
    }
    if (what == "answers") {
        std::vector<std::string> answers;
        for (size_t i = 0; i < g.Dialog.Answers.size(); ++i)
            answers.push_back(g.Dialog.Answers[i] + " -> " + g.Dialog.AnswerNodes.at(i));
        return expect(Joined(answers, " | "), rest);
    }
    if (what == "head") return expect(g.Dialog.CurrentHead, rest);
    if (what == "fade")
        return expect(g.Dialog.FadeRunning ? g.Dialog.NewHead + " " + std::to_string(g.Dialog.FadeDuration) : "none",
                      rest);
    if (what == "scroll") return expect(std::to_string(g.View.ScrollX) + " " + std::to_string(g.View.ScrollY), rest);
    if (what == "sound") return expect(g.DXWL.PlayLog.empty() ? "" : g.DXWL.PlayLog.back(), rest);
    if (what == "pattern") return expect(g.World.PatternName, rest);
    return "unknown check";
}

void RunExample(const TExample& e) {
    SCOPED_TRACE(e.Document + ":" + std::to_string(e.Line));
    ASSERT_FALSE(e.Checks.empty()) << "an example needs a Result line with checks";
    GuideStage stage(e.Script);
    ASSERT_TRUE(stage.Game->Started);
    TMainForm& g = **stage.Game;
    g.Scripts.StepLimit = 100000;
    g.Guard([&] { g.LoadMap("data\\locations\\stage.map"); });
    // The example's script, kept even when it loads another location.
    TScriptPtr script = g.World.Critters.at(1)->Script;
    for (const std::string& event : e.Events) g.Guard([&] { script->Execute(event); });
    bool errorExpected = false;
    for (const std::string& check : e.Checks) {
        errorExpected |= check.rfind("error", 0) == 0;
        const std::string failure = Failure(g, *script, check);
        EXPECT_TRUE(failure.empty()) << "`" << check << "`: " << failure;
    }
    if (!errorExpected) {
        EXPECT_TRUE(g.Errors.empty()) << Joined(g.Errors, "\n");
    }
}

class GuideExamples : public ::testing::TestWithParam<std::string> {};

TEST_P(GuideExamples, RunAsStated) {
    const std::vector<TExample> examples = ReadExamples(GetParam());
    ASSERT_FALSE(examples.empty());
    for (const TExample& e : examples) RunExample(e);
}

INSTANTIATE_TEST_SUITE_P(Docs, GuideExamples, ::testing::Values("docs/scripting.md", "README.md"),
                         [](const auto& test) { return test.param == "README.md" ? "Readme" : "ScriptingGuide"; });

// Every command word of the language has its own heading in the guide ...
TEST(GuideReference, NamesEveryCommand) {
    std::ifstream in(fs::path(RW_SOURCE_DIR) / "docs/scripting.md");
    std::stringstream text;
    text << in.rdbuf();
    std::vector<std::string> commands;
    for (const TScriptCommand& c : ScriptCommands()) commands.emplace_back(c.Word);
    // ... and the game's reader takes each of them, and nothing like them, as a command.
    std::string script = "[All]\n";
    for (const std::string& c : commands) script += c + "=" + c + "\n";
    script += "near=ADDCONSOL\n";
    const TScriptFile file = TScriptFile::Parse(script);
    const TScriptNode* all = file.FindNode("All");
    ASSERT_TRUE(all);
    ASSERT_EQ(all->Steps.size(), commands.size() + 1);
    for (size_t i = 0; i < commands.size(); ++i) EXPECT_NE(all->Steps[i].Op, TScriptOp::Literal) << commands[i];
    EXPECT_EQ(all->Steps.back().Op, TScriptOp::Literal);
    // ... with an example of its own.
    const std::string guide = text.str();
    for (const std::string& c : commands) {
        const size_t at = guide.find("\n#### " + c + "\n");
        ASSERT_NE(at, std::string::npos) << c;
        const size_t next = guide.find("\n###", at + 1);
        EXPECT_NE(guide.substr(at, next - at).find("```ini"), std::string::npos) << c;
    }
}

}  // namespace
