// The script commands that act on the screens: travel, the view, the
// console, sounds, the dialog and the credits. Those that act on critters
// and objects are the world's.
#include "app/MainForm.h"
#include "base/FileSystem.h"
#include "base/SafeMath.h"
#include "world/RecordCommands.h"

bool TMainForm::RunWorldCommand(TScript& self, TWorldCommand command) {
    if (RunRecordCommand(Context, self, command)) return false;
    using W = TWorldCommand;
    switch (command) {
        case W::LOADMAP: {
            std::string path = "data\\locations\\" + self.PopText() + ".map";
            CheckDataPath(path);
            LoadMap(path);
            break;
        }
        case W::SETSCROLL: {
            // Unclamped, as the frame brings it back on screen; only held where sums with it cannot overflow.
            int32_t y = self.PopInt();
            View.ScrollX = ClampScreen(int64_t(self.PopInt()));
            View.ScrollY = ClampScreen(int64_t(y));
            break;
        }
        case W::ADDCONSOLE:
            AddConsole(self.PopText());
            break;
        case W::PLAYSOUND:
            DXWL.Play(self.PopText());
            break;

        // The dialog opens and closes over the game screen only; a timer of a
        // left game ticking in the main menu must not switch the menu away.
        case W::STARTDIALOG: {
            std::string head = self.PopText();
            if (ScreenMode == smMainMenu) break;
            Dialog.CurrentHead = head;
            Dialog.OwnerIndex = self.OwnerIndex;
            Dialog.OwnerKind = self.OwnerKind;
            ScreenMode = smDialog;
            Dialog.Hovered = -1;
            Dialog.FadeRunning = false;
            break;
        }
        case W::QUESTION:
            AddQuestion(self.PopText());
            Dialog.Answers.clear();
            Dialog.AnswerNodes.clear();
            break;
        case W::ANSWER: {
            std::string node = self.PopText();
            Dialog.Answers.push_back(self.PopText());
            Dialog.AnswerNodes.push_back(std::move(node));
            break;
        }
        case W::ENDDIALOG:
            if (ScreenMode == smDialog) ScreenMode = smGame;
            break;
        case W::CHANGEHEAD: {
            int32_t duration = self.PopInt();
            Dialog.PreviousHead = Dialog.CurrentHead;
            Dialog.NewHead = self.PopText();
            Dialog.FadeDuration = duration;
            Dialog.FadeStart = Now();
            Dialog.FadeRunning = true;
            break;
        }
        case W::SHOWCREDITS:
            ShowCredits();
            return true;
        default:
            break;
    }
    return false;
}
