#pragma once
// The dragging side of XDND (version 5) for tests: a window of its own that
// owns the XdndSelection, sends Enter / Position / Drop / Leave to a target
// window, answers the target's request for the data, and collects the
// target's Status and Finished answers. Everything runs on the test's thread:
// `pump` lets the target handle its events between our steps.
//
// The drag selection is one per display: test programs that run side by side
// on the same display take turns through a lock file while a source is open.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace xdndtest {

struct Answer {
    bool received = false;
    long l[5] = {};
};

class XdndSource {
public:
    XdndSource() = default;
    ~XdndSource() { close(); }
    XdndSource(const XdndSource&) = delete;
    XdndSource& operator=(const XdndSource&) = delete;

    bool open()
    {
        const char* name = std::getenv("DISPLAY");
        std::string lockPath = "/tmp/rvb-xdnd-test";
        for (const char* c = name ? name : ""; *c; ++c)
            lockPath += (*c == '/' ? '_' : *c);
        lockFd_ = ::open((lockPath + ".lock").c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0666);
        if (lockFd_ >= 0)
            flock(lockFd_, LOCK_EX);
        display_ = XOpenDisplay(nullptr);
        if (!display_)
            return false;
        window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 1, 1, 0, 0, 0);
        XSetSelectionOwner(display_, atom("XdndSelection"), window_, CurrentTime);
        XSync(display_, False);
        return XGetSelectionOwner(display_, atom("XdndSelection")) == window_;
    }

    void close()
    {
        if (display_) {
            XDestroyWindow(display_, window_);
            XCloseDisplay(display_);
            display_ = nullptr;
        }
        if (lockFd_ >= 0) {
            flock(lockFd_, LOCK_UN);
            ::close(lockFd_);
            lockFd_ = -1;
        }
    }

    Display* display() const { return display_; }
    Window window() const { return window_; }
    Atom atom(const char* name) const { return XInternAtom(display_, name, False); }

    // What the target gets for each type it asks for.
    void offer(const std::string& type, const std::string& data) { data_[atom(type.c_str())] = data; }
    // The types the target asked for, in order.
    const std::vector<std::string>& requestedTypes() const { return requested_; }

    // Root coordinates of a point of another window.
    void rootPoint(Window target, int x, int y, int& rootX, int& rootY) const
    {
        Window child = 0;
        XTranslateCoordinates(display_, target, DefaultRootWindow(display_), x, y, &rootX, &rootY, &child);
    }

    // Enter with the offered types (more than three go in XdndTypeList).
    void enter(Window target, const std::vector<std::string>& types, int version = 5)
    {
        std::vector<Atom> atoms;
        for (const std::string& t : types)
            atoms.push_back(atom(t.c_str()));
        long flags = static_cast<long>(version) << 24;
        if (atoms.size() > 3) {
            flags |= 1;
            XChangeProperty(display_, window_, atom("XdndTypeList"), XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(atoms.data()), static_cast<int>(atoms.size()));
        }
        long l[5] = {static_cast<long>(window_), flags, 0, 0, 0};
        for (std::size_t i = 0; i < atoms.size() && i < 3 && atoms.size() <= 3; ++i)
            l[2 + i] = static_cast<long>(atoms[i]);
        send(target, "XdndEnter", l);
    }

    void position(Window target, int rootX, int rootY)
    {
        long l[5] = {static_cast<long>(window_), 0, (static_cast<long>(rootX) << 16) | (rootY & 0xffff), CurrentTime,
                     static_cast<long>(atom("XdndActionCopy"))};
        send(target, "XdndPosition", l);
    }

    void drop(Window target)
    {
        long l[5] = {static_cast<long>(window_), 0, CurrentTime, 0, 0};
        send(target, "XdndDrop", l);
    }

    void leave(Window target)
    {
        long l[5] = {static_cast<long>(window_), 0, 0, 0, 0};
        send(target, "XdndLeave", l);
    }

    // Runs pump and answers data requests until the target sends a message of
    // this type (XdndStatus or XdndFinished), or the time is up.
    Answer waitFor(const char* messageType, const std::function<void()>& pump, int timeoutMs = 5000)
    {
        const Atom wanted = atom(messageType);
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < end) {
            if (pump)
                pump();
            while (XPending(display_)) {
                XEvent event;
                XNextEvent(display_, &event);
                if (event.type == SelectionRequest)
                    answerRequest(event.xselectionrequest);
                else if (event.type == ClientMessage && event.xclient.message_type == wanted) {
                    Answer answer;
                    answer.received = true;
                    for (int i = 0; i < 5; ++i)
                        answer.l[i] = event.xclient.data.l[i];
                    return answer;
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return Answer();
    }

    // Nothing of this type arrives while pump runs for a while.
    bool quietFor(const char* messageType, const std::function<void()>& pump, int ms = 300)
    {
        return !waitFor(messageType, pump, ms).received;
    }

private:
    void send(Window target, const char* type, const long (&l)[5])
    {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.display = display_;
        event.xclient.window = target;
        event.xclient.message_type = atom(type);
        event.xclient.format = 32;
        for (int i = 0; i < 5; ++i)
            event.xclient.data.l[i] = l[i];
        XSendEvent(display_, target, False, NoEventMask, &event);
        XFlush(display_);
    }

    void answerRequest(const XSelectionRequestEvent& request)
    {
        char* name = XGetAtomName(display_, request.target);
        requested_.push_back(name ? name : "");
        if (name)
            XFree(name);
        XSelectionEvent reply{};
        reply.type = SelectionNotify;
        reply.display = display_;
        reply.requestor = request.requestor;
        reply.selection = request.selection;
        reply.target = request.target;
        reply.time = request.time;
        reply.property = None;
        const auto found = data_.find(request.target);
        if (found != data_.end() && request.property != None) {
            XChangeProperty(display_, request.requestor, request.property, request.target, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(found->second.data()),
                            static_cast<int>(found->second.size()));
            reply.property = request.property;
        }
        XEvent event{};
        event.xselection = reply;
        XSendEvent(display_, request.requestor, False, NoEventMask, &event);
        XFlush(display_);
    }

    int lockFd_ = -1;
    Display* display_ = nullptr;
    Window window_ = 0;
    std::map<Atom, std::string> data_;
    std::vector<std::string> requested_;
};

} // namespace xdndtest
