#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <unordered_map>

#include "base/FileSystem.h"
#include "media/Bitmap.h"

// Decoded pictures kept by file identity (real path, size, modification
// time): a location change that finds the same file on disk takes its
// picture from here instead of decoding it again, and a file changed on disk
// is read anew.
class TPictureCache {
public:
    // The picture of a game path; throws as LoadBmp and ReadFile do.
    // With `pixelBudget`, a reused picture counts against it as a decoded one does.
    const TBitmap& Load(const TFileSystem& files, const std::string& gamePath, int64_t* pixelBudget = nullptr);
    size_t Count() const { return Entries.size(); }
    // Whether the file on disk is another than the one decoded here (or none is kept); a missing file is not.
    bool Changed(const TFileSystem& files, const std::string& gamePath) const;
    // Decodes done so far (for tests: a reuse does not count).
    uint64_t Decodes = 0;

private:
    struct TEntry {
        uintmax_t Size = 0;
        std::filesystem::file_time_type Stamp{};
        TBitmap Picture;
        uint64_t LastUse = 0;
    };
    void Trim();

    std::unordered_map<std::string, TEntry> Entries;  // by real path
    TBitmap Scratch;                                  // a picture whose file could not be looked at, not kept
    uint64_t Uses = 0;
    size_t Bytes = 0;
};
