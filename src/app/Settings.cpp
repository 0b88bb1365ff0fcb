#include "app/Settings.h"

#include <fstream>
#include <sstream>

#include "base/Errors.h"
#include "base/FileSystem.h"
#include "base/Text.h"

namespace fs = std::filesystem;

namespace {
constexpr const char* ScalingNames[] = {"smooth", "integer", "stretch"};

bool ParseBool(const std::string& v, bool& out) {
    if (v == "1" || v == "true" || v == "yes" || v == "on") return out = true, true;
    if (v == "0" || v == "false" || v == "no" || v == "off") return out = false, true;
    return false;
}
}  // namespace

const char* ScalingName(TScaling s) {
    return ScalingNames[size_t(s) < 3 ? size_t(s) : 0];
}

std::string SerializeSettings(const TSettings& s) {
    std::ostringstream o;
    o << "; Rustwake settings, written by the game.\n"
      << "[Display]\n"
      << "FullScreen=" << (s.FullScreen ? 1 : 0) << "\n"
      << "Scaling=" << ScalingName(s.Scaling) << "\n"
      << "\n[Sound]\n"
      << "MusicVolume=" << s.MusicVolume << "\n"
      << "EffectsVolume=" << s.EffectsVolume << "\n"
      << "Mute=" << (s.Mute ? 1 : 0) << "\n"
      << "MuteUnfocused=" << (s.MuteUnfocused ? 1 : 0) << "\n"
      << "\n[Control]\n"
      << "EdgeScroll=" << (s.EdgeScroll ? 1 : 0) << "\n"
      << "\n[Diagnostics]\n"
      << "Log=" << (s.DebugLog ? "debug" : "info") << "\n";
    return o.str();
}

TSettings ParseSettings(std::string_view text) {
    TSettings s;
    std::istringstream in{std::string(text)};
    std::string raw, section;
    int lineNo = 0;
    while (std::getline(in, raw)) {
        ++lineNo;
        auto fail = [&](const std::string& why) { throw EGameError("line " + std::to_string(lineNo) + ": " + why); };
        std::string line = Trim(raw);
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line.front() == '[') {
            if (line.back() != ']') fail("unclosed section name");
            section = LowerCase(Trim(line.substr(1, line.size() - 2)));
            continue;
        }
        size_t eq = line.find('=');
        if (eq == std::string::npos) fail("not a key=value line");
        std::string key = LowerCase(Trim(line.substr(0, eq)));
        std::string value = LowerCase(Trim(line.substr(eq + 1)));
        auto flag = [&](bool& field) {
            if (!ParseBool(value, field)) fail("'" + value + "' is not 0 or 1");
        };
        auto volume = [&](int32_t& field) {
            auto n = TryStrToInt(value);
            if (!n || *n < 0 || *n > 100) fail("'" + value + "' is not a volume 0..100");
            field = *n;
        };
        std::string id = section + "." + key;
        if (id == "display.fullscreen")
            flag(s.FullScreen);
        else if (id == "display.scaling") {
            bool known = false;
            for (int i = 0; i < 3; ++i)
                if (value == ScalingNames[i]) s.Scaling = TScaling(i), known = true;
            if (!known) fail("unknown scaling '" + value + "'");
        } else if (id == "sound.musicvolume")
            volume(s.MusicVolume);
        else if (id == "sound.effectsvolume")
            volume(s.EffectsVolume);
        else if (id == "sound.mute")
            flag(s.Mute);
        else if (id == "sound.muteunfocused")
            flag(s.MuteUnfocused);
        else if (id == "control.edgescroll")
            flag(s.EdgeScroll);
        else if (id == "diagnostics.log") {
            if (value != "debug" && value != "info") fail("unknown log level '" + value + "', debug or info");
            s.DebugLog = value == "debug";
        }
    }
    return s;
}

TSettings TSettingsFile::Load(std::string& problem) const {
    problem.clear();
    std::error_code ec;
    if (!fs::exists(Path, ec)) return {};
    std::ifstream in(Path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    try {
        if (!in) throw EGameError("cannot be read");
        return ParseSettings(ss.str());
    } catch (const std::exception& e) {
        problem = "Settings file \"" + Path.string() + "\" is damaged (" + e.what() + "); default settings are used";
    }
    try {
        Save({});
    } catch (const std::exception& e) {
        problem += std::string("; ") + e.what();
    }
    return {};
}

void TSettingsFile::Save(const TSettings& s) const {
    std::error_code ec;
    fs::create_directories(Path.parent_path(), ec);
    TFileSystem(Path.parent_path()).WriteFileAtomic(Path.filename().string(), SerializeSettings(s));
}
