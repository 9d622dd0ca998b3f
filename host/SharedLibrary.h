#pragma once
// A plug-in module loaded into the host: a shared object or a DLL.
#include <string>

class SharedLibrary {
public:
    SharedLibrary() = default;
    ~SharedLibrary() { close(); }
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // False with the system's reason in error() when the module does not load.
    bool open(const std::string& path);
    void close();
    bool isOpen() const { return handle_ != nullptr; }
    // The address of an exported function, or null.
    void* symbol(const char* name) const;
    const std::string& error() const { return error_; }
    // The system's handle (what dlopen or LoadLibrary returned), for entry points that want it.
    void* nativeHandle() const { return handle_; }

private:
    void* handle_ = nullptr;
    std::string error_;
};
