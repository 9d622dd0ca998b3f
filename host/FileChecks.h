#pragma once
// What the host asks the file system about the files a command line names;
// host/linux/ and host/windows/ answer.
#include <string>
#include <vector>

// An existing regular file that can be read; `what` names it in the message.
bool checkReadableFile(const std::string& path, const std::string& what, std::string& error);

// The output must not be any of the inputs: the same file by its identity on
// the disk, whatever name (link, relative path) leads to it.
bool checkDistinctOutput(const std::string& output, const std::vector<std::string>& inputs, std::string& error);
