#include "ResourceCounter.h"

#include <algorithm>

#include <windows.h>

#include <winternl.h>

#include <cstdint>
#include <vector>

namespace wintest {

namespace {

// One entry of the system handle table (information class 16).
struct SystemHandle {
    ULONG processId;
    UCHAR objectType;
    UCHAR flags;
    USHORT value;
    PVOID object;
    ACCESS_MASK access;
};
struct SystemHandles {
    ULONG count;
    SystemHandle handles[1];
};
constexpr SYSTEM_INFORMATION_CLASS kSystemHandleInformation = static_cast<SYSTEM_INFORMATION_CLASS>(16);

long handlesInSystemTable()
{
    std::vector<unsigned char> buffer(1 << 20);
    for (int attempt = 0; attempt < 6; ++attempt) {
        ULONG needed = 0;
        const NTSTATUS status = NtQuerySystemInformation(kSystemHandleInformation, buffer.data(),
                                                         static_cast<ULONG>(buffer.size()), &needed);
        if (status == 0) {
            const auto* table = reinterpret_cast<const SystemHandles*>(buffer.data());
            long n = 0;
            for (ULONG i = 0; i < table->count; ++i)
                n += table->handles[i].processId == GetCurrentProcessId();
            return n;
        }
        buffer.resize(buffer.size() * 2);
    }
    return -1;
}

// An entry of the GDI handle table that the process environment block points to.
struct GdiEntry {
    std::uint64_t object;
    std::uint32_t owner;
    std::uint16_t unique;
    std::uint8_t type;
    std::uint8_t flags;
    std::uint64_t user;
};
constexpr int kGdiTableEntries = 16384;
constexpr std::size_t kPebGdiTableOffset = 0xF8;

long gdiObjectsInHandleTable()
{
    PROCESS_BASIC_INFORMATION basic {};
    if (NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0
        || !basic.PebBaseAddress)
        return -1;
    const auto* peb = reinterpret_cast<const unsigned char*>(basic.PebBaseAddress);
    const auto* table = *reinterpret_cast<const GdiEntry* const*>(peb + kPebGdiTableOffset);
    if (!table)
        return -1;
    // Wine keeps a table of the process's own objects (no owner recorded).
    long n = 0;
    for (int i = 0; i < kGdiTableEntries; ++i)
        n += table[i].type != 0;
    return n;
}

BOOL CALLBACK countWindow(HWND window, LPARAM count)
{
    ++*reinterpret_cast<long*>(count);
    EnumChildWindows(window, countWindow, count);
    return TRUE;
}

long windowsOfThisThread()
{
    long n = 0;
    EnumThreadWindows(GetCurrentThreadId(), countWindow, reinterpret_cast<LPARAM>(&n));
    return n;
}

bool systemCountersWork()
{
    DWORD handles = 0;
    return GetProcessHandleCount(GetCurrentProcess(), &handles) && handles > 0
           && GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS) > 0;
}

} // namespace

ResourceCounts countResources()
{
    ResourceCounts counts;
    if (systemCountersWork()) {
        DWORD handles = 0;
        GetProcessHandleCount(GetCurrentProcess(), &handles);
        counts.handles = static_cast<long>(handles);
        counts.gdiObjects = static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
        counts.userObjects = static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
        return counts;
    }
    counts.handles = handlesInSystemTable();
    counts.gdiObjects = gdiObjectsInHandleTable();
    counts.userObjects = windowsOfThisThread();
    return counts;
}

ResourceCounts settledResources()
{
    ResourceCounts least = countResources();
    for (int sample = 0; sample < 4; ++sample) {
        Sleep(50);
        const ResourceCounts now = countResources();
        least.handles = std::min(least.handles, now.handles);
        least.gdiObjects = std::min(least.gdiObjects, now.gdiObjects);
        least.userObjects = std::min(least.userObjects, now.userObjects);
    }
    return least;
}

std::string countingMethod()
{
    return systemCountersWork() ? "GetProcessHandleCount and GetGuiResources"
                                : "the system handle table, the GDI handle table and the thread's windows "
                                  "(GetProcessHandleCount and GetGuiResources answer nothing here)";
}

} // namespace wintest
