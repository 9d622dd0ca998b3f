// The editor with an IR loaded: the CopyToLocal button follows where the IR
// lies, the envelope graph's highlight ends at idle once its deadline passes,
// and closing or destroying the editor lets every view go exactly once.
#include "SDEditorTestKit.h"

#include "editor/CENVGRAP.h"
#include "platform/FileOperations.h"
#include "platform/ScriptedEvents.h"
#include "support/TestSupport.h"
#include "toolkit/COffscreenContext.h"

#include <filesystem>

#include <thread>

namespace {

using editortest::EditorTest;

class EditorWithIRTest : public EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        root_ = testsupport::makeTempDir("sdeditor");
        dataFolder_ = testsupport::joinPath(root_, "data");
        otherFolder_ = testsupport::joinPath(root_, "elsewhere");
        std::filesystem::create_directory(dataFolder_);
        std::filesystem::create_directory(otherFolder_);
        const std::string demo = std::string(RVB_SOURCE_DIR) + "/resources/demo/demo_ir.wav";
        ASSERT_TRUE(platform::copyFile(demo, testsupport::joinPath(dataFolder_, "hall.wav")));
        ASSERT_TRUE(platform::copyFile(demo, testsupport::joinPath(otherFolder_, "hall.wav")));
        makeEffect(dataFolder_);
    }
    void TearDown() override
    {
        EditorTest::TearDown();
        testsupport::removeTempDir(root_);
    }

    void load(const std::string& path) { ASSERT_EQ(effect->ir->loadIR(path.c_str()), 0) << effect->ir->errorText(); }

    bool copyButtonShown() const
    {
        CControl* button = editor->getControl(param::kCopyToLocal);
        return button && editor->getFrame()->isChild(button);
    }

    // Pixels of the info text's highlight colour above the envelope plot.
    int highlightPixels() const
    {
        const COffscreenContext* picture = editor->getFrame()->getOffscreen();
        int count = 0;
        for (int y = 16; y < 55; ++y)
            for (int x = 52; x < 587; ++x)
                count += picture->getPixel(x, y) == CColor{159, 211, 245, 255};
        return count;
    }

    std::string root_, dataFolder_, otherFolder_;
};

TEST_F(EditorWithIRTest, CopyButtonShowsOnlyForAnIROutsideTheDataFolder)
{
    load(testsupport::joinPath(otherFolder_, "hall.wav"));
    editor->open(nullptr);
    EXPECT_TRUE(copyButtonShown());
    EXPECT_EQ(editor->getFrame()->getNbViews(), 37);
    editor->close();

    load(testsupport::joinPath(dataFolder_, "hall.wav"));
    editor->open(nullptr);
    EXPECT_FALSE(copyButtonShown());
    // Hidden, not destroyed: the button can come back, at the next idle.
    ASSERT_NE(editor->getControl(param::kCopyToLocal), nullptr);
    editor->showCopyButton(true);
    EXPECT_FALSE(copyButtonShown());
    editor->idle();
    EXPECT_TRUE(copyButtonShown());
    // Asked from the host's thread, it waits for the window's idle the same way.
    std::thread([this] { editor->showCopyButton(false); }).join();
    EXPECT_TRUE(copyButtonShown());
    editor->idle();
    EXPECT_FALSE(copyButtonShown());
}

TEST_F(EditorWithIRTest, CopyButtonThatHidesItselfFinishesItsGesture)
{
    load(testsupport::joinPath(otherFolder_, "hall.wav"));
    editor->open(nullptr);
    ASSERT_TRUE(copyButtonShown());
    // The press copies the IR into the data folder, which hides the button.
    effect->onAutomated = [this](int id, float value) {
        if (id == param::kCopyToLocal && value == 1.f)
            editor->showCopyButton(false);
    };
    platform::ScriptedEvents events;
    editor->getFrame()->setEventSource(&events);
    platform::InputEvent press;
    press.type = platform::InputEvent::kButtonDown;
    press.x = 640;  // CopyToLocal spans (600, 55) to (680, 72)
    press.y = 60;
    press.state = press.button = platform::kInputLeft;
    platform::InputEvent release = press;
    release.type = platform::InputEvent::kButtonUp;
    release.state = 0;
    events.push(press);
    events.push(release);
    editor->idle();
    EXPECT_EQ(effect->edits, (std::vector<std::string>{"begin 1", "end 1"}));
    EXPECT_EQ(effect->automated,
              (std::vector<std::pair<int, float>>{{param::kCopyToLocal, 1.f}, {param::kCopyToLocal, 0.f}}));
    editor->idle();
    EXPECT_FALSE(copyButtonShown());
}

TEST_F(EditorWithIRTest, OpeningShowsBothCurvesOfTheLoadedIR)
{
    load(testsupport::joinPath(otherFolder_, "hall.wav"));
    editor->open(nullptr);
    CENVGRAP* graph = editor->envelopeGraph();
    EXPECT_TRUE(graph->curveValid(CENVGRAP::kRawSlot));
    EXPECT_TRUE(graph->curveValid(CENVGRAP::kShapedSlot));
    EXPECT_NE(effect->envelopeCurves(), nullptr);
}

TEST_F(EditorWithIRTest, IdleEndsTheHighlightOnceTheDeadlineIsReached)
{
    load(testsupport::joinPath(otherFolder_, "hall.wav"));
    editor->open(nullptr);
    const std::uint32_t deadline = clock.now.load() + 800;
    effect->ir->setRebuildIndicator(static_cast<int>(deadline));
    editor->envelopeGraph()->redraw();
    ASSERT_GT(highlightPixels(), 10);

    clock.now = deadline - 1;
    editor->idle();
    EXPECT_EQ(effect->ir->rebuildIndicator(), static_cast<int>(deadline));
    EXPECT_GT(highlightPixels(), 10);

    clock.now = deadline;
    editor->idle();
    EXPECT_EQ(effect->ir->rebuildIndicator(), 0);
    EXPECT_EQ(highlightPixels(), 0);

    // While a rebuild runs the indicator is -1, which no deadline ends.
    effect->ir->setRebuildIndicator(-1);
    editor->envelopeGraph()->redraw();
    clock.now = deadline + 100000;
    editor->idle();
    EXPECT_EQ(effect->ir->rebuildIndicator(), -1);
    EXPECT_GT(highlightPixels(), 10);
}

// Holds an extra reference on every view, so that what the editor lets go can be counted.
std::vector<CView*> holdAll(SDEditor* editor)
{
    std::vector<CView*> held = editortest::viewsOf(editor->getFrame());
    CControl* copyButton = editor->getControl(param::kCopyToLocal);
    if (!editor->getFrame()->isChild(copyButton))
        held.push_back(copyButton);
    for (CView* view : held)
        view->remember();
    return held;
}

void expectEachLetGoOnce(const std::vector<CView*>& held)
{
    for (CView* view : held) {
        EXPECT_EQ(view->getNbReference(), 1) << "view at " << view->getViewSize().left << ","
                                             << view->getViewSize().top;
        view->forget();
    }
}

TEST_F(EditorWithIRTest, CloseLetsEveryViewGoOnceAlsoAHiddenCopyButton)
{
    load(testsupport::joinPath(dataFolder_, "hall.wav"));
    editor->open(nullptr);
    ASSERT_FALSE(copyButtonShown());
    const std::vector<CView*> held = holdAll(editor);
    ASSERT_EQ(held.size(), 37u);
    editor->close();
    expectEachLetGoOnce(held);
    // Destroying the closed editor touches no view again (the sanitizer watches).
    effect.reset();
}

TEST_F(EditorWithIRTest, DestroyingAnOpenEditorLetsEveryViewGoOnce)
{
    load(testsupport::joinPath(otherFolder_, "hall.wav"));
    editor->open(nullptr);
    const std::vector<CView*> held = holdAll(editor);
    ASSERT_EQ(held.size(), 37u);
    effect->editor = nullptr;  // the effect no longer closes it first
    delete editor;
    expectEachLetGoOnce(held);
}

} // namespace
