#pragma once
// Marks a function as exported from the plug-in module: the way the system's
// loader lets a host find it. Everything not marked stays inside the module.
#if defined(_WIN32)
#define RVB_MODULE_EXPORT __declspec(dllexport)
#else
#define RVB_MODULE_EXPORT __attribute__((visibility("default")))
#endif
