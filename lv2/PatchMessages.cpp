#include "lv2/PatchMessages.h"

#include <lv2/atom/util.h>

#include <cstring>

namespace lv2plugin {

namespace {

const LV2_Atom_Object* asObject(const Urids& urids, const LV2_Atom& atom, LV2_URID otype)
{
    if (atom.type != urids.atomObject && atom.type != urids.atomBlank)
        return nullptr;
    if (atom.size < sizeof(LV2_Atom_Object_Body))
        return nullptr;
    const auto* object = reinterpret_cast<const LV2_Atom_Object*>(&atom);
    return object->body.otype == otype ? object : nullptr;
}

bool isIRFileKey(const Urids& urids, const LV2_Atom& property)
{
    return property.type == urids.atomUrid && property.size >= sizeof(LV2_URID) &&
           reinterpret_cast<const LV2_Atom_URID&>(property).body == urids.irFile;
}

} // namespace

bool readIRFileSet(const Urids& urids, const LV2_Atom& atom, PathText& path)
{
    const LV2_Atom_Object* object = asObject(urids, atom, urids.patchSet);
    if (!object)
        return false;
    const LV2_Atom* property = nullptr;
    const LV2_Atom* value = nullptr;
    lv2_atom_object_get(object, urids.patchProperty, &property, urids.patchValue, &value, 0);
    if (!property || !value || !isIRFileKey(urids, *property))
        return false;
    if (value->type != urids.atomPath && value->type != urids.atomString)
        return false;
    const char* text = static_cast<const char*>(LV2_ATOM_BODY_CONST(value));
    const void* end = std::memchr(text, '\0', value->size);
    if (!end)
        return false;
    path.text = text;
    path.length = static_cast<std::uint32_t>(static_cast<const char*>(end) - text);
    return true;
}

bool isIRFileGet(const Urids& urids, const LV2_Atom& atom)
{
    const LV2_Atom_Object* object = asObject(urids, atom, urids.patchGet);
    if (!object)
        return false;
    const LV2_Atom* property = nullptr;
    lv2_atom_object_get(object, urids.patchProperty, &property, 0);
    return !property || isIRFileKey(urids, *property);
}

bool forgeIRFileSet(LV2_Atom_Forge& forge, const Urids& urids, const char* path, std::uint32_t length)
{
    LV2_Atom_Forge_Frame frame;
    if (!lv2_atom_forge_object(&forge, &frame, 0, urids.patchSet))
        return false;
    const bool written = lv2_atom_forge_key(&forge, urids.patchProperty) &&
                         lv2_atom_forge_urid(&forge, urids.irFile) &&
                         lv2_atom_forge_key(&forge, urids.patchValue) &&
                         lv2_atom_forge_path(&forge, path, length);
    lv2_atom_forge_pop(&forge, &frame);
    return written;
}

bool forgeIRFileGet(LV2_Atom_Forge& forge, const Urids& urids)
{
    LV2_Atom_Forge_Frame frame;
    if (!lv2_atom_forge_object(&forge, &frame, 0, urids.patchGet))
        return false;
    const bool written = lv2_atom_forge_key(&forge, urids.patchProperty) &&
                         lv2_atom_forge_urid(&forge, urids.irFile);
    lv2_atom_forge_pop(&forge, &frame);
    return written;
}

} // namespace lv2plugin
