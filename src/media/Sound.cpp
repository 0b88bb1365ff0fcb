#include "media/Sound.h"

#include <cstring>

#include "base/Errors.h"
#include "base/Text.h"

namespace {

class TWavReader {
public:
    TWavReader(std::string_view bytes, const std::string& fileName) : Bytes(bytes), FileName(fileName) {}

    TWaveData Read() {
        if (!Has(0, 12) || Bytes.substr(0, 4) != "RIFF" || Bytes.substr(8, 4) != "WAVE") Fail("no RIFF WAVE signature");
        // The RIFF size is often wrong in the long-size direction; the file's end is what counts.
        size_t end = Bytes.size();
        if (uint64_t(U32(4)) + 8 < end) end = size_t(U32(4)) + 8;
        TWaveData wave;
        bool haveFormat = false, haveData = false;
        size_t dataPos = 0, dataSize = 0;
        for (size_t p = 12; p + 8 <= end;) {
            std::string_view id = Bytes.substr(p, 4);
            size_t size = U32(p + 4);
            p += 8;
            if (size > end - p) {
                if (id == "data" || id == "fmt ") Fail("truncated " + Trim(id) + " chunk");
                break;
            }
            if (id == "fmt ") {
                if (size < 16) Fail("fmt chunk too short");
                uint16_t format = U16(p);
                // The extensible form carries its real format in the first bytes of the sub-format GUID.
                if (format == 0xFFFE && size >= 40) format = U16(p + 24);
                if (format != 1) Fail("not PCM (format " + std::to_string(format) + ")");
                wave.Channels = U16(p + 2);
                wave.SampleRate = int(U32(p + 4));
                wave.BitsPerSample = U16(p + 14);
                if (wave.Channels != 1 && wave.Channels != 2) Fail(std::to_string(wave.Channels) + " channels");
                if (wave.BitsPerSample != 8 && wave.BitsPerSample != 16)
                    Fail(std::to_string(wave.BitsPerSample) + " bits per sample");
                if (wave.SampleRate <= 0 || wave.SampleRate > 384000) Fail("bad sample rate");
                haveFormat = true;
            } else if (id == "data" && !haveData) {
                dataPos = p;
                dataSize = size;
                haveData = true;
            }
            p += size + (size & 1);
        }
        if (!haveFormat) Fail("no fmt chunk");
        if (!haveData) Fail("no data chunk");
        // A partial frame at the end would put the channels out of step.
        const size_t frame = size_t(wave.Channels) * (wave.BitsPerSample / 8);
        dataSize -= dataSize % frame;
        const auto* d = reinterpret_cast<const uint8_t*>(Bytes.data()) + dataPos;
        wave.Samples.assign(d, d + dataSize);
        return wave;
    }

private:
    [[noreturn]] void Fail(const std::string& why) const {
        throw EGameError("Wave \"" + FileName + "\" is not a valid wave file: " + why);
    }
    bool Has(size_t pos, size_t count) const { return pos <= Bytes.size() && count <= Bytes.size() - pos; }
    uint16_t U16(size_t p) const { return uint16_t(uint8_t(Bytes[p]) | (uint8_t(Bytes[p + 1]) << 8)); }
    uint32_t U32(size_t p) const { return uint32_t(U16(p)) | (uint32_t(U16(p + 2)) << 16); }

    std::string_view Bytes;
    const std::string& FileName;
};

}  // namespace

TWaveData LoadWav(std::string_view bytes, const std::string& fileName) {
    return TWavReader(bytes, fileName).Read();
}

void TWaveList::Add(const std::string& name, const TWaveData* data) {
    Items.push_back({name, data ? Output->Prepare(*data) : 0});
}

int TWaveList::Find(std::string_view name) const {
    for (size_t i = 0; i < Items.size(); ++i)
        if (SameText(Items[i].Name, name)) return int(i);
    return -1;
}

void TWaveList::Play(std::string_view name) {
    int i = Find(name);
    if (i < 0) throw EGameError("Wave '" + std::string(name) + "' not found");
    // The record is for dumps and tests; a long battle must not grow it for ever.
    if (PlayLog.size() >= 4096) PlayLog.erase(PlayLog.begin(), PlayLog.begin() + 2048);
    PlayLog.emplace_back(name);
    if (Items[size_t(i)].Handle != 0) Output->Play(Items[size_t(i)].Handle);
}

void TWaveList::Clear() {
    Items.clear();
    Output->Release();
}
