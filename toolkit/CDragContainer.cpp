#include "toolkit/CDragContainer.h"

#include <utility>

CDragContainer::CDragContainer(platform::DropItems items) : items_(std::move(items)) {}

long CDragContainer::getType(long index) const
{
    if (index < 0 || index >= getCount())
        return kUnknown;
    return items_[static_cast<std::size_t>(index)].kind == platform::DropItem::Kind::kFile ? kFile : kUnicodeText;
}

const char* CDragContainer::item(long index, long& size, long& type) const
{
    type = getType(index);
    if (type == kUnknown) {
        size = 0;
        return nullptr;
    }
    const std::string& text = items_[static_cast<std::size_t>(index)].text;
    size = static_cast<long>(text.size());
    return text.c_str();
}

const char* CDragContainer::first(long& size, long& type)
{
    iterator_ = 0;
    return next(size, type);
}

const char* CDragContainer::next(long& size, long& type)
{
    const char* found = item(iterator_, size, type);
    if (found)
        ++iterator_;
    return found;
}
