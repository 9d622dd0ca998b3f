#pragma once
#include <string>
#include <vector>

// Parses the command line and runs one command; returns the process exit status.
int runHostCommand(const std::vector<std::string>& args);
