#include "support/Environment.h"

#include <cstdlib>

namespace testsupport {

void setEnvironment(const std::string& name, const std::string& value)
{
#if defined(_WIN32)
    _putenv_s(name.c_str(), value.c_str());
#else
    setenv(name.c_str(), value.c_str(), 1);
#endif
}

void unsetEnvironment(const std::string& name)
{
#if defined(_WIN32)
    // An empty value removes the variable there.
    _putenv_s(name.c_str(), "");
#else
    unsetenv(name.c_str());
#endif
}

} // namespace testsupport
