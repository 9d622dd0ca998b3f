#pragma once
// The file-system calls behind every file the host writes, in one interface:
// OutputFile makes its checks around them, host/linux/ and host/windows/
// make the calls, and tests put in failures that a real disk gives only now
// and then (a full disk at the last write, a close that fails on a network
// share, a rename refused).
//
// Every call that can fail returns false with the system's own words for
// why in `reason` ("No space left on device").
#include <cstddef>
#include <cstdint>
#include <string>

class OutputSystem {
public:
    using Handle = std::intptr_t;

    enum class Target {
        Absent,   // nothing there yet
        File,     // a regular file (or a folder, or anything else a rename may replace or refuse)
        Device,   // a device or pipe: written in place, never renamed over
    };

    virtual ~OutputSystem() = default;

    virtual Target inspect(const std::string& path) = 0;
    // A new, empty file of our own beside target (so that the rename cannot
    // cross file systems), which gets the target's permissions or those of a
    // new file; its name in temporary. Until replace() or remove(), a host
    // ended by a signal removes it.
    virtual bool createBeside(const std::string& target, Handle& handle, std::string& temporary,
                              std::string& reason) = 0;
    // An existing device opened for writing.
    virtual bool openDevice(const std::string& path, Handle& handle, std::string& reason) = 0;
    // Writes at most n bytes, at least one on success; the count in written.
    virtual bool write(Handle handle, const void* data, std::size_t n, std::size_t& written,
                       std::string& reason) = 0;
    // Puts what was written on the disk (nothing to do for a device).
    virtual bool flush(Handle handle, std::string& reason) = 0;
    virtual bool close(Handle handle, std::string& reason) = 0;
    // Puts temporary in target's place in one step.
    virtual bool replace(const std::string& temporary, const std::string& target, std::string& reason) = 0;
    virtual void remove(const std::string& path) = 0;
};

// The running system's calls.
OutputSystem& systemOutputs();
