#pragma once
// A view with a value that gestures change and a listener is told about.
// Values are normalised 0 .. 1 for the controls of the editor; a value
// display carries a value in real units instead.
#include "toolkit/CView.h"

#include <atomic>
#include <cstdint>

class CControlListener;

class CControl : public CView {
public:
    CControl(const CRect& size, CControlListener* listener = nullptr, long tag = 0, CBitmap* background = nullptr);

    virtual void setValue(float value) { value_ = value; }
    float getValue() const { return value_; }
    void setMin(float value) { vmin_ = value; }
    float getMin() const { return vmin_; }
    void setMax(float value) { vmax_ = value; }
    float getMax() const { return vmax_; }
    void setDefaultValue(float value) { defaultValue_ = value; }
    float getDefaultValue() const { return defaultValue_; }
    void setWheelInc(float value) { wheelInc_ = value; }
    float getWheelInc() const { return wheelInc_; }
    void setTag(long tag) { tag_ = tag; }
    long getTag() const { return tag_; }
    void setListener(CControlListener* listener) { listener_ = listener; }
    CControlListener* getListener() const { return listener_; }
    // Milliseconds within which a second plain left press restores the default.
    void setDoubleClickInterval(std::uint32_t ms);
    std::uint32_t getDoubleClickInterval() const { return doubleClickMs_; }

    // Tell the frame (and through it the host) that a gesture on this tag starts or ends.
    void beginEdit();
    void endEdit();
    // Clamps the value into minimum .. maximum.
    void bounceValue();

    // Dirty while the value differs from the one last drawn, or when marked.
    bool isDirty() const override;
    // false also records the value as drawn.
    void setDirty(bool dirty = true) override;

protected:
    ~CControl() override = default;

    // Offers a press made with a modifier to the listener; true when it took it.
    bool offerModifierClick(CDrawContext* context, long buttons);
    // The start of every control's press: resolves `buttons` and answers true
    // when it is a left press that this control handles (mouse input on, not
    // taken by the listener as a modifier click).
    bool takeLeftPress(CDrawContext* context, long& buttons);
    // Control + left, or a second plain left press within the double-click
    // interval, restores the default value (reported if it changed); true when
    // the press was used up that way. pressTime is the press's event time.
    bool checkDefaultValue(CDrawContext* context, long buttons, std::uint32_t pressTime);
    // The press's buttons and event time, asking the frame when buttons is -1.
    long resolveButtons(long buttons) const;
    std::uint32_t pressTime() const;
    // Tells the listener.
    void reportValue(CDrawContext* context);
    // One step of following a held left button: lets the frame handle what is
    // pending, then reads the pointer into `where` and `buttons`. False once the
    // button is up, the pointer cannot be read or the control left its frame.
    bool followPointer(CPoint& where, long& buttons);

    CControlListener* listener_;
    long tag_;
    // Atomic: the host may set values from its automation thread while the
    // window's thread draws them.
    std::atomic<float> value_{0.f};
    std::atomic<float> oldValue_{0.f};
    float vmin_ = 0.f;
    float vmax_ = 1.f;
    float defaultValue_ = 0.5f;
    float wheelInc_ = 0.1f;

private:
    std::uint32_t doubleClickMs_;
    std::int64_t lastClickTime_ = -1;
};
