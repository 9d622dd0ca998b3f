#include "host/SharedLibrary.h"

#include <dlfcn.h>

bool SharedLibrary::open(const std::string& path)
{
    close();
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* why = dlerror();
        error_ = why ? why : "unknown error";
        return false;
    }
    return true;
}

void SharedLibrary::close()
{
    if (handle_)
        dlclose(handle_);
    handle_ = nullptr;
}

void* SharedLibrary::symbol(const char* name) const
{
    return handle_ ? dlsym(handle_, name) : nullptr;
}
