#pragma once
// The frame window's drop target: drags over the window become the frame's
// onDragEnter / onDragMove / onDragLeave, and a drop becomes its onDrop with
// the items wrapped in a CDragContainer, which the frame hands to the view
// under the pointer.
#include "platform/DropHandler.h"

class CFrame;

class CDropTarget final : public platform::DropHandler {
public:
    explicit CDropTarget(CFrame* frame);

    bool dragEnter(int x, int y) override;
    bool dragMove(int x, int y) override;
    void dragLeave() override;
    bool drop(const platform::DropItems& items, int x, int y) override;

private:
    CFrame* frame_;
};
