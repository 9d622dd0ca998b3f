#pragma once
// Loads a VST 2.4 plug-in from its shared object through VSTPluginMain, as a
// DAW does, and answers its callback. Knows nothing of the plug-in's classes.
#include "vst/VstInterface.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

struct PluginHostOptions {
    bool offerFileSelector = false; // answer yes to "openFileSelector"/"closeFileSelector"
    std::string fileSelectorAnswer; // path returned by our file selector ("" = cancel)
};

class PluginHost {
public:
    using Options = PluginHostOptions;

    // Records what the plug-in asked of the host, for tests and diagnostics.
    struct Event {
        vst::Int32 opcode;
        vst::Int32 index;
        float value;
    };

    PluginHost() = default;
    ~PluginHost();
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    // dlopen + VSTPluginMain; false with a message in error() on failure.
    bool load(const std::string& soPath, const Options& options = {});
    void unload();
    bool loaded() const { return effect_ != nullptr; }
    const std::string& error() const { return error_; }
    vst::AEffect* effect() const { return effect_; }

    vst::IntPtr dispatch(vst::Int32 opcode, vst::Int32 index = 0, vst::IntPtr value = 0, void* ptr = nullptr,
                         float opt = 0.0f);
    void setParameter(int index, float value);
    float getParameter(int index);
    void processReplacing(float** in, float** out, int frames);

    std::string effectName();
    std::string vendorString();
    std::string productString();
    std::string parameterName(int index);
    std::string programName();
    std::string programNameIndexed(int index);
    // Id of the first parameter with this name (case-sensitive), or -1.
    int findParameter(const std::string& name);

    // Starts the plug-in for processing: sample rate, block size, resume.
    void start(float sampleRate, int blockSize);

    // The answers to audioMasterGetCurrentProcessLevel.
    static constexpr vst::Int32 kProcessLevelUnknown = vst::kVstProcessLevelUnknown;
    static constexpr vst::Int32 kProcessLevelOffline = vst::kVstProcessLevelOffline;
    // Unknown until set; a render says offline for its whole run, so that the
    // plug-in may finish pending work inside a process call instead of later.
    void setProcessLevel(vst::Int32 level) { processLevel_.store(level); }

    std::vector<Event> events() const;
    void clearEvents();

    // What the plug-in asked our file selector for (each request is also
    // written to standard error as one line).
    struct SelectorRequest {
        vst::Int32 command = 0;
        std::string title;
        std::string initialPath;
        std::vector<std::string> typeNames;
        std::vector<std::string> extensions;  // "dos/unix" per type
    };
    std::vector<SelectorRequest> selectorRequests() const;

private:
    static vst::IntPtr callback(vst::AEffect* effect, vst::Int32 opcode, vst::Int32 index, vst::IntPtr value,
                                void* ptr, float opt);
    vst::IntPtr answer(vst::Int32 opcode, vst::Int32 index, vst::IntPtr value, void* ptr, float opt);
    std::string queryString(vst::Int32 opcode, vst::Int32 index);
    void recordSelectorRequest(const vst::VstFileSelect& select);

    void* library_ = nullptr;
    vst::AEffect* effect_ = nullptr;
    Options options_;
    std::string error_;
    std::atomic<vst::Int32> processLevel_{kProcessLevelUnknown};
    float sampleRate_ = 44100.0f;
    int blockSize_ = 512;
    mutable std::mutex eventsMutex_;
    std::vector<Event> events_;
    std::vector<char> selectorPath_;
    std::vector<SelectorRequest> selectorRequests_;
};
