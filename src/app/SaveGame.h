#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "app/PauseMenu.h"

class TMainForm;

// Saved games: slot 0 is the quick save (F5 / F9), slots 1..SaveSlotCount-1
// are chosen in the pause menu. Files live in the saves folder as
// quick.sav, slot1.sav, ...
constexpr int SaveSlotCount = 7;
std::string SaveFileName(int slot);

// The whole running game as bytes (versioned, checked by a CRC).
// The file around a payload: magic, version, length, check sum.
std::string SealSave(std::string_view payload);
// `frame` gives the slot's small picture.
std::string SerializeGame(TMainForm& game, const TBitmap& frame);
// Reads a save without touching any game: throws EGameError saying what is
// wrong with it (the fuzzer calls this).
void CheckSave(std::string_view bytes);
// What a slot page shows; throws as CheckSave.
TSlotInfo ReadSlotInfo(std::string_view bytes);
// The format number a saved game's file says it has, 0 when it is none.
uint32_t SaveFormat(std::string_view bytes);
constexpr uint32_t SaveFormatVersion = 1;
// What the slots call the running game's location: its script's [Title], else the first
// sentence its script greets the player with, else the location file's name.
std::string LocationTitle(TMainForm& game);

// Refused (a console line says why) while the player dies or is dead, and outside play.
bool SaveGameSlot(TMainForm& game, int slot);
// A missing or damaged save leaves the running game as it was and says so.
bool LoadGameSlot(TMainForm& game, int slot);
// Applies a save's bytes; throws EGameError naming `name` when they are not
// a sound save of this version, before anything of the game changes.
void LoadGameBytes(TMainForm& game, std::string_view bytes, const std::string& name);
