#pragma once
// Helpers for the toolkit tests: a listener and an editor stand-in that
// record what they are told, scripted pointer events, and bitmaps made in memory.
#include "toolkit/CBitmap.h"
#include "toolkit/CControl.h"
#include "toolkit/CControlListener.h"
#include "toolkit/CFrame.h"
#include "toolkit/CFrameOwner.h"
#include "toolkit/MouseButtons.h"

#include "platform/ScriptedEvents.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tk {

struct RecordingListener : CControlListener {
    std::vector<float> values;
    std::vector<long> tags;
    int modifierOffers = 0;
    long modifierAnswer = 0;

    void valueChanged(CDrawContext*, CControl* control) override
    {
        values.push_back(control->getValue());
        tags.push_back(control->getTag());
    }
    long controlModifierClicked(CDrawContext*, CControl*, long) override
    {
        ++modifierOffers;
        return modifierAnswer;
    }
};

// Stands in for the editor: records gestures and runs the frame's idle.
struct RecordingOwner : CFrameOwner {
    std::vector<std::string> calls;  // "begin 6", "end 6"
    int idleCalls = 0;
    CFrame* frame = nullptr;

    void beginEdit(long tag) override { calls.push_back("begin " + std::to_string(tag)); }
    void endEdit(long tag) override { calls.push_back("end " + std::to_string(tag)); }
    void doIdleStuff() override
    {
        ++idleCalls;
        if (frame)
            frame->idle();
    }
};

inline platform::InputEvent pointerEvent(platform::InputEvent::Type type, int x, int y, int state, int button,
                                         std::uint32_t time)
{
    platform::InputEvent e;
    e.type = type;
    e.x = x;
    e.y = y;
    e.state = state;
    e.button = button;
    e.timeMs = time;
    return e;
}

// A scripted gesture: press, moves, release, with the button bits of the press.
struct Gesture {
    platform::ScriptedEvents& events;
    int state;
    std::uint32_t time = 1000;

    Gesture& press(int x, int y)
    {
        events.push(pointerEvent(platform::InputEvent::kButtonDown, x, y, state, kLButton, time));
        return *this;
    }
    Gesture& move(int x, int y)
    {
        time += 10;
        events.push(pointerEvent(platform::InputEvent::kMotion, x, y, state, 0, time));
        return *this;
    }
    Gesture& release(int x, int y)
    {
        time += 10;
        events.push(pointerEvent(platform::InputEvent::kButtonUp, x, y, state & ~kLButton, kLButton, time));
        return *this;
    }
};

// A frame without a window, driven by a script; the owner runs its idle.
struct ScriptedFrame {
    RecordingOwner owner;
    platform::ScriptedEvents events;
    CFrame* frame;

    explicit ScriptedFrame(const CRect& size = CRect(0, 0, 200, 150))
        : frame(new CFrame(size, nullptr, &owner))
    {
        owner.frame = frame;
        frame->setEventSource(&events);
    }
    ~ScriptedFrame() { frame->forget(); }
    ScriptedFrame(const ScriptedFrame&) = delete;
    ScriptedFrame& operator=(const ScriptedFrame&) = delete;

    Gesture gesture(int state = kLButton, std::uint32_t time = 1000) { return Gesture{events, state, time}; }
    void run() { frame->processEvents(); }
};

inline std::uint32_t argb(unsigned r, unsigned g, unsigned b)
{
    return 0xff000000u | (r << 16) | (g << 8) | b;
}

// A vertical strip of count frames of width x frameHeight; frame k is filled
// with the colour (k, 255 - k, 7).
inline CBitmap* makeStrip(int width, int frameHeight, int count)
{
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * frameHeight * count);
    for (int k = 0; k < count; ++k)
        for (int y = 0; y < frameHeight; ++y)
            for (int x = 0; x < width; ++x)
                pixels[(static_cast<std::size_t>(k) * frameHeight + y) * width + x] =
                    argb(static_cast<unsigned>(k), static_cast<unsigned>(255 - k), 7);
    return new CBitmap(width, frameHeight * count, pixels.data());
}

} // namespace tk
