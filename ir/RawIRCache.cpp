#include "ir/RawIR.h"

#include <algorithm>
#include <mutex>
#include <utility>
#include <vector>

namespace ir {

namespace {

bool sameReading(const IRFileInfo& a, const IRFileInfo& b)
{
    return a.formatTag == b.formatTag && a.channels == b.channels && a.sampleRate == b.sampleRate &&
           a.declaredBits == b.declaredBits && a.usedBits == b.usedBits && a.dataPosition == b.dataPosition &&
           a.dataSize == b.dataSize && a.byteOrder == b.byteOrder && a.encoding == b.encoding &&
           a.validBits == b.validBits;
}

bool sameKey(const RawIRCache::Key& a, const RawIRCache::Key& b)
{
    return a.file == b.file && sameReading(a.info, b.info);
}

struct Entries {
    std::mutex mutex;
    std::vector<std::pair<RawIRCache::Key, std::weak_ptr<const RawIR>>> list;
};

Entries& entries()
{
    static Entries e;
    return e;
}

} // namespace

std::shared_ptr<const RawIR> RawIRCache::find(const Key& key)
{
    Entries& e = entries();
    std::lock_guard<std::mutex> lock(e.mutex);
    for (const auto& entry : e.list)
        if (sameKey(entry.first, key))
            if (std::shared_ptr<const RawIR> raw = entry.second.lock())
                return raw;
    return nullptr;
}

void RawIRCache::remember(const Key& key, const std::shared_ptr<const RawIR>& raw)
{
    Entries& e = entries();
    std::lock_guard<std::mutex> lock(e.mutex);
    // Entries nobody holds any more go first.
    e.list.erase(std::remove_if(e.list.begin(), e.list.end(),
                                [&](const auto& entry) { return entry.second.expired() || sameKey(entry.first, key); }),
                 e.list.end());
    e.list.emplace_back(key, raw);
}

} // namespace ir
