#pragma once
// A file the host writes (a render, a state, a picture), with every step
// checked. A regular target appears only once it is complete: the bytes go
// to a temporary file beside it, which is flushed to the disk, closed and
// renamed into place by commit(). A device (/dev/null, a pipe, NUL) cannot be
// replaced and is written in place, with the same checks.
//
// The first write, flush, close or rename that fails ends the file: the
// error says "cannot write <target>: <the system's reason>", the temporary
// file is removed at once and the target stays as it was. An OutputFile
// destroyed without commit() removes its temporary file too.
#include "host/OutputSystem.h"

#include <cstddef>
#include <string>

class OutputFile {
public:
    explicit OutputFile(OutputSystem& system = systemOutputs()) : system_(system) {}
    ~OutputFile() { discard(); }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool open(const std::string& target, std::string& error);
    // All n bytes, or false with the error.
    bool write(const void* data, std::size_t n, std::string& error);
    bool commit(std::string& error);
    // Closes and removes the temporary file; the target stays as it was.
    void discard();

    bool writesInPlace() const { return inPlace_; }
    const std::string& target() const { return target_; }

private:
    bool fail(const std::string& reason, std::string& error);

    OutputSystem& system_;
    std::string target_;
    std::string temporary_;
    OutputSystem::Handle handle_ = 0;
    bool open_ = false;
    bool inPlace_ = false;
    std::string failure_;
};

// The whole of `bytes` as the file `target`, through an OutputFile.
bool writeWholeFile(const std::string& target, const std::string& bytes, std::string& error,
                    OutputSystem& system = systemOutputs());
