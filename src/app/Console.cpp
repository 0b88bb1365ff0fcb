// The message console in the interface panel.
#include <algorithm>

#include "app/MainForm.h"
#include "critters/Critter.h"

namespace {
const std::string BulletMarker = "\\n";
const TFontSpec ConsoleFont{"Tahoma", 8, true, false, 0};
}  // namespace

std::vector<std::string> TMainForm::WrapText(const std::string& text, const TFontSpec& font, int limit, bool keepSpace) {
    // A line is cut at the last space that makes it fit, or at its first space
    // when none does (a word wider than the limit stays whole). Widths add up,
    // so a line's width is a difference of prefix widths and, as they never
    // shrink, the space that fits is found by walking forward once over the text.
    const std::vector<int64_t> widths = Fonts.PrefixWidths(font, text);
    auto tooWide = [&](size_t from, size_t to) {
        const int64_t w = widths[to] - widths[from];
        return keepSpace ? w >= limit : w > limit;
    };
    std::vector<size_t> spaces;
    for (size_t i = text.find(' '); i != std::string::npos; i = text.find(' ', i + 1)) spaces.push_back(i);

    std::vector<std::string> lines;
    size_t start = 0, next = 0;  // next: the first space at or after start
    for (bool first = true;; first = false) {
        size_t end = text.size();
        // The question keeps the space that begins a continued line; it is no place to break.
        size_t p = next;
        if (keepSpace && p < spaces.size() && spaces[p] == start) ++p;
        if (tooWide(start, end) && p < spaces.size()) {
            while (p + 1 < spaces.size() && !tooWide(start, spaces[p + 1])) ++p;
            end = spaces[p];
        }
        lines.push_back(first ? BulletMarker + text.substr(start, end - start) : text.substr(start, end - start));
        if (end == text.size()) break;
        // The console drops the space at the break; the question's next line begins with it.
        start = keepSpace ? end : end + 1;
        next = p + (keepSpace ? 0 : 1);
    }
    return lines;
}

void TMainForm::AddConsole(const std::string& text) {
    DXWL.Play("Console");
    ConsoleNote(text);
}

void TMainForm::ConsoleNote(const std::string& text) {
    for (auto& line : WrapText(text, ConsoleFont, 190, false)) ConsoleLines.push_back(std::move(line));
    // Only the newest seven lines are ever drawn again.
    if (ConsoleLines.size() > 1000) ConsoleLines.erase(ConsoleLines.begin(), ConsoleLines.end() - 100);
}

void TMainForm::RenderConsole() {
    TSurface& s = DXDraw;
    s.BrushStyle = TBrushStyle::Clear;
    s.Font = ConsoleFont;
    const tCritter* player = World.Critter(0);
    // A killing blow takes the hit points below zero; the panel shows the dead player's as 0.
    std::string status = "HP: " + std::to_string(player ? std::max(player->HP, 0) : 0) + "/AM: " +
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
