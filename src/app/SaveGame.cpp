// Saved games: the whole running game in one versioned file.
//
// Layout: "RWSAVE\r\n", u32 version, u32 payload size, u32 CRC-32 of the
// payload, then the payload: the slot's description (location, calendar
// time, an 80 x 60 picture) followed by the game. Numbers are little-endian.
// Scripts are kept as their file, owner, value stack, locals and timer; the
// nodes are read again from the script files.
#include "app/SaveGame.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "app/MainForm.h"
#include "base/Errors.h"
#include "base/SafeMath.h"
#include "base/Text.h"
#include "critters/Critter.h"
#include "world/MapFormat.h"
#include "world/Obj.h"

namespace fs = std::filesystem;

namespace {
constexpr char Magic[8] = {'R', 'W', 'S', 'A', 'V', 'E', '\r', '\n'};
constexpr uint32_t Version = SaveFormatVersion;
constexpr int ThumbW = 80, ThumbH = 60;
// Sanity bounds: a save beyond them is damaged, not a bigger game.
constexpr uint32_t MaxRecords = 100000, MaxString = 1 << 20, MaxList = 1 << 22;
// What the game itself can write: texts as long as a data file's value, names
// as long as a location file's, at most 1000 console lines and 4096 sounds.
constexpr size_t MaxText = 2047, MaxPathText = 1024;
constexpr uint32_t MaxLines = 1000, MaxSounds = 4096;
constexpr int32_t Coord = int32_t(ScreenCoordLimit);

uint32_t Crc32(std::string_view data) {
    static const auto table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char b : data) crc = table[(crc ^ b) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

class TWriter {
public:
    void U8(uint8_t v) { Out.push_back(char(v)); }
    void Bool(bool v) { U8(v ? 1 : 0); }
    void U32(uint32_t v) {
        for (int i = 0; i < 4; ++i) U8(uint8_t(v >> (8 * i)));
    }
    void I32(int32_t v) { U32(uint32_t(v)); }
    void U64(uint64_t v) {
        U32(uint32_t(v));
        U32(uint32_t(v >> 32));
    }
    void F64(double v) {
        uint64_t bits;
        std::memcpy(&bits, &v, 8);
        U64(bits);
    }
    void Str(std::string_view s) {
        U32(uint32_t(s.size()));
        Out.append(s);
    }
    void Strs(const std::vector<std::string>& list) {
        U32(uint32_t(list.size()));
        for (const auto& s : list) Str(s);
    }
    std::string Out;
};

class TReader {
public:
    TReader(std::string_view data) : Data(data) {}
    uint8_t U8() {
        Need(1);
        return uint8_t(Data[Pos++]);
    }
    bool Bool() {
        uint8_t v = U8();
        if (v > 1) Fail("a flag is neither 0 nor 1");
        return v == 1;
    }
    uint32_t U32() {
        Need(4);
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= uint32_t(uint8_t(Data[Pos + size_t(i)])) << (8 * i);
        Pos += 4;
        return v;
    }
    int32_t I32() { return int32_t(U32()); }
    uint64_t U64() {
        uint64_t lo = U32();
        return lo | uint64_t(U32()) << 32;
    }
    double F64() {
        uint64_t bits = U64();
        double v;
        std::memcpy(&v, &bits, 8);
        return v;
    }
    uint32_t Count(uint32_t max) {
        uint32_t n = U32();
        if (n > max) Fail("a list is impossibly long");
        return n;
    }
    // A text of at most `maxChars` characters, or the save is refused naming it.
    std::string Str(const char* name = "a text", size_t maxChars = MaxText) {
        uint32_t n = Count(MaxString);
        Need(n);
        std::string s(Data.substr(Pos, n));
        Pos += n;
        if (s.size() > maxChars && Utf8Length(s) > maxChars)
            Fail(std::string(name) + " is longer than " + std::to_string(maxChars) + " characters");
        return s;
    }
    std::vector<std::string> Strs(const char* name, uint32_t maxCount, size_t maxChars = MaxText) {
        uint32_t n = U32();
        if (n > maxCount) Fail(std::string(name) + " holds more than " + std::to_string(maxCount) + " entries");
        std::vector<std::string> list(n);
        for (auto& s : list) s = Str(name, maxChars);
        return list;
    }
    // A number the game keeps within [lo, hi]; outside it the save is refused naming the field.
    int32_t Int(const char* name, int64_t lo = -Coord, int64_t hi = Coord) {
        int32_t v = I32();
        if (v < lo || v > hi)
            Fail(std::string(name) + " is out of range (" + std::to_string(v) + ", allowed " + std::to_string(lo) +
                 " to " + std::to_string(hi) + ")");
        return v;
    }
    bool AtEnd() const { return Pos == Data.size(); }
    [[noreturn]] static void Fail(const std::string& why) { throw EGameError(why); }

private:
    void Need(size_t n) {
        if (Data.size() - Pos < n) Fail("it ends too early");
    }
    std::string_view Data;
    size_t Pos = 0;
};

struct TScriptRecord {
    std::string Path;
    int32_t OwnerIndex = 0, OwnerKind = 0;
    std::vector<std::string> Stack;
    std::array<int32_t, 32> Locals{};
    bool TimerEnabled = false, Destroyed = false, Orphaned = false;
    uint32_t TimerInterval = 0, TimerNext = 0;
};

struct TCritterRecord {
    int32_t X, Y, Direction, FramesPerDirection, CycleLength, FirstFrame, Fps, CurrentFrame, CycleFrame, DestX, DestY,
        NextX, NextY, StepDX, StepDY, StepTicks, ImageIndex, ShadowIndex, PathLength, OffX, OffY, ShotEndX, ShotEndY,
        TargetX, TargetY, FrameWidth, FrameHeight, Index, ShotsFired, BurstLength, Victim, Accuracy, StartX, StartY, HP,
        DmgMax, DmgMin, Ammo, Script;
    uint8_t State, AiMode;
    uint32_t LastFrameTime, AiTime;
    double PixelX, PixelY;
    bool AmmoReported, Placed, Invisible, Disabled, OnGrid;
    std::string Skin, ScriptName;
    std::vector<std::pair<int32_t, int32_t>> Path;
};

struct TObjectRecord {
    int32_t X, Y, OffsetX, OffsetY, ImageIndex, Frame, Alpha, FrameWidth, FrameHeight, Index, Script;
    bool PlayOnce, PendingRemoval, Invisible, Disabled;
    uint32_t LastFrameTime;
    std::string ImageName, ScriptName;
};
}  // namespace

// Everything a save holds, read and checked before any of it is used.
struct TSaveData {
    TSlotInfo Info;
    uint32_t Now = 0;
    uint64_t FrameCount = 0;
    TFrameTimer::TPhase Timer;
    uint32_t Seed = 0;
    uint8_t ScreenMode = smGame;
    bool PlayerDead = false;
    uint32_t DeathTime = 0;
    TViewState View;
    TDialogState Dialog;
    TMenuState Menu;
    std::vector<std::string> Console, Sounds;
    std::array<int32_t, 256> Globals{};
    std::string Pattern, MapScriptName, Location;
    std::vector<TCell> Grid;
    std::vector<std::string> CritterLabels, ObjectLabels;
    int32_t CritterSelected = -1, ObjectSelected = -1;
    std::vector<TScriptRecord> Scripts;
    int32_t MapScript = -1;
    std::vector<TCritterRecord> Critters;
    std::vector<TObjectRecord> Objects;
    std::vector<TDrawEntry> DrawList;
};

namespace {
void PutView(TWriter& w, const TViewState& v) {
    for (int32_t n : {v.ScrollX, v.ScrollY, v.MouseX, v.MouseY, v.HoverTileX, v.HoverTileY, v.HoverIndex, v.HoverKind})
        w.I32(n);
    w.F64(v.VelocityX);
    w.F64(v.VelocityY);
    for (bool b : {v.HoverRequest, v.AttackCursor, v.InventoryPressed, v.MenuPressed, v.MiddleDrag, v.TileInfoShown,
                   v.DeleteLatch, v.LeftHeld, v.RightHeld, v.InventoryCaptured, v.MenuCaptured, v.PointerInside})
        w.Bool(b);
}

TViewState GetView(TReader& r) {
    TViewState v;
    v.ScrollX = r.Int("the view's scroll x");
    v.ScrollY = r.Int("the view's scroll y");
    v.MouseX = r.Int("the pointer's x");
    v.MouseY = r.Int("the pointer's y");
    v.HoverTileX = r.Int("the pointed tile's x");
    v.HoverTileY = r.Int("the pointed tile's y");
    v.HoverIndex = r.Int("the pointed record", -1);
    v.HoverKind = r.Int("the pointed record's kind", -1, KindObject);
    for (float* f : {&v.VelocityX, &v.VelocityY}) {
        const double d = r.F64();
        // The view never moves faster than three pixels a frame.
        if (!(std::fabs(d) <= 3.0)) TReader::Fail("the view's speed is out of range");
        *f = float(d);
    }
    for (bool* b :
         {&v.HoverRequest, &v.AttackCursor, &v.InventoryPressed, &v.MenuPressed, &v.MiddleDrag, &v.TileInfoShown,
          &v.DeleteLatch, &v.LeftHeld, &v.RightHeld, &v.InventoryCaptured, &v.MenuCaptured, &v.PointerInside})
        *b = r.Bool();
    // A button caught by the mouse at saving is not held by this player's mouse.
    v.InventoryCaptured = v.MenuCaptured = v.InventoryPressed = v.MenuPressed = false;
    return v;
}

void PutDialog(TWriter& w, const TDialogState& d) {
    w.Str(d.CurrentHead);
    w.I32(d.OwnerIndex);
    w.I32(d.OwnerKind);
    w.Strs(d.Question);
    w.Strs(d.Answers);
    w.Strs(d.AnswerNodes);
    w.I32(d.Hovered);
    w.Bool(d.FadeRunning);
    w.Str(d.PreviousHead);
    w.Str(d.NewHead);
    w.I32(d.FadeDuration);
    w.U32(d.FadeStart);
}

TDialogState GetDialog(TReader& r) {
    TDialogState d;
    d.CurrentHead = r.Str("the dialog's portrait");
    d.OwnerIndex = r.Int("the dialog's owner", -1);
    d.OwnerKind = r.Int("the dialog owner's kind", -1, OwnerObject);
    d.Question = r.Strs("the dialog's question", MaxLines);
    d.Answers = r.Strs("the dialog's answers", MaxLines);
    d.AnswerNodes = r.Strs("the dialog's answer nodes", MaxLines);
    d.Hovered = r.Int("the dialog's pointed answer", -1);
    d.FadeRunning = r.Bool();
    d.PreviousHead = r.Str("the dialog's previous portrait");
    d.NewHead = r.Str("the dialog's next portrait");
    d.FadeDuration = r.I32();
    d.FadeStart = r.U32();
    return d;
}

void PutMenu(TWriter& w, const TMenuState& m) {
    w.U8(m.SubState);
    w.U32(m.PhaseStart);
    w.I32(m.LogoAlpha);
    w.U32(m.PausedElapsed);
    w.I32(m.CreditsOffset);
    for (bool b : {m.Paused, m.SpaceLatch, m.CreditsOnly, m.ReturnToMenu, m.Highlighted[0], m.Highlighted[1],
                   m.Highlighted[2], m.Pressed[0], m.Pressed[1], m.Pressed[2]})
        w.Bool(b);
}

TMenuState GetMenu(TReader& r) {
    TMenuState m;
    m.SubState = r.U8();
    if (m.SubState > 2) TReader::Fail("the menu state is unknown");
    m.PhaseStart = r.U32();
    m.LogoAlpha = r.Int("the logo's opacity");
    m.PausedElapsed = r.U32();
    m.CreditsOffset = r.Int("the credits' offset");
    for (bool* b : {&m.Paused, &m.SpaceLatch, &m.CreditsOnly, &m.ReturnToMenu, &m.Highlighted[0], &m.Highlighted[1],
                    &m.Highlighted[2], &m.Pressed[0], &m.Pressed[1], &m.Pressed[2]})
        *b = r.Bool();
    return m;
}

// Scripts are only ever read from data\scripts: "data\scripts\NAME.sc", NAME a path below it with no way
// out of the folder. A script whose file was refused has none ("").
bool ScriptFileName(std::string_view path) {
    constexpr std::string_view folder = "data\\scripts\\";
    if (path.empty()) return true;
    if (path.size() <= folder.size() + 3 || !SameText(path.substr(0, folder.size()), folder) ||
        !SameText(path.substr(path.size() - 3), ".sc"))
        return false;
    std::string_view name = path.substr(folder.size(), path.size() - folder.size() - 3);
    if (name.find_first_of(std::string_view("/:\0", 3)) != std::string_view::npos) return false;
    for (size_t from = 0;;) {
        const size_t cut = name.find('\\', from);
        const std::string_view part = name.substr(from, cut == std::string_view::npos ? name.npos : cut - from);
        if (part.empty() || part == "." || part == "..") return false;
        if (cut == std::string_view::npos) return true;
        from = cut + 1;
    }
}

void PutScript(TWriter& w, const TScript& s) {
    w.Str(s.Path);
    w.I32(s.OwnerIndex);
    w.I32(s.OwnerKind);
    w.Strs(s.Stack);
    for (int32_t v : s.Locals) w.I32(v);
    w.Bool(s.TimerEnabled);
    w.U32(s.TimerInterval);
    w.U32(s.TimerNext);
    w.Bool(s.Destroyed);
    w.Bool(s.Orphaned);
}

TScriptRecord GetScript(TReader& r) {
    TScriptRecord s;
    s.Path = r.Str("a script's file", MaxPathText);
    if (!ScriptFileName(s.Path)) TReader::Fail("a script's file \"" + EscapeControlBytes(s.Path) + "\" is not in data\\scripts");
    s.OwnerIndex = r.I32();
    s.OwnerKind = r.I32();
    if (s.OwnerKind < OwnerMap || s.OwnerKind > OwnerObject) TReader::Fail("a script has an unknown owner");
    s.Stack = r.Strs("a script's stack", uint32_t(TScriptSystem::MaxStack));
    for (int32_t& v : s.Locals) v = r.I32();
    s.TimerEnabled = r.Bool();
    s.TimerInterval = r.U32();
    s.TimerNext = r.U32();
    s.Destroyed = r.Bool();
    s.Orphaned = r.Bool();
    return s;
}

// The critter's and object's fields in one list each, so writing and reading cannot drift apart.
template <class R, class F>
void CritterInts(R& c, F&& f) {
    for (auto* p : {&c.X,           &c.Y,           &c.Direction,   &c.FramesPerDirection,
                    &c.CycleLength, &c.FirstFrame,  &c.Fps,         &c.CurrentFrame,
                    &c.CycleFrame,  &c.DestX,       &c.DestY,       &c.NextX,
                    &c.NextY,       &c.StepDX,      &c.StepDY,      &c.StepTicks,
                    &c.ImageIndex,  &c.ShadowIndex, &c.PathLength,  &c.OffX,
                    &c.OffY,        &c.ShotEndX,    &c.ShotEndY,    &c.TargetX,
                    &c.TargetY,     &c.FrameWidth,  &c.FrameHeight, &c.Index,
                    &c.ShotsFired,  &c.BurstLength, &c.Victim,      &c.Accuracy,
                    &c.StartX,      &c.StartY,      &c.HP,          &c.DmgMax,
                    &c.DmgMin,      &c.Ammo})
        f(*p);
}
template <class R, class F>
void CritterFlags(R& c, F&& f) {
    f(c.AmmoReported), f(c.Placed), f(c.Invisible), f(c.Disabled), f(c.OnGrid);
}
template <class R, class F>
void ObjectInts(R& o, F&& f) {
    for (auto* p : {&o.X, &o.Y, &o.OffsetX, &o.OffsetY, &o.ImageIndex, &o.Frame, &o.Alpha, &o.FrameWidth,
                    &o.FrameHeight, &o.Index})
        f(*p);
}
template <class R, class F>
void ObjectFlags(R& o, F&& f) {
    f(o.PlayOnce), f(o.PendingRemoval), f(o.Invisible), f(o.Disabled);
}

TBitmap Thumbnail(const TBitmap& frame) {
    TBitmap t(ThumbW, ThumbH);
    if (frame.Width() < ThumbW * 10 || frame.Height() < ThumbH * 10) return t;
    for (int y = 0; y < ThumbH; ++y)
        for (int x = 0; x < ThumbW; ++x) {
            uint32_t sum[3] = {};
            for (int dy = 0; dy < 10; ++dy)
                for (int dx = 0; dx < 10; ++dx) {
                    TColor c = frame.Pixel(x * 10 + dx, y * 10 + dy);
                    for (int k = 0; k < 3; ++k) sum[k] += (c >> (8 * k)) & 0xFF;
                }
            t.SetPixel(x, y, TColor(sum[0] / 100 | (sum[1] / 100) << 8 | (sum[2] / 100) << 16));
        }
    return t;
}

// The payload of a save file, once its magic, version, length and check sum are right.
std::string_view SealedPayload(std::string_view bytes) {
    TReader head(bytes);
    if (bytes.size() < 20 || std::memcmp(bytes.data(), Magic, 8) != 0) TReader::Fail("it is not a saved game");
    for (int i = 0; i < 8; ++i) head.U8();
    uint32_t version = head.U32();
    if (version != Version)
        TReader::Fail("it was saved by another version of the game (format " + std::to_string(version) +
                      ", this game reads " + std::to_string(Version) + ")");
    uint32_t size = head.U32(), crc = head.U32();
    if (bytes.size() - 20 != size) TReader::Fail("its length is wrong (cut short or added to)");
    std::string_view payload = bytes.substr(20);
    if (Crc32(payload) != crc) TReader::Fail("its check sum is wrong");
    return payload;
}

TSaveData Parse(std::string_view bytes, bool infoOnly) {
    TReader r(SealedPayload(bytes));
    TSaveData d;
    d.Info.Exists = true;
    d.Info.Location = r.Str("the location's title");
    d.Info.Saved = std::time_t(int64_t(r.U64()));
    d.Info.Thumb.SetSize(ThumbW, ThumbH);
    for (TColor& c : d.Info.Thumb.Data()) c = r.U32() & 0xFFFFFF;
    d.Info.Readable = true;
    if (infoOnly) return d;

    d.Now = r.U32();
    d.FrameCount = r.U64();
    d.Timer.Enabled = r.Bool();
    d.Timer.Started = r.Bool();
    d.Timer.Interval = r.U32();
    d.Timer.SinceLastTick = r.U32();
    d.Timer.SinceSecondStart = r.U32();
    d.Timer.TicksThisSecond = r.I32();
    d.Timer.Fps = r.I32();
    d.Seed = r.U32();
    d.ScreenMode = r.U8();
    if (d.ScreenMode != smGame && d.ScreenMode != smDialog) TReader::Fail("it was not saved during play");
    d.PlayerDead = r.Bool();
    d.DeathTime = r.U32();
    d.View = GetView(r);
    d.Dialog = GetDialog(r);
    d.Menu = GetMenu(r);
    d.Console = r.Strs("the console", MaxLines);
    d.Sounds = r.Strs("the sound log", MaxSounds, MaxPathText);
    for (int32_t& g : d.Globals) g = r.I32();
    d.Pattern = r.Str("the location picture's name");
    d.MapScriptName = r.Str("the location script's name");
    d.Location = r.Str("the location file's name", MaxPathText);
    d.Grid.resize(size_t(MapCols) * MapRows);
    for (TCell& c : d.Grid) {
        c.WalkBlock = r.U8();
        c.ShootBlock = r.U8();
        c.WalkAnim = r.U8();
        c.HitType = r.U8();
        c.Occupant = r.I32();
    }
    d.CritterLabels = r.Strs("the critter list", uint32_t(MapMaxCritters), MaxPathText);
    d.CritterSelected = r.Int("the selected critter", -1);
    d.ObjectLabels = r.Strs("the object list", MaxRecords, MaxPathText);
    d.ObjectSelected = r.Int("the selected object", -1);

    d.Scripts.resize(r.Count(MaxRecords));
    for (auto& s : d.Scripts) s = GetScript(r);
    auto scriptRef = [&](int32_t i) {
        if (i < -1 || i >= int32_t(d.Scripts.size())) TReader::Fail("a script reference is out of range");
        return i;
    };
    d.MapScript = scriptRef(r.I32());

    const uint32_t critters = r.U32();
    if (critters > uint32_t(MapMaxCritters))
        TReader::Fail("it holds more than " + std::to_string(MapMaxCritters) + " critters");
    d.Critters.resize(critters);
    for (auto& c : d.Critters) {
        CritterInts(c, [&](int32_t& v) { v = r.I32(); });
        CritterFlags(c, [&](bool& v) { v = r.Bool(); });
        c.State = r.U8();
        c.AiMode = r.U8();
        c.LastFrameTime = r.U32();
        c.AiTime = r.U32();
        c.PixelX = r.F64();
        c.PixelY = r.F64();
        c.Skin = r.Str("a critter's skin");
        c.ScriptName = r.Str("a critter's script name", ShortStringMax);
        c.Path.resize(r.Count(MaxList));
        for (auto& step : c.Path) step.first = r.I32(), step.second = r.I32();
        c.Script = scriptRef(r.I32());
        if (c.State > csDead) TReader::Fail("a critter's state is unknown");
    }
    d.Objects.resize(r.Count(MaxRecords));
    for (auto& o : d.Objects) {
        ObjectInts(o, [&](int32_t& v) { v = r.I32(); });
        ObjectFlags(o, [&](bool& v) { v = r.Bool(); });
        o.LastFrameTime = r.U32();
        o.ImageName = r.Str("an object's picture name");
        o.ScriptName = r.Str("an object's script name", ShortStringMax);
        o.Script = scriptRef(r.I32());
    }
    d.DrawList.resize(r.Count(MaxRecords * 2));
    for (auto& e : d.DrawList) {
        e.Kind = r.I32();
        e.Index = r.I32();
        bool ok = (e.Kind == KindCritter && e.Index >= 0 && e.Index < int32_t(d.Critters.size())) ||
                  (e.Kind == KindObject && e.Index >= 0 && e.Index < int32_t(d.Objects.size()));
        if (!ok) TReader::Fail("its draw list names a record that is not there");
    }
    if (!r.AtEnd()) TReader::Fail("it has data past its end");
    return d;
}
}  // namespace

std::string SaveFileName(int slot) {
    return slot == 0 ? "quick.sav" : "slot" + std::to_string(slot) + ".sav";
}

uint32_t SaveFormat(std::string_view bytes) {
    if (bytes.size() < 20 || std::memcmp(bytes.data(), Magic, 8) != 0) return 0;
    TReader r(bytes.substr(8));
    return r.U32();
}

std::string LocationTitle(TMainForm& g) {
    std::string name = g.CurrentLocation;
    if (size_t cut = name.find_last_of("\\/"); cut != std::string::npos) name.erase(0, cut + 1);
    if (name.size() > 4 && SameText(name.substr(name.size() - 4), ".map")) name.resize(name.size() - 4);
    const TScriptPtr script = g.World.MapScript;
    if (!script || script->Path.empty()) return name;
    std::shared_ptr<const TScriptFile> file;
    try {
        file = g.Scripts.File(script->Path);
    } catch (const std::exception&) {
        return name;
    }
    if (!file) return name;
    // A title fits the slot's line: at most 60 characters.
    auto fit = [](std::string_view text) { return Utf8Left(Trim(text), 60); };
    if (const TScriptNode* node = file->FindNode("Title"); node && !node->Values.empty() && !Trim(node->Values[0]).empty())
        return fit(node->Values[0]);
    if (const TScriptNode* node = file->FindNode("OnCreate"))
        for (size_t i = 1; i < node->Values.size(); ++i)
            if (SameText(Trim(node->Values[i]), "ADDCONSOLE")) {
                std::string_view text = node->Values[i - 1];
                for (std::string_view end : {". ", "! ", "? "})
                    if (size_t cut = text.find(end); cut != std::string_view::npos) text = text.substr(0, cut);
                if (!Trim(text).empty()) return fit(text);
                break;
            }
    return name;
}

namespace {
// What the save places list shows: the location's title, when, and a small picture of the frame.
void PutSlotInfo(TWriter& w, TMainForm& g, const TBitmap& frame) {
    w.Str(LocationTitle(g));
    w.U64(uint64_t(int64_t(g.Platform.WallTime())));
    const TBitmap thumb = Thumbnail(frame);
    for (TColor c : thumb.Data()) w.U32(c);
}

void PutTimerPhase(TWriter& w, const TFrameTimer::TPhase& t) {
    w.Bool(t.Enabled);
    w.Bool(t.Started);
    w.U32(t.Interval);
    w.U32(t.SinceLastTick);
    w.U32(t.SinceSecondStart);
    w.I32(t.TicksThisSecond);
    w.I32(t.Fps);
}
}  // namespace

std::string SerializeGame(TMainForm& g, const TBitmap& frame) {
    TWriter w;
    PutSlotInfo(w, g, frame);
    w.U32(g.Now());
    w.U64(g.FrameCount);
    // Under the pause menu the world stands at its last frame's tick: the save is that moment, so the
    // loaded game's next frame comes one step after it, as the saving game's does when the menu closes.
    TFrameTimer::TPhase phase = g.DXT.Phase(g.Platform.Clock().Now());
    if (g.GameClock.Held()) phase.SinceSecondStart -= phase.SinceLastTick, phase.SinceLastTick = 0;
    PutTimerPhase(w, phase);
    w.U32(g.Rand.GetSeed());
    w.U8(g.ScreenMode);
    w.Bool(g.PlayerDeadFlag);
    w.U32(g.DeathTime);
    PutView(w, g.View);
    PutDialog(w, g.Dialog);
    PutMenu(w, g.Menu);
    w.Strs(g.ConsoleLines);
    w.Strs(g.DXWL.PlayLog);
    for (int32_t v : g.Scripts.GlobalVars) w.I32(v);
    w.Str(g.World.PatternName);
    w.Str(g.ControlForm.MapScrLabeledEdit);
    w.Str(g.CurrentLocation);
    for (const TCell& c : g.World.Grid.Raw()) {
        w.U8(c.WalkBlock);
        w.U8(c.ShootBlock);
        w.U8(c.WalkAnim);
        w.U8(c.HitType);
        w.I32(c.Occupant);
    }
    w.Strs(g.ControlForm.CritterListBox.Items);
    w.I32(g.ControlForm.CritterListBox.ItemIndex);
    w.Strs(g.ControlForm.ObjectListBox.Items);
    w.I32(g.ControlForm.ObjectListBox.ItemIndex);

    // Scripts in the order their timers are looked at, so ticks due together run in the same order.
    std::vector<TScriptPtr> scripts;
    auto owned = [&](const TScriptPtr& s) {
        if (!s) return false;
        if (s == g.World.MapScript) return true;
        for (const auto& c : g.World.Critters)
            if (c->Script == s) return true;
        for (const auto& o : g.World.Objects)
            if (o->Script == s) return true;
        return false;
    };
    for (const auto& weak : g.Scripts.Registry)
        if (TScriptPtr s = weak.lock();
            s && (s->Alive() || owned(s)) && std::find(scripts.begin(), scripts.end(), s) == scripts.end())
            scripts.push_back(s);
    // Scripts an owner holds that the registry has already let go of.
    auto include = [&](const TScriptPtr& s) {
        if (s && std::find(scripts.begin(), scripts.end(), s) == scripts.end()) scripts.push_back(s);
    };
    include(g.World.MapScript);
    for (const auto& c : g.World.Critters) include(c->Script);
    for (const auto& o : g.World.Objects) include(o->Script);
    auto ref = [&](const TScriptPtr& s) -> int32_t {
        auto it = std::find(scripts.begin(), scripts.end(), s);
        return s && it != scripts.end() ? int32_t(it - scripts.begin()) : -1;
    };
    w.U32(uint32_t(scripts.size()));
    for (const auto& s : scripts) PutScript(w, *s);
    w.I32(ref(g.World.MapScript));

    w.U32(uint32_t(g.World.Critters.size()));
    for (const auto& cp : g.World.Critters) {
        tCritter& c = *cp;
        CritterInts(c, [&](int32_t& v) { w.I32(v); });
        CritterFlags(c, [&](bool& v) { w.Bool(v); });
        w.U8(c.State);
        w.U8(c.AiMode);
        w.U32(c.LastFrameTime);
        w.U32(c.AiTime);
        w.F64(c.PixelX);
        w.F64(c.PixelY);
        w.Str(c.Skin);
        w.Str(c.ScriptName);
        w.U32(uint32_t(c.Path.size()));
        for (const auto& [x, y] : c.Path) w.I32(x), w.I32(y);
        w.I32(ref(c.Script));
    }
    w.U32(uint32_t(g.World.Objects.size()));
    for (const auto& op : g.World.Objects) {
        tObj& o = *op;
        ObjectInts(o, [&](int32_t& v) { w.I32(v); });
        ObjectFlags(o, [&](bool& v) { w.Bool(v); });
        w.U32(o.LastFrameTime);
        w.Str(o.ImageName);
        w.Str(o.ScriptName);
        w.I32(ref(o.Script));
    }
    const std::vector<TDrawEntry> none;
    const auto& entries = g.World.DrawList ? g.World.DrawList->Entries() : none;
    w.U32(uint32_t(entries.size()));
    for (const auto& e : entries) w.I32(e.Kind), w.I32(e.Index);

    return SealSave(w.Out);
}

std::string SealSave(std::string_view payload) {
    TWriter file;
    file.Out.assign(Magic, 8);
    file.U32(Version);
    file.U32(uint32_t(payload.size()));
    file.U32(Crc32(payload));
    return file.Out + std::string(payload);
}

void CheckSave(std::string_view bytes) {
    Parse(bytes, false);
}

TSlotInfo ReadSlotInfo(std::string_view bytes) {
    return Parse(bytes, true).Info;
}

namespace {
// The whole save, checked before anything of the running game changes.
TSaveData ParseForLoad(TMainForm& g, std::string_view bytes, const std::string& name) {
    try {
        TSaveData d = Parse(bytes, false);
        if (!g.Files.Exists("data\\Images\\Locations\\" + d.Pattern + ".bmp"))
            TReader::Fail("its location picture \"" + d.Pattern + "\" is not in the game's data");
        return d;
    } catch (const std::exception& e) {
        throw EGameError("Saved game \"" + name + "\" cannot be loaded: " + e.what());
    }
}

// The saved scripts, registered anew with their stacks, variables and timers.
std::vector<TScriptPtr> RestoreScripts(TMainForm& g, const std::vector<TScriptRecord>& records) {
    std::vector<TScriptPtr> scripts;
    for (const auto& rec : records) {
        TScriptPtr s = g.Scripts.Register(rec.Path, rec.OwnerIndex, rec.OwnerKind);
        s->Stack = rec.Stack;
        s->Locals = rec.Locals;
        s->TimerEnabled = rec.TimerEnabled;
        s->TimerInterval = rec.TimerInterval;
        s->TimerNext = rec.TimerNext;
        s->Destroyed = rec.Destroyed;
        s->Orphaned = rec.Orphaned;
        scripts.push_back(std::move(s));
    }
    return scripts;
}

// The game's own state beside the world: globals, chance, death, dialog, menu and console.
void RestoreGameState(TMainForm& g, const TSaveData& d) {
    g.Scripts.GlobalVars = d.Globals;
    g.Rand.SetSeed(d.Seed);
    g.PlayerDeadFlag = d.PlayerDead;
    g.DeathTime = d.DeathTime;
    g.Dialog = d.Dialog;
    g.Menu = d.Menu;
    g.ConsoleLines = d.Console;
}
}  // namespace

void LoadGameBytes(TMainForm& g, std::string_view bytes, const std::string& name) {
    const TSaveData d = ParseForLoad(g, bytes, name);
    g.Log("Loading saved game " + name);

    // Out with the running game: its records and scripts get no more events.
    bool fromMenu = g.ScreenMode == smMainMenu;
    for (const auto& weak : g.Scripts.Registry)
        if (TScriptPtr s = weak.lock()) g.Scripts.Orphan(s);
    g.World.Reset();
    g.World.MapScript.reset();

    const std::vector<TScriptPtr> scripts = RestoreScripts(g, d.Scripts);
    auto script = [&](int32_t i) { return i >= 0 ? scripts[size_t(i)] : TScriptPtr(); };

    g.World.PatternName = d.Pattern;
    g.ControlForm.MapScrLabeledEdit = d.MapScriptName;
    g.CurrentLocation = d.Location;
    std::copy(d.Grid.begin(), d.Grid.end(), g.World.Grid.Raw().begin());
    g.ControlForm.CritterListBox.Items = d.CritterLabels;
    g.ControlForm.CritterListBox.ItemIndex = d.CritterSelected;
    g.ControlForm.ObjectListBox.Items = d.ObjectLabels;
    g.ControlForm.ObjectListBox.ItemIndex = d.ObjectSelected;

    for (size_t i = 0; i < d.Critters.size(); ++i) {
        const TCritterRecord& r = d.Critters[i];
        auto c = std::make_shared<tCritter>(g.Context, int32_t(i), tCritter::TBlank{});
        TCritterRecord src = r;
        std::vector<int32_t> ints;
        CritterInts(src, [&](int32_t& v) { ints.push_back(v); });
        size_t k = 0;
        CritterInts(*c, [&](int32_t& v) { v = ints[k++]; });
        std::vector<bool> flags;
        CritterFlags(src, [&](bool& v) { flags.push_back(v); });
        k = 0;
        CritterFlags(*c, [&](bool& v) { v = flags[k++]; });
        c->State = r.State;
        c->AiMode = r.AiMode;
        c->LastFrameTime = r.LastFrameTime;
        c->AiTime = r.AiTime;
        c->PixelX = r.PixelX;
        c->PixelY = r.PixelY;
        c->Skin = r.Skin;
        c->ScriptName = r.ScriptName;
        c->Path = r.Path;
        c->Script = script(r.Script);
        g.World.AppendCritter(std::move(c));
    }
    for (size_t i = 0; i < d.Objects.size(); ++i) {
        TObjectRecord r = d.Objects[i];
        auto o = std::make_shared<tObj>(g.Context, int32_t(i), tObj::TBlank{});
        std::vector<int32_t> ints;
        ObjectInts(r, [&](int32_t& v) { ints.push_back(v); });
        size_t k = 0;
        ObjectInts(*o, [&](int32_t& v) { v = ints[k++]; });
        std::vector<bool> flags;
        ObjectFlags(r, [&](bool& v) { flags.push_back(v); });
        k = 0;
        ObjectFlags(*o, [&](bool& v) { v = flags[k++]; });
        o->LastFrameTime = r.LastFrameTime;
        o->ImageName = r.ImageName;
        o->ScriptName = r.ScriptName;
        o->Script = script(r.Script);
        g.World.AppendObject(std::move(o));
    }
    g.World.MapScript = script(d.MapScript);

    RestoreGameState(g, d);

    // The pictures of the location, and from the menu the game's sounds and music, as a new game has them.
    g.ScreenMode = smGame;
    if (!g.World.DrawList) g.World.DrawList = std::make_unique<tObjHandler>(g.Context);
    std::exception_ptr graphicsError;
    try {
        g.ReloadGraphics();
    } catch (const std::exception&) {
        graphicsError = std::current_exception();
    }
    g.World.DrawList->Restore(d.DrawList);
    if (fromMenu) {
        g.StartGameMusic();
    }
    g.ScreenMode = d.ScreenMode;
    g.View = d.View;
    g.DXWL.PlayLog = d.Sounds;
    g.FrameCount = d.FrameCount;
    g.SetGameTime(d.Now);
    g.DXT.SetPhase(d.Timer, g.Platform.Clock().Now());
    if (graphicsError) std::rethrow_exception(graphicsError);
}

bool SaveGameSlot(TMainForm& g, int slot) {
    const tCritter* player = g.World.Critter(0);
    // A dialog is saved with the rest (its portrait, question, answers and the nodes they run), so a
    // loaded game opens in the same conversation.
    if ((g.ScreenMode != smGame && g.ScreenMode != smDialog) || g.PlayerDeadFlag || !player || player->State == csDying || player->State == csDead) {
        g.AddConsole("Сейчас сохраниться нельзя.");
        return false;
    }
    // The line goes in before the game is written, so the loaded game shows it as the saved one did.
    size_t lines = g.ConsoleLines.size();
    g.AddConsole(slot == 0 ? "Игра сохранена." : "Игра сохранена в ячейку " + std::to_string(slot) + ".");
    const TBitmap& frame = g.Pause.IsOpen() ? g.Pause.Frame : g.DXDraw.Pixels();
    try {
        std::string bytes = SerializeGame(g, frame);
        std::error_code ec;
        fs::create_directories(g.Dirs.SaveDir(), ec);
        TFileSystem(g.Dirs.SaveDir()).WriteFileAtomic(SaveFileName(slot), bytes);
    } catch (const std::exception& e) {
        // The player hears it in the console; the reason, with the file's path, goes to the log.
        g.ConsoleLines.resize(std::min(lines, g.ConsoleLines.size()));
        g.RecordError(e);
        g.AddConsole("Игра не сохранена: файл " + SaveFileName(slot) + " не удалось записать. Подробности - в журнале игры.");
        return false;
    }
    g.Log("Saved game " + (g.Dirs.SaveDir() / SaveFileName(slot)).string());
    return true;
}

bool LoadGameSlot(TMainForm& g, int slot) {
    fs::path file = g.Dirs.SaveDir() / SaveFileName(slot);
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) {
        if (g.ScreenMode != smMainMenu) g.AddConsole(slot == 0 ? "Быстрого сохранения нет." : "Эта ячейка пуста.");
        return false;
    }
    std::string bytes;
    try {
        bytes = TFileSystem(g.Dirs.SaveDir()).ReadFile(SaveFileName(slot));
        LoadGameBytes(g, bytes, file.string());
    } catch (const std::exception& e) {
        // The details, with the file's path, go to the log; the player reads why in the game's words.
        g.RecordError(e);
        const uint32_t format = SaveFormat(bytes);
        const std::string why = format != 0 && format != SaveFormatVersion
                                    ? "она сохранена другой версией игры (формат " + std::to_string(format) +
                                          ", эта версия читает формат " + std::to_string(SaveFormatVersion) + ")."
                                    : "файл " + SaveFileName(slot) + " повреждён.";
        // Said over the screen, not in the console: a refused save leaves the running game exactly as it was.
        g.Notice("Игра не загружена: " + why);
        return false;
    }
    g.Notice(slot == 0 ? "Игра загружена." : "Загружена игра из ячейки " + std::to_string(slot) + ".");
    return true;
}
