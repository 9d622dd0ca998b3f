#pragma once
// Looks up what a host passed in its feature list. Hosts are not all careful
// with the list: an entry without a URI is skipped rather than read.
#include <lv2/core/lv2.h>

namespace lv2plugin {

// The data of the feature with this URI; null when it is missing (or the
// host gave it no data).
void* featureData(const LV2_Feature* const* features, const char* uri);

template <typename T>
T* feature(const LV2_Feature* const* features, const char* uri)
{
    return static_cast<T*>(featureData(features, uri));
}

} // namespace lv2plugin
