// The file selector asks the host's own selector when the host offers one,
// and the desktop's dialog otherwise; a chosen path is never cut to fit.
#include "shell/CFileSelector.h"

#include "support/ServiceFake.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

class FakeServices final : public testsupport::ServiceFake {
public:
    std::uint32_t tickCount() override { return 0; }
    void sleepMs(int) override {}
    void messageBox(const std::string& caption, const std::string& text) override
    {
        messages.push_back(caption + ": " + text);
    }
    bool openFileDialog(const platform::FileDialogRequest& request, std::string& chosen) override
    {
        requests.push_back(request);
        if (answer.empty())
            return false;
        chosen = answer;
        return true;
    }

    std::string answer;
    std::vector<platform::FileDialogRequest> requests;
    std::vector<std::string> messages;
};

class FakeOwner final : public CFileSelectorOwner {
public:
    bool canHostDo(const char* text) override
    {
        asked.push_back(text);
        return (openOffered && std::strcmp(text, "openFileSelector") == 0)
               || (closeOffered && std::strcmp(text, "closeFileSelector") == 0);
    }
    bool openFileSelector(vst::VstFileSelect* select) override
    {
        calls.push_back("open");
        opened.push_back(Seen{select->command, select->type, select->title, select->initialPath,
                              select->sizeReturnPath,
                              std::vector<vst::VstFileType>(select->fileTypes, select->fileTypes + select->nbFileTypes)});
        if (answer.empty())
            return false;
        if (useOwnBuffer) {
            hostBuffer.assign(answer.begin(), answer.end());
            hostBuffer.push_back('\0');
            select->returnPath = hostBuffer.data();
            select->sizeReturnPath = static_cast<vst::Int32>(hostBuffer.size());
        } else {
            std::strncpy(select->returnPath, answer.c_str(), static_cast<std::size_t>(select->sizeReturnPath));
        }
        select->nbReturnPath = 1;
        return true;
    }
    bool closeFileSelector(vst::VstFileSelect* select) override
    {
        calls.push_back("close");
        closedWith = select->returnPath;
        return true;
    }

    // What the host's selector was asked for.
    struct Seen {
        vst::Int32 command;
        vst::Int32 type;
        std::string title;
        std::string initialPath;
        vst::Int32 sizeReturnPath;
        std::vector<vst::VstFileType> types;
    };
    std::vector<Seen> opened;
    bool openOffered = true;
    bool closeOffered = true;
    bool useOwnBuffer = false;
    std::string answer;
    std::vector<std::string> asked;
    std::vector<std::string> calls;
    std::vector<char> hostBuffer;
    const char* closedWith = nullptr;
};

class FileSelectorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::installServices(&services);
        types[0] = type("Wave File", "wav", "wav");
        types[1] = type("AIFF File", "aif", "aiff");
        request.command = vst::kVstFileLoad;
        request.type = vst::kVstFileType;
        request.nbFileTypes = 2;
        request.fileTypes = types;
        std::strcpy(request.title, "IR File Select");
        std::strcpy(initial, "/plug/data");
        request.initialPath = initial;
        request.returnPath = chosen;
        request.sizeReturnPath = sizeof chosen;
    }
    void TearDown() override { testsupport::installServices(nullptr); }

    static vst::VstFileType type(const char* name, const char* dos, const char* unix)
    {
        vst::VstFileType t{};
        std::strcpy(t.name, name);
        std::strcpy(t.dosType, dos);
        std::strcpy(t.unixType, unix);
        return t;
    }

    FakeServices services;
    FakeOwner owner;
    vst::VstFileType types[2];
    vst::VstFileSelect request{};
    char initial[260] = {};
    char chosen[260] = {};
};

} // namespace

TEST_F(FileSelectorTest, HostSelectorIsUsedWhenTheHostOffersOpeningAndClosing)
{
    owner.answer = "/ir/from host.wav";
    CFileSelector selector(&owner);
    EXPECT_EQ(selector.run(&request), 1);
    EXPECT_STREQ(chosen, "/ir/from host.wav");
    EXPECT_EQ(owner.calls, (std::vector<std::string>{"open", "close"}));
    EXPECT_TRUE(services.requests.empty());

    // A host that answers in a buffer of its own gets that buffer back when
    // closing; the path lands in ours all the same.
    owner.calls.clear();
    owner.useOwnBuffer = true;
    owner.answer = "/ir/host buffer.aiff";
    EXPECT_EQ(selector.run(&request), 1);
    EXPECT_STREQ(chosen, "/ir/host buffer.aiff");
    EXPECT_EQ(owner.closedWith, owner.hostBuffer.data());
    EXPECT_EQ(request.returnPath, chosen);

    // Cancelled in the host: nothing to close, nothing chosen.
    owner.calls.clear();
    owner.answer.clear();
    chosen[0] = '\0';
    EXPECT_EQ(selector.run(&request), 0);
    EXPECT_EQ(owner.calls, std::vector<std::string>{"open"});
    EXPECT_STREQ(chosen, "");
}

TEST_F(FileSelectorTest, DesktopDialogUnlessTheHostOffersBothHalves)
{
    owner.closeOffered = false;
    owner.answer = "/never/asked.wav";
    services.answer = "/ir/desk top.aif";
    CFileSelector selector(&owner);
    EXPECT_EQ(selector.run(&request), 1);
    EXPECT_STREQ(chosen, "/ir/desk top.aif");
    EXPECT_TRUE(owner.calls.empty());
    ASSERT_EQ(services.requests.size(), 1u);
    const platform::FileDialogRequest& dialog = services.requests[0];
    EXPECT_EQ(dialog.title, "IR File Select");
    EXPECT_EQ(dialog.initialFolder, "/plug/data");
    ASSERT_EQ(dialog.types.size(), 4u);
    EXPECT_EQ(dialog.types[0].name, "Wave File");
    EXPECT_EQ(dialog.types[0].extension, "wav");
    EXPECT_EQ(dialog.types[1].name, "AIFF File");
    EXPECT_EQ(dialog.types[1].extension, "aif aiff");
    EXPECT_EQ(dialog.types[2].name, "All Types: (*.wav *.aif *.aiff)");
    EXPECT_EQ(dialog.types[2].extension, "wav aif aiff");
    EXPECT_EQ(dialog.types[3].name, "Any Type (*.*)");

    // Without an owner the desktop dialog is the only way; cancelling chooses nothing.
    services.answer.clear();
    CFileSelector ownerless(nullptr);
    EXPECT_EQ(ownerless.run(&request), 0);
    EXPECT_EQ(services.requests.size(), 2u);
}

TEST_F(FileSelectorTest, PathsLongerThanTheReturnBufferAreRefusedWithAMessage)
{
    const std::string longPath = "/" + std::string(259, 'x');  // 260 bytes: one too many
    std::strcpy(chosen, "previous");
    services.answer = longPath;
    CFileSelector desktop(nullptr);
    EXPECT_EQ(desktop.run(&request), 0);
    EXPECT_STREQ(chosen, "previous");
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_NE(services.messages[0].find("too long (260 bytes; at most 259)"), std::string::npos) << services.messages[0];

    owner.useOwnBuffer = true;
    owner.answer = longPath;
    CFileSelector host(&owner);
    EXPECT_EQ(host.run(&request), 0);
    EXPECT_STREQ(chosen, "previous");
    EXPECT_EQ(owner.calls, (std::vector<std::string>{"open", "close"}));
    EXPECT_EQ(services.messages.size(), 2u);

    // 259 bytes still fit.
    services.answer = longPath.substr(1);
    EXPECT_EQ(desktop.run(&request), 1);
    EXPECT_EQ(std::string(chosen), longPath.substr(1));
}

// The reverb asks for an IR file in neutral terms; the host's selector gets
// the VST 2.4 load request of one file with the file types it knows.
TEST_F(FileSelectorTest, TheReverbsRequestReachesTheHostAsALoadRequestOfOneFile)
{
    platform::FileDialogRequest ask;
    ask.title = "IR File Select";
    ask.initialFolder = "/plug/data";
    ask.types = {{"Wave File", "wav", "WAVE", "audio/wav", "audio/x-wav"},
                 {"AIFF File", "aif aiff", "AIFF", "audio/aiff", "audio/x-aiff"}};
    owner.answer = "/ir/hall.wav";
    CFileSelector selector(&owner);
    std::string path;
    ASSERT_TRUE(selector.choose(ask, path, 260));
    EXPECT_EQ(path, "/ir/hall.wav");
    ASSERT_EQ(owner.opened.size(), 1u);
    const FakeOwner::Seen& call = owner.opened[0];
    EXPECT_EQ(call.command, vst::kVstFileLoad);
    EXPECT_EQ(call.type, vst::kVstFileType);
    EXPECT_EQ(call.title, "IR File Select");
    EXPECT_EQ(call.initialPath, "/plug/data");
    EXPECT_EQ(call.sizeReturnPath, 260);
    ASSERT_EQ(call.types.size(), 2u);
    const vst::VstFileType& wave = call.types[0];
    EXPECT_STREQ(wave.name, "Wave File");
    EXPECT_STREQ(wave.macType, "WAVE");
    EXPECT_STREQ(wave.dosType, "wav");
    EXPECT_STREQ(wave.unixType, "wav");
    EXPECT_STREQ(wave.mimeType1, "audio/wav");
    EXPECT_STREQ(wave.mimeType2, "audio/x-wav");
    const vst::VstFileType& aiff = call.types[1];
    EXPECT_STREQ(aiff.name, "AIFF File");
    EXPECT_STREQ(aiff.macType, "AIFF");
    EXPECT_STREQ(aiff.dosType, "aif");
    EXPECT_STREQ(aiff.unixType, "aiff");
    EXPECT_STREQ(aiff.mimeType1, "audio/aiff");
    EXPECT_STREQ(aiff.mimeType2, "audio/x-aiff");

    // Cancelled: nothing chosen.
    owner.answer.clear();
    EXPECT_FALSE(selector.choose(ask, path, 260));
    EXPECT_TRUE(path.empty());
}
