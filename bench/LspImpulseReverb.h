#pragma once
// LSP Impulse Reverb Stereo (Debian's lsp-plugins-vst) as a cost contender,
// loaded with dlopen and driven as a VST 2.4 host drives it: the IR file is
// handed over in the plug-in's own state chunk (its file port "ifn0"), its
// first two convolvers take file 1's two tracks from the left and right
// inputs to the left and right outputs, the dry signal is off. The plug-in
// loads the file and builds its convolvers on a thread of its own; ready()
// says when the wet signal sounds. Zero latency, as ours.
#include "ConvolutionContenders.h"
#include "vst/VstInterface.h"

#include <dlfcn.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace benchcost {

class LspImpulseReverb : public Contender {
public:
    static constexpr const char* kModule = "/usr/lib/vst/lsp-plugins/impulse-reverb-stereo.so";

    // `irPath` a stereo WAVE file at kRate. Check loaded() before use.
    explicit LspImpulseReverb(const std::string& irPath)
    {
        module_ = dlopen(kModule, RTLD_NOW | RTLD_LOCAL);
        if (module_ == nullptr)
            return;
        using Main = vst::AEffect* (*)(vst::HostCallback);
        const auto main = reinterpret_cast<Main>(dlsym(module_, "VSTPluginMain"));
        effect_ = main != nullptr ? main(&host) : nullptr;
        if (effect_ == nullptr || effect_->magic != vst::kEffectMagic) {
            effect_ = nullptr;
            return;
        }
        dispatch(vst::effOpen, 0, 0, nullptr, 0.0f);
        dispatch(vst::effSetSampleRate, 0, 0, nullptr, static_cast<float>(kRate));
        dispatch(vst::effSetBlockSize, 0, kCall, nullptr, 0.0f);
        // The state chunk, in the plug-in's raw form: per port, the length of
        // what follows (big-endian), the port's name and its value.
        std::vector<unsigned char> chunk;
        const std::string port = "ifn0";
        const std::uint32_t length = static_cast<std::uint32_t>(port.size() + 1 + irPath.size() + 1);
        for (int shift = 24; shift >= 0; shift -= 8)
            chunk.push_back(static_cast<unsigned char>(length >> shift));
        chunk.insert(chunk.end(), port.begin(), port.end());
        chunk.push_back(0);
        chunk.insert(chunk.end(), irPath.begin(), irPath.end());
        chunk.push_back(0);
        dispatch(vst::effSetChunk, 0, static_cast<vst::IntPtr>(chunk.size()), chunk.data(), 0.0f);
        // Parameters by name, normalised: no dry signal; convolver 0 left in,
        // left out, convolver 1 right in, right out, both on file 1 (the
        // tracks are 1 and 2 already).
        setParameter("dry", 0.0f);
        setParameter("csf0", 0.25f);
        setParameter("csf1", 0.25f);
        setParameter("cim0", 0.0f);
        setParameter("com0", 0.0f);
        setParameter("cim1", 1.0f);
        setParameter("com1", 1.0f);
        dispatch(vst::effMainsChanged, 0, 1, nullptr, 0.0f);
    }
    ~LspImpulseReverb() override
    {
        if (effect_ != nullptr) {
            dispatch(vst::effMainsChanged, 0, 0, nullptr, 0.0f);
            dispatch(vst::effClose, 0, 0, nullptr, 0.0f);
        }
        // The module stays loaded: its threads may still be ending.
    }

    bool loaded() const { return effect_ != nullptr; }
    int latency() const { return effect_ != nullptr ? effect_->initialDelay : -1; }

    // Calls with noise until the wet signal sounds (the file loaded and the
    // convolvers built on the plug-in's thread), at most `seconds`.
    bool waitUntilReady(const Input& in, double seconds)
    {
        float outL[kCall], outR[kCall];
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        for (long call = 0; std::chrono::steady_clock::now() < end; ++call) {
            const size_t at = static_cast<size_t>(call % (static_cast<long>(in.left.size()) / kCall)) * kCall;
            process(in.left.data() + at, in.right.data() + at, outL, outR);
            if (outL[0] != 0.0f && outR[0] != 0.0f)
                return true;
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
        return false;
    }

    void process(const float* inL, const float* inR, float* outL, float* outR) override
    {
        float* in[2] = {const_cast<float*>(inL), const_cast<float*>(inR)};
        float* out[2] = {outL, outR};
        effect_->processReplacing(effect_, in, out, kCall);
    }

private:
    static vst::IntPtr host(vst::AEffect*, vst::Int32 opcode, vst::Int32, vst::IntPtr, void* ptr, float)
    {
        switch (opcode) {
        case vst::audioMasterVersion:
            return 2400;
        case vst::audioMasterGetSampleRate:
            return kRate;
        case vst::audioMasterGetBlockSize:
            return kCall;
        case vst::audioMasterGetCurrentProcessLevel:
            return vst::kVstProcessLevelRealtime;
        case vst::audioMasterGetVendorString:
        case vst::audioMasterGetProductString:
            std::strcpy(static_cast<char*>(ptr), "bench");
            return 1;
        default:
            return 0;
        }
    }

    vst::IntPtr dispatch(vst::Int32 opcode, vst::Int32 index, vst::IntPtr value, void* ptr, float opt)
    {
        return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
    }

    void setParameter(const char* name, float value)
    {
        for (vst::Int32 i = 0; i < effect_->numParams; ++i) {
            char id[64] = {};
            dispatch(vst::effGetParamName, i, 0, id, 0.0f);
            if (std::strcmp(id, name) == 0)
                effect_->setParameter(effect_, i, value);
        }
    }

    void* module_ = nullptr;
    vst::AEffect* effect_ = nullptr;
};

} // namespace benchcost
