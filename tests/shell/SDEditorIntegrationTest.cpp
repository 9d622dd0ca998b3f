// The effect with its editor, driven through the effect record as a host
// does: the editor is made at construction, opened and idled through the
// editor opcodes, and kept in step with every parameter change.
#include "tests/shell/EffectFixture.h"

#include "editor/CFRGRAP.h"
#include "editor/SDEditor.h"
#include "ir/IRData.h"
#include "params/ParameterTable.h"
#include "support/ServiceFake.h"
#include "toolkit/CParamDisplay.h"


namespace {

class EditorEffectTest : public EffectTest {
protected:
    SDEditor* editor() const { return effect->editor(); }
    // Opens without a window: the frame draws offscreen only.
    void openEditor() { ASSERT_EQ(dispatch(vst::effEditOpen, 0, 0, nullptr), 1); }
    void idle() { dispatch(vst::effEditIdle); }
    float knob(int id) const { return editor()->getControl(id)->getValue(); }
};

TEST_F(EditorEffectTest, EffectOwnsAnEditorOfTheBackgroundsSize)
{
    ASSERT_NE(editor(), nullptr);
    EXPECT_EQ(effect->getEditor(), editor());
    EXPECT_EQ(record->flags & vst::effFlagsHasEditor, vst::effFlagsHasEditor);
    vst::ERect* rect = nullptr;
    EXPECT_EQ(dispatch(vst::effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right - rect->left, 712);
    EXPECT_EQ(rect->bottom - rect->top, 386);
}

TEST_F(EditorEffectTest, OpenAndCloseSetTheEditorOpenFlag)
{
    EXPECT_FALSE(effect->editorIsOpen());
    openEditor();
    EXPECT_TRUE(effect->editorIsOpen());
    EXPECT_NE(editor()->frequencyGraph(), nullptr);
    dispatch(vst::effEditClose);
    EXPECT_FALSE(effect->editorIsOpen());
    EXPECT_EQ(editor()->getFrame(), nullptr);
    // A second round works the same.
    openEditor();
    EXPECT_TRUE(effect->editorIsOpen());
}

TEST_F(EditorEffectTest, HostChangesReachTheControlsAtTheNextIdle)
{
    openEditor();
    idle();
    record->setParameter(record, param::kHPF, 0.75f);
    EXPECT_FLOAT_EQ(knob(param::kHPF), 0.0f);
    idle();
    EXPECT_FLOAT_EQ(knob(param::kHPF), 0.75f);
    EXPECT_FLOAT_EQ(editor()->getDisplay(param::kHPF)->getValue(),
                    static_cast<float>(param::toRealValue(0.75, param::kHPF)));

    // A program change moves every control.
    record->setParameter(record, param::kDecay, 0.9f);
    dispatch(vst::effSetProgram, 0, 1);
    idle();
    EXPECT_FLOAT_EQ(knob(param::kDecay), record->getParameter(record, param::kDecay));
    EXPECT_FLOAT_EQ(knob(param::kHPF), record->getParameter(record, param::kHPF));
}

TEST_F(EditorEffectTest, GestureIsAppliedAndAutomatedAndResetComesBack)
{
    openEditor();
    CControl* dry = editor()->getControl(param::kDryLevel);
    dry->setValue(0.25f);
    calls().clear();
    editor()->valueChanged(nullptr, dry);
    EXPECT_FLOAT_EQ(record->getParameter(record, param::kDryLevel), 0.25f);
    ASSERT_FALSE(calls().empty());
    EXPECT_EQ(calls().back().opcode, vst::audioMasterAutomate);
    EXPECT_EQ(calls().back().index, param::kDryLevel);
    EXPECT_FLOAT_EQ(calls().back().value, 0.25f);

    // The reset button brings the defaults back, and the knobs follow.
    CControl* reset = editor()->getControl(param::kReset);
    reset->setValue(1.0f);
    editor()->valueChanged(nullptr, reset);
    reset->setValue(0.0f);
    editor()->valueChanged(nullptr, reset);
    idle();
    const float defaultDry = static_cast<float>(param::normalisedDefault(param::kDryLevel));
    EXPECT_FLOAT_EQ(record->getParameter(record, param::kDryLevel), defaultDry);
    EXPECT_FLOAT_EQ(knob(param::kDryLevel), defaultDry);
}

// A clock that stands still unless the test moves it.
struct StillClock final : testsupport::ServiceFake {
    std::uint32_t tickCount() override { return now; }
    void sleepMs(int ms) override { now += static_cast<std::uint32_t>(ms); }
    std::uint32_t now = 50000;
};

TEST_F(EditorEffectTest, RoutingHighlightsTheGraphOnlyWhileOpen)
{
    StillClock clock;
    testsupport::installServices(&clock);
    struct Restore {
        ~Restore() { testsupport::installServices(nullptr); }
    } restore;
    record->setParameter(record, param::kStInputs, 0.3f);
    effect->finishPendingWork();
    EXPECT_EQ(effect->irData().rebuildIndicator(), 0);
    openEditor();
    record->setParameter(record, param::kStInputs, 0.6f);
    effect->finishPendingWork();
    // 49152 samples at 44100 Hz from now.
    EXPECT_EQ(effect->irData().rebuildIndicator(), 50000 + 1114);
    clock.now += 1113;
    idle();
    EXPECT_EQ(effect->irData().rebuildIndicator(), 50000 + 1114);
    clock.now += 1;
    idle();
    EXPECT_EQ(effect->irData().rebuildIndicator(), 0);
}

TEST_F(EditorEffectTest, SampleRateChangeReachesTheOpenFrequencyGraph)
{
    openEditor();
    dispatch(vst::effSetSampleRate, 0, 0, nullptr, 96000.0f);
    effect->finishPendingWork();
    // The editor takes the new rate at its next idle.
    dispatch(vst::effEditIdle);
    EXPECT_EQ(editor()->frequencyGraph()->sampleRate(), 96000);
    // 20 Hz to 48 kHz: every grid line up to 40 kHz.
    EXPECT_EQ(editor()->frequencyGraph()->frequencyLines().size(), 30u);
    dispatch(vst::effEditClose);
    dispatch(vst::effSetSampleRate, 0, 0, nullptr, 44100.0f);
    openEditor();
    EXPECT_EQ(editor()->frequencyGraph()->sampleRate(), 44100);
}

TEST_F(EditorEffectTest, EffectClosedWithItsEditorStillOpen)
{
    openEditor();
    CControl* knob = editor()->getControl(param::kGate);
    knob->remember();
    dispatch(vst::effClose);
    record = nullptr;  // gone with the effect
    // The effect closed its editor, whose frame let the view go.
    EXPECT_EQ(knob->getNbReference(), 1);
    knob->forget();
}

} // namespace
