#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct TWaveData {
    int Channels = 1;
    int SampleRate = 22050;
    int BitsPerSample = 16;
    std::vector<uint8_t> Samples;  // interleaved PCM as in the file
};

// Reads a RIFF WAVE file (PCM 8 or 16 bit). Throws EGameError naming
// `fileName` and what is wrong when it is not one.
TWaveData LoadWav(std::string_view bytes, const std::string& fileName);

// Where waves are heard: SDL's mixer in the windowed game, nothing (but a
// record of what played) in the headless runner and the tests.
class ISoundOutput {
public:
    virtual ~ISoundOutput() = default;
    // Makes a wave ready to play; returns its handle.
    virtual int Prepare(const TWaveData& wave) = 0;
    // Starts an instance from the beginning and returns at once; earlier
    // instances of the same wave keep sounding.
    virtual void Play(int handle) = 0;
    // Forgets every prepared wave.
    virtual void Release() = 0;
};

class TSilentOutput : public ISoundOutput {
public:
    int Prepare(const TWaveData&) override { return ++LastHandle; }
    void Play(int) override { ++Plays; }
    void Release() override {}
    int Plays = 0;

private:
    int LastHandle = 0;
};

// The sound collection: named waves, looked up without regard to case.
class TWaveList {
public:
    explicit TWaveList(ISoundOutput& output) : Output(&output) {}

    // Adds an item; without data (nullptr) it exists by name but plays silence.
    void Add(const std::string& name, const TWaveData* data);
    // Position of the first wave with the name, -1 for none.
    int Find(std::string_view name) const;
    // Throws EGameError "Wave '%s' not found" for an unknown name.
    void Play(std::string_view name);
    void Clear();
    int Count() const { return int(Items.size()); }
    const std::string& Name(int index) const { return Items[size_t(index)].Name; }

    // The latest plays in order (at most a few thousand), by the name that
    // was asked for (for the headless dump and the tests).
    std::vector<std::string> PlayLog;
    void SetOutput(ISoundOutput& output) { Output = &output; }

private:
    struct Item {
        std::string Name;
        int Handle = 0;  // 0 = no wave data
    };
    ISoundOutput* Output;
    std::vector<Item> Items;
};
