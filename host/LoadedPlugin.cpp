#include "host/LoadedPlugin.h"

int LoadedPlugin::findParameter(const std::string& name)
{
    const int count = parameterCount();
    for (int i = 0; i < count; ++i)
        if (!name.empty() && parameterName(i) == name)
            return i;
    return -1;
}
