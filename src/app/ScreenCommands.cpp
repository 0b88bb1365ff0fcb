// The script commands that act on the world and the screens. Operands come
// off the stack last pushed first. A critter or object index outside its
// list reads as 0 (GETVICTIM: -1) and changes nothing.
#include "app/MainForm.h"
#include "critters/Critter.h"
#include "world/Obj.h"

namespace {
// A critter command's index operand, popped after the others.
tCritter* PopCritter(TMainForm& game, TScript& self) {
    return game.World.Critter(self.PopInt());
}

int32_t CritterValue(const tCritter* c, int32_t tCritter::*field, int32_t fallback = 0) {
    return c ? c->*field : fallback;
}
}  // namespace

bool TMainForm::RunWorldCommand(TScript& self, TWorldCommand command) {
    using W = TWorldCommand;
    switch (command) {
        case W::GOTOXY:
        case W::MOVETO:
        case W::FIRE: {
            int32_t y = self.PopInt();
            int32_t x = self.PopInt();
            tCritter* c = PopCritter(*this, self);
            if (!c) break;
            if (command == W::GOTOXY)
                c->WalkTo(x, y);
            else if (command == W::MOVETO)
                c->SetPosition(x, y);
            else
                c->Fire(x, y);
            break;
        }
        case W::STOPFIRE:
            if (tCritter* c = PopCritter(*this, self)) c->StopFiring();
            break;
        case W::STOP:
            if (tCritter* c = PopCritter(*this, self)) c->Stop();
            break;
        case W::MAKEDEAD:
            if (tCritter* c = PopCritter(*this, self)) {
                c->SetAnimation(csDying);
                c->State = csDead;
            }
            break;

        case W::GETX:
        case W::GETY: {
            int32_t i = self.PopInt();
            bool critter = self.PopText() == "0";
            int32_t v = 0;
            if (critter) {
                if (const tCritter* c = World.Critter(i)) v = command == W::GETX ? c->X : c->Y;
            } else if (const tObj* o = World.Object(i)) {
                v = command == W::GETX ? o->X : o->Y;
            }
            self.PushInt(v);
            break;
        }
        case W::DISABLE: {
            bool disabled = self.PopInt() == 1;
            int32_t i = self.PopInt();
            bool critter = self.PopText() == "0";
            if (critter) {
                if (tCritter* c = World.Critter(i)) c->Disabled = disabled;
            } else if (tObj* o = World.Object(i)) {
                o->Disabled = disabled;
            }
            break;
        }

        case W::GETHP:
            self.PushInt(CritterValue(PopCritter(*this, self), &tCritter::HP));
            break;
        case W::GETAMMO:
            self.PushInt(CritterValue(PopCritter(*this, self), &tCritter::Ammo));
            break;
        case W::GETDIR:
            self.PushInt(CritterValue(PopCritter(*this, self), &tCritter::Direction));
            break;
        case W::GETVICTIM:
            self.PushInt(CritterValue(PopCritter(*this, self), &tCritter::Victim, -1));
            break;
        case W::GETVIS: {
            const tCritter* c = PopCritter(*this, self);
            self.PushInt(c && c->Invisible ? 1 : 0);
            break;
        }
        case W::SETHP:
        case W::SETAMMO:
        case W::SETDIR:
        case W::SETVICTIM:
        case W::SETVIS: {
            int32_t v = self.PopInt();
            tCritter* c = PopCritter(*this, self);
            if (!c) break;
            if (command == W::SETHP)
                c->HP = v;
            else if (command == W::SETAMMO)
                c->Ammo = v;
            else if (command == W::SETDIR)
                c->SetDirection(v);
            else if (command == W::SETVICTIM)
                c->SetVictim(v);
            else
                c->Invisible = v == 0;
            break;
        }

        case W::LOADMAP:
            LoadMap("data\\locations\\" + self.PopText() + ".map");
            break;
        case W::SETSCROLL: {
            int32_t y = self.PopInt();
            View.ScrollX = self.PopInt();
            View.ScrollY = y;
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
    }
    return false;
}
