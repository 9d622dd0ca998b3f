// What opening builds: one control per table record at its place, value
// displays under the knobs, the two graphs, and the bitmaps' frame layouts.
#include "SDEditorTestKit.h"

#include "editor/CENVGRAP.h"
#include "editor/CFRGRAP.h"
#include "editor/ControlLayout.h"
#include "params/ParameterTable.h"
#include "toolkit/CAnimKnob.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CKickButton.h"
#include "toolkit/COffscreenContext.h"
#include "toolkit/COnOffButton.h"
#include "toolkit/CParamDisplay.h"
#include "toolkit/FontTable.h"

#include <cstring>

namespace {

using editortest::EditorTest;

enum Kind { kKnob, kSwitch, kKick };

struct Expected {
    int id;
    Kind kind;
    CRect control;
    int frames;      // knobs only
    CRect display;   // knobs only
};

const Expected kLayout[] = {
    {2, kKick, {600, 35, 680, 52}, 0, {}},
    {1, kKick, {600, 55, 680, 72}, 0, {}},
    {3, kKick, {600, 15, 681, 31}, 0, {}},
    {4, kKick, {627, 165, 648, 185}, 0, {}},
    {5, kSwitch, {605, 106, 677, 142}, 0, {}},
    {6, kKnob, {30, 210, 85, 265}, 51, {28, 266, 87, 277}},
    {7, kKnob, {90, 210, 145, 265}, 51, {88, 266, 147, 277}},
    {8, kKnob, {210, 210, 265, 265}, 51, {208, 266, 267, 277}},
    {9, kKnob, {150, 210, 205, 265}, 51, {148, 266, 207, 277}},
    {10, kKnob, {30, 295, 85, 350}, 51, {28, 351, 87, 362}},
    {13, kKnob, {90, 295, 145, 350}, 51, {88, 351, 147, 362}},
    {11, kKnob, {150, 295, 205, 350}, 51, {148, 351, 207, 362}},
    {12, kKnob, {210, 295, 265, 350}, 51, {208, 351, 267, 362}},
    {14, kKnob, {300, 311, 333, 344}, 51, {298, 344, 335, 355}},
    {15, kKnob, {400, 311, 433, 344}, 51, {398, 344, 435, 355}},
    {16, kKnob, {350, 311, 383, 344}, 51, {348, 344, 385, 355}},
    {17, kSwitch, {296, 285, 336, 310}, 0, {}},
    {19, kSwitch, {396, 285, 436, 310}, 0, {}},
    {18, kSwitch, {346, 285, 386, 310}, 0, {}},
    {20, kSwitch, {636, 328, 688, 354}, 0, {}},
    {22, kKnob, {465, 270, 546, 351}, 73, {463, 351, 548, 362}},
    {21, kKnob, {555, 270, 636, 351}, 73, {553, 351, 638, 362}},
};

std::uint32_t rgbOf(const CColor& c)
{
    return (static_cast<std::uint32_t>(c.red) << 16) | (static_cast<std::uint32_t>(c.green) << 8) | c.blue;
}

TEST_F(EditorTest, RectIsTheBackgroundSizeAndTheEditorRegistersItself)
{
    EXPECT_EQ(effect->editorRegistrations, 1);
    EXPECT_EQ(effect->editor, editor);
    vst::ERect* rect = nullptr;
    ASSERT_TRUE(editor->getRect(&rect));
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 386);
    EXPECT_EQ(rect->right, 712);
    EXPECT_FALSE(editor->isOpen());
}

TEST_F(EditorTest, OpeningMakesEveryControlAtItsPlace)
{
    ASSERT_TRUE(editor->open(nullptr));
    ASSERT_TRUE(editor->isOpen());
    EXPECT_TRUE(effect->editorOpenFlag);

    int knobs = 0, switches = 0, kicks = 0, displays = 0;
    for (int id = 0; id < SDEditor::kParameterCount; ++id) {
        CControl* control = editor->getControl(id);
        knobs += dynamic_cast<CAnimKnob*>(control) != nullptr;
        switches += dynamic_cast<COnOffButton*>(control) != nullptr;
        kicks += dynamic_cast<CKickButton*>(control) != nullptr;
        displays += editor->getDisplay(id) != nullptr;
    }
    EXPECT_EQ(knobs, 13);
    EXPECT_EQ(switches, 5);
    EXPECT_EQ(kicks, 4);
    EXPECT_EQ(displays, 13);
    // The Dummy record, the path ids and the commit id get nothing.
    EXPECT_EQ(editor->getControl(0), nullptr);
    EXPECT_EQ(editor->getDisplay(0), nullptr);
    for (int id = param::kPathFirst; id <= param::kPathCommit; ++id)
        EXPECT_EQ(editor->getControl(id), nullptr) << id;

    for (const Expected& e : kLayout) {
        SCOPED_TRACE(e.id);
        CControl* control = editor->getControl(e.id);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->getViewSize(), e.control);
        EXPECT_EQ(control->getTag(), e.id);
        EXPECT_EQ(control->getListener(), editor);
        switch (e.kind) {
        case kKnob: {
            auto* knob = dynamic_cast<CAnimKnob*>(control);
            ASSERT_NE(knob, nullptr);
            EXPECT_EQ(knob->getNumSubPixmaps(), e.frames);
            EXPECT_EQ(knob->getHeightOfOneImage(), e.control.width());  // square frames
            ASSERT_NE(editor->getDisplay(e.id), nullptr);
            EXPECT_EQ(editor->getDisplay(e.id)->getViewSize(), e.display);
            break;
        }
        case kSwitch:
            EXPECT_NE(dynamic_cast<COnOffButton*>(control), nullptr);
            EXPECT_EQ(editor->getDisplay(e.id), nullptr);
            break;
        case kKick:
            EXPECT_NE(dynamic_cast<CKickButton*>(control), nullptr);
            EXPECT_EQ(editor->getDisplay(e.id), nullptr);
            break;
        }
    }

    ASSERT_NE(editor->frequencyGraph(), nullptr);
    ASSERT_NE(editor->envelopeGraph(), nullptr);
    EXPECT_EQ(editor->frequencyGraph()->getViewSize(), CRect(287, 205, 447, 285));
    EXPECT_EQ(editor->envelopeGraph()->getViewSize(), CRect(32, 8, 597, 188));
    EXPECT_EQ(editor->frequencyGraph()->getTag(), -1);
    EXPECT_EQ(editor->envelopeGraph()->getTag(), -1);

    // 22 controls, 13 displays and 2 graphs, less CopyToLocal, hidden with no IR.
    const CFrame* frame = editor->getFrame();
    EXPECT_EQ(frame->getNbViews(), 22 + 13 + 2 - 1);
    EXPECT_EQ(frame->getViewSize(), CRect(0, 0, 712, 386));
    EXPECT_EQ(frame->getBackground(), editor->background());
    EXPECT_EQ(frame->getBackgroundColor(), (CColor{64, 88, 112, 128}));
}

TEST_F(EditorTest, GraphsGetTheirAxesWhenOpened)
{
    effect->sampleRate = 48000;
    editor->open(nullptr);
    CENVGRAP* envelope = editor->envelopeGraph();
    // The envelope graph counts 44100 samples a second whatever the host's rate.
    EXPECT_EQ(envelope->sampleRate(), 44100);
    EXPECT_FLOAT_EQ(envelope->timeRange(), 3000.0f);
    EXPECT_FLOAT_EQ(envelope->samplesInRange(), 132300.0f);
    // The frequency axis reaches half the host's rate; opening analysed once.
    EXPECT_EQ(effect->analyses, 1);
    const std::vector<CFRGRAP::Line> levels = editor->frequencyGraph()->levelLines();
    ASSERT_EQ(levels.size(), 5u);
    EXPECT_EQ(levels.front().from.y, 263);
    EXPECT_EQ(levels.back().from.y, 221);
    // The analysis reached the curve: around 1 kHz the wide-open filters sit
    // on the centre line (0 dB), row 242.
    const std::vector<CFRGRAP::Line> curve = editor->frequencyGraph()->segments();
    ASSERT_GT(curve.size(), 100u);
    const CFRGRAP::Line& middle = curve[curve.size() / 2];
    EXPECT_NEAR(middle.from.y, 242, 1);
    EXPECT_NEAR(middle.to.y, 242, 1);
}

TEST_F(EditorTest, ControlsStartAtTheEffectsValuesAndKnobDefaults)
{
    effect->values[param::kStrech] = 0.25f;
    effect->values[param::kEnabledHPF] = 1.0f;
    editor->open(nullptr);
    EXPECT_FLOAT_EQ(editor->getControl(param::kStrech)->getValue(), 0.25f);
    EXPECT_FLOAT_EQ(editor->getControl(param::kEnabledHPF)->getValue(), 1.0f);
    EXPECT_FLOAT_EQ(editor->getControl(param::kDryLevel)->getValue(), effect->values[param::kDryLevel]);
    // Knob defaults are the table's defaults, normalised.
    EXPECT_FLOAT_EQ(editor->getControl(param::kDryLevel)->getDefaultValue(),
                    static_cast<float>(param::toNormalisedValue(0.0, param::kDryLevel)));
    EXPECT_FLOAT_EQ(editor->getControl(param::kLPF)->getDefaultValue(), 1.0f);

    // Displays carry real values and write them with the record's formatter.
    CParamDisplay* stretch = editor->getDisplay(param::kStrech);
    EXPECT_FLOAT_EQ(stretch->getValue(), static_cast<float>(param::toRealValue(0.25, param::kStrech)));
    CParamDisplay* gate = editor->getDisplay(param::kGate);
    char text[kParamDisplayTextSize];
    gate->getText(text);
    EXPECT_STREQ(text, "off");
    editor->getDisplay(param::kWetLevel)->getText(text);
    EXPECT_STREQ(text, "0.0dB");

    EXPECT_EQ(stretch->getFont(), kNormalFontSmaller);
    EXPECT_EQ(stretch->getHoriAlign(), kCenterText);
    EXPECT_EQ(stretch->getFontColor(), (CColor{208, 208, 208, 128}));
    EXPECT_EQ(stretch->getBackColor(), (CColor{64, 88, 112, 128}));
    EXPECT_EQ(stretch->getFrameColor(), (CColor{64, 88, 112, 128}));
}

TEST_F(EditorTest, KnobsAndButtonsDrawTheirFramesOfTheBitmap)
{
    editor->open(nullptr);
    CFrame* frame = editor->getFrame();
    COffscreenContext* picture = frame->getOffscreen();
    ASSERT_NE(picture, nullptr);

    // Strech at 0.5 shows frame 25 of 51; DryLevel at 0 dB (5/6 of its range)
    // shows frame 60 of 73.
    auto* stretch = dynamic_cast<CAnimKnob*>(editor->getControl(param::kStrech));
    EXPECT_EQ(stretch->frameOffset(), 25 * 55);
    auto* dry = dynamic_cast<CAnimKnob*>(editor->getControl(param::kDryLevel));
    EXPECT_EQ(dry->frameOffset(), 60 * 81);
    frame->draw();
    for (auto* knob : {stretch, dry}) {
        const CRect& r = knob->getViewSize();
        CBitmap* strip = knob->getBackground();
        for (const CPoint& p : {CPoint(r.width() / 2, 6), CPoint(6, r.height() / 2), CPoint(r.width() / 2, r.height() / 2)})
            EXPECT_EQ(rgbOf(picture->getPixel(r.left + p.x, r.top + p.y)),
                      strip->getPixel(p.x, knob->frameOffset() + p.y) & 0xffffffu)
                << knob->getTag() << " at " << p.x << "," << p.y;
    }

    // The reset button (21 x 41) shows rows 0..19 released and rows 20..39 pressed.
    CControl* reset = editor->getControl(param::kReset);
    ASSERT_EQ(reset->getViewSize().height(), 20);
    CBitmap* states = reset->getBackground();
    ASSERT_EQ(states->getHeight(), 41);
    const CRect& rr = reset->getViewSize();
    for (float value : {0.f, 1.f}) {
        reset->setValue(value);
        frame->draw();
        const int top = value != 0.f ? 20 : 0;
        int same = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 21; ++x)
                same += rgbOf(picture->getPixel(rr.left + x, rr.top + y)) == (states->getPixel(x, top + y) & 0xffffffu);
        EXPECT_EQ(same, 21 * 20) << "value " << value;
    }
}

TEST_F(EditorTest, OpeningTwiceWithoutClosingBuildsOneSetOfViews)
{
    editor->open(nullptr);
    CControl* first = editor->getControl(param::kDecay);
    first->remember();
    editor->open(nullptr);
    // The first set went with its frame; only our reference is left.
    EXPECT_EQ(first->getNbReference(), 1);
    first->forget();
    EXPECT_EQ(editor->getFrame()->getNbViews(), 36);
}

} // namespace

// The layout and the parameter model are separate tables: every parameter the
// layout shows a value for must have a text for it, and the other way round.
TEST(ControlLayout, ValueDisplaysSitExactlyWhereTheParameterHasAText)
{
    int records = 0;
    for (const editor::ControlRecord* r = editor::kControlLayout; r->name != nullptr; ++r, ++records) {
        const bool hasText = r->id > 0 && param::findControl(r->id).formatter != nullptr;
        EXPECT_EQ(r->valueDisplayShown, hasText) << r->name;
        EXPECT_EQ(r->valueDisplayShown, r->kind == editor::kControlAnimKnob) << r->name;
        if (r->id > 0) {
            EXPECT_STREQ(r->name, param::findControl(r->id).name);
        }
    }
    EXPECT_EQ(records, editor::kControlRecordCount);
    EXPECT_EQ(editor::kControlLayout[records].id, -1);
}
