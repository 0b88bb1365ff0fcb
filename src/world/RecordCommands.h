#pragma once
#include "script/Script.h"
#include "world/WorldContext.h"

// Runs a script command that acts on critters and objects (GOTOXY, GETHP,
// DISABLE ...) for `self`. False when the command is not one of them.
bool RunRecordCommand(TWorldContext& game, TScript& self, TWorldCommand command);
