#include "media/PictureCache.h"

#include <algorithm>
#include <system_error>
#include <vector>

namespace {
// Enough for every picture of several locations; beyond it the pictures used longest ago go.
constexpr size_t MaxCachedBytes = size_t(256) << 20;

size_t PictureBytes(const TBitmap& b) {
    return size_t(b.Width()) * size_t(b.Height()) * sizeof(TColor);
}
}  // namespace

const TBitmap& TPictureCache::Load(const TFileSystem& files, const std::string& gamePath, int64_t* pixelBudget) {
    const std::filesystem::path real = files.Resolve(gamePath);
    std::error_code sizeError, stampError;
    const uintmax_t size = std::filesystem::file_size(real, sizeError);
    const auto stamp = std::filesystem::last_write_time(real, stampError);
    const std::string key = real.string();
    if (!sizeError && !stampError) {
        auto it = Entries.find(key);
        if (it != Entries.end() && it->second.Size == size && it->second.Stamp == stamp) {
            TakePicturePixels(pixelBudget, int64_t(it->second.Picture.Width()) * it->second.Picture.Height(), gamePath);
            it->second.LastUse = ++Uses;
            return it->second.Picture;
        }
    }
    // A file that cannot be looked at is read the usual way, which reports it.
    TBitmap picture = LoadBmp(files.ReadFile(gamePath), gamePath, pixelBudget);
    ++Decodes;
    if (sizeError || stampError) {
        Entries.erase(key);
        Scratch = std::move(picture);
        return Scratch;
    }
    TEntry& entry = Entries[key];
    Bytes -= PictureBytes(entry.Picture);
    entry = TEntry{size, stamp, std::move(picture), ++Uses};
    Bytes += PictureBytes(entry.Picture);
    Trim();
    return Entries[key].Picture;
}

bool TPictureCache::Changed(const TFileSystem& files, const std::string& gamePath) const {
    const std::filesystem::path real = files.Resolve(gamePath);
    const TFileStamp stamp = FileStamp(real);
    if (!stamp.Exists) return false;  // gone for a moment, or for good: nothing new to read
    const auto it = Entries.find(real.string());
    return it == Entries.end() || stamp.Size != it->second.Size || stamp.Time != it->second.Stamp;
}

void TPictureCache::Trim() {
    if (Bytes <= MaxCachedBytes) return;
    std::vector<std::pair<uint64_t, std::string>> byAge;
    for (const auto& [key, entry] : Entries) byAge.emplace_back(entry.LastUse, key);
    std::sort(byAge.begin(), byAge.end());
    // The newest entry stays whatever its size: the caller is about to use it.
    for (size_t i = 0; i + 1 < byAge.size() && Bytes > MaxCachedBytes; ++i) {
        auto it = Entries.find(byAge[i].second);
        Bytes -= PictureBytes(it->second.Picture);
        Entries.erase(it);
    }
}
