#pragma once
// A picture of the whole editor as it looks at the default settings, for
// judging the artwork by eye; not shipped.
#include "Image.h"

#include <map>

namespace artwork {

using BitmapSet = std::map<int, const Image*>;

Image composePreview(const BitmapSet& bitmaps);

} // namespace artwork
