#pragma once
// What a Windows process holds of the system: kernel handles, GDI objects
// and USER objects (windows). GetProcessHandleCount and GetGuiResources count
// them on Windows; where they answer nothing (Wine, whose are stubs) the same
// things are counted from the system's handle table, the process's GDI handle
// table and the thread's windows.
#include <string>

namespace wintest {

struct ResourceCounts {
    long handles = 0;
    long gdiObjects = 0;
    long userObjects = 0;
};

ResourceCounts countResources();
// The counts once the moment's passing objects are gone: the smallest of a few
// counts taken 50 ms apart (a thread of the process may hold a handle for a
// moment, as Wine's own do while they work). What stays is counted.
ResourceCounts settledResources();
// How the counts were taken, for the test's messages.
std::string countingMethod();

} // namespace wintest
