#pragma once
// Setting and removing environment variables of the test process, the same
// way on every system (the plug-in reads them with getenv).
#include <string>

namespace testsupport {

void setEnvironment(const std::string& name, const std::string& value);
void unsetEnvironment(const std::string& name);

} // namespace testsupport
