#pragma once
// Starting helper programs (dialogs, the desktop's URL opener) without a shell:
// arguments are handed over verbatim, so no text can be interpreted as a command.
#include <string>
#include <vector>

namespace platform {

struct ChildResult {
    bool started = false;  // the program was found and exec'd
    bool exited = false;   // it ended normally (not by a signal) and its status was collected
    int exitCode = -1;     // valid when exited
    std::string output;    // its standard output, when captured
};

// Absolute path of an executable: a name containing '/' is taken as it is,
// anything else is looked up along PATH. Empty when nothing executable is found.
std::string findExecutable(const std::string& name);

// Runs argv (argv[0] looked up with findExecutable), waits for it and returns its
// exit status and, if asked, its standard output. Standard input is /dev/null.
ChildResult runChild(const std::vector<std::string>& argv, bool captureOutput);

// Starts argv fully detached (its own session, reparented to init) so that it
// never becomes a zombie of the host and outlives us if it wants. True when the
// program was found and the intermediate process reported a successful start.
bool startDetached(const std::vector<std::string>& argv);

} // namespace platform
