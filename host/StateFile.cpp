#include "host/StateFile.h"

#include "host/PluginHost.h"

#include <cmath>
#include <cstdio>
#include <fstream>
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
    std::ofstream out(path);
    if (!out) {
        error = "cannot write " + path;
        return false;
    }
    out << kHeader << "\n";
    char line[64];
    for (size_t i = 0; i < values.size(); ++i) {
        // nine significant digits give back the same float
        std::snprintf(line, sizeof line, "%zu %.9g\n", i, static_cast<double>(values[i]));
        out << line;
    }
    out.flush();
    if (!out) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

bool load(const std::string& path, std::vector<float>& values, std::string& error)
{
    std::ifstream in(path);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    std::vector<float> loaded;
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        long id = -1;
        double value = 0;
        if (!(fields >> id >> value) || id < 0 || id > 100000 || !std::isfinite(value)) {
            error = path + ":" + std::to_string(lineNo) + ": expected '<id> <value>'";
            return false;
        }
        if (static_cast<size_t>(id) >= loaded.size())
            loaded.resize(static_cast<size_t>(id) + 1, 0.0f);
        loaded[static_cast<size_t>(id)] = static_cast<float>(value);
    }
    values = loaded;
    return true;
}

} // namespace statefile
