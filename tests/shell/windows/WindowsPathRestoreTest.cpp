// Projects restore their IR on Windows whatever the stored path's bytes: the
// path parameters carry UTF-8, and a path an older version stored in the ANSI
// code page (not valid UTF-8) is read in that code page.
#include "tests/shell/EffectFixture.h"

#include "ir/IRData.h"
#include "params/PathParams.h"
#include "support/ScriptedServices.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

// A mono 16-bit WAV file with one full-scale sample, written through the wide API.
void writeClick(const std::wstring& path)
{
    const unsigned char header[44] = {'R', 'I', 'F', 'F', 38, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                                      16, 0, 0, 0, 1, 0, 1, 0, 0x44, 0xAC, 0, 0, 0x88, 0x58, 1, 0,
                                      2, 0, 16, 0, 'd', 'a', 't', 'a', 2, 0, 0, 0};
    std::FILE* file = _wfopen(path.c_str(), L"wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(header, 1, sizeof header, file);
    const unsigned char sample[2] = {0xFF, 0x7F};
    std::fwrite(sample, 1, 2, file);
    std::fclose(file);
}

std::wstring wide(const std::string& text, UINT codePage)
{
    wchar_t buffer[MAX_PATH] = {};
    MultiByteToWideChar(codePage, 0, text.c_str(), -1, buffer, MAX_PATH);
    return buffer;
}

class WindowsPathRestore : public EffectTest {
protected:
    void SetUp() override
    {
        EffectTest::SetUp();
        dir = testsupport::makeTempDir("winrestore");
    }
    void TearDown() override
    {
        EffectTest::TearDown();
        std::filesystem::remove_all(dir);
    }
    // What a project restore does: the path parameters, then the commit.
    void restorePath(const std::string& bytes)
    {
        float values[param::kPathParamValues] = {};
        ASSERT_TRUE(param::encodePathToParams(bytes.c_str(), values));
        for (int k = 0; k < param::kPathParamValues; ++k)
            record->setParameter(record, 23 + k, values[k]);
        record->setParameter(record, 103, 0.0f);
    }

    testsupport::ScriptedServices services;
    std::string dir;
};

} // namespace

TEST_F(WindowsPathRestore, Utf8PathOutsideTheAnsiCodePageLoads)
{
    // "大聖堂 Hallé.wav": no ANSI code page holds all of it.
    const std::string utf8 = dir + "\\\xE5\xA4\xA7\xE8\x81\x96\xE5\xA0\x82 Hall\xC3\xA9.wav";
    writeClick(wide(utf8, CP_UTF8));
    restorePath(utf8);
    EXPECT_TRUE(effect->irData().loaded()) << effect->irData().errorText();
    EXPECT_EQ(std::string(effect->irData().path()), utf8);
    EXPECT_TRUE(services.dialogs().empty());
}

TEST_F(WindowsPathRestore, AnsiBytesOfAnOlderProjectStillLoad)
{
    // "Hallé.wav" as the ANSI code page writes it: é is one byte, no UTF-8.
    const std::string ansi = dir + "\\Hall\xE9.wav";
    writeClick(wide(ansi, CP_ACP));
    restorePath(ansi);
    EXPECT_TRUE(effect->irData().loaded()) << effect->irData().errorText();
    EXPECT_TRUE(services.dialogs().empty());
}

TEST_F(WindowsPathRestore, AMissingFileIsReportedWithItsPath)
{
    restorePath(dir + "\\absent.wav");
    EXPECT_FALSE(effect->irData().loaded());
    const auto dialogs = services.dialogs();
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].caption, "messae");
    EXPECT_NE(dialogs[0].text.find(dir + "\\absent.wav"), std::string::npos);
}
