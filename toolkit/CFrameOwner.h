#pragma once
// What the frame needs from the editor that owns it: edit gestures to pass on
// to the host, and idle time while a control tracks the mouse.

class CFrameOwner {
public:
    virtual ~CFrameOwner() = default;
    virtual void beginEdit(long tag) = 0;
    virtual void endEdit(long tag) = 0;
    // Keeps the host running while a mouse button is held; typically ends up
    // in the frame's idle.
    virtual void doIdleStuff() = 0;
};
