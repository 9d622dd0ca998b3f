#include "host/HostSettings.h"

#include <cerrno>
#include <cstdlib>

namespace {

// "NAME=VALUE" with a number after the last '='.
bool parseAssignment(const std::string& option, const std::string& text, std::string& name, float& value,
                     std::string& error)
{
    const size_t eq = text.rfind('=');
    if (eq == std::string::npos || eq == 0) {
        error = option + " wants NAME=VALUE, got " + text;
        return false;
    }
    char* end = nullptr;
    value = std::strtof(text.c_str() + eq + 1, &end);
    if (!end || *end || end == text.c_str() + eq + 1) {
        error = "not a number in " + option + " " + text;
        return false;
    }
    name = text.substr(0, eq);
    return true;
}

bool parseFrame(const std::string& text, long long& frame)
{
    char* end = nullptr;
    errno = 0;
    frame = std::strtoll(text.c_str(), &end, 10);
    return end && !*end && end != text.c_str() && errno == 0 && frame >= 0;
}

} // namespace

bool parseHostSettings(const std::vector<std::string>& args, HostSettings& s, std::string& error)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto next = [&](std::string& into) {
            if (i + 1 >= args.size()) {
                error = a + " needs a value";
                return false;
            }
            into = args[++i];
            return true;
        };
        std::string v;
        if (a == "--plugin") {
            if (!next(s.plugin)) return false;
        } else if (a == "--class") {
            if (!next(s.pluginClass)) return false;
        } else if (a == "--ir") {
            if (!next(s.irPath)) return false;
        } else if (a == "--state") {
            if (!next(s.statePath)) return false;
        } else if (a == "--set") {
            std::string name;
            float value = 0.0f;
            if (!next(v) || !parseAssignment(a, v, name, value, error))
                return false;
            s.sets.emplace_back(name, value);
        } else if (a == "--at") {
            TimedChange change;
            if (!next(v))
                return false;
            if (!parseFrame(v, change.frame)) {
                error = "--at wants a frame number of 0 or more, got " + v;
                return false;
            }
            if (!next(v) || !parseAssignment(a, v, change.name, change.value, error))
                return false;
            s.changes.push_back(change);
        } else if (a == "--rate") {
            if (!next(v)) return false;
            s.rate = std::strtof(v.c_str(), nullptr);
        } else if (a == "--block") {
            if (!next(v)) return false;
            s.block = std::atoi(v.c_str());
            if (s.block < 1) {
                error = "--block must be at least 1";
                return false;
            }
        } else if (a == "--screenshot") {
            if (!next(s.screenshotPath)) return false;
        } else if (a == "--seconds") {
            if (!next(v)) return false;
            char* end = nullptr;
            s.seconds = std::strtod(v.c_str(), &end);
            if (!end || *end || !(s.seconds >= 0.0 && s.seconds <= 3600.0)) {
                error = "--seconds wants a number from 0 to 3600, got " + v;
                return false;
            }
        } else if (a == "--no-compensation") {
            s.compensate = false;
        } else if (a == "--no-tail") {
            s.tail = false;
        } else if (a == "--quiet") {
            s.quiet = true;
        } else if (a == "--allow-truncated") {
            s.allowTruncated = true;
        } else if (a == "--dialog-script") {
            if (!next(s.dialogScript)) return false;
        } else if (a == "--file-selector") {
            s.hostOptions.offerFileSelector = true;
            if (!next(s.hostOptions.fileSelectorAnswer)) return false;
        } else if (a.rfind("--", 0) == 0) {
            error = "unknown option " + a;
            return false;
        } else {
            s.positional.push_back(a);
        }
    }
    return true;
}

int parameterId(LoadedPlugin& plugin, const std::string& nameOrId)
{
    char* end = nullptr;
    const long number = std::strtol(nameOrId.c_str(), &end, 10);
    if (end && !*end && end != nameOrId.c_str())
        return plugin.parameterOfNumber(number);
    return plugin.findParameter(nameOrId);
}

bool checkSettings(LoadedPlugin& plugin, const HostSettings& s, float sampleRate, std::string& error)
{
    std::string ir = s.irPath;
    std::string stated;
    if (!s.statePath.empty() && !plugin.checkStateFile(s.statePath, stated, error))
        return false;
    if (ir.empty())
        ir = stated;
    return ir.empty() || plugin.checkIR(ir, sampleRate, error);
}

bool applySettings(LoadedPlugin& plugin, const HostSettings& s, std::string& error)
{
    if (!s.statePath.empty() && !plugin.restoreState(s.statePath, error))
        return false;
    if (!s.irPath.empty() && !plugin.commitIR(s.irPath, error))
        return false;
    for (const auto& [name, value] : s.sets) {
        const int id = parameterId(plugin, name);
        if (id < 0) {
            error = "no parameter named " + name;
            return false;
        }
        plugin.setParameter(id, value);
    }
    return true;
}
