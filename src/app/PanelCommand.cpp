// The headless input's panel lines: the panel operated by name, as a person
// would with the mouse and keyboard.
#include <algorithm>
#include <sstream>

#include "app/MainForm.h"
#include "base/Errors.h"
#include "base/Text.h"

namespace {
std::string RestOf(std::istringstream& words) {
    std::string rest;
    std::getline(words, rest);
    // One blank separates the value; the value itself may have more.
    if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
    return rest;
}

int Number(const std::string& word, const std::string& what) {
    auto n = TryStrToInt(word);
    if (!n) throw EGameError("panel: " + what + " needs a number, not \"" + word + "\"");
    return *n;
}

// FILE of an open or save line: below the game's folder, or absolute.
std::string ChooseFile(TControlForm& form, TFileDialog& dialog, const std::string& name) {
    if (name.empty()) throw EGameError("panel: which file?");
    TFileDialog::TOutcome outcome = dialog.Decide(form.Files.Root(), name);
    // A person asked whether to create the new file answers yes.
    if (outcome == TFileDialog::TOutcome::Confirm) outcome = dialog.Confirm(true);
    if (outcome != TFileDialog::TOutcome::Chosen) {
        std::string why = dialog.Message.empty() ? "\"" + name + "\" is a folder" : dialog.Message;
        for (char& c : why)
            if (c == '\n') c = ' ';
        throw EGameError("panel: " + why);
    }
    return dialog.Result.string();
}
// The lines of the editor's arranging tools: a new location, test play,
// the rubber band and what it selected. False for any other verb.
bool WorkbenchCommand(TMainForm& game, const std::string& verb, std::istringstream& words) {
    TControlForm& form = game.ControlForm;
    if (verb == "new") {
        // The dialog of "Новая": the pattern chosen, OK pressed, and a
        // question about unsaved changes answered yes.
        std::string pattern = Trim(RestOf(words));
        if (!form.NewDialogShown) form.NewMenuClick();
        if (!pattern.empty()) {
            auto& items = form.NewPatternComboBox.Items;
            auto it = std::find(items.begin(), items.end(), pattern);
            if (it == items.end()) throw EGameError("panel: no pattern \"" + pattern + "\"");
            form.NewPatternComboBox.ItemIndex = int(it - items.begin());
        }
        form.NewMapAccept();
    } else if (verb == "play") {
        // On the tile given, or the pointer's.
        std::string x, y;
        words >> x >> y;
        if (x.empty())
            form.PlayFromHere(game.View.HoverTileX, game.View.HoverTileY);
        else
            form.PlayFromHere(Number(x, "play"), Number(y, "play"));
    } else if (verb == "band") {
        // The rubber band from one tile to another.
        std::string x0, y0, x1, y1;
        words >> x0 >> y0 >> x1 >> y1;
        form.SelectRect(Number(x0, "band"), Number(y0, "band"), Number(x1, "band"), Number(y1, "band"));
    } else if (verb == "paste") {
        std::string x, y;
        words >> x >> y;
        form.PasteAt(Number(x, "paste"), Number(y, "paste"));
    } else if (verb == "shift") {
        std::string dx, dy;
        words >> dx >> dy;
        form.MoveSelection(Number(dx, "shift"), Number(dy, "shift"));
    } else if (verb == "delete") {
        form.DeleteSelection();
    } else if (verb == "copy") {
        form.CopySelection();
    } else if (verb == "duplicate") {
        form.DuplicateSelection();
    } else if (verb == "stop") {
        form.StopPlay();
    } else if (verb == "restart") {
        form.RestartLocation();
    } else {
        return false;
    }
    return true;
}
}  // namespace

void TMainForm::PanelCommand(const std::string& args) {
    TControlForm& form = ControlForm;
    std::istringstream words(args);
    std::string verb;
    words >> verb;
    if (verb == "page") {
        std::string name;
        words >> name;
        for (int i = 0; i < 4; ++i)
            if (name == PanelPageNames[i]) {
                form.ActivePage = i;
                return;
            }
        throw EGameError("panel: no page \"" + name + "\" (General, Brush, Critter or Objects)");
    }
    if (verb == "select") {
        std::string list, index;
        words >> list >> index;
        int i = Number(index, "select");
        TListControl* box = list == "critter" ? &form.CritterListBox : list == "object" ? &form.ObjectListBox : nullptr;
        if (!box) throw EGameError("panel: select critter N or select object N, not \"" + list + "\"");
        if (i < 0 || size_t(i) >= box->Items.size())
            throw EGameError("panel: there is no " + list + " " + std::to_string(i));
        box->ItemIndex = i;
        if (box == &form.CritterListBox)
            form.CritterListBoxClick();
        else
            form.ObjectListBoxClick();
        return;
    }
    if (verb == "set") {
        std::string control;
        words >> control;
        form.SetControl(control, RestOf(words));
        return;
    }
    if (verb == "click") {
        std::string button;
        words >> button;
        auto enabled = [&](bool on) {
            if (!on) throw EGameError("panel: " + button + " is disabled");
        };
        if (button == "ApplyButton") {
            form.ApplyButtonClick();
        } else if (button == "DelCritterButton") {
            enabled(form.DelCritterButtonEnabled);
            form.DelCritterButtonClick();
        } else if (button == "OApplyButton") {
            form.OApplyButtonClick();
        } else if (button == "ODeleteButton") {
            enabled(form.ODeleteButtonEnabled);
            form.ODeleteButtonClick();
        } else if (button == "LoadPatternButton") {
            form.LoadPatternButtonClick();
        } else {
            throw EGameError("panel: no button \"" + button + "\"");
        }
        return;
    }
    if (verb == "key") {
        std::string list, key;
        words >> list >> key;
        int vk = Number(key, "key");
        if (list == "CritterListBox")
            form.CritterListBoxKeyDown(vk);
        else if (list == "ObjectListBox")
            form.ObjectListBoxKeyDown(vk);
        else
            throw EGameError("panel: key goes to CritterListBox or ObjectListBox, not \"" + list + "\"");
        return;
    }
    if (verb == "open") {
        form.OpenMapFile(ChooseFile(form, form.OpenDialog, Trim(RestOf(words))));
        return;
    }
    if (verb == "save") {
        form.SaveMapFile(ChooseFile(form, form.SaveDialog, Trim(RestOf(words))));
        return;
    }
    if (WorkbenchCommand(*this, verb, words)) return;
    if (InspectorCommand(verb, words)) return;
    if (verb == "undo") return form.Undo();
    if (verb == "redo") return form.Redo();
    if (verb == "menu") {
        // The menu entries; the dialogs they show wait for open and save lines.
        std::string item;
        words >> item;
        if (item == "New") return form.NewMenuClick();
        if (item == "Load") return form.LoadPatternClick();
        if (item == "Save") return form.SaveMenuClick();
        if (item == "Exit") return form.ExitMenuClick();
        throw EGameError("panel: the menu has New, Load, Save and Exit, not \"" + item + "\"");
    }
    throw EGameError("panel: unknown command \"" + args + "\"");
}
