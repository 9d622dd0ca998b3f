#pragma once
// A file that appears at its target path only once it is complete: it is
// written as a temporary file beside the target (same folder, so the final
// rename cannot cross file systems) and renamed over the target by commit().
// Until then the target is untouched; a ReplacingFile that is destroyed
// uncommitted, or a host ended by SIGINT, SIGTERM or SIGHUP meanwhile,
// removes its temporary file.
#include <string>

class ReplacingFile {
public:
    // Creates the temporary file; false with a message when the folder does
    // not take it.
    bool create(const std::string& target, std::string& error);
    ~ReplacingFile();
    ReplacingFile() = default;
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Open descriptor of the temporary file; the writer may close it (for
    // example by handing it to a library that closes it).
    int descriptor() const { return fd_; }
    void descriptorClosed() { fd_ = -1; }
    const std::string& temporaryPath() const { return temporary_; }

    // Flushes to disk and renames into place; false with a message (and the
    // temporary file removed) when that fails.
    bool commit(std::string& error);
    // Removes the temporary file; the target stays as it was.
    void discard();

private:
    std::string target_;
    std::string temporary_;
    int fd_ = -1;
};
