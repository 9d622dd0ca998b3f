// User gestures on the editor's controls become automated parameter changes
// with the host's edit gestures around them; the editor's own idle work keeps
// the host alive meanwhile.
#include "SDEditorTestKit.h"

#include "editor/CENVGRAP.h"
#include "editor/CFRGRAP.h"
#include "platform/ScriptedEvents.h"
#include "toolkit/CKnob.h"
#include "toolkit/CParamDisplay.h"
#include "toolkit/MouseButtons.h"

namespace {

using editortest::EditorTest;
using platform::InputEvent;

class EditorGestureTest : public EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        editor->open(nullptr);
        editor->getFrame()->setEventSource(&events);
    }

    void push(InputEvent::Type type, int x, int y, int state, int button = 0, float wheel = 0.f)
    {
        InputEvent e;
        e.type = type;
        e.x = x;
        e.y = y;
        e.state = state;
        e.button = button;
        e.wheel = wheel;
        e.timeMs = time += 10;
        events.push(e);
    }
    void press(int x, int y) { push(InputEvent::kButtonDown, x, y, kLButton, kLButton); }
    void move(int x, int y) { push(InputEvent::kMotion, x, y, kLButton); }
    void release(int x, int y) { push(InputEvent::kButtonUp, x, y, 0, kLButton); }

    std::vector<float> automatedValuesOf(int id) const
    {
        std::vector<float> values;
        for (const auto& [index, value] : effect->automated)
            if (index == id)
                values.push_back(value);
        return values;
    }

    platform::ScriptedEvents events;
    std::uint32_t time = 5000;
};

TEST_F(EditorGestureTest, KickButtonSendsPressLeaveReturnAndRelease)
{
    // WebSearch spans (600, 15) to (681, 31).
    press(640, 22);
    move(700, 100);
    move(650, 25);
    release(650, 25);
    editor->idle();
    EXPECT_EQ(automatedValuesOf(param::kWebSearch), (std::vector<float>{1.f, 0.f, 1.f, 0.f}));
    EXPECT_EQ(effect->edits, (std::vector<std::string>{"begin 3", "end 3"}));
    EXPECT_EQ(effect->automated.size(), 4u);
    EXPECT_FLOAT_EQ(editor->getControl(param::kWebSearch)->getValue(), 0.f);
}

TEST_F(EditorGestureTest, LinearKnobDragIsAutomatedAndShownOnTheDisplay)
{
    ASSERT_TRUE(editor->setKnobMode(kLinearMode));
    EXPECT_EQ(editor->getFrame()->getKnobMode(), kLinearMode);
    // Strech (30, 210) to (85, 265) starts at 0.5; 36 pixels up add a tenth.
    press(57, 237);
    move(57, 219);
    move(57, 201);
    release(57, 201);
    editor->idle();
    const std::vector<float> sent = automatedValuesOf(param::kStrech);
    ASSERT_FALSE(sent.empty());
    EXPECT_NEAR(sent.back(), 0.6f, 1e-4f);
    EXPECT_EQ(effect->edits.front(), "begin 6");
    EXPECT_EQ(effect->edits.back(), "end 6");
    // The effect's echo reaches the display by the next idle.
    editor->idle();
    EXPECT_NEAR(editor->getDisplay(param::kStrech)->getValue(), param::toRealValue(sent.back(), param::kStrech),
                1e-5);
    editor->setKnobMode(kCircularMode);
}

TEST_F(EditorGestureTest, GraphsAndStrangeTagsAreNeverAutomated)
{
    editor->valueChanged(nullptr, editor->envelopeGraph());
    editor->valueChanged(nullptr, editor->frequencyGraph());
    CControl* knob = editor->getControl(param::kGate);
    const long tag = knob->getTag();
    knob->setTag(104);
    editor->valueChanged(nullptr, knob);
    knob->setTag(tag);
    EXPECT_TRUE(effect->automated.empty());

    knob->setValue(0.25f);
    editor->getFrame()->draw();
    editor->valueChanged(nullptr, knob);
    ASSERT_EQ(effect->automated.size(), 1u);
    EXPECT_EQ(effect->automated[0], std::make_pair(param::kGate, 0.25f));
    EXPECT_TRUE(knob->isDirty());
}

TEST_F(EditorGestureTest, IdleStuffRunsAtMostEveryHundredMilliseconds)
{
    const std::uint32_t start = clock.now.load();
    editor->doIdleStuff();
    EXPECT_EQ(effect->masterIdles, 1);
    editor->doIdleStuff();  // naps 4 ms, still far from due
    EXPECT_EQ(effect->masterIdles, 1);
    // Within 50 ms of the due time (after the nap) counts as due.
    clock.now = start + 46;
    editor->doIdleStuff();
    EXPECT_EQ(effect->masterIdles, 2);
    // The next is due at start + 50 + 100; a nap must bring it within 50 ms.
    clock.now = start + 95;
    editor->doIdleStuff();
    EXPECT_EQ(effect->masterIdles, 2);
    clock.now = start + 96;
    editor->doIdleStuff();
    EXPECT_EQ(effect->masterIdles, 3);
}

TEST_F(EditorGestureTest, HostIdleCallbackComingBackDoesNotDrawTheFrame)
{
    CControl* knob = editor->getControl(param::kDecay);
    editor->getFrame()->draw();
    bool dirtyInside = false;
    effect->onMasterIdle = [&] {
        knob->setValue(0.9f);
        editor->idle();
        dirtyInside = knob->isDirty();
    };
    editor->doIdleStuff();
    EXPECT_TRUE(dirtyInside);
    effect->onMasterIdle = nullptr;
    editor->idle();
    EXPECT_FALSE(knob->isDirty());
}

} // namespace
