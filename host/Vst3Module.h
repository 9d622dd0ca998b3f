#pragma once
// A VST 3 module loaded as a DAW loads it: the binary inside a .vst3 bundle
// (Contents/x86_64-linux/NAME.so or Contents/x86_64-win/NAME.vst3), its entry
// point (ModuleEntry on Linux, InitDll on Windows), its factory and the
// classes it offers; and unloaded in the reverse order.
#include "host/SharedLibrary.h"
#include "vst3/Factory.h"

#include <string>
#include <vector>

struct Vst3ClassInfo {
    vst3::Uid cid {};
    std::string category;       // "Audio Module Class", "Component Controller Class", ...
    std::string name;
    std::string subCategories;  // "Fx|Reverb"
    std::string vendor;
    std::string version;
    std::string sdkVersion;
    vst3::uint32 classFlags = 0;
    int cardinality = 0;
};

class Vst3Module {
public:
    Vst3Module() = default;
    ~Vst3Module() { unload(); }
    Vst3Module(const Vst3Module&) = delete;
    Vst3Module& operator=(const Vst3Module&) = delete;

    // A bundle folder, or a module file itself. False with a message on failure.
    bool load(const std::string& path, std::string& error);
    void unload();

    vst3::IPluginFactory* factory() const { return factory_; }
    const std::vector<Vst3ClassInfo>& classes() const { return classes_; }
    const vst3::PFactoryInfo& factoryInfo() const { return factoryInfo_; }
    const std::string& binaryPath() const { return binaryPath_; }

    // The binary of this system inside the bundle `bundle`.
    static std::string binaryInBundle(const std::string& bundle);

private:
    void readClasses();

    SharedLibrary library_;
    std::string binaryPath_;
    bool entered_ = false;
    vst3::IPluginFactory* factory_ = nullptr;
    vst3::PFactoryInfo factoryInfo_ {};
    std::vector<Vst3ClassInfo> classes_;
};
