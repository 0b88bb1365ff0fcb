// Word wrapping of the console and the dialog question against the literal
// drop-the-last-word loop.
#include <gtest/gtest.h>

#include "base/Random.h"
#include "support/TestGame.h"

namespace {

// The wrap as first written: drop the last word while the line is too wide.
std::vector<std::string> LiteralWrap(TFontEngine& fonts, const std::string& text, const TFontSpec& font, int limit,
                                     bool keepSpace) {
    std::vector<std::string> lines;
    auto tooWide = [&](const std::string& line) {
        int w = fonts.TextExtent(font, line).Cx;
        return keepSpace ? w >= limit : w > limit;
    };
    auto breakable = [&](const std::string& line) {
        size_t pos = line.rfind(' ');
        return pos != std::string::npos && !(keepSpace && pos == 0);
    };
    std::string rest = text;
    for (bool first = true;; first = false) {
        std::string line = rest;
        size_t cut = 0;
        while (tooWide(line) && breakable(line)) {
            size_t space = line.rfind(' ');
            cut += line.size() - space;
            line.erase(space);
        }
        lines.push_back(first ? "\\n" + line : line);
        if (cut == 0) break;
        rest = text.substr(text.size() - (keepSpace ? cut : cut - 1));
    }
    return lines;
}

// Words of Latin and Cyrillic letters, now and then a very long one, separated by one to three spaces, with
// spaces at either end at times and a stray byte that is no UTF-8.
std::string RandomText(TRandom& random) {
    static const char* const pieces[] = {"a", "W", "i", "Ж", "ю", "9", ".", "\xD0", "щ"};
    std::string text;
    const int words = random.Random(60);
    if (random.Random(5) == 0) text += ' ';
    for (int w = 0; w < words; ++w) {
        if (w > 0) text.append(size_t(1 + (random.Random(6) == 0 ? random.Random(3) : 0)), ' ');
        const int length = random.Random(8) == 0 ? 20 + random.Random(40) : 1 + random.Random(9);
        for (int c = 0; c < length; ++c) text += pieces[random.Random(random.Random(20) == 0 ? 9 : 7)];
    }
    if (random.Random(5) == 0) text += ' ';
    return text;
}

class Wrap : public TDebugGameTest {};

}  // namespace

TEST_F(Wrap, GivesTheLiteralLinesForRandomTextsWidthsAndBothModes) {
    TRandom random(11);
    for (int round = 0; round < 100; ++round) {
        const std::string text = RandomText(random);
        const bool keepSpace = round % 2 == 1;
        const TFontSpec font{"Tahoma", keepSpace ? 9 : 8, true, false, 0};
        // The game's own widths, and narrow and odd ones that make many breaks.
        const int limits[] = {190, 300, random.Random(120), 0};
        for (int limit : limits)
            ASSERT_EQ(Game().WrapText(text, font, limit, keepSpace), LiteralWrap(Game().Fonts, text, font, limit, keepSpace))
                << "text '" << text << "' limit " << limit << (keepSpace ? " question" : " console");
    }
}
