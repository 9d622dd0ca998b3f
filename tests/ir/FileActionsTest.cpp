// The IR library's file actions against real files: a real IR object, a data
// folder in a temporary directory, and a host and desktop that record what
// they are asked.
#include "IRDataTestKit.h"
#include "IRFileBuilder.h"

#include "ir/FileActions.h"
#include "ir/IRData.h"
#include "ir/IRLibraryPaths.h"
#include "ir/LoadFailureMessage.h"
#include "platform/Dialogs.h"
#include "params/PathParams.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

class RecordingServices final : public testsupport::ServiceFake {
public:
    std::uint32_t tickCount() override { return 1000; }
    void sleepMs(int) override {}
    void messageBox(const std::string& caption, const std::string& text) override
    {
        messages.push_back(caption + "|" + text);
    }
    bool askYesNo(const std::string& caption, const std::string& text) override
    {
        questions.push_back(caption + "|" + text);
        if (onAsk)
            onAsk();
        return answerYes;
    }
    void openUrl(const std::string& url) override { urls.push_back(url); }

    bool answerYes = true;
    std::function<void()> onAsk;
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::vector<std::string> urls;
};

struct SelectorCall {
    std::string title;
    std::string initialPath;
    std::vector<platform::FileType> types;
};

class FakeHost final : public ir::FileActionHost {
public:
    explicit FakeHost(std::string dataFolder) : dataFolder_(std::move(dataFolder))
    {
        ir = std::make_unique<ir::IRData>(&owner_, engine_);
    }

    const char* dataFolder() const override { return dataFolder_.c_str(); }
    ir::IRData& irData() override { return *ir; }
    void storePathParams(const float* values80) override
    {
        std::memcpy(pathParams, values80, sizeof pathParams);
        ++stores;
    }
    void showCopyButton(bool show) override { buttons.push_back(show); }
    bool chooseFile(const platform::FileDialogRequest& request, std::string& chosen) override
    {
        selectorCalls.push_back({request.title, request.initialFolder, request.types});
        if (onSelect)
            onSelect();
        chosen = answer;
        return !answer.empty();
    }
    // As the plug-in shows them: a message box each.
    void reportLoadFailure(const std::string& path, const std::string& reason) override
    {
        ir::showLoadFailure(path.c_str(), reason.empty() ? nullptr : reason.c_str());
    }
    void tellUser(const std::string& caption, const std::string& text) override
    {
        platform::dialogs().messageBox(caption, text);
    }

    // The path the path parameters carry.
    std::string rememberedPath() const
    {
        char path[param::kPathTextCapacity];
        param::decodePathFromParams(pathParams, path);
        return path;
    }

    std::unique_ptr<ir::IRData> ir;
    float pathParams[param::kPathParamValues] = {};
    int stores = 0;
    std::vector<bool> buttons;
    std::vector<SelectorCall> selectorCalls;
    std::string answer;
    std::function<void()> onSelect;

private:
    std::string dataFolder_;
    engine::ProcessEpoch epoch_;
    engine::ConvolutionEngine engine_{epoch_};
    irdatatest::RecordingOwner owner_;
};

class FileActionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::installServices(&services);
        root = testsupport::makeTempDir("actions");
        data = root + "/Plug/data";
        fs::create_directories(data);
        fs::create_directories(root + "/IRs");
        host = std::make_unique<FakeHost>(data);
        actions = std::make_unique<ir::FileActions>(*host);
    }
    void TearDown() override
    {
        testsupport::installServices(nullptr);
        fs::remove_all(root);
    }

    // A short decaying mono WAV.
    std::string wav(const std::string& path, float first = 1.0f)
    {
        irdatatest::writeWav(path, 44100, {first, 0.5f, -0.25f, 0.125f});
        return path;
    }
    // A folder path under root made to reach an exact total length with the file name.
    std::string pathOfLength(std::size_t length, const std::string& ending)
    {
        std::string folder = root;
        while (length - folder.size() - 1 > 200) {
            folder += "/" + std::string(150, 'd');
            fs::create_directories(folder);
        }
        const std::size_t nameLength = length - folder.size() - 1;
        return folder + "/" + std::string(nameLength - ending.size(), 'n') + ending;
    }

    RecordingServices services;
    std::string root;
    std::string data;
    std::unique_ptr<FakeHost> host;
    std::unique_ptr<ir::FileActions> actions;
};

} // namespace

TEST(IRLibraryPathsTest, FoldersNamesAndTheLocalFolderAreComparedByteForByte)
{
    std::string folder = "kept", name = "kept";
    ir::splitPath("", &folder, &name);
    EXPECT_EQ(folder, "kept");
    EXPECT_EQ(name, "kept");
    ir::splitPath("/IRs/Hall.wav", &folder, &name);
    EXPECT_EQ(folder, "/IRs");
    EXPECT_EQ(name, "Hall.wav");
    ir::splitPath("Hall.wav", &folder, nullptr);
    EXPECT_EQ(folder, "Hall.wav");
    ir::splitPath("/IRs/", nullptr, &name);
    EXPECT_EQ(name, "");

    EXPECT_TRUE(ir::isInLocalFolder("", "/Plug/data"));
    EXPECT_TRUE(ir::isInLocalFolder("/Plug/data/Hall.wav", "/Plug/data"));
    EXPECT_FALSE(ir::isInLocalFolder("/Plug/DATA/Hall.wav", "/Plug/data"));
    EXPECT_FALSE(ir::isInLocalFolder("/Plug/data/sub/Hall.wav", "/Plug/data"));
    EXPECT_FALSE(ir::isInLocalFolder("/Plug/data//Hall.wav", "/Plug/data"));
    EXPECT_FALSE(ir::isInLocalFolder("/Plug/data/Hall.wav", "/Plug/data/"));

    for (const char* yes : {"a.wav", "a.WAV", "a.Aif", "a.aiff", "a.AIFF", "a.aifc", "a.AIFC", "a.L", "a.R", "a.l", "x.r"})
        EXPECT_TRUE(ir::hasIRFileEnding(yes)) << yes;
    for (const char* no : {"a.mp3", "a.wave", "wav", "a.wav ", "a.aiffx", "", "L"})
        EXPECT_FALSE(ir::hasIRFileEnding(no)) << no;
}

TEST_F(FileActionsTest, CopyToLocalAsksCopiesLoadsTheCopyAndHidesTheButton)
{
    const std::string original = wav(root + "/IRs/Hall.wav");
    actions->dropItem(original, true);
    ASSERT_STREQ(host->ir->path(), original.c_str());
    ASSERT_EQ(host->buttons, std::vector<bool>{true});

    actions->copyToLocal(actions->currentIRPath());
    ASSERT_EQ(services.questions.size(), 1u);
    EXPECT_EQ(services.questions[0], "Copy to Local|Do you want to copy?\n  " + original + "\nto local folder\n  "
                                         + data + "/\n");
    const std::string copy = data + "/Hall.wav";
    EXPECT_EQ(testsupport::readFile(copy), testsupport::readFile(original));
    EXPECT_STREQ(host->ir->path(), copy.c_str());
    EXPECT_EQ(host->buttons, (std::vector<bool>{true, false}));
    // A restored project still loads the file the user chose.
    EXPECT_EQ(host->rememberedPath(), original);
    EXPECT_EQ(host->stores, 1);
}

TEST_F(FileActionsTest, CopyToLocalDeclinedOrFailedLeavesEverythingAsItWas)
{
    actions->copyToLocal("");
    EXPECT_TRUE(services.questions.empty());

    const std::string original = wav(root + "/IRs/Hall.wav");
    actions->dropItem(original, true);
    services.answerYes = false;
    actions->copyToLocal(original);
    EXPECT_FALSE(fs::exists(data + "/Hall.wav"));
    EXPECT_STREQ(host->ir->path(), original.c_str());

    // An older file of that name in the folder must not become the IR when the copy fails.
    services.answerYes = true;
    fs::remove_all(data);
    actions->copyToLocal(original);
    EXPECT_EQ(services.questions.size(), 2u);
    EXPECT_STREQ(host->ir->path(), original.c_str());
    EXPECT_EQ(host->buttons, std::vector<bool>{true});
}

TEST_F(FileActionsTest, DropsAreTakenByTheirEndingAndOnlyWhenTheyLoad)
{
    irdatatest::writeWav(data + "/Local.wav", 44100, {1.0f, 0.5f});
    actions->dropItem(data + "/Local.wav", true);
    ASSERT_STREQ(host->ir->path(), (data + "/Local.wav").c_str());
    EXPECT_EQ(host->buttons, std::vector<bool>{false});

    // An AIFF in upper case is an IR file.
    const std::string aiff = root + "/IRs/Hall.AIFF";
    testsupport::writeFile(aiff, irtest::aiffFile(1, 16, 44100, irtest::pcm({20000, -10000, 5000}, 2, true)));
    actions->dropItem(aiff, true);
    EXPECT_STREQ(host->ir->path(), aiff.c_str());
    EXPECT_EQ(host->rememberedPath(), aiff);
    EXPECT_EQ(host->buttons.back(), true);

    // Not IR files, or files that do not load: nothing changes at all.
    const std::size_t buttonsBefore = host->buttons.size();
    const int storesBefore = host->stores;
    testsupport::writeFile(root + "/IRs/Hall.mp3", "ID3 not an IR");
    actions->dropItem(root + "/IRs/Hall.mp3", true);
    testsupport::writeFile(root + "/IRs/broken.wav", "RIFF....WAVEjunk");
    actions->dropItem(root + "/IRs/broken.wav", true);
    actions->dropItem(root + "/IRs/missing.wav", true);
    testsupport::writeFile(root + "/IRs/lower.l", "passes the ending check, not the reader");
    actions->dropItem(root + "/IRs/lower.l", true);
    EXPECT_STREQ(host->ir->path(), aiff.c_str());
    EXPECT_EQ(host->rememberedPath(), aiff);
    EXPECT_EQ(host->buttons.size(), buttonsBefore);
    EXPECT_EQ(host->stores, storesBefore);

    // Dropped text is taken as it came.
    const std::string typed = wav(root + "/IRs/typed.wav");
    actions->dropItem(typed, false);
    EXPECT_STREQ(host->ir->path(), typed.c_str());
}

TEST_F(FileActionsTest, DroppedLinkLoadsTheFileItPointsTo)
{
    const std::string target = wav(root + "/IRs/Real Hall.wav");
    const std::string link = root + "/hall-link";  // no ending of its own
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
    actions->dropItem(link, true);
    EXPECT_STREQ(host->ir->path(), fs::canonical(target).c_str());
    EXPECT_EQ(host->rememberedPath(), fs::canonical(target).string());

    // The ending that counts is the target's; dropped text is never followed.
    testsupport::writeFile(root + "/notes.txt", "not an IR");
    ASSERT_EQ(symlink((root + "/notes.txt").c_str(), (root + "/looks.wav").c_str()), 0);
    actions->dropItem(root + "/looks.wav", true);
    EXPECT_STREQ(host->ir->path(), fs::canonical(target).c_str());
    actions->dropItem(link, false);
    EXPECT_STREQ(host->ir->path(), fs::canonical(target).c_str());
}

TEST_F(FileActionsTest, PathsThatDoNotFitAreRefusedWithAMessageNeverCut)
{
    const std::string fits = wav(pathOfLength(239, ".wav"));
    ASSERT_EQ(fits.size(), 239u);
    actions->dropItem(fits, true);
    EXPECT_STREQ(host->ir->path(), fits.c_str());
    EXPECT_EQ(host->rememberedPath(), fits);
    EXPECT_TRUE(services.messages.empty());

    for (std::size_t length : {240u, 259u, 300u}) {
        const std::string tooLong = wav(pathOfLength(length, ".wav"));
        ASSERT_EQ(tooLong.size(), length);
        actions->dropItem(tooLong, true);
        EXPECT_STREQ(host->ir->path(), fits.c_str()) << length;
        EXPECT_EQ(host->rememberedPath(), fits) << length;
    }
    ASSERT_EQ(services.messages.size(), 3u);
    EXPECT_NE(services.messages[0].find("too long to be remembered with the project (240 bytes; at most 239)"),
              std::string::npos)
        << services.messages[0];
    EXPECT_NE(services.messages[2].find("too long to be used (300 bytes; at most 259)"), std::string::npos)
        << services.messages[2];
    EXPECT_EQ(host->stores, 1);
}

TEST_F(FileActionsTest, FileSelectionAsksInTheCurrentFolderOrTheDataFolder)
{
    // No IR: the dialog opens in the data folder; cancelling changes nothing.
    EXPECT_EQ(actions->selectIRFile(), 0);
    ASSERT_EQ(host->selectorCalls.size(), 1u);
    const SelectorCall& call = host->selectorCalls[0];
    EXPECT_EQ(call.initialPath, data);
    EXPECT_EQ(call.title, "IR File Select");
    ASSERT_EQ(call.types.size(), 2u);
    const platform::FileType& wave = call.types[0];
    EXPECT_EQ(wave.name, "Wave File");
    EXPECT_EQ(wave.macType, "WAVE");
    EXPECT_EQ(wave.extensions(), (std::vector<std::string>{"wav"}));
    EXPECT_EQ(wave.mimeType1, "audio/wav");
    EXPECT_EQ(wave.mimeType2, "audio/x-wav");
    const platform::FileType& aiff = call.types[1];
    EXPECT_EQ(aiff.name, "AIFF File");
    EXPECT_EQ(aiff.macType, "AIFF");
    EXPECT_EQ(aiff.extensions(), (std::vector<std::string>{"aif", "aiff"}));
    EXPECT_EQ(aiff.mimeType1, "audio/aiff");
    EXPECT_EQ(aiff.mimeType2, "audio/x-aiff");
    EXPECT_FALSE(host->ir->loaded());
    EXPECT_EQ(host->stores, 0);
    EXPECT_TRUE(host->buttons.empty());

    // Chosen: loaded, remembered, and the button follows the file's folder.
    host->answer = wav(root + "/IRs/Chosen.wav");
    EXPECT_EQ(actions->selectIRFile(), 0);
    EXPECT_STREQ(host->ir->path(), host->answer.c_str());
    EXPECT_EQ(host->rememberedPath(), host->answer);
    EXPECT_EQ(host->buttons, std::vector<bool>{true});

    // The next dialog opens where the current IR lies; a file that fails to load changes nothing.
    host->answer = root + "/IRs/missing.wav";
    EXPECT_EQ(actions->selectIRFile(), -1);
    EXPECT_EQ(host->selectorCalls.back().initialPath, root + "/IRs");
    EXPECT_STREQ(host->ir->path(), (root + "/IRs/Chosen.wav").c_str());
    EXPECT_EQ(host->rememberedPath(), root + "/IRs/Chosen.wav");
    EXPECT_EQ(host->buttons.size(), 1u);
}

TEST_F(FileActionsTest, WebSearchOpensTheListingPageAndQuestionsDoNotStack)
{
    actions->webSearch();
    EXPECT_EQ(services.urls, std::vector<std::string>{ir::FileActions::kWebSearchAddress});

    // While Copy to Local waits for its answer, the file selection (from another
    // thread, say) does not open a second dialog, and the other way round.
    const std::string original = wav(root + "/IRs/Hall.wav");
    actions->dropItem(original, true);
    services.answerYes = false;
    services.onAsk = [&] { EXPECT_EQ(actions->selectIRFile(), 0); };
    actions->copyToLocal(original);
    EXPECT_TRUE(host->selectorCalls.empty());
    services.onAsk = nullptr;
    host->onSelect = [&] { actions->copyToLocal(original); };
    actions->selectIRFile();
    EXPECT_EQ(host->selectorCalls.size(), 1u);
    EXPECT_EQ(services.questions.size(), 1u);
    // Afterwards both work again.
    host->onSelect = nullptr;
    actions->copyToLocal(original);
    EXPECT_EQ(services.questions.size(), 2u);
}
