// The dialog window: a portrait, a wrapped question and answers to click.
#include "app/MainForm.h"
#include "critters/Critter.h"
#include "world/Obj.h"

namespace {
const std::string BulletMarker = "\\n";
const TFontSpec DialogFont{"Tahoma", 9, true, false, 0};
}  // namespace

void TMainForm::AddQuestion(const std::string& text) { Dialog.Question = WrapText(text, DialogFont, 300, true); }

void TMainForm::renderDialog() {
    TSurface& s = DXDraw;
    s.Font = DialogFont;
    s.BrushStyle = TBrushStyle::Clear;
    for (size_t i = 0; i < Dialog.Question.size(); ++i) {
        std::string line = Dialog.Question[i];
        if (size_t m = line.find(BulletMarker); m != std::string::npos) line.erase(m, BulletMarker.size());
        int y = 116 + 16 * int(i);
        s.Font.Color = 0x002200;
        s.TextOut(418, y, line);
        s.Font.Color = 0x00CC00;
        s.TextOut(415, y, line);
    }
    for (size_t j = 0; j < Dialog.Answers.size(); ++j) {
        int dy = 16 * int(j);
        TColor colour = int(j) == Dialog.Hovered ? 0x00FF00 : 0x00AA00;
        s.BrushStyle = TBrushStyle::Solid;
        s.PenColor = s.BrushColor = 0x002200;
        s.Ellipse(402, 354 + dy, 408, 360 + dy);
        s.PenColor = s.BrushColor = colour;
        s.Ellipse(400, 352 + dy, 406, 358 + dy);
        s.BrushStyle = TBrushStyle::Clear;
        s.Font.Color = 0x002200;
        s.TextOut(412, 346 + dy, Dialog.Answers[j]);
        s.Font.Color = colour;
        s.TextOut(410, 346 + dy, Dialog.Answers[j]);
    }
    s.Release();
}

void TMainForm::DialogMouseMove(int x, int y) {
    if (Dialog.FadeRunning) return;
    View.MouseX = x;
    View.MouseY = y;
    if (View.LeftHeld) return;
    Dialog.Hovered = -1;
    for (size_t j = 0; j < Dialog.Answers.size(); ++j) {
        TSize ext = Fonts.TextExtent(DialogFont, Dialog.Answers[j]);
        int top = 346 + 16 * int(j);
        if (x >= 402 && x < 412 + ext.Cx && y >= top && y < top + ext.Cy) Dialog.Hovered = int(j);
    }
}

void TMainForm::DialogMouseDown(int button, int, int) {
    if (!Dialog.FadeRunning && button == mbLeft) View.LeftHeld = true;
}

void TMainForm::DialogMouseUp(int button, int, int) {
    if (Dialog.FadeRunning || button != mbLeft || !View.LeftHeld) return;
    View.LeftHeld = false;
    int j = Dialog.Hovered;
    if (j < 0 || size_t(j) >= Dialog.Answers.size() || size_t(j) >= Dialog.AnswerNodes.size()) return;
    std::string node = Dialog.AnswerNodes[size_t(j)];
    // The map script owns no record that could answer; such answers choose nothing.
    TScriptPtr script;
    if (Dialog.OwnerKind == OwnerObject) {
        if (tObj* o = World.Object(Dialog.OwnerIndex)) script = o->Script;
    } else if (Dialog.OwnerKind == OwnerCritter) {
        if (tCritter* c = World.Critter(Dialog.OwnerIndex)) script = c->Script;
    }
    if (script && script->Alive()) script->Execute(node);
}
