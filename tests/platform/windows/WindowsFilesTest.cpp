// Paths at the Win32 boundary: UTF-8 names reach the files they name, bytes
// stored in the ANSI code page still find theirs, and only regular files open.
#include "platform/FileOperations.h"
#include "platform/ModulePath.h"
#include "platform/windows/WideText.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

// A file written through the wide API only, so that nothing of ours names it.
void writeWide(const std::wstring& path, const std::string& bytes)
{
    std::FILE* file = _wfopen(path.c_str(), L"wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

std::string readAll(std::FILE* file)
{
    std::string bytes;
    char buffer[256];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        bytes.append(buffer, n);
    return bytes;
}

class WindowsFiles : public ::testing::Test {
protected:
    void SetUp() override { dir = testsupport::makeTempDir("winfiles"); }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::wstring wideDir() const { return platform::widen(dir); }
    std::string dir;
};

} // namespace

TEST_F(WindowsFiles, Utf8NamesOpenTheFilesTheyName)
{
    // "Hallé 大聖堂.wav": Latin and CJK letters, outside any one ANSI code page.
    const std::wstring name = L"Hall\u00e9 \u5927\u8056\u5802.wav";
    writeWide(wideDir() + L"\\" + name, "RIFF1234");
    const std::string utf8 = dir + "\\Hall\xC3\xA9 \xE5\xA4\xA7\xE8\x81\x96\xE5\xA0\x82.wav";
    EXPECT_EQ(platform::widen(utf8), wideDir() + L"\\" + name);
    EXPECT_EQ(platform::narrow(platform::widen(utf8)), utf8);

    std::uint64_t size = 0;
    std::FILE* file = platform::openRegularFile(utf8, size);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(size, 8u);
    EXPECT_TRUE(platform::seekForward(file, 4));
    EXPECT_EQ(readAll(file), "1234");
    std::fclose(file);

    std::FILE* created = platform::createFile(dir + "\\\xE5\xA4\xA7.aif");
    ASSERT_NE(created, nullptr);
    std::fclose(created);
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(wideDir() + L"\\\u5927.aif")));
}

TEST_F(WindowsFiles, AnsiBytesThatAreNoUtf8AreReadInTheAnsiCodePage)
{
    // An older project stored "Hallé.wav" as ANSI bytes; é there is not UTF-8.
    const std::string ansiName = "Hall\xE9.wav";
    wchar_t expected[16] = {};
    ASSERT_GT(MultiByteToWideChar(CP_ACP, 0, ansiName.c_str(), -1, expected, 16), 0);
    ASSERT_EQ(std::wstring(expected).find(L'\xFFFD'), std::wstring::npos);
    writeWide(wideDir() + L"\\" + expected, "data");

    std::uint64_t size = 0;
    std::FILE* file = platform::openRegularFile(dir + "\\" + ansiName, size);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(readAll(file), "data");
    std::fclose(file);
}

TEST_F(WindowsFiles, OnlyRegularFilesOpen)
{
    std::uint64_t size = 0;
    std::filesystem::create_directory(std::filesystem::path(wideDir() + L"\\folder.wav"));
    EXPECT_EQ(platform::openRegularFile(dir + "\\folder.wav", size), nullptr);
    EXPECT_EQ(platform::openRegularFile(dir + "\\absent.wav", size), nullptr);
    // A device named like a file never opens as an IR.
    EXPECT_EQ(platform::openRegularFile("NUL", size), nullptr);
    EXPECT_EQ(platform::openRegularFile("", size), nullptr);
}

TEST_F(WindowsFiles, CopyOverwritesButNeverItsOwnSourceOrAFolder)
{
    writeWide(wideDir() + L"\\a.wav", "first");
    writeWide(wideDir() + L"\\b.wav", "older and longer");
    ASSERT_TRUE(platform::copyFile(dir + "\\a.wav", dir + "\\b.wav"));
    EXPECT_EQ(testsupport::readFile(dir + "\\b.wav"), "first");
    EXPECT_FALSE(platform::copyFile(dir + "\\a.wav", dir + "\\a.wav"));
    EXPECT_EQ(testsupport::readFile(dir + "\\a.wav"), "first");
    std::filesystem::create_directory(std::filesystem::path(wideDir() + L"\\sub"));
    EXPECT_FALSE(platform::copyFile(dir + "\\a.wav", dir + "\\sub"));
    EXPECT_FALSE(platform::copyFile(dir + "\\absent.wav", dir + "\\c.wav"));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(wideDir() + L"\\c.wav")));
}

TEST(WindowsModulePath, NamesTheFileThatHoldsThisCode)
{
    // The platform layer is linked into this test program, so that is the module.
    wchar_t self[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    EXPECT_EQ(platform::modulePath(), platform::narrow(self));
    EXPECT_NE(platform::modulePath().find('\\'), std::string::npos);
    EXPECT_EQ(platform::kPathSeparator, '\\');
}
