#include <gtest/gtest.h>

#include "base/Errors.h"
#include "media/Sound.h"

namespace {

const std::string FileName = "data\\sounds\\rico1.wav";

void Put16(std::string& s, uint32_t v) {
    s += char(v & 0xFF);
    s += char((v >> 8) & 0xFF);
}
void Put32(std::string& s, uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

std::string Chunk(const std::string& id, const std::string& body) {
    std::string s = id;
    Put32(s, uint32_t(body.size()));
    s += body;
    if (body.size() % 2) s += '\0';
    return s;
}

std::string Format(int format, int channels, int rate, int bits) {
    std::string f;
    Put16(f, uint32_t(format));
    Put16(f, uint32_t(channels));
    Put32(f, uint32_t(rate));
    Put32(f, uint32_t(rate * channels * bits / 8));
    Put16(f, uint32_t(channels * bits / 8));
    Put16(f, uint32_t(bits));
    return f;
}

std::string Riff(const std::string& chunks) {
    std::string s = "RIFF";
    Put32(s, uint32_t(4 + chunks.size()));
    return s + "WAVE" + chunks;
}

TEST(WavLoad, ReadsPcmAndSkipsOtherChunks) {
    const std::string samples("\x01\x02\x03\x04\x05\x06\x07\x08", 8);
    // An odd-sized chunk before the format shows the pad byte is stepped over.
    const TWaveData w =
        LoadWav(Riff(Chunk("LIST", "abc") + Chunk("fmt ", Format(1, 2, 44100, 16)) + Chunk("data", samples)), FileName);
    EXPECT_EQ(w.Channels, 2);
    EXPECT_EQ(w.SampleRate, 44100);
    EXPECT_EQ(w.BitsPerSample, 16);
    EXPECT_EQ(std::string(w.Samples.begin(), w.Samples.end()), samples);

    const TWaveData mono =
        LoadWav(Riff(Chunk("fmt ", Format(1, 1, 11025, 8)) + Chunk("data", "\x80\x90\xA0")), FileName);
    EXPECT_EQ(mono.Channels, 1);
    EXPECT_EQ(mono.BitsPerSample, 8);
    EXPECT_EQ(mono.Samples.size(), 3u);

    // Half a frame at the end is dropped; stereo 16-bit frames are 4 bytes.
    const TWaveData cut =
        LoadWav(Riff(Chunk("fmt ", Format(1, 2, 22050, 16)) + Chunk("data", "\1\2\3\4\5\6")), FileName);
    EXPECT_EQ(cut.Samples.size(), 4u);

    // The extensible header naming PCM as its sub-format.
    std::string ext = Format(0xFFFE, 1, 8000, 16);
    Put16(ext, 22);
    Put16(ext, 16);
    Put32(ext, 4);
    Put16(ext, 1);
    ext += std::string(14, '\x11');
    EXPECT_EQ(LoadWav(Riff(Chunk("fmt ", ext) + Chunk("data", "\1\2")), FileName).SampleRate, 8000);
}

TEST(WavLoad, MalformedFilesAreRejectedNamingTheFile) {
    const std::string fmt = Chunk("fmt ", Format(1, 1, 22050, 16));
    const std::string data = Chunk("data", "\1\2\3\4");
    const std::pair<std::string, std::string> cases[] = {
        {"", "no RIFF WAVE signature"},
        {std::string("RIFF\4\0\0\0AVI ", 12), "no RIFF WAVE signature"},
        {Riff(data), "no fmt chunk"},
        {Riff(fmt), "no data chunk"},
        {Riff(Chunk("fmt ", Format(2, 1, 22050, 4)) + data), "not PCM (format 2)"},
        {Riff(Chunk("fmt ", Format(1, 1, 22050, 24)) + data), "24 bits per sample"},
        {Riff(Chunk("fmt ", Format(1, 3, 22050, 16)) + data), "3 channels"},
        {Riff(Chunk("fmt ", Format(1, 1, 0, 16)) + data), "bad sample rate"},
        {Riff(Chunk("fmt ", std::string("\1\0\1\0", 4))), "fmt chunk too short"},
        {Riff(fmt + data).substr(0, 12 + fmt.size() + 10), "truncated data chunk"},
    };
    for (const auto& [bytes, why] : cases) {
        try {
            LoadWav(bytes, FileName);
            ADD_FAILURE() << "accepted; expected: " << why;
        } catch (const EGameError& e) {
            EXPECT_EQ(std::string(e.what()), "Wave \"data\\sounds\\rico1.wav\" is not a valid wave file: " + why);
        }
    }
    const std::string whole = Riff(Chunk("junk", "12345") + fmt + data);
    for (size_t n = 0; n < whole.size(); ++n) {
        try {
            LoadWav(whole.substr(0, n), FileName);
        } catch (const EGameError&) {
        }
    }
}

class TRecordingOutput : public ISoundOutput {
public:
    int Prepare(const TWaveData& wave) override {
        Prepared.push_back(wave.Samples.size());
        return int(Prepared.size()) + 100;
    }
    void Play(int handle) override { Played.push_back(handle); }
    void Release() override { ++Releases; }

    std::vector<size_t> Prepared;
    std::vector<int> Played;
    int Releases = 0;
};

TEST(WaveList, FindPlayAndClear) {
    TRecordingOutput out;
    TWaveList waves(out);
    TWaveData one, two;
    one.Samples.resize(10);
    two.Samples.resize(20);
    waves.Add("player_fire", &one);
    waves.Add("1", nullptr);  // a hit type without a sound name
    waves.Add("Смерть", &two);
    waves.Add("PLAYER_FIRE", &two);
    EXPECT_EQ(out.Prepared, (std::vector<size_t>{10, 20, 20}));

    EXPECT_EQ(waves.Find("Player_Fire"), 0);
    EXPECT_EQ(waves.Find("сМЕРТЬ"), 2);
    EXPECT_EQ(waves.Find("1"), 1);
    EXPECT_EQ(waves.Find("rico1"), -1);

    waves.Play("PLAYER_fire");
    waves.Play("1");
    waves.Play("смерть");
    EXPECT_EQ(out.Played, (std::vector<int>{101, 102}));
    EXPECT_EQ(waves.PlayLog, (std::vector<std::string>{"PLAYER_fire", "1", "смерть"}));

    try {
        waves.Play("hit");
        FAIL() << "no error";
    } catch (const EGameError& e) {
        EXPECT_EQ(std::string(e.what()), "Wave 'hit' not found");
    }
    EXPECT_EQ(waves.PlayLog.size(), 3u);

    waves.Clear();
    EXPECT_EQ(waves.Count(), 0);
    EXPECT_EQ(out.Releases, 1);
    EXPECT_THROW(waves.Play("player_fire"), EGameError);
}

}  // namespace
