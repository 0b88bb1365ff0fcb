#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

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
    EXPECT_FALSE(fs::exists(Root / "Data" / "out.map.tmp~"));
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
