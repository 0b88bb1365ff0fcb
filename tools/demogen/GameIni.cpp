// game.ini and the three list files, written from the catalogue.
#include <string>

#include "Catalogue.h"
#include "DemoGen.h"

namespace demogen {

namespace {

std::string Line(std::string_view key, std::string_view value) {
    return std::string(key) + "=" + std::string(value) + "\n";
}
std::string Line(std::string_view key, int value) {
    return Line(key, std::to_string(value));
}

template <class List>
std::string ListFile(const List& names) {
    std::string s;
    for (auto& n : names) s += std::string(n) + "\n";
    return s;
}

}  // namespace

void WriteGameIni(const TOutput& out) {
    std::string s;
    s += "; Rustwake — демонстрационные данные (создано rustwake-demogen)\n";
    s += "[Main]\n";
    s += Line("Sounds", int(GeneralSounds.size()));
    s += Line("Heads", int(Heads.size()));
    int special = 0;
    for (auto& o : Objects) special += !o.Effect.empty();
    s += Line("SpecialObjects", special);
    s += Line("CritterSkin", int(Skins.size()));
    s += Line("HitTypes", int(HitTypes.size()));

    s += "\n[Sounds]\n";
    for (size_t k = 0; k < GeneralSounds.size(); ++k) s += Line("Sound" + std::to_string(k), GeneralSounds[k]);
    s += "\n[Heads]\n";
    for (size_t k = 0; k < Heads.size(); ++k) s += Line("Head" + std::to_string(k), Heads[k]);
    s += "\n[CritterSkin]\n";
    for (size_t k = 0; k < Skins.size(); ++k) s += Line("Skin" + std::to_string(k), Skins[k]);
    s += "\n[HitTypes]\n";
    for (size_t k = 0; k < HitTypes.size(); ++k) s += Line("Type" + std::to_string(k), HitTypes[k].Name);
    for (auto& h : HitTypes) {
        s += "\n[" + std::string(h.Name) + "]\n";
        s += Line("sound", h.Sound);
        s += Line("image", h.Image);
    }

    for (auto& skin : Skins)
        for (auto& set : AnimSets) {
            s += "\n[" + std::string(skin) + "_" + std::string(set.State) + "]\n";
            s += Line("Width", set.Width);
            s += Line("Height", set.Height);
            s += Line("Frames", set.Frames);
            s += Line("OffX", set.OffX);
            s += Line("OffY", set.OffY);
        }

    int k = 0;
    for (auto& o : Objects) {
        if (o.Effect.empty()) continue;
        s += "\n[Object" + std::to_string(k++) + "]\n";
        s += Line("name", o.Name);
        s += Line("effect", o.Effect);
        s += Line("PatternWidth", o.PatternWidth);
        s += Line("PatternHeight", o.PatternHeight);
        s += Line("Value", o.Value);
    }
    out.WriteText("data/data/game.ini", s);

    std::string critters;
    for (auto& skin : Skins)
        for (auto& set : AnimSets) {
            const std::string name = std::string(skin) + "_" + std::string(set.State);
            critters += name + "\n" + name + "_shadow\n";
        }
    out.WriteText("data/Images/Critters/Critters.lst", critters);

    std::string objects;
    for (auto& o : Objects) objects += std::string(o.Name) + "\n";
    out.WriteText("data/Images/Objects/Objects.lst", objects);
    out.WriteText("data/Images/Locations/Locations.lst", ListFile(LocationPatterns));
}

}  // namespace demogen
