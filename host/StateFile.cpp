#include "host/StateFile.h"

#include "host/InputChecks.h"
#include "host/OutputFile.h"
#include "host/PluginHost.h"

#include <cmath>
#include <cstdio>
#include <sstream>

namespace statefile {

namespace {
const char kHeader[] = "# rvbhost parameter state v1";
}

std::vector<float> capture(PluginHost& host)
{
    std::vector<float> values;
    const int n = host.effect() ? host.effect()->numParams : 0;
    for (int i = 0; i < n; ++i)
        values.push_back(host.getParameter(i));
    return values;
}

void restore(PluginHost& host, const std::vector<float>& values)
{
    for (size_t i = 0; i < values.size(); ++i)
        host.setParameter(static_cast<int>(i), values[i]);
}

bool save(const std::string& path, const std::vector<float>& values, std::string& error)
{
    std::string text = std::string(kHeader) + "\n";
    char line[64];
    for (size_t i = 0; i < values.size(); ++i) {
        // nine significant digits give back the same float
        std::snprintf(line, sizeof line, "%zu %.9g\n", i, static_cast<double>(values[i]));
        text += line;
    }
    return writeWholeFile(path, text, error);
}

bool load(const std::string& path, std::vector<float>& values, std::string& error)
{
    std::string text;
    if (!readWholeFile(path, "state", text, error))
        return false;
    std::istringstream in(text);
    std::vector<float> loaded;
    std::string line;
    int lineNo = 0;
    bool headerSeen = false;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!headerSeen) {
            // Anything else is not one of our state files, whatever it holds after.
            if (line != kHeader) {
                error = path + " is not a parameter state (its first line is not \"" + kHeader + "\")";
                return false;
            }
            headerSeen = true;
            continue;
        }
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        long id = -1;
        double value = 0;
        std::string rest;
        if (!(fields >> id >> value) || (fields >> rest) || id < 0 || id > 100000 || !std::isfinite(value)) {
            error = path + ":" + std::to_string(lineNo) + ": expected '<id> <value>'";
            return false;
        }
        if (static_cast<size_t>(id) >= loaded.size())
            loaded.resize(static_cast<size_t>(id) + 1, 0.0f);
        loaded[static_cast<size_t>(id)] = static_cast<float>(value);
    }
    if (!headerSeen) {
        error = path + " is empty, not a parameter state";
        return false;
    }
    values = loaded;
    return true;
}

} // namespace statefile
