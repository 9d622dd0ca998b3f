#pragma once
// What a window does with things dragged over it and dropped on it, free of
// any window-system types. The window's drag-and-drop receiver calls these on
// the window's thread; positions are window pixels.
#include <string>
#include <vector>

namespace platform {

struct DropItem {
    enum class Kind { kFile, kText };
    Kind kind = Kind::kText;
    // A file's full name (UTF-8 bytes), or the dropped text as it came.
    std::string text;
};

using DropItems = std::vector<DropItem>;

class DropHandler {
public:
    virtual ~DropHandler() = default;
    // The drag reaches the window, or moves over it: true when a drop at this
    // point would be taken.
    virtual bool dragEnter(int x, int y) = 0;
    virtual bool dragMove(int x, int y) = 0;
    // The drag left the window, or was cancelled or refused.
    virtual void dragLeave() = 0;
    // The dropped items at this point; true when they were used.
    virtual bool drop(const DropItems& items, int x, int y) = 0;
};

} // namespace platform
