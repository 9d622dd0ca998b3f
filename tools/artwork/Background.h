#pragma once
// The 712 x 386 panel with every caption, groove and screw; the controls
// and graphs are laid over it by the editor.
#include "Image.h"

namespace artwork {

Image drawBackground();

} // namespace artwork
