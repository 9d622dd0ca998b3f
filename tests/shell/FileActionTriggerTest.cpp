// The action parameters 1 to 3 start the file actions; the path a file action
// remembers travels with the parameter values through a save and a restore.
#include "FileActionFixture.h"

#include "editor/CENVGRAP.h"
#include "editor/SDEditor.h"
#include "platform/ScriptedEvents.h"
#include "toolkit/CFrame.h"
#include "toolkit/MouseButtons.h"

#include <algorithm>

using namespace fileactiontest;

TEST_F(FileActionTest, FileSelectionFiresFromJustAbove0point9AndOpensInTheDataFolder)
{
    for (float v : {0.0f, 0.5f, 0.85f, 0.9f, 1.95f})
        hostSets(effect, param::kIRFileSelect, v);
    EXPECT_TRUE(desktop.dialogs.empty());
    hostSets(effect, param::kIRFileSelect, 0.95f);
    hostSets(effect, param::kIRFileSelect, 1.0f);
    ASSERT_EQ(desktop.dialogs.size(), 2u);
    for (const platform::FileDialogRequest& dialog : desktop.dialogs) {
        EXPECT_EQ(dialog.title, "IR File Select");
        EXPECT_EQ(dialog.initialFolder, effect->dataFolder());
    }
    EXPECT_NE(std::string(effect->dataFolder()), "");
    EXPECT_EQ(hostGets(effect, param::kIRFileSelect), 0.0f);
    EXPECT_FALSE(effect->irData().loaded());
}

TEST_F(FileActionTest, WebSearchAndCopyToLocalFireTheSameWay)
{
    hostSets(effect, param::kWebSearch, 0.9f);
    EXPECT_TRUE(desktop.urls.empty());
    hostSets(effect, param::kWebSearch, 1.0f);
    EXPECT_EQ(desktop.urls.size(), 1u);

    // No IR: nothing to copy, nothing asked.
    hostSets(effect, param::kCopyToLocal, 1.0f);
    EXPECT_TRUE(desktop.questions.empty());

    desktop.answer = demoIR(dir + "/IRs/Hall.wav");
    hostSets(effect, param::kIRFileSelect, 1.0f);
    ASSERT_STREQ(effect->irData().path(), desktop.answer.c_str());
    hostSets(effect, param::kCopyToLocal, 0.9f);
    EXPECT_TRUE(desktop.questions.empty());
    hostSets(effect, param::kCopyToLocal, 1.0f);  // answered No
    ASSERT_EQ(desktop.questions.size(), 1u);
    EXPECT_EQ(desktop.questions[0].rfind("Copy to Local|Do you want to copy?\n  " + desktop.answer, 0), 0u);
    EXPECT_STREQ(effect->irData().path(), desktop.answer.c_str());
    EXPECT_EQ(hostGets(effect, param::kCopyToLocal), 0.0f);
}

TEST_F(FileActionTest, HostsOwnSelectorIsUsedWhenOffered)
{
    host().offerSelector = true;
    host().selectorAnswer = demoIR(dir + "/from host.wav");
    hostSets(effect, param::kIRFileSelect, 1.0f);
    EXPECT_TRUE(desktop.dialogs.empty());
    ASSERT_EQ(host().selectorInitialPaths.size(), 1u);
    EXPECT_EQ(host().selectorInitialPaths[0], effect->dataFolder());
    const std::vector<vst::Int32>& calls = host().opcodes;
    EXPECT_NE(std::find(calls.begin(), calls.end(), vst::audioMasterCloseFileSelector), calls.end());
    EXPECT_STREQ(effect->irData().path(), host().selectorAnswer.c_str());
    EXPECT_EQ(savedPath(effect), host().selectorAnswer);
    // Choosing a file tells the host nothing: it reads the path when it saves.
    EXPECT_EQ(std::count(calls.begin(), calls.end(), vst::audioMasterAutomate), 0);
}

TEST_F(FileActionTest, PathOf239BytesSurvivesASaveAndARestore)
{
    desktop.answer = demoIR(pathOfLength(239, ".wav"));
    ASSERT_EQ(desktop.answer.size(), 239u);
    hostSets(effect, param::kIRFileSelect, 1.0f);
    ASSERT_STREQ(effect->irData().path(), desktop.answer.c_str());

    // Save: every value as the host reads it. Restore: every value in
    // ascending order into a fresh effect, the commit parameter last.
    std::vector<float> saved;
    for (int id = 0; id < param::kNumParams; ++id)
        saved.push_back(hostGets(effect, id));
    DOvu* restored = makeEffect();
    for (int id = 0; id < param::kNumParams; ++id)
        hostSets(restored, id, saved[static_cast<std::size_t>(id)]);
    EXPECT_STREQ(restored->irData().path(), desktop.answer.c_str());
    EXPECT_TRUE(desktop.messages.empty());
    closeEffect(restored);

    // One byte more does not fit the path parameters: refused, and what was remembered stays.
    const std::string first = desktop.answer;
    desktop.answer = demoIR(pathOfLength(240, ".wav"));
    hostSets(effect, param::kIRFileSelect, 1.0f);
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_NE(desktop.messages[0].find("240 bytes; at most 239"), std::string::npos) << desktop.messages[0];
    EXPECT_STREQ(effect->irData().path(), first.c_str());
    EXPECT_EQ(savedPath(effect), first);
}

TEST_F(FileActionTest, LeftClickOnTheEnvelopeGraphOpensTheDialogAndTheButtonFollows)
{
    ASSERT_EQ(dispatch(effect, vst::effEditOpen), 1);  // a frame without a window
    SDEditor* editor = effect->editor();
    CFrame* frame = editor->getFrame();
    ASSERT_NE(frame, nullptr);
    CControl* copyButton = editor->getControl(param::kCopyToLocal);
    ASSERT_NE(copyButton, nullptr);
    EXPECT_FALSE(frame->isChild(copyButton));

    platform::ScriptedEvents events;
    frame->setEventSource(&events);
    auto press = [&](int button) {
        platform::InputEvent down;
        down.type = platform::InputEvent::kButtonDown;
        down.x = 300;
        down.y = 100;
        down.button = button;
        down.state = button;
        platform::InputEvent up = down;
        up.type = platform::InputEvent::kButtonUp;
        up.state = 0;
        events.push(down);
        events.push(up);
        dispatch(effect, vst::effEditIdle);
    };
    press(kRButton);
    EXPECT_TRUE(desktop.dialogs.empty());

    desktop.answer = demoIR(dir + "/IRs/Clicked.wav");
    press(kLButton);
    ASSERT_EQ(desktop.dialogs.size(), 1u);
    EXPECT_STREQ(effect->irData().path(), desktop.answer.c_str());
    // Outside the data folder: the CopyToLocal button is on the frame from the next idle.
    dispatch(effect, vst::effEditIdle);
    EXPECT_TRUE(frame->isChild(copyButton));
    dispatch(effect, vst::effEditClose);
}
