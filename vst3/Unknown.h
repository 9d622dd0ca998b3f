#pragma once
// The COM-style base of the VST 3 binary interface: the integer and string
// types, interface ids, result codes, FUnknown, and the two interfaces any
// object may meet first (IPluginBase, IHostApplication).
//
// Our own declarations, written from the format's public documentation. Every
// interface is an abstract class with single inheritance and no virtual
// destructor, so that both systems' compilers lay its table of functions out
// as the format does: the base's functions first, then its own in the order
// declared here. The structures keep their natural alignment, which on x86-64
// is the layout the format documents for Windows and Linux alike.
#include <cstdint>
#include <cstring>

// Interface functions use __stdcall on 32-bit Windows; x86-64 has one convention.
#if defined(_WIN32) && !defined(_WIN64)
#define RVB_VST3_CALL __stdcall
#else
#define RVB_VST3_CALL
#endif

namespace vst3 {

using int8 = std::int8_t;
using uint8 = std::uint8_t;
using int16 = std::int16_t;
using uint16 = std::uint16_t;
using int32 = std::int32_t;
using uint32 = std::uint32_t;
using int64 = std::int64_t;
using uint64 = std::uint64_t;

using tresult = int32;
using TBool = uint8;
using char8 = char;
using char16 = char16_t;  // UTF-16 code unit on every system (wchar_t's size on Windows)
using TChar = char16;
using String128 = TChar[128];
using CString = const char8*;
using FIDString = const char8*;  // a zero-terminated ASCII id
using TUID = char[16];            // an interface or class id as 16 bytes

// Windows hosts treat these objects as COM objects: the result codes are
// HRESULTs there, and ids are GUIDs in memory.
#if defined(_WIN32)
inline constexpr bool kComCompatible = true;
inline constexpr tresult kNoInterface = static_cast<tresult>(0x80004002u);
inline constexpr tresult kResultOk = 0;
inline constexpr tresult kResultTrue = kResultOk;
inline constexpr tresult kResultFalse = 1;
inline constexpr tresult kInvalidArgument = static_cast<tresult>(0x80070057u);
inline constexpr tresult kNotImplemented = static_cast<tresult>(0x80004001u);
inline constexpr tresult kInternalError = static_cast<tresult>(0x80004005u);
inline constexpr tresult kNotInitialized = static_cast<tresult>(0x8000FFFFu);
inline constexpr tresult kOutOfMemory = static_cast<tresult>(0x8007000Eu);
#else
inline constexpr bool kComCompatible = false;
inline constexpr tresult kNoInterface = -1;
inline constexpr tresult kResultOk = 0;
inline constexpr tresult kResultTrue = kResultOk;
inline constexpr tresult kResultFalse = 1;
inline constexpr tresult kInvalidArgument = 2;
inline constexpr tresult kNotImplemented = 3;
inline constexpr tresult kInternalError = 4;
inline constexpr tresult kNotInitialized = 5;
inline constexpr tresult kOutOfMemory = 6;
#endif

// A 16-byte id, made from the four 32-bit words the documentation writes it as.
struct Uid {
    char bytes[16];

    const char* data() const { return bytes; }
    bool operator==(const char* other) const { return other && std::memcmp(bytes, other, sizeof bytes) == 0; }
    bool operator!=(const char* other) const { return !(*this == other); }
};

// In COM byte order the first word and the two halves of the second are
// little-endian (a GUID's Data1, Data2 and Data3); elsewhere every word is
// big-endian, so that the id reads in memory as it is written.
constexpr Uid makeUid(uint32 w1, uint32 w2, uint32 w3, uint32 w4, bool comOrder = kComCompatible)
{
    Uid id {};
    const uint32 words[4] = {w1, w2, w3, w4};
    for (int w = 0; w < 4; ++w)
        for (int b = 0; b < 4; ++b)
            id.bytes[4 * w + b] = static_cast<char>((words[w] >> (24 - 8 * b)) & 0xFF);
    if (comOrder) {
        const uint32 data2 = w2 >> 16;
        const uint32 data3 = w2 & 0xFFFF;
        for (int b = 0; b < 4; ++b)
            id.bytes[b] = static_cast<char>((w1 >> (8 * b)) & 0xFF);
        id.bytes[4] = static_cast<char>(data2 & 0xFF);
        id.bytes[5] = static_cast<char>(data2 >> 8);
        id.bytes[6] = static_cast<char>(data3 & 0xFF);
        id.bytes[7] = static_cast<char>(data3 >> 8);
    }
    return id;
}

// The root of every interface: a reference count and the question for another interface.
class FUnknown {
public:
    // kResultOk with *obj set (and counted) when the object has the interface
    // `interfaceId`, else kNoInterface with *obj null.
    virtual tresult RVB_VST3_CALL queryInterface(const TUID interfaceId, void** obj) = 0;
    virtual uint32 RVB_VST3_CALL addRef() = 0;
    virtual uint32 RVB_VST3_CALL release() = 0;

    static constexpr Uid iid = makeUid(0x00000000, 0x00000000, 0xC0000000, 0x00000046);

protected:
    ~FUnknown() = default;  // objects go with their last release(), never by delete
};

// The first and last call every object made by a factory gets: its host context in, and out.
class IPluginBase : public FUnknown {
public:
    virtual tresult RVB_VST3_CALL initialize(FUnknown* context) = 0;
    virtual tresult RVB_VST3_CALL terminate() = 0;

    static constexpr Uid iid = makeUid(0x22888DDB, 0x156E45AE, 0x8358B348, 0x08190625);

protected:
    ~IPluginBase() = default;
};

// The host's context object, passed to initialize(): its name, and objects of the
// host's making (messages and attribute lists) for a plug-in that needs them.
class IHostApplication : public FUnknown {
public:
    virtual tresult RVB_VST3_CALL getName(String128 name) = 0;
    virtual tresult RVB_VST3_CALL createInstance(TUID classId, TUID interfaceId, void** obj) = 0;

    static constexpr Uid iid = makeUid(0x58E595CC, 0xDB2D4969, 0x8B6AAF8C, 0x36A664E5);

protected:
    ~IHostApplication() = default;
};

} // namespace vst3
