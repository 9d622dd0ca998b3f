#include "platform/FileOperations.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <climits>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using platform::copyFile;
using platform::resolveShortcut;
using testsupport::readFile;
using testsupport::writeFile;

namespace {

bool exists(const std::string& path)
{
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

std::string binaryPattern(std::size_t size)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 131u + (i >> 9)) & 0xFF);
    return bytes;
}

class FileOperations : public ::testing::Test {
protected:
    void SetUp() override { dir = testsupport::makeTempDir("fileops"); }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string dir;
};

} // namespace

TEST_F(FileOperations, CopiesBinaryContentLargerThanOneBuffer)
{
    const std::string content = binaryPattern(200001);
    writeFile(dir + "/Hall.wav", content);
    ASSERT_TRUE(copyFile(dir + "/Hall.wav", dir + "/copy.wav"));
    EXPECT_EQ(readFile(dir + "/copy.wav"), content);
    EXPECT_EQ(readFile(dir + "/Hall.wav"), content);
}

TEST_F(FileOperations, OverwritesAndTruncatesAnExistingDestination)
{
    writeFile(dir + "/short.wav", "short");
    writeFile(dir + "/dest.wav", std::string(10000, 'x'));
    ASSERT_TRUE(copyFile(dir + "/short.wav", dir + "/dest.wav"));
    EXPECT_EQ(readFile(dir + "/dest.wav"), "short");
}

TEST_F(FileOperations, MissingSourceFailsWithoutCreatingTheDestination)
{
    EXPECT_FALSE(copyFile(dir + "/absent.wav", dir + "/dest.wav"));
    EXPECT_FALSE(exists(dir + "/dest.wav"));
}

TEST_F(FileOperations, UnwritableDestinationsFail)
{
    writeFile(dir + "/a.wav", "data");
    EXPECT_FALSE(copyFile(dir + "/a.wav", dir + "/no/such/folder/a.wav"));
    ASSERT_EQ(mkdir((dir + "/folder").c_str(), 0755), 0);
    EXPECT_FALSE(copyFile(dir + "/a.wav", dir + "/folder"));
    struct stat st {};
    ASSERT_EQ(stat((dir + "/folder").c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
}

TEST_F(FileOperations, CopyOntoItselfKeepsTheFile)
{
    writeFile(dir + "/a.wav", "precious");
    EXPECT_FALSE(copyFile(dir + "/a.wav", dir + "/a.wav"));
    EXPECT_FALSE(copyFile(dir + "/a.wav", dir + "/./a.wav"));
    ASSERT_EQ(symlink((dir + "/a.wav").c_str(), (dir + "/link.wav").c_str()), 0);
    EXPECT_FALSE(copyFile(dir + "/a.wav", dir + "/link.wav"));
    EXPECT_EQ(readFile(dir + "/a.wav"), "precious");
}

TEST_F(FileOperations, FailedReadRemovesThePartialDestination)
{
    // A folder opens for reading but every read fails.
    ASSERT_EQ(mkdir((dir + "/src").c_str(), 0755), 0);
    writeFile(dir + "/dest.wav", "old");
    EXPECT_FALSE(copyFile(dir + "/src", dir + "/dest.wav"));
    EXPECT_FALSE(exists(dir + "/dest.wav"));
}

TEST_F(FileOperations, ResolvesSymbolicLinksToAbsoluteTargets)
{
    writeFile(dir + "/Hall.wav", "x");
    char real[PATH_MAX];
    ASSERT_NE(realpath((dir + "/Hall.wav").c_str(), real), nullptr);

    ASSERT_EQ(symlink("Hall.wav", (dir + "/relative.wav").c_str()), 0);
    ASSERT_EQ(symlink((dir + "/relative.wav").c_str(), (dir + "/chain.wav").c_str()), 0);
    std::string target;
    ASSERT_TRUE(resolveShortcut(dir + "/relative.wav", target));
    EXPECT_EQ(target, real);
    target.clear();
    ASSERT_TRUE(resolveShortcut(dir + "/chain.wav", target));
    EXPECT_EQ(target, real);
}

TEST_F(FileOperations, NonLinksAndDanglingLinksLeaveTheTargetAlone)
{
    writeFile(dir + "/Hall.wav", "x");
    ASSERT_EQ(symlink((dir + "/gone.wav").c_str(), (dir + "/dangling.wav").c_str()), 0);
    std::string target = "unchanged";
    EXPECT_FALSE(resolveShortcut(dir + "/Hall.wav", target));
    EXPECT_FALSE(resolveShortcut(dir + "/dangling.wav", target));
    EXPECT_FALSE(resolveShortcut(dir + "/absent.wav", target));
    EXPECT_EQ(target, "unchanged");
}
