#pragma once
#include <filesystem>
#include <functional>
#include <string>

#include "app/UserDirs.h"

// The editor saves locations into the folder it edits. An installed game's data folder is read-only for
// a player, so there the editor works on the player's own copy under $XDG_DATA_HOME/rustwake/editor,
// made once, after asking.
std::filesystem::path EditorCopyDir(const TUserDirs& dirs);

// Whether this user may write the locations of `dataDir`.
bool CanWriteData(const std::filesystem::path& dataDir);

// Copies dataDir/data to toDir/data through a temporary folder renamed into place, so that a copy cut
// short is never taken for a whole one. Throws EFileError naming the folder.
void CopyDataFolder(const std::filesystem::path& dataDir, const std::filesystem::path& toDir);

// The folder the editor starts on: `dataDir` when `writable`, else the player's copy when there is
// one, else a fresh copy when `ask` (given the question) says yes, else `dataDir` after all.
// Throws EFileError when the copy fails.
std::filesystem::path ChooseEditorData(const std::filesystem::path& dataDir, const TUserDirs& dirs, bool writable,
                                       const std::function<bool(const std::string&)>& ask);
