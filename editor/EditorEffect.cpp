#include "editor/EditorEffect.h"

#include "ir/IRData.h"

void EditorEffect::refreshIRCurves()
{
    irData().refreshEnvelopeCurves();
}
