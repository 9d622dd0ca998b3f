// Keeping the controls in step with the effect: host changes reach the views
// at the next idle, from any thread, and never while the editor is closed.
#include "SDEditorTestKit.h"

#include "editor/ParameterMirror.h"
#include "toolkit/CParamDisplay.h"

#include <thread>

namespace {

using editortest::EditorTest;

TEST_F(EditorTest, HostChangeMovesKnobAndDisplayAtTheNextIdle)
{
    editor->open(nullptr);
    editor->getFrame()->draw();
    CControl* knob = editor->getControl(param::kPreDelay);
    CParamDisplay* display = editor->getDisplay(param::kPreDelay);
    ASSERT_FALSE(knob->isDirty());

    effect->hostSets(param::kPreDelay, 0.5f);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.0f);
    EXPECT_FLOAT_EQ(display->getValue(), 0.0f);
    EXPECT_FALSE(knob->isDirty());

    editor->idle();
    EXPECT_FLOAT_EQ(knob->getValue(), 0.5f);
    EXPECT_FLOAT_EQ(display->getValue(), 100.0f);
    char text[kParamDisplayTextSize];
    display->getText(text);
    EXPECT_STREQ(text, "100ms");
    // The same idle drew them.
    EXPECT_FALSE(knob->isDirty());
    EXPECT_FALSE(display->isDirty());
}

TEST_F(EditorTest, ClosedEditorIgnoresChangesAndReopensWithCurrentValues)
{
    editor->open(nullptr);
    editor->close();
    EXPECT_FALSE(editor->isOpen());
    EXPECT_FALSE(effect->editorOpenFlag);
    EXPECT_EQ(editor->getFrame(), nullptr);
    EXPECT_EQ(editor->envelopeGraph(), nullptr);
    EXPECT_EQ(effect->envelopeCurves(), nullptr);

    effect->hostSets(param::kDecay, 0.8f);
    effect->hostSets(param::kBypassLocal, 0.0f);
    editor->idle();  // nothing to draw, nothing to move
    EXPECT_EQ(editor->getControl(param::kDecay), nullptr);

    // Even a change noted while closed must not win over the value read at open.
    effect->values[param::kDecay] = 0.3f;
    editor->open(nullptr);
    editor->idle();
    EXPECT_FLOAT_EQ(editor->getControl(param::kDecay)->getValue(), 0.3f);
    EXPECT_FLOAT_EQ(editor->getControl(param::kBypassLocal)->getValue(), 0.0f);
    EXPECT_FLOAT_EQ(editor->getDisplay(param::kDecay)->getValue(),
                    static_cast<float>(param::toRealValue(0.3, param::kDecay)));
}

TEST_F(EditorTest, ChangesFromAnotherThreadArriveAtIdle)
{
    editor->open(nullptr);
    // The host's automation thread sweeps while the window's thread idles.
    std::thread automation([this] {
        for (int step = 0; step <= 1000; ++step)
            editor->setParameter(param::kStWidth, static_cast<float>(step) / 1000.0f);
    });
    for (int i = 0; i < 50; ++i)
        editor->idle();
    automation.join();
    editor->idle();
    EXPECT_FLOAT_EQ(editor->getControl(param::kStWidth)->getValue(), 1.0f);
    EXPECT_FLOAT_EQ(editor->getDisplay(param::kStWidth)->getValue(), 2.0f);
}

TEST(ParameterMirrorTest, NotesOnlyWhileAcceptingAndHandsEachOnOnce)
{
    ParameterMirror mirror;
    EXPECT_FALSE(mirror.post(5, 1.0f));
    mirror.setAccepting(true);
    EXPECT_TRUE(mirror.post(7, 0.25f));
    EXPECT_TRUE(mirror.post(5, 0.5f));
    EXPECT_TRUE(mirror.post(7, 0.75f));
    EXPECT_FALSE(mirror.post(104, 0.1f));
    EXPECT_FALSE(mirror.post(-1, 0.1f));
    std::vector<std::pair<int, float>> seen;
    EXPECT_EQ(mirror.take([&](int id, float v) { seen.emplace_back(id, v); }), 2);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], std::make_pair(5, 0.5f));
    EXPECT_EQ(seen[1], std::make_pair(7, 0.75f));
    EXPECT_EQ(mirror.take([&](int, float) { ADD_FAILURE(); }), 0);

    mirror.post(9, 0.5f);
    mirror.clear();
    EXPECT_EQ(mirror.take([&](int, float) { ADD_FAILURE(); }), 0);
}

} // namespace
