// The script commands that act on critters and objects. Operands come off
// the stack last pushed first. A critter or object index outside its list
// reads as 0 (GETVICTIM: -1) and changes nothing.
#include "world/RecordCommands.h"

#include "critters/Critter.h"
#include "world/Obj.h"
#include "world/World.h"

namespace {
// A critter command's index operand, popped after the others.
tCritter* PopCritter(TWorldContext& game, TScript& self) {
    return game.World.Critter(self.PopInt());
}

int32_t CritterValue(const tCritter* c, int32_t tCritter::*field, int32_t fallback = 0) {
    return c ? c->*field : fallback;
}
}  // namespace

bool RunRecordCommand(TWorldContext& game, TScript& self, TWorldCommand command) {
    using W = TWorldCommand;
    switch (command) {
        case W::GOTOXY:
        case W::MOVETO:
        case W::FIRE: {
            int32_t y = self.PopInt();
            int32_t x = self.PopInt();
            tCritter* c = PopCritter(game, self);
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
            if (tCritter* c = PopCritter(game, self)) c->StopFiring();
            break;
        case W::STOP:
            if (tCritter* c = PopCritter(game, self)) c->Stop();
            break;
        case W::MAKEDEAD:
            if (tCritter* c = PopCritter(game, self)) {
                c->SetAnimation(csDying);
                c->State = csDead;
                c->DrawKeyChanged();
            }
            break;

        case W::GETX:
        case W::GETY: {
            int32_t i = self.PopInt();
            bool critter = self.PopText() == "0";
            int32_t v = 0;
            if (critter) {
                if (const tCritter* c = game.World.Critter(i)) v = command == W::GETX ? c->X : c->Y;
            } else if (const tObj* o = game.World.Object(i)) {
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
                if (tCritter* c = game.World.Critter(i)) c->Disabled = disabled;
            } else if (tObj* o = game.World.Object(i)) {
                o->Disabled = disabled;
            }
            break;
        }

        case W::GETHP:
            self.PushInt(CritterValue(PopCritter(game, self), &tCritter::HP));
            break;
        case W::GETAMMO:
            self.PushInt(CritterValue(PopCritter(game, self), &tCritter::Ammo));
            break;
        case W::GETDIR:
            self.PushInt(CritterValue(PopCritter(game, self), &tCritter::Direction));
            break;
        case W::GETVICTIM:
            self.PushInt(CritterValue(PopCritter(game, self), &tCritter::Victim, -1));
            break;
        case W::GETVIS: {
            const tCritter* c = PopCritter(game, self);
            self.PushInt(c && c->Invisible ? 1 : 0);
            break;
        }
        case W::SETHP:
        case W::SETAMMO:
        case W::SETDIR:
        case W::SETVICTIM:
        case W::SETVIS: {
            int32_t v = self.PopInt();
            tCritter* c = PopCritter(game, self);
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

        default:
            return false;
    }
    return true;
}
