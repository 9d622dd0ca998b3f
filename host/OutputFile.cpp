#include "host/OutputFile.h"

bool OutputFile::open(const std::string& target, std::string& error)
{
    discard();
    target_ = target;
    failure_.clear();
    std::string reason;
    inPlace_ = system_.inspect(target) == OutputSystem::Target::Device;
    const bool opened = inPlace_ ? system_.openDevice(target, handle_, reason)
                                 : system_.createBeside(target, handle_, temporary_, reason);
    if (!opened) {
        temporary_.clear();
        return fail(reason, error);
    }
    open_ = true;
    return true;
}

bool OutputFile::write(const void* data, std::size_t n, std::string& error)
{
    if (!failure_.empty() || !open_) {
        error = failure_.empty() ? "cannot write " + target_ + ": not open" : failure_;
        return false;
    }
    const char* bytes = static_cast<const char*>(data);
    while (n > 0) {
        std::size_t written = 0;
        std::string reason;
        if (!system_.write(handle_, bytes, n, written, reason))
            return fail(reason, error);
        if (written == 0 || written > n)
            return fail("the system wrote " + std::to_string(written) + " of " + std::to_string(n) + " bytes",
                        error);
        bytes += written;
        n -= written;
    }
    return true;
}

bool OutputFile::commit(std::string& error)
{
    if (!failure_.empty() || !open_) {
        error = failure_.empty() ? "cannot write " + target_ + ": not open" : failure_;
        return false;
    }
    std::string reason;
    if (!system_.flush(handle_, reason))
        return fail(reason, error);
    open_ = false;
    if (!system_.close(handle_, reason))
        return fail(reason, error);
    if (!inPlace_ && !system_.replace(temporary_, target_, reason))
        return fail(reason, error);
    temporary_.clear();
    return true;
}

void OutputFile::discard()
{
    if (open_) {
        std::string ignored;
        system_.close(handle_, ignored);
        open_ = false;
    }
    if (!temporary_.empty()) {
        system_.remove(temporary_);
        temporary_.clear();
    }
}

bool OutputFile::fail(const std::string& reason, std::string& error)
{
    failure_ = "cannot write " + target_ + ": " + reason;
    error = failure_;
    discard();
    return false;
}

bool writeWholeFile(const std::string& target, const std::string& bytes, std::string& error, OutputSystem& system)
{
    OutputFile file(system);
    return file.open(target, error) && file.write(bytes.data(), bytes.size(), error) && file.commit(error);
}
