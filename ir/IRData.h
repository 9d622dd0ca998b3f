#pragma once
// The effect's one impulse response: the loaded file, its raw samples with the
// leading silence removed, the measured decay, and the shaping settings that
// turn it into the kernel the convolution engine runs with.
//
// Threads. Loads come on the host's threads (a restore, the file actions, an
// LV2 host's worker), shaping on the effect's worker, descriptions for the
// editor on the window's thread: every public operation takes the object's
// own lock, and none calls out to anything that could call back. The
// accessors below description() are for a thread that knows no other works
// on the object (tests, the owner before it shares it). Loads and rebuilds
// allocate and run transforms: never call them from the audio thread. The new
// kernel reaches the audio thread through the engine's own hand-over.
#include "ir/EnvelopeSink.h"
#include "ir/IRDescription.h"
#include "ir/IRFileInfo.h"
#include "ir/IRFileReaders.h"
#include "ir/IROwner.h"
#include "ir/IRShaping.h"
#include "params/EffectConstants.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace engine {
class ConvolutionEngine;
}

namespace ir {

class IRData {
public:
    static constexpr float kInitialGateMs = 3.0f;

    // owner may be null (then nothing is published and no switch is set).
    // The raw arrays are allocated here, once.
    IRData(IROwner* owner, engine::ConvolutionEngine& engine, float sampleRate = effect::kDefaultSampleRate);
    // For display only: loads, shapes and publishes, but builds no kernel.
    IRData(IROwner* owner, float sampleRate);
    IRData(const IRData&) = delete;
    IRData& operator=(const IRData&) = delete;

    // Reads the file, removes its leading silence, measures its decay, shows
    // it on the envelope graph and rebuilds the kernel (or leaves that to an
    // owner that builds later). Returns 0, or -1 (or kIRRefused for a sound
    // file in a format or channel count that cannot be used) with the reason
    // in errorText() and everything else as it was (path, file information,
    // raw IR, kernel). Paths of kIRPathSize bytes or more are refused, never
    // cut.
    int loadIR(const char* path);

    // "Decay" (0.01 .. 100, 1 neutral): sets the envelope multiplier, then
    // rebuilds. Above 1 the IR may rise at most as fast as it was measured to
    // decay, so at most its tail level is held.
    void setDecay(double decay);
    // "Gate" in ms, "Strech" factor, "Dump" amount: each stored, then rebuilt.
    void setGate(float ms);
    void setStretch(float factor);
    void setDump(float amount);

    // All four shaping settings at once, then one rebuild (which does nothing
    // when none of them changed).
    struct Shaping {
        float stretch = 1.0f;
        double decay = 1.0;
        float gateMs = kInitialGateMs;
        float dump = 0.0f;
    };
    int setShaping(const Shaping& shaping);

    // The host's rate. The decay of a loaded IR is measured again at the new
    // rate, so that the shape depends on the file and the settings alone, as
    // after a load at that rate; the kernel is rebuilt by the next
    // rebuildKernel().
    void setSampleRate(float fs);

    // Shapes the raw IR at the host rate, shows the result on the graph and
    // hands it to the engine. Returns -1 when no IR is loaded, 0 otherwise,
    // also when nothing the shape depends on has changed since the last build
    // (then nothing is built; a load still waiting for its build gets its
    // highlight deadline).
    int rebuildKernel();
    // Kernels handed to the engine since construction; any thread may ask
    // while the worker builds.
    long kernelBuilds() const { return kernelBuilds_.load(); }

    // For an editor that has just opened: shows the raw and the shaped IR on
    // the graph without touching the kernel.
    void refreshEnvelopeCurves();

    // -1 while a load or rebuild runs; afterwards a tick-count deadline
    // (platform::clock().tickCount()) until which the graph highlights the
    // IR, or 0 when idle. The editor's idle clears it with
    // clearRebuildIndicatorIfDue; others may set a deadline of their own.
    int rebuildIndicator() const { return rebuildIndicator_.load(std::memory_order_acquire); }
    void setRebuildIndicator(int value) { rebuildIndicator_.store(value, std::memory_order_release); }
    // Back to 0 if a deadline is set and `now` has reached it; a load or
    // rebuild that started meanwhile keeps its -1. True when it was cleared.
    bool clearRebuildIndicatorIfDue(std::uint32_t now);

    // A copy of what the editor shows of the IR in force, and its path.
    IRDescription description() const;
    std::string pathCopy() const;
    // The reason the last load failed.
    std::string lastError() const;

    const char* path() const { return path_; }
    bool loaded() const { return path_[0] != '\0'; }
    const IRFileInfo& fileInfo() const { return fileInfo_; }
    int rawFrameCount() const { return rawFrameCount_; }
    const char* errorText() const { return errorText_; }
    double decayFactor() const { return decayFactor_; }
    double envelopeMultiplier() const { return envelopeMultiplier_; }
    double decayKey() const { return decayKey_; }
    float gateMs() const { return gate_; }
    float stretch() const { return stretch_; }
    float dump() const { return dump_; }
    float sampleRate() const { return sampleRate_; }
    // kIRCapacityFrames samples each, at the file's rate.
    const float* rawLeft() const { return rawLeft_.get(); }
    const float* rawRight() const { return rawRight_.get(); }

private:
    IRData(IROwner* owner, engine::ConvolutionEngine* engine, float sampleRate);

    // What the shape depends on: the envelope multiplier rather than the
    // Decay setting, since the same setting shapes differently after the
    // decay was measured anew (another file, another rate).
    struct BuildKey {
        IRPathText path = {};
        double envelopeMultiplier = 0.0;
        double gate = 0.0;
        double stretch = 0.0;
        double dump = 0.0;
        double sampleRate = 0.0;
    };

    // The curves a change gives the envelope graph, handed over once the
    // lock is released (the graph may ask this object for its description).
    struct Curves {
        std::unique_ptr<float[]> raw;          // the loaded IR's level, kIRCapacityFrames values
        std::unique_ptr<float[]> shapedLeft;   // the shaped IR, kShapedCapacity values each
        std::unique_ptr<float[]> shapedRight;
        bool redraw = false;
    };
    // Runs `change` and a rebuild under the lock, then publishes.
    template <class Change>
    int rebuildAfter(Change&& change)
    {
        Curves curves;
        int result = 0;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            change();
            result = rebuildLocked(curves);
        }
        publish(curves);
        return result;
    }
    int loadLocked(const char* path, Curves& curves);
    int rebuildLocked(Curves& curves);
    void rawCurve(Curves& curves) const;
    void publish(const Curves& curves) const;
    void analyzeDecay();
    // Envelope multiplier and change key from the Decay setting and the
    // measured decay of the IR in force.
    void applyDecaySetting();
    ShapeSettings shapeSettings() const;
    bool sameAsLastBuild() const;
    EnvelopeSink* sink() const;

    mutable std::mutex mutex_;
    IROwner* owner_;
    engine::ConvolutionEngine* engine_;

    IRPathText path_ = {};
    IRFileInfo fileInfo_;
    IRErrorText errorText_ = {};
    std::unique_ptr<float[]> rawLeft_;
    std::unique_ptr<float[]> rawRight_;
    int rawFrameCount_ = 0;

    double decaySetting_ = 1.0;
    double decayFactor_ = 1.0;
    double envelopeMultiplier_ = 1.0;
    double decayKey_ = 1.0;
    float gate_ = kInitialGateMs;
    float stretch_ = 1.0f;
    float sampleRate_;
    float dump_ = 0.0f;
    std::atomic<int> rebuildIndicator_{0};

    BuildKey lastBuild_;
    std::atomic<long> kernelBuilds_{0};
};

} // namespace ir
