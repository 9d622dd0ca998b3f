#include "ToolkitFixtures.h"

#include "support/TestSupport.h"
#include "toolkit/CAnimKnob.h"
#include "toolkit/COnOffButton.h"
#include "toolkit/CParamDisplay.h"

#include <gtest/gtest.h>

#include <thread>

using tk::ScriptedFrame;

namespace {

int gViewsDestroyed = 0;
int gBitmapsDestroyed = 0;

// A view that counts its draws and presses, and its destruction.
class CountingView : public CView {
public:
    explicit CountingView(const CRect& size) : CView(size) {}
    void draw(CDrawContext* context) override
    {
        ++draws;
        CView::draw(context);
    }
    void mouse(CDrawContext*, CPoint& where, long buttons) override
    {
        ++presses;
        lastPress = where;
        lastButtons = buttons;
    }
    int draws = 0;
    int presses = 0;
    CPoint lastPress;
    long lastButtons = 0;

protected:
    ~CountingView() override { ++gViewsDestroyed; }
};

class CountingBitmap : public CBitmap {
public:
    CountingBitmap() : CBitmap(2, 2, pixels) {}

protected:
    ~CountingBitmap() override { ++gBitmapsDestroyed; }

private:
    static constexpr std::uint32_t pixels[4] = {0xffffffffu, 0xffffffffu, 0xffffffffu, 0xffffffffu};
};

TEST(FrameTest, FrameForgetsItsViewsAndControlsForgetTheirBitmaps)
{
    gViewsDestroyed = 0;
    gBitmapsDestroyed = 0;
    CFrame* frame = new CFrame(CRect(0, 0, 100, 100), nullptr, nullptr);
    CBitmap* bitmap = new CountingBitmap();
    frame->addView(new CountingView(CRect(0, 0, 10, 10)));
    CountingView* kept = new CountingView(CRect(10, 0, 20, 10));
    frame->addView(kept);
    CAnimKnob* knob = new CAnimKnob(CRect(20, 20, 22, 22), nullptr, 1, 1, 2, bitmap);
    COnOffButton* button = new COnOffButton(CRect(30, 30, 32, 31), nullptr, 2, bitmap);
    frame->addView(knob);
    frame->addView(button);
    EXPECT_EQ(bitmap->getNbReference(), 3);
    bitmap->forget();  // the controls keep it alive
    EXPECT_EQ(gBitmapsDestroyed, 0);

    // Taken off without forgetting: alive, and can come back.
    frame->removeView(kept, false);
    EXPECT_FALSE(frame->isChild(kept));
    EXPECT_EQ(kept->getFrame(), nullptr);
    EXPECT_EQ(gViewsDestroyed, 0);
    frame->addView(kept);
    EXPECT_EQ(kept->getFrame(), frame);
    EXPECT_EQ(frame->getNbViews(), 4);

    // A view remembered elsewhere outlives the frame.
    kept->remember();
    frame->forget();
    EXPECT_EQ(gViewsDestroyed, 1);
    EXPECT_EQ(gBitmapsDestroyed, 1);
    EXPECT_EQ(kept->getFrame(), nullptr);
    kept->forget();
    EXPECT_EQ(gViewsDestroyed, 2);
}

TEST(FrameTest, RemovingWithForgetDestroysTheView)
{
    gViewsDestroyed = 0;
    CFrame* frame = new CFrame(CRect(0, 0, 10, 10), nullptr, nullptr);
    CountingView* view = new CountingView(CRect(0, 0, 5, 5));
    frame->addView(view);
    frame->removeView(view);
    EXPECT_EQ(gViewsDestroyed, 1);
    EXPECT_EQ(frame->getNbViews(), 0);
    frame->forget();
}

struct DirtyTest : ::testing::Test {
    CFrame* frame = new CFrame(CRect(0, 0, 60, 40), nullptr, nullptr);
    CountingView* a = new CountingView(CRect(0, 0, 20, 20));
    CountingView* b = new CountingView(CRect(20, 0, 40, 20));
    COnOffButton* button = new COnOffButton(CRect(40, 0, 60, 20), nullptr, 5, nullptr);

    void SetUp() override
    {
        frame->addView(a);
        frame->addView(b);
        frame->addView(button);
    }
    void TearDown() override { frame->forget(); }
};

TEST_F(DirtyTest, IdleDrawsNothingBeforeTheFirstFullDraw)
{
    EXPECT_TRUE(frame->isDirty());
    frame->idle();
    EXPECT_EQ(a->draws, 0);
    frame->draw();
    EXPECT_EQ(a->draws, 1);
    EXPECT_EQ(b->draws, 1);
    EXPECT_FALSE(frame->isDirty());
}

TEST_F(DirtyTest, IdleRedrawsOnlyTheDirtyViews)
{
    frame->draw();
    frame->idle();
    EXPECT_EQ(a->draws, 1);
    EXPECT_EQ(b->draws, 1);

    b->setDirty();
    EXPECT_TRUE(frame->isDirty());
    frame->idle();
    EXPECT_EQ(a->draws, 1);
    EXPECT_EQ(b->draws, 2);
    EXPECT_FALSE(b->isDirty());

    // A control is dirty while its value differs from the one last drawn.
    button->setValue(1.f);
    EXPECT_TRUE(button->isDirty());
    frame->idle();
    EXPECT_FALSE(button->isDirty());
    button->setValue(1.f);
    EXPECT_FALSE(button->isDirty());
    button->setDirty(true);
    EXPECT_TRUE(button->isDirty());
    button->setDirty(false);
    EXPECT_FALSE(button->isDirty());
    EXPECT_EQ(a->draws, 1);

    // A change of the frame's own background redraws everything.
    frame->setBackgroundColor(kRedCColor);
    frame->idle();
    EXPECT_EQ(a->draws, 2);
    EXPECT_EQ(b->draws, 3);
}

TEST_F(DirtyTest, RedrawDrawsOneViewAtOnce)
{
    frame->draw();
    a->redraw();
    EXPECT_EQ(a->draws, 2);
    EXPECT_EQ(b->draws, 1);
}

// Other threads only mark a view (drawing is the window thread's); the mark
// is drawn at the next idle.
TEST_F(DirtyTest, AMarkFromAnotherThreadIsDrawnAtTheNextIdle)
{
    frame->draw();
    std::thread other([this] { a->setDirty(true); });
    other.join();
    EXPECT_EQ(a->draws, 1);
    EXPECT_TRUE(a->isDirty());
    frame->idle();
    EXPECT_EQ(a->draws, 2);
}

TEST_F(DirtyTest, AddedViewAppearsAtTheNextIdle)
{
    frame->draw();
    CountingView* c = new CountingView(CRect(0, 20, 20, 40));
    frame->addView(c);
    frame->idle();
    EXPECT_EQ(c->draws, 1);
    EXPECT_EQ(a->draws, 1);
}

TEST(FrameTest, PressGoesToTheTopmostMouseEnabledView)
{
    ScriptedFrame f;
    CountingView* below = new CountingView(CRect(0, 0, 50, 50));
    CountingView* above = new CountingView(CRect(10, 10, 30, 30));
    f.frame->addView(below);
    f.frame->addView(above);
    f.events.push(tk::pointerEvent(platform::InputEvent::kButtonDown, 15, 15, kLButton | kShift, kLButton, 1));
    f.events.push(tk::pointerEvent(platform::InputEvent::kButtonDown, 40, 40, kRButton, kRButton, 2));
    f.events.push(tk::pointerEvent(platform::InputEvent::kButtonDown, 80, 80, kLButton, kLButton, 3));
    f.run();
    EXPECT_EQ(above->presses, 1);
    EXPECT_EQ(above->lastPress, CPoint(15, 15));
    EXPECT_EQ(above->lastButtons, kLButton | kShift);
    EXPECT_EQ(below->presses, 1);
    EXPECT_EQ(below->lastButtons, kRButton);

    above->setMouseEnabled(false);
    f.events.push(tk::pointerEvent(platform::InputEvent::kButtonDown, 15, 15, kLButton, kLButton, 4));
    f.run();
    EXPECT_EQ(above->presses, 1);
    EXPECT_EQ(below->presses, 2);
}

TEST(FrameTest, EditGesturesGoToTheOwnerAndKnobModeIsProcessWide)
{
    ScriptedFrame f;
    f.frame->beginEdit(12);
    f.frame->endEdit(12);
    EXPECT_EQ(f.owner.calls, (std::vector<std::string>{"begin 12", "end 12"}));

    CFrame* other = new CFrame(CRect(0, 0, 1, 1), nullptr, nullptr);
    CFrame::setKnobMode(kLinearMode);
    EXPECT_EQ(f.frame->getKnobMode(), kLinearMode);
    EXPECT_EQ(other->getKnobMode(), kLinearMode);
    CFrame::setKnobMode(kCircularMode);
    EXPECT_EQ(other->getKnobMode(), kCircularMode);
    other->forget();
}

TEST(FrameTest, ClosedEventClosesTheFrame)
{
    ScriptedFrame f;
    EXPECT_TRUE(f.frame->isOpen());
    platform::InputEvent closed;
    closed.type = platform::InputEvent::kClosed;
    f.events.push(closed);
    f.run();
    EXPECT_FALSE(f.frame->isOpen());
}

TEST(FrameTest, RendersAFrameToPng)
{
    CFrame* frame = new CFrame(CRect(0, 0, 48, 32), nullptr, nullptr);
    frame->setBackgroundColor(CColor{64, 88, 112, 128});
    std::vector<std::uint32_t> pixels(16 * 16);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = i < 128 ? tk::argb(255, 0, 0) : tk::argb(0, 0, 255);
    CBitmap* states = new CBitmap(16, 16, pixels.data());
    COnOffButton* button = new COnOffButton(CRect(4, 4, 20, 12), nullptr, 1, states);
    states->forget();
    button->setValue(1.f);
    frame->addView(button);
    CParamDisplay* display = new CParamDisplay(CRect(24, 20, 44, 30));
    display->setBackColor(CColor{0, 200, 0, 255});
    display->setFrameColor(CColor{255, 255, 0, 255});
    display->setStringConvert([](float, char* text) { text[0] = '\0'; });
    frame->addView(display);

    const testsupport::TempDir dir("toolkit");
    const std::string path = dir.path() + "/frame.png";
    ASSERT_TRUE(frame->renderToPng(path));
    const std::string bytes = testsupport::readFile(path);
    ASSERT_GT(bytes.size(), 8u);
    CBitmap* png = new CBitmap(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    ASSERT_TRUE(png->isLoaded());
    EXPECT_EQ(png->getWidth(), 48);
    EXPECT_EQ(png->getHeight(), 32);
    EXPECT_EQ(png->getPixel(0, 0), tk::argb(64, 88, 112));    // frame background
    EXPECT_EQ(png->getPixel(47, 31), tk::argb(64, 88, 112));
    EXPECT_EQ(png->getPixel(10, 8), tk::argb(0, 0, 255));     // the button's "on" half
    EXPECT_EQ(png->getPixel(24, 20), tk::argb(255, 255, 0));  // display outline
    EXPECT_EQ(png->getPixel(25, 29), tk::argb(255, 255, 0));
    EXPECT_EQ(png->getPixel(26, 22), tk::argb(0, 200, 0));    // display fill
    png->forget();
    frame->forget();
}

TEST(FrameTest, FrameBackgroundBitmapIsDrawnAtTheOrigin)
{
    CFrame* frame = new CFrame(CRect(0, 0, 8, 8), nullptr, nullptr);
    frame->setBackgroundColor(kBlackCColor);
    std::vector<std::uint32_t> pixels(4 * 4, tk::argb(9, 8, 7));
    CBitmap* background = new CBitmap(4, 4, pixels.data());
    frame->setBackground(background);
    background->forget();
    frame->draw();
    EXPECT_EQ(frame->getOffscreen()->getPixel(3, 3), (CColor{9, 8, 7, 255}));
    EXPECT_EQ(frame->getOffscreen()->getPixel(4, 4), (CColor{0, 0, 0, 255}));
    frame->forget();
}

} // namespace

namespace {

// Closes the editor from inside a press, the way a host may during idle work.
class ClosingView : public CView {
public:
    ClosingView(const CRect& size, CFrame* owner) : CView(size), owner_(owner) {}
    void mouse(CDrawContext*, CPoint&, long) override
    {
        owner_->forget();
        pressedAfterClose = getFrame() != nullptr;
    }
    bool pressedAfterClose = false;

private:
    CFrame* owner_;
};

TEST(FrameTest, FrameClosedDuringAPressLivesUntilThePressEnds)
{
    gViewsDestroyed = 0;
    platform::ScriptedEvents events;
    CFrame* frame = new CFrame(CRect(0, 0, 20, 20), nullptr, nullptr);
    frame->setEventSource(&events);
    ClosingView* view = new ClosingView(CRect(0, 0, 20, 20), frame);
    view->remember();
    frame->addView(view);
    frame->addView(new CountingView(CRect(0, 0, 1, 1)));
    events.push(tk::pointerEvent(platform::InputEvent::kButtonDown, 5, 5, kLButton, kLButton, 1));
    frame->processEvents();
    EXPECT_TRUE(view->pressedAfterClose);  // still in its frame while the press ran
    EXPECT_EQ(gViewsDestroyed, 1);         // and the frame went away afterwards
    EXPECT_EQ(view->getFrame(), nullptr);
    view->forget();
}

} // namespace
