#pragma once
// The items of one drop, as the view under the pointer gets them: either the
// dropped files' full names, one item each, or one item of dropped text.
// Reference-counted; the drop target lets it go when the drop is over.
#include "toolkit/CReferenceCounter.h"

#include "platform/DropHandler.h"

class CDragContainer : public CReferenceCounter {
public:
    // Item types.
    enum : long { kFile = 0, kUnicodeText = 1, kUnknown = -1 };

    explicit CDragContainer(platform::DropItems items);

    long getCount() const { return static_cast<long>(items_.size()); }
    // The type of item `index`, kUnknown outside the list.
    long getType(long index) const;
    // The first item (and rewinds), or the one after the last one returned;
    // null past the end. size is the item's length in bytes, type its type.
    const char* first(long& size, long& type);
    const char* next(long& size, long& type);

protected:
    ~CDragContainer() override = default;

private:
    const char* item(long index, long& size, long& type) const;

    platform::DropItems items_;
    long iterator_ = 0;
};
