#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include "base/Errors.h"
#include "base/FileSystem.h"

namespace fs = std::filesystem;

class FileSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        Root = fs::temp_directory_path() / ("rw_fs_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                            "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(Root);
        fs::create_directories(Root / "Data" / "Images" / "Interface");
        std::ofstream(Root / "Data" / "Images" / "Interface" / "Cursor.BMP") << "bmp";
    }
    void TearDown() override { fs::remove_all(Root); }
    fs::path Root;
};

TEST_F(FileSystemTest, FindsGamePathsWhateverTheLetterCase) {
    TFileSystem files(Root);
    EXPECT_TRUE(files.Exists("data\\images\\interface\\cursor.bmp"));
    EXPECT_TRUE(files.Exists("DATA/IMAGES/INTERFACE/CURSOR.BMP"));
    EXPECT_EQ(files.ReadFile("data\\Images\\Interface\\Cursor.bmp"), "bmp");
    EXPECT_EQ(files.Resolve("data\\images\\interface\\cursor.bmp"), Root / "Data" / "Images" / "Interface" / "Cursor.BMP");
    EXPECT_FALSE(files.Exists("data\\images\\interface\\missing.bmp"));
}

TEST_F(FileSystemTest, MissingFilesFailWithTheirPath) {
    TFileSystem files(Root);
    try {
        files.ReadFile("data\\locations\\loc01.map");
        FAIL();
    } catch (const EFileError& e) {
        EXPECT_NE(std::string(e.what()).find("data\\locations\\loc01.map"), std::string::npos);
    }
}

TEST_F(FileSystemTest, SeesFilesAddedAfterTheFirstLookup) {
    TFileSystem files(Root);
    EXPECT_FALSE(files.Exists("data\\images\\interface\\main.bmp"));
    std::ofstream(Root / "Data" / "Images" / "Interface" / "Main.bmp") << "x";
    EXPECT_TRUE(files.Exists("data\\images\\interface\\main.bmp"));
}

TEST_F(FileSystemTest, AtomicWriteReplacesAndFailedWriteKeepsTheOldFile) {
    TFileSystem files(Root);
    files.WriteFileAtomic("data\\out.map", "first");
    files.WriteFileAtomic("DATA\\OUT.MAP", "second");
    EXPECT_EQ(files.ReadFile("data\\out.map"), "second");
    EXPECT_EQ(std::distance(fs::directory_iterator(Root / "Data"), fs::directory_iterator()), 2);  // Images, out.map
    EXPECT_THROW(files.WriteFileAtomic("data\\no-such-dir\\x.map", "third"), EFileError);
    EXPECT_EQ(files.ReadFile("data\\out.map"), "second");
}

TEST_F(FileSystemTest, CopyAndDeleteReportOnly) {
    TFileSystem files(Root);
    EXPECT_FALSE(files.CopyFile("data\\missing.mp3", "temp.mp3"));
    EXPECT_TRUE(files.CopyFile("data\\images\\interface\\cursor.bmp", "temp.mp3"));
    EXPECT_TRUE(files.Exists("temp.mp3"));
    EXPECT_TRUE(files.DeleteFile("temp.mp3"));
    EXPECT_FALSE(files.DeleteFile("temp.mp3"));
}

// What a hostile data folder plants where the game writes: the write never
// reaches the victim, whatever it throws.
struct TPlantCase {
    const char* Name;
    const char* Target;  // the game path written
    void (*Plant)(const fs::path& dataDir, const fs::path& victim);
    bool Refused;
};

const TPlantCase PlantCases[] = {
    {"LinkAtTarget", "data\\out.map",
     [](const fs::path& d, const fs::path& v) { fs::create_symlink(v, d / "out.map"); }, true},
    {"DanglingLinkAtTarget", "data\\out.map",
     [](const fs::path& d, const fs::path& v) {
         fs::remove(v);
         fs::create_symlink(v, d / "out.map");
     },
     true},
    {"LinkAtOldTemporaryName", "data\\out.map",
     [](const fs::path& d, const fs::path& v) { fs::create_symlink(v, d / "out.map.tmp~"); }, false},
    {"FolderAtTarget", "data\\out.map", [](const fs::path& d, const fs::path&) { fs::create_directory(d / "out.map"); },
     true},
    {"PipeAtTarget", "data\\out.map",
     [](const fs::path& d, const fs::path&) { ASSERT_EQ(mkfifo((d / "out.map").c_str(), 0644), 0); }, true},
    {"ReadOnlyTarget", "data\\out.map",
     [](const fs::path& d, const fs::path&) {
         std::ofstream(d / "out.map") << "old";
         fs::permissions(d / "out.map", fs::perms::owner_read | fs::perms::group_read);
     },
     true},
};

void PrintTo(const TPlantCase& c, std::ostream* os) { *os << c.Name; }

class PlantedFile : public FileSystemTest, public ::testing::WithParamInterface<TPlantCase> {};

TEST_P(PlantedFile, WriteNeverReachesTheVictim) {
    const TPlantCase& c = GetParam();
    fs::path victim = Root / "victim.txt";
    std::ofstream(victim) << "precious";
    c.Plant(Root / "Data", victim);
    bool victimThere = fs::exists(victim);
    TFileSystem files(Root);
    if (c.Refused) {
        try {
            files.WriteFileAtomic(c.Target, "map bytes");
            FAIL() << "written";
        } catch (const EFileError& e) {
            EXPECT_NE(std::string(e.what()).find(c.Target), std::string::npos) << e.what();
        }
    } else {
        files.WriteFileAtomic(c.Target, "map bytes");
        EXPECT_EQ(files.ReadFile(c.Target), "map bytes");
    }
    if (victimThere) {
        std::ifstream in(victim);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "precious");
    } else {
        EXPECT_FALSE(fs::exists(victim));
    }
    // No temporary file is left behind either.
    for (const auto& e : fs::directory_iterator(Root / "Data"))
        EXPECT_EQ(e.path().filename().string().find(".out.map."), std::string::npos) << e.path();
}

INSTANTIATE_TEST_SUITE_P(Plants, PlantedFile, ::testing::ValuesIn(PlantCases),
                         [](const auto& test) { return std::string(test.param.Name); });

TEST_F(FileSystemTest, ReplacingKeepsTheModeAndReadOnlyNamesTheFault) {
    TFileSystem files(Root);
    files.WriteFileAtomic("data\\out.map", "first");
    fs::permissions(Root / "Data" / "out.map", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    files.WriteFileAtomic("data\\out.map", "second");
    EXPECT_EQ(fs::status(Root / "Data" / "out.map").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::permissions(Root / "Data" / "out.map", fs::perms::owner_read);
    try {
        files.WriteFileAtomic("data\\out.map", "third");
        FAIL();
    } catch (const EFileError& e) {
        EXPECT_STREQ(e.what(), "Cannot write file \"data\\out.map\". Permission denied");
    }
    fs::permissions(Root / "Data" / "out.map", fs::perms::owner_all);
    EXPECT_EQ(files.ReadFile("data\\out.map"), "second");
}

TEST_F(FileSystemTest, MusicCopyRefusesAPlantedLink) {
    std::ofstream(Root / "victim.txt") << "precious";
    fs::create_symlink(Root / "victim.txt", Root / "temp.mp3");
    TFileSystem files(Root);
    EXPECT_FALSE(files.CopyFile("data\\images\\interface\\cursor.bmp", "temp.mp3"));
    std::ifstream in(Root / "victim.txt");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "precious");
    EXPECT_TRUE(fs::is_symlink(Root / "temp.mp3"));
}

TEST(DataPaths, StayInsideTheDataFolder) {
    for (const char* inside : {"data\\scripts\\a.sc", "DATA/x/../y.map", "data\\scripts\\..\\sounds\\s.wav"})
        EXPECT_NO_THROW(CheckDataPath(inside)) << inside;
    for (const char* outside : {"data\\..\\x", "data\\scripts\\..\\..\\..\\etc\\passwd", "/etc/passwd", "data",
                                "data\\a\\..\\..", "temp.mp3"})
        EXPECT_THROW(CheckDataPath(outside), EFileError) << outside;
}
