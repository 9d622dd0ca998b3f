// rvbhost: a command-line VST 2.4 and VST 3 host for the reverb.
//   rvbhost info                         identity, programs and parameters
//   rvbhost render IN.wav OUT.wav [...]  offline render through the plug-in
//   rvbhost state save FILE [...]        write the parameter state after the settings
//   rvbhost state load FILE              restore a state and print the result
//   rvbhost editor [--screenshot OUT.png] open the editor in a window of ours, idle it, take a picture
// Common options:
//   --plugin PATH        the plug-in to load (default: the one built beside this host);
//                        a path ending in .vst3 is a VST 3 bundle (or module)
//   --class N|NAME       (VST 3) the effect class to make: its position among the
//                        module's effects (from 0) or its name (default: the first)
//   --ir FILE            load an IR the way a project restore does (path parameters, then commit)
//   --set NAME=VALUE     set a parameter by name or id to a normalised value (repeatable)
//   --at FRAME NAME=VALUE (render) set it just before input frame FRAME is processed (repeatable)
//   --allow-truncated    (render) render an input whose header promises more frames than it holds
//   --state FILE         start from a saved state
//   --rate HZ            sample rate when there is no input file (default 44100)
//   --block N            host block size (default 512)
//   --no-compensation    keep the plug-in's latency in the rendered file
//   --no-tail            stop at the end of the input
//   --file-selector PATH offer the host's file selector, answering PATH
//   --dialog-script FILE answer the plug-in's own dialogs from FILE, one line each:
//                        yes | no | file PATH | cancel (every dialog is logged to stderr)
//   --screenshot FILE    (editor) the window's contents as PNG after the idle time
//   --seconds N          (editor) how long the editor is idled (default 1)
#include "host/HostCommands.h"
#include "host/HostSystem.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    const std::vector<std::string> args = commandLineArguments(argc, argv);
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        std::fprintf(stderr,
                     "usage: rvbhost info|render IN OUT|state save FILE|state load FILE|editor [options]\n"
                     "options: --plugin PATH|BUNDLE.vst3 --class N|NAME --ir FILE --set NAME=VALUE --state FILE\n"
                     "         --rate HZ --block N\n"
                     "         --at FRAME NAME=VALUE --allow-truncated --no-compensation --no-tail (render)\n"
                     "         --file-selector PATH --dialog-script FILE --quiet\n"
                     "         --screenshot OUT.png --seconds N (editor)\n");
        return args.empty() ? 2 : 0;
    }
    return runHostCommand(args);
}
