#pragma once
// The host the effect object sees when it runs inside the LV2 shell: its
// callback answers the version query, reports the process level (offline
// while the LV2 host free-wheels) and passes the editor's automation and
// gestures on to the LV2 editor that listens, which turns them into port
// changes for the LV2 host.
#include "vst/VstInterface.h"

#include <atomic>

namespace lv2plugin {

// What the LV2 editor takes from the effect's editor. Called on the thread of
// the effect's editor, which is the LV2 editor's thread.
class ParameterListener {
public:
    virtual ~ParameterListener() = default;
    // A control moved (normalised value), or an action button was pressed.
    virtual void parameterAutomated(int id, float normalised) = 0;
    virtual void gestureBegun(int id) = 0;
    virtual void gestureEnded(int id) = 0;
};

class EffectHost {
public:
    // The VST 2.4 host callback handed to the effect object.
    static vst::IntPtr callback(vst::AEffect* effect, vst::Int32 opcode, vst::Int32 index, vst::IntPtr value,
                                void* ptr, float opt);

    // From here on the effect's callbacks reach this host. Until then (while
    // the effect is being made) only the version query is answered.
    void attach(vst::AEffect& effect) { effect.user = this; }

    // Set by the audio thread before each process call.
    void setOffline(bool offline) { offline_.store(offline, std::memory_order_relaxed); }
    bool offline() const { return offline_.load(std::memory_order_relaxed); }
    void setSampleRate(float rate) { sampleRate_.store(rate, std::memory_order_relaxed); }
    void setBlockSize(int frames) { blockSize_.store(frames, std::memory_order_relaxed); }

    // The editor that hears automation and gestures; null for none.
    void setListener(ParameterListener* listener) { listener_.store(listener, std::memory_order_release); }
    ParameterListener* listener() const { return listener_.load(std::memory_order_acquire); }

private:
    vst::IntPtr answer(vst::Int32 opcode, vst::Int32 index, float opt);

    std::atomic<bool> offline_{false};
    std::atomic<float> sampleRate_{0.0f};
    std::atomic<int> blockSize_{0};
    std::atomic<ParameterListener*> listener_{nullptr};
};

} // namespace lv2plugin
