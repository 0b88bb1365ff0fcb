#include "app/Dump.h"

#include "app/MainForm.h"
#include "base/Json.h"
#include "critters/Critter.h"
#include "editor/model/PanelDump.h"
#include "world/Obj.h"

namespace {
void DumpCritters(TJsonWriter& j, const TMainForm& g) {
    j.Key("critters").BeginArray();
    for (int i = 0; i < g.World.CritterCount(); ++i) {
        const tCritter& c = *g.World.Critters[size_t(i)];
        j.BeginObject();
        j.Field("index", i);
        j.Field("label", i < int(g.ControlForm.CritterListBox.Items.size()) ? g.ControlForm.CritterListBox.Items[size_t(i)]
                                                                             : std::string());
        j.Field("skin", c.Skin).Field("x", c.X).Field("y", c.Y).Field("startX", c.StartX).Field("startY", c.StartY);
        j.Field("state", int32_t(c.State)).Field("direction", c.Direction).Field("currentFrame", c.CurrentFrame);
        j.Field("pixelX", c.PixelX).Field("pixelY", c.PixelY).Field("hp", c.HP).Field("ammo", c.Ammo);
        j.Field("dmgMin", c.DmgMin).Field("dmgMax", c.DmgMax).Field("accuracy", c.Accuracy);
        j.Field("invisible", c.Invisible).Field("disabled", c.Disabled).Field("victim", c.Victim);
        j.Field("script", c.ScriptName);
        j.EndObject();
    }
    j.EndArray();
}

void DumpObjects(TJsonWriter& j, const TMainForm& g) {
    j.Key("objects").BeginArray();
    for (int i = 0; i < g.World.ObjectCount(); ++i) {
        const tObj& o = *g.World.Objects[size_t(i)];
        j.BeginObject();
        j.Field("index", i);
        j.Field("label", i < int(g.ControlForm.ObjectListBox.Items.size()) ? g.ControlForm.ObjectListBox.Items[size_t(i)]
                                                                            : std::string());
        j.Field("image", o.ImageName).Field("x", o.X).Field("y", o.Y).Field("offsetX", o.OffsetX);
        j.Field("offsetY", o.OffsetY).Field("frame", o.Frame).Field("alpha", o.Alpha).Field("playOnce", o.PlayOnce);
        j.Field("invisible", o.Invisible).Field("disabled", o.Disabled).Field("script", o.ScriptName);
        j.EndObject();
    }
    j.EndArray();
}

void DumpStrings(TJsonWriter& j, std::string_view key, const std::vector<std::string>& list) {
    j.Key(key).BeginArray();
    for (const auto& s : list) j.Value(s);
    j.EndArray();
}
}  // namespace

std::string DumpJson(const TMainForm& g) {
    TJsonWriter j;
    j.BeginObject();
    j.Field("frame", g.FrameCount);
    j.Field("now", const_cast<TMainForm&>(g).Now());
    j.Field("mode", int32_t(g.ScreenMode));
    j.Field("debug", g.DebugMode);
    j.Key("scroll").BeginArray().Value(g.View.ScrollX).Value(g.View.ScrollY).EndArray();
    j.Field("fps", g.DXT.FrameRate());
    j.Field("closed", g.Closed);
    DumpStrings(j, "errors", g.Errors);

    j.Field("pattern", g.World.PatternName);
    j.Field("mapScript", g.ControlForm.MapScrLabeledEdit);
    j.Field("mapScriptRunning", bool(g.World.MapScript));
    DumpCritters(j, g);
    DumpObjects(j, g);
    j.Key("globals").BeginObject();
    for (size_t i = 0; i < g.Scripts.GlobalVars.size(); ++i)
        if (g.Scripts.GlobalVars[i] != 0) j.Field(std::to_string(i), g.Scripts.GlobalVars[i]);
    j.EndObject();
    if (g.Inspector.Active()) DumpInspector(j, g.Inspector);

    DumpStrings(j, "console", g.ConsoleLines);
    j.Key("dialog").BeginObject();
    j.Field("open", g.ScreenMode == smDialog).Field("head", g.Dialog.CurrentHead);
    DumpStrings(j, "question", g.Dialog.Question);
    j.Key("answers").BeginArray();
    for (size_t i = 0; i < g.Dialog.Answers.size(); ++i) {
        j.BeginObject().Field("text", g.Dialog.Answers[i]);
        j.Field("node", i < g.Dialog.AnswerNodes.size() ? g.Dialog.AnswerNodes[i] : std::string()).EndObject();
    }
    j.EndArray();
    j.Field("hovered", g.Dialog.Hovered).Field("fadeRunning", g.Dialog.FadeRunning);
    j.EndObject();
    j.Key("hover").BeginObject().Field("index", g.View.HoverIndex).Field("kind", g.View.HoverKind).EndObject();
    j.Field("attack", g.View.AttackCursor);

    j.Key("menu").BeginObject();
    j.Field("subState", int32_t(g.Menu.SubState));
    j.Key("highlighted").BeginArray();
    for (bool b : g.Menu.Highlighted) j.Value(b);
    j.EndArray();
    j.Key("pressed").BeginArray();
    for (bool b : g.Menu.Pressed) j.Value(b);
    j.EndArray();
    j.Field("creditsOffset", g.Menu.CreditsOffset).Field("paused", g.Menu.Paused);
    j.Field("creditsOnly", g.Menu.CreditsOnly);
    j.EndObject();
    j.Key("music").BeginObject();
    j.Field("on", g.MusicOn).Field("broken", g.MusicBroken).Field("file", g.Platform.MusicPlayer().FileName);
    j.EndObject();
    DumpStrings(j, "sounds", g.DXWL.PlayLog);
    const TSettings& st = g.Settings;
    j.Key("settings").BeginObject();
    j.Field("fullScreen", st.FullScreen).Field("scaling", ScalingName(st.Scaling));
    j.Field("musicVolume", st.MusicVolume).Field("effectsVolume", st.EffectsVolume).Field("mute", st.Mute);
    j.Field("muteUnfocused", st.MuteUnfocused).Field("edgeScroll", st.EdgeScroll);
    j.EndObject();
    DumpPanel(j, g.ControlForm, g.Platform.PanelVisible(), g.View.HoverTileX, g.View.HoverTileY);
    j.EndObject();
    return j.Str();
}
