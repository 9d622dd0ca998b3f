#pragma once
// The plug-in's whole state as a host project keeps it: one normalised value per
// parameter, in a small text file (a header line, then "<id> <value>" per line).
#include <string>
#include <vector>

class PluginHost;

namespace statefile {

// Reads every parameter value from the plug-in.
std::vector<float> capture(PluginHost& host);
// Sets every value in ascending id order, as a DAW restoring a project does.
void restore(PluginHost& host, const std::vector<float>& values);

// Replaces the file only once it is completely written.
bool save(const std::string& path, const std::vector<float>& values, std::string& error);
// Refuses anything that is not such a file: a folder, a file without the
// header line, a line that is not "<id> <value>".
bool load(const std::string& path, std::vector<float>& values, std::string& error);

} // namespace statefile
