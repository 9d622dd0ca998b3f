#pragma once
// The module's factory, which a host gets from GetPluginFactory: what the
// module offers (classes with their ids, categories and names) and the
// objects it makes. Also the module's entry points.
#include "vst3/Unknown.h"

namespace vst3 {

struct PFactoryInfo {
    enum { kURLSize = 256, kEmailSize = 128, kNameSize = 64 };
    enum FactoryFlags : int32 {
        kNoFlags = 0,
        kClassesDiscardable = 1 << 0,
        kLicenseCheck = 1 << 1,
        kComponentNonDiscardable = 1 << 3,
        kUnicode = 1 << 4,  // the class infos are best read through IPluginFactory3
    };
    char8 vendor[kNameSize];
    char8 url[kURLSize];
    char8 email[kEmailSize];
    int32 flags;
};

struct PClassInfo {
    enum { kCategorySize = 32, kNameSize = 64 };
    enum : int32 { kManyInstances = 0x7FFFFFFF };
    TUID cid;
    int32 cardinality;
    char8 category[kCategorySize];
    char8 name[kNameSize];
};

// Class flags of PClassInfo2 and PClassInfoW.
enum ComponentFlags : uint32 {
    kDistributable = 1 << 0,        // processor and controller may run on different computers
    kSimpleModeSupported = 1 << 1,
};

struct PClassInfo2 {
    enum { kCategorySize = 32, kNameSize = 64, kVendorSize = 64, kVersionSize = 64, kSubCategoriesSize = 128 };
    TUID cid;
    int32 cardinality;
    char8 category[kCategorySize];
    char8 name[kNameSize];
    uint32 classFlags;
    char8 subCategories[kSubCategoriesSize];  // "Fx|Reverb": '|'-separated
    char8 vendor[kVendorSize];
    char8 version[kVersionSize];
    char8 sdkVersion[kVersionSize];
};

// PClassInfo2 with its names in UTF-16.
struct PClassInfoW {
    enum { kCategorySize = 32, kNameSize = 64, kVendorSize = 64, kVersionSize = 64, kSubCategoriesSize = 128 };
    TUID cid;
    int32 cardinality;
    char8 category[kCategorySize];
    char16 name[kNameSize];
    uint32 classFlags;
    char8 subCategories[kSubCategoriesSize];
    char16 vendor[kVendorSize];
    char16 version[kVersionSize];
    char16 sdkVersion[kVersionSize];
};

// Category of a processor class, and of a controller class.
inline constexpr char8 kVstAudioEffectClass[] = "Audio Module Class";
inline constexpr char8 kVstComponentControllerClass[] = "Component Controller Class";

class IPluginFactory : public FUnknown {
public:
    virtual tresult RVB_VST3_CALL getFactoryInfo(PFactoryInfo* info) = 0;
    virtual int32 RVB_VST3_CALL countClasses() = 0;
    virtual tresult RVB_VST3_CALL getClassInfo(int32 index, PClassInfo* info) = 0;
    // A new object of class `classId`, asked for by its interface `interfaceId`.
    virtual tresult RVB_VST3_CALL createInstance(FIDString classId, FIDString interfaceId, void** obj) = 0;

    static constexpr Uid iid = makeUid(0x7A4D811C, 0x52114A1F, 0xAED9D2EE, 0x0B43BF9F);

protected:
    ~IPluginFactory() = default;
};

class IPluginFactory2 : public IPluginFactory {
public:
    virtual tresult RVB_VST3_CALL getClassInfo2(int32 index, PClassInfo2* info) = 0;

    static constexpr Uid iid = makeUid(0x0007B650, 0xF24B4C0B, 0xA464EDB9, 0xF00B2ABB);

protected:
    ~IPluginFactory2() = default;
};

class IPluginFactory3 : public IPluginFactory2 {
public:
    virtual tresult RVB_VST3_CALL getClassInfoUnicode(int32 index, PClassInfoW* info) = 0;
    virtual tresult RVB_VST3_CALL setHostContext(FUnknown* context) = 0;

    static constexpr Uid iid = makeUid(0x4555A2AB, 0xC1234E57, 0x9B122910, 0x36878931);

protected:
    ~IPluginFactory3() = default;
};

// The module's exports. GetPluginFactory hands out a counted reference that the
// host releases. On Linux the host calls ModuleEntry (with the dlopen handle)
// first and ModuleExit last, and must refuse a module without them; on Windows
// InitDll and ExitDll play that part and are optional.
inline constexpr char kGetFactoryProcName[] = "GetPluginFactory";
using GetFactoryProc = IPluginFactory* (RVB_VST3_CALL*)();
using ModuleEntryProc = bool (*)(void* libraryHandle);
using ModuleExitProc = bool (*)();
using InitDllProc = bool (*)();
using ExitDllProc = bool (*)();

} // namespace vst3
