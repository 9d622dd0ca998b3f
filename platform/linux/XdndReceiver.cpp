#include "platform/linux/XdndReceiver.h"

#include <X11/Xatom.h>

#include <cstdio>
#include <string>

#include "platform/linux/UriList.h"
#include "platform/linux/X11ErrorTrap.h"

namespace platform {

namespace {

// Far more than any file list a person drags at once; larger transfers would
// come in pieces (INCR), which a file list never needs.
constexpr long kMaxDataLongs = 1 << 20;

} // namespace

XdndReceiver::XdndReceiver(Display* display, Window window) : display_(display), window_(window)
{
    auto atom = [display](const char* name) { return XInternAtom(display, name, False); };
    xdndAware_ = atom("XdndAware");
    xdndEnter_ = atom("XdndEnter");
    xdndPosition_ = atom("XdndPosition");
    xdndStatus_ = atom("XdndStatus");
    xdndLeave_ = atom("XdndLeave");
    xdndDrop_ = atom("XdndDrop");
    xdndFinished_ = atom("XdndFinished");
    xdndSelection_ = atom("XdndSelection");
    xdndTypeList_ = atom("XdndTypeList");
    xdndActionCopy_ = atom("XdndActionCopy");
    uriList_ = atom("text/uri-list");
    utf8String_ = atom("UTF8_STRING");
    textPlainUtf8_ = atom("text/plain;charset=utf-8");
    textPlain_ = atom("text/plain");
    incr_ = atom("INCR");
    dataProperty_ = atom("RVB_XDND_DATA");
}

XdndReceiver::~XdndReceiver()
{
    // The window may be gone with the host's: what we say about it may fail.
    X11ErrorTrap trap(display_);
    if (awaitingData_)
        sendFinished(source_, false);
    // The handler may be gone already; it hears nothing more.
    handler_ = nullptr;
    endDrag();
    setAware(false);
}

void XdndReceiver::windowDestroyed()
{
    X11ErrorTrap trap(display_);
    if (awaitingData_)
        sendFinished(source_, false);
    active_ = false;
    entered_ = false;
    awaitingData_ = false;
    handler_ = nullptr;
    window_ = 0;
}

void XdndReceiver::setHandler(DropHandler* handler)
{
    X11ErrorTrap trap(display_);
    if (handler_ && !handler)
        endDrag();
    handler_ = handler;
    setAware(handler != nullptr);
}

void XdndReceiver::setAware(bool aware)
{
    if (!window_)
        return;
    if (aware) {
        const Atom version = kVersion;
        XChangeProperty(display_, window_, xdndAware_, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&version), 1);
    } else {
        XDeleteProperty(display_, window_, xdndAware_);
    }
    // Sources look for the mark from their own connection: have it in place now.
    XSync(display_, False);
}

Atom XdndReceiver::preferredType(const std::vector<Atom>& offered) const
{
    for (Atom wanted : {uriList_, utf8String_, textPlainUtf8_, textPlain_})
        for (Atom a : offered)
            if (a == wanted)
                return wanted;
    return None;
}

bool XdndReceiver::handleEvent(const XEvent& event)
{
    if (!window_)
        return false;
    void (XdndReceiver::*handle)(const XClientMessageEvent&) = nullptr;
    if (event.type == SelectionNotify) {
        const XSelectionEvent& s = event.xselection;
        if (s.requestor != window_ || s.selection != xdndSelection_)
            return false;
    } else {
        if (event.type != ClientMessage || event.xclient.window != window_ || event.xclient.format != 32)
            return false;
        const Atom type = event.xclient.message_type;
        if (type == xdndEnter_)
            handle = &XdndReceiver::onEnter;
        else if (type == xdndPosition_)
            handle = &XdndReceiver::onPosition;
        else if (type == xdndLeave_)
            handle = &XdndReceiver::onLeave;
        else if (type == xdndDrop_)
            handle = &XdndReceiver::onDrop;
        else
            return false;
    }
    // The source is another program's window and may be gone at any moment, and
    // ours may go with the host's; no error about either may reach the host's handler.
    X11ErrorTrap trap(display_);
    if (handle)
        (this->*handle)(event.xclient);
    else
        onSelectionNotify(event.xselection);
    return true;
}

std::vector<Atom> XdndReceiver::readTypeList(Window source) const
{
    std::vector<Atom> types;
    Atom actualType = None;
    int actualFormat = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    X11ErrorTrap trap(display_);
    if (XGetWindowProperty(display_, source, xdndTypeList_, 0, 1024, False, XA_ATOM, &actualType, &actualFormat,
                           &count, &remaining, &data) == Success
        && data && actualType == XA_ATOM && actualFormat == 32) {
        // Format 32 properties come as longs, whatever the size of a long.
        const unsigned long* atoms = reinterpret_cast<const unsigned long*>(data);
        for (unsigned long i = 0; i < count; ++i)
            types.push_back(static_cast<Atom>(atoms[i]));
    }
    if (data)
        XFree(data);
    return types;
}

void XdndReceiver::onEnter(const XClientMessageEvent& m)
{
    // A new drag replaces one whose end we never heard of.
    endDrag();
    if (!handler_)
        return;
    const int version = static_cast<int>((static_cast<unsigned long>(m.data.l[1]) >> 24) & 0xff);
    if (version < 3)
        return; // the older message layouts differ
    std::vector<Atom> types;
    if (m.data.l[1] & 1) {
        types = readTypeList(static_cast<Window>(m.data.l[0]));
    } else {
        for (int i = 2; i <= 4; ++i)
            if (m.data.l[i])
                types.push_back(static_cast<Atom>(m.data.l[i]));
    }
    active_ = true;
    source_ = static_cast<Window>(m.data.l[0]);
    version_ = version < kVersion ? version : kVersion;
    type_ = preferredType(types);
}

void XdndReceiver::onPosition(const XClientMessageEvent& m)
{
    if (!active_ || static_cast<Window>(m.data.l[0]) != source_ || awaitingData_)
        return;
    const int rootX = static_cast<int>((static_cast<unsigned long>(m.data.l[2]) >> 16) & 0xffff);
    const int rootY = static_cast<int>(static_cast<unsigned long>(m.data.l[2]) & 0xffff);
    XWindowAttributes attributes;
    Window child = 0;
    if (XGetWindowAttributes(display_, window_, &attributes))
        XTranslateCoordinates(display_, attributes.root, window_, rootX, rootY, &x_, &y_, &child);
    bool accept = false;
    if (handler_) {
        accept = entered_ ? handler_->dragMove(x_, y_) : handler_->dragEnter(x_, y_);
        entered_ = true;
    }
    // Nothing we could read is no drop we could take, wherever it is.
    accepted_ = accept && type_ != None;
    sendStatus(accepted_);
}

void XdndReceiver::onLeave(const XClientMessageEvent& m)
{
    if (active_ && static_cast<Window>(m.data.l[0]) == source_)
        endDrag();
}

void XdndReceiver::onDrop(const XClientMessageEvent& m)
{
    const Window source = static_cast<Window>(m.data.l[0]);
    if (!active_ || source != source_ || awaitingData_) {
        // Not a drag we know of: the source still waits to hear that it is over.
        if (!active_ || source != source_)
            sendFinished(source, false);
        return;
    }
    if (!accepted_ || !handler_) {
        sendFinished(source_, false);
        endDrag();
        return;
    }
    const Time time = static_cast<Time>(m.data.l[2]);
    awaitingData_ = true;
    XDeleteProperty(display_, window_, dataProperty_);
    XConvertSelection(display_, xdndSelection_, type_, dataProperty_, window_, time ? time : CurrentTime);
    XFlush(display_);
}

void XdndReceiver::onSelectionNotify(const XSelectionEvent& s)
{
    if (!active_ || !awaitingData_)
        return;
    std::string data;
    bool ok = false;
    if (s.property != None) {
        Atom actualType = None;
        int actualFormat = 0;
        unsigned long count = 0, remaining = 0;
        unsigned char* bytes = nullptr;
        if (XGetWindowProperty(display_, window_, s.property, 0, kMaxDataLongs, True, AnyPropertyType, &actualType,
                               &actualFormat, &count, &remaining, &bytes) == Success) {
            if (actualType == incr_)
                std::fprintf(stderr, "[drop] the dropped data came in pieces, which is not supported; drop refused\n");
            else if (bytes && actualFormat == 8 && remaining == 0) {
                data.assign(reinterpret_cast<const char*>(bytes), count);
                ok = true;
            }
        }
        if (bytes)
            XFree(bytes);
    }
    const Window source = source_;
    bool used = false;
    if (ok && handler_) {
        DropItems items;
        if (type_ == uriList_) {
            items = parseUriList(data);
        } else {
            while (!data.empty() && data.back() == '\0')
                data.pop_back();
            items.push_back({DropItem::Kind::kText, data});
        }
        // The drop is over for the handler once it has the items; it must not
        // also hear that the drag left.
        entered_ = false;
        awaitingData_ = false;
        used = handler_->drop(items, x_, y_);
    }
    sendFinished(source, used);
    endDrag();
}

void XdndReceiver::sendStatus(bool accept)
{
    // Bit 1: keep sending positions everywhere, as the answer depends on the view under the pointer.
    send(source_, xdndStatus_, (accept ? 1 : 0) | 2, 0, 0, accept ? static_cast<long>(xdndActionCopy_) : 0);
}

void XdndReceiver::sendFinished(Window source, bool accepted)
{
    // A copy, always: a source told "move" may delete the user's file. Before
    // version 5 the message carries nothing but our window.
    if (version_ >= 5)
        send(source, xdndFinished_, accepted ? 1 : 0, accepted ? static_cast<long>(xdndActionCopy_) : 0, 0, 0);
    else
        send(source, xdndFinished_, 0, 0, 0, 0);
}

void XdndReceiver::send(Window to, Atom type, long l1, long l2, long l3, long l4)
{
    if (!to)
        return;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.display = display_;
    event.xclient.window = to;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(window_);
    event.xclient.data.l[1] = l1;
    event.xclient.data.l[2] = l2;
    event.xclient.data.l[3] = l3;
    event.xclient.data.l[4] = l4;
    X11ErrorTrap trap(display_);
    XSendEvent(display_, to, False, NoEventMask, &event);
}

void XdndReceiver::endDrag()
{
    const bool tell = entered_ && handler_;
    active_ = false;
    source_ = 0;
    version_ = 0;
    type_ = None;
    entered_ = false;
    accepted_ = false;
    awaitingData_ = false;
    if (tell)
        handler_->dragLeave();
}

} // namespace platform
