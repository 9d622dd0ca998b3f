#pragma once
// The base part of a VST 2.4 effect: the effect record handed to the host, the
// host callback, the dispatcher that answers every host opcode, and one wrapper
// per host request the effect makes.
#include "params/EffectConstants.h"
#include "vst/VstInterface.h"

#include <atomic>

class AEffEditor;

class AudioEffect {
public:
    AudioEffect(vst::HostCallback hostCallback, int numPrograms, int numParams);
    virtual ~AudioEffect();
    AudioEffect(const AudioEffect&) = delete;
    AudioEffect& operator=(const AudioEffect&) = delete;

    vst::AEffect* getAeffect() { return &cEffect_; }

    // Host opcodes.
    virtual vst::IntPtr dispatcher(vst::Int32 opcode, vst::Int32 index, vst::IntPtr value, void* ptr, float opt);
    virtual void open() {}
    virtual void close() {}
    virtual void suspend() {}
    virtual void resume() {}
    virtual void setSampleRate(float sampleRate) { sampleRate_ = sampleRate; }
    virtual void setBlockSize(vst::Int32 blockSize) { blockSize_ = blockSize; }
    virtual void processReplacing(float** inputs, float** outputs, vst::Int32 sampleFrames) = 0;
    virtual void processDoubleReplacing(double**, double**, vst::Int32) {}
    virtual void setParameter(vst::Int32, float) {}
    virtual float getParameter(vst::Int32) { return 0.0f; }
    virtual void setProgram(vst::Int32 program) { curProgram_ = program; }
    virtual void setProgramName(char*) {}
    virtual void getProgramName(char* name) { name[0] = '\0'; }
    virtual void getParameterLabel(vst::Int32, char*) {}
    virtual void getParameterDisplay(vst::Int32, char*) {}
    virtual void getParameterName(vst::Int32, char*) {}
    virtual vst::Int32 getChunk(void**, bool) { return 0; }
    virtual vst::Int32 setChunk(void*, vst::Int32, bool) { return 0; }

    // Host requests (0 or false without a callback).
    virtual void setParameterAutomated(vst::Int32 index, float value);
    virtual vst::IntPtr masterIdle();
    vst::Int32 getMasterVersion();

    AEffEditor* getEditor() const { return editor_; }
    // The editor registers itself; the base part owns and deletes it.
    void setEditor(AEffEditor* editor);

    float getSampleRate() const { return sampleRate_; }
    vst::Int32 getBlockSize() const { return blockSize_; }
    vst::Int32 getProgram() const { return curProgram_; }

protected:
    vst::IntPtr callHost(vst::Int32 opcode, vst::Int32 index = 0, vst::IntPtr value = 0, void* ptr = nullptr,
                         float opt = 0.0f);
    void setNumInputs(vst::Int32 n) { cEffect_.numInputs = n; }
    void setNumOutputs(vst::Int32 n) { cEffect_.numOutputs = n; }
    void setUniqueID(vst::Int32 id) { cEffect_.uniqueID = id; }
    void setInitialDelay(vst::Int32 frames) { cEffect_.initialDelay = frames; }

    vst::HostCallback hostCallback_;
    AEffEditor* editor_ = nullptr;
    float sampleRate_ = static_cast<float>(effect::kDefaultSampleRate);
    vst::Int32 blockSize_ = 1024;
    vst::Int32 numPrograms_;
    vst::Int32 numParams_;
    // Read by parameter changes on any thread, the audio thread included.
    std::atomic<vst::Int32> curProgram_{0};
    vst::AEffect cEffect_{};
};
