#pragma once
// The receiving side of the X drag-and-drop protocol (XDND, version 5) for one
// window: it marks the window as a drop target, answers the source's position
// messages with whether a drop there would be taken, fetches the dropped data
// (a file list as "text/uri-list", else UTF-8 or plain text) and tells the
// source when the drop is over. What a position accepts and what a drop does
// is the DropHandler's.
//
// Event driven: the window hands every event to handleEvent, so a source in
// the same thread (or process) never waits on us while we wait on it.
#include "platform/DropHandler.h"

#include <X11/Xlib.h>

#include <vector>

namespace platform {

class XdndReceiver {
public:
    static constexpr int kVersion = 5;

    XdndReceiver(Display* display, Window window);
    // Takes the mark off the window; a drop still waiting for its data is
    // refused. The handler is not called from here.
    ~XdndReceiver();
    XdndReceiver(const XdndReceiver&) = delete;
    XdndReceiver& operator=(const XdndReceiver&) = delete;

    // The handler, or null to stop taking drops (the window loses its mark).
    void setHandler(DropHandler* handler);
    DropHandler* handler() const { return handler_; }

    // The window is gone: nothing more is said to the server about it.
    void windowDestroyed();

    // True when the event was part of a drag and has been dealt with.
    bool handleEvent(const XEvent& event);

    // The data type fetched for a drop offering these types, or None when none will do.
    Atom preferredType(const std::vector<Atom>& offered) const;

private:
    void onEnter(const XClientMessageEvent& message);
    void onPosition(const XClientMessageEvent& message);
    void onLeave(const XClientMessageEvent& message);
    void onDrop(const XClientMessageEvent& message);
    void onSelectionNotify(const XSelectionEvent& event);

    void sendStatus(bool accept);
    void sendFinished(Window source, bool accepted);
    void send(Window to, Atom type, long l1, long l2, long l3, long l4);
    // Ends the current drag, telling the handler it left when it had entered.
    void endDrag();
    std::vector<Atom> readTypeList(Window source) const;
    void setAware(bool aware);

    Display* display_;
    Window window_;
    DropHandler* handler_ = nullptr;

    Atom xdndAware_, xdndEnter_, xdndPosition_, xdndStatus_, xdndLeave_, xdndDrop_, xdndFinished_;
    Atom xdndSelection_, xdndTypeList_, xdndActionCopy_, uriList_, utf8String_, textPlainUtf8_, textPlain_;
    Atom incr_, dataProperty_;

    // The drag in progress.
    bool active_ = false;
    Window source_ = 0;
    int version_ = 0;
    Atom type_ = None;
    bool entered_ = false;
    bool accepted_ = false;
    bool awaitingData_ = false;
    int x_ = 0;
    int y_ = 0;
};

} // namespace platform
