#include "host/Vst3Module.h"

#include "host/Utf16Text.h"
#include "host/Vst3Ptr.h"

#include <cstring>
#include <filesystem>

using namespace vst3;

namespace {

#if defined(_WIN32)
constexpr char kArchitectureFolder[] = "x86_64-win";
constexpr char kBinaryExtension[] = ".vst3";
constexpr char kSeparator = '\\';
#else
constexpr char kArchitectureFolder[] = "x86_64-linux";
constexpr char kBinaryExtension[] = ".so";
constexpr char kSeparator = '/';
#endif

template <std::size_t N>
std::string fixedText(const char (&text)[N])
{
    return std::string(text, strnlen(text, N));
}

bool isFolder(const std::string& path)
{
    std::error_code ignored;
    return std::filesystem::is_directory(std::filesystem::u8path(path), ignored);
}

} // namespace

std::string Vst3Module::binaryInBundle(const std::string& bundle)
{
    std::string folder = bundle;
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\'))
        folder.pop_back();
    std::string name = std::filesystem::u8path(folder).filename().u8string();
    if (name.size() > 5 && name.compare(name.size() - 5, 5, ".vst3") == 0)
        name.resize(name.size() - 5);
    return folder + kSeparator + "Contents" + kSeparator + kArchitectureFolder + kSeparator + name + kBinaryExtension;
}

bool Vst3Module::load(const std::string& path, std::string& error)
{
    unload();
    binaryPath_ = isFolder(path) ? binaryInBundle(path) : path;
    if (!library_.open(binaryPath_)) {
        error = "cannot load " + binaryPath_ + ": " + library_.error();
        return false;
    }
#if defined(_WIN32)
    // Optional on Windows: a module without it needs no set-up.
    if (auto init = reinterpret_cast<InitDllProc>(library_.symbol("InitDll"))) {
        if (!init()) {
            error = binaryPath_ + ": InitDll failed";
            library_.close();
            return false;
        }
    }
    entered_ = true;
#else
    // Required on Linux: a module without it is not a VST 3 module.
    auto entry = reinterpret_cast<ModuleEntryProc>(library_.symbol("ModuleEntry"));
    if (!entry || !library_.symbol("ModuleExit")) {
        error = binaryPath_ + " exports no ModuleEntry and ModuleExit";
        library_.close();
        return false;
    }
    if (!entry(library_.nativeHandle())) {
        error = binaryPath_ + ": ModuleEntry failed";
        library_.close();
        return false;
    }
    entered_ = true;
#endif
    auto getFactory = reinterpret_cast<GetFactoryProc>(library_.symbol(kGetFactoryProcName));
    factory_ = getFactory ? getFactory() : nullptr;
    if (!factory_) {
        error = binaryPath_ + (getFactory ? ": GetPluginFactory gave no factory" : " exports no GetPluginFactory");
        unload();
        return false;
    }
    if (factory_->getFactoryInfo(&factoryInfo_) != kResultOk)
        factoryInfo_ = PFactoryInfo {};
    readClasses();
    return true;
}

void Vst3Module::unload()
{
    classes_.clear();
    if (factory_)
        factory_->release();
    factory_ = nullptr;
    if (entered_) {
#if defined(_WIN32)
        if (auto exitDll = reinterpret_cast<ExitDllProc>(library_.symbol("ExitDll")))
            exitDll();
#else
        if (auto exitModule = reinterpret_cast<ModuleExitProc>(library_.symbol("ModuleExit")))
            exitModule();
#endif
        entered_ = false;
    }
    library_.close();
}

// The richest description each class has: UTF-16 (factory 3), then the
// version and sub-categories (factory 2), then the name alone.
void Vst3Module::readClasses()
{
    auto factory2 = Vst3Ptr<IPluginFactory2>::queried(factory_);
    auto factory3 = Vst3Ptr<IPluginFactory3>::queried(factory_);
    const int32 count = factory_->countClasses();
    for (int32 i = 0; i < count; ++i) {
        Vst3ClassInfo info;
        PClassInfoW wide {};
        PClassInfo2 second {};
        PClassInfo first {};
        if (factory3 && factory3->getClassInfoUnicode(i, &wide) == kResultOk) {
            std::memcpy(info.cid.bytes, wide.cid, sizeof wide.cid);
            info.cardinality = wide.cardinality;
            info.category = fixedText(wide.category);
            info.name = utf8FromUtf16(wide.name, PClassInfoW::kNameSize);
            info.classFlags = wide.classFlags;
            info.subCategories = fixedText(wide.subCategories);
            info.vendor = utf8FromUtf16(wide.vendor, PClassInfoW::kVendorSize);
            info.version = utf8FromUtf16(wide.version, PClassInfoW::kVersionSize);
            info.sdkVersion = utf8FromUtf16(wide.sdkVersion, PClassInfoW::kVersionSize);
        } else if (factory2 && factory2->getClassInfo2(i, &second) == kResultOk) {
            std::memcpy(info.cid.bytes, second.cid, sizeof second.cid);
            info.cardinality = second.cardinality;
            info.category = fixedText(second.category);
            info.name = fixedText(second.name);
            info.classFlags = second.classFlags;
            info.subCategories = fixedText(second.subCategories);
            info.vendor = fixedText(second.vendor);
            info.version = fixedText(second.version);
            info.sdkVersion = fixedText(second.sdkVersion);
        } else if (factory_->getClassInfo(i, &first) == kResultOk) {
            std::memcpy(info.cid.bytes, first.cid, sizeof first.cid);
            info.cardinality = first.cardinality;
            info.category = fixedText(first.category);
            info.name = fixedText(first.name);
        } else {
            continue;
        }
        classes_.push_back(info);
    }
}
