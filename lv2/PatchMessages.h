#pragma once
// The patch messages about the IR file property: a patch:Set carries a new
// path to the plug-in or reports the path in force; a patch:Get asks for that
// report. Reading and writing them allocates nothing and takes no lock, so the
// audio thread uses them.
#include "lv2/Urids.h"

#include <lv2/atom/atom.h>
#include <lv2/atom/forge.h>

#include <cstdint>

namespace lv2plugin {

struct PathText {
    const char* text = nullptr;
    std::uint32_t length = 0; // bytes before the terminator
};

// The path of a patch:Set of the IR file property. False for any other atom,
// for a value that is not a path (or string), and for a path with no
// terminator inside its atom.
bool readIRFileSet(const Urids& urids, const LV2_Atom& atom, PathText& path);

// True for a patch:Get of the IR file property, or of every property.
bool isIRFileGet(const Urids& urids, const LV2_Atom& atom);

// Writes a patch:Set of the IR file property with the path as atom:Path.
// False when the forge's buffer had no room; what was begun stays unfinished
// and the caller drops the buffer.
bool forgeIRFileSet(LV2_Atom_Forge& forge, const Urids& urids, const char* path, std::uint32_t length);
bool forgeIRFileGet(LV2_Atom_Forge& forge, const Urids& urids);

} // namespace lv2plugin
