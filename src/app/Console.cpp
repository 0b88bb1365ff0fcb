// The message console in the interface panel.
#include "app/MainForm.h"
#include "critters/Critter.h"

namespace {
const std::string BulletMarker = "\\n";
const TFontSpec ConsoleFont{"Tahoma", 8, true, false, 0};
}  // namespace

std::vector<std::string> TMainForm::WrapText(const std::string& text, const TFontSpec& font, int limit, bool keepSpace) {
    std::vector<std::string> lines;
    auto tooWide = [&](const std::string& line) {
        int w = Fonts.TextExtent(font, line).Cx;
        return keepSpace ? w >= limit : w > limit;
    };
    // A line may be broken at a space; for the question, not at the space
    // that begins a continued line.
    auto breakable = [&](const std::string& line) {
        size_t pos = line.rfind(' ');
        return pos != std::string::npos && !(keepSpace && pos == 0);
    };
    std::string rest = text;
    bool first = true;
    for (;;) {
        std::string line = rest;
        size_t cut = 0;
        while (tooWide(line) && breakable(line)) {
            size_t space = line.rfind(' ');
            size_t wordLen = line.size() - space - 1;
            line.erase(space);
            cut += wordLen + 1;
        }
        lines.push_back(first ? BulletMarker + line : line);
        if (cut == 0) break;
        size_t keep = keepSpace ? cut : cut - 1;
        rest = text.substr(text.size() - keep);
        first = false;
    }
    return lines;
}

void TMainForm::AddConsole(const std::string& text) {
    DXWL.Play("Console");
    for (auto& line : WrapText(text, ConsoleFont, 190, false)) ConsoleLines.push_back(std::move(line));
    // Only the newest seven lines are ever drawn again.
    if (ConsoleLines.size() > 1000) ConsoleLines.erase(ConsoleLines.begin(), ConsoleLines.end() - 100);
}

void TMainForm::RenderConsole() {
    TSurface& s = DXDraw;
    s.BrushStyle = TBrushStyle::Clear;
    s.Font = ConsoleFont;
    const tCritter* player = World.Critter(0);
    std::string status = "HP: " + std::to_string(player ? player->HP : 0) + "/AM: " +
                         std::to_string(player ? player->Ammo : 0);
    s.Font.Color = 0x002200;
    s.TextOut(30, 446, status);
    s.Font.Color = 0x00CC00;
    s.TextOut(28, 444, status);
    int count = int(ConsoleLines.size());
    for (int i = 0; i < 7 && i < count; ++i) {
        std::string line = ConsoleLines[size_t(count - 1 - i)];
        size_t marker = line.find(BulletMarker);
        bool bullet = marker != std::string::npos;
        if (bullet) line.erase(marker, BulletMarker.size());
        s.BrushStyle = TBrushStyle::Clear;
        s.Font.Color = 0x002200;
        s.TextOut(37, 570 - 14 * i, line);
        s.Font.Color = 0x00CC00;
        s.TextOut(35, 568 - 14 * i, line);
        if (bullet) {
            s.BrushStyle = TBrushStyle::Solid;
            s.PenColor = s.BrushColor = 0x002200;
            s.Ellipse(27, 574 - 14 * i, 33, 580 - 14 * i);
            s.PenColor = s.BrushColor = 0x00CC00;
            s.Ellipse(25, 572 - 14 * i, 31, 578 - 14 * i);
        }
    }
    s.Release();
}
