#pragma once
// A VST 3 plug-in's state as a host project keeps it: the component's state
// and the controller's, each as the bytes the plug-in wrote to its stream, in
// one file (a header line, then "component N" and "controller N" lines each
// followed by N bytes and a newline).
#include <string>
#include <vector>

namespace vst3state {

// Replaces the file only once it is completely written.
bool save(const std::string& path, const std::vector<char>& component, const std::vector<char>& controller,
          std::string& error);
// Refuses anything that is not such a file, or is cut short.
bool load(const std::string& path, std::vector<char>& component, std::vector<char>& controller,
          std::string& error);

} // namespace vst3state
