#include "toolkit/CDropTarget.h"

#include "toolkit/CDragContainer.h"
#include "toolkit/CFrame.h"

CDropTarget::CDropTarget(CFrame* frame) : frame_(frame) {}

bool CDropTarget::dragEnter(int x, int y)
{
    return frame_->onDragEnter(CPoint(x, y));
}

bool CDropTarget::dragMove(int x, int y)
{
    return frame_->onDragMove(CPoint(x, y));
}

void CDropTarget::dragLeave()
{
    frame_->onDragLeave();
}

bool CDropTarget::drop(const platform::DropItems& items, int x, int y)
{
    CDragContainer* container = new CDragContainer(items);
    const bool used = frame_->onDrop(container, CPoint(x, y));
    container->forget();
    return used;
}
