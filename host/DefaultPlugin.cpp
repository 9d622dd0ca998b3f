#include "host/DefaultPlugin.h"

#include <vector>

std::string choosePluginPath(const std::string& hostFolder, const std::string& file, char separator,
                             const std::function<bool(const std::string&)>& exists)
{
    const std::string name = file.substr(0, file.rfind('.'));
    const std::string s(1, separator);
    std::string prefix = hostFolder;
    const std::size_t cut = prefix.rfind(separator);
    prefix = cut == std::string::npos ? std::string(".") : prefix.substr(0, cut);
    const std::vector<std::string> candidates = {
        hostFolder + s + file,
        hostFolder + s + name + s + file,
        prefix + s + "lib" + s + "vst" + s + name + s + file,
    };
    for (const std::string& candidate : candidates) {
        if (exists(candidate))
            return candidate;
    }
    return candidates.front();
}
