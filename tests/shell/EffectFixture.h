#pragma once
// Creates the effect as the entry point does and talks to it through its
// effect record, with a host callback that records what the effect asks and
// says it renders offline, so that every change is in force at the next call.
#include "shell/DOvu.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

struct HostCall {
    vst::Int32 opcode;
    vst::Int32 index;
    float value;
};

class EffectTest : public ::testing::Test {
protected:
    static vst::IntPtr hostCallback(vst::AEffect*, vst::Int32 opcode, vst::Int32 index, vst::IntPtr, void*,
                                    float opt)
    {
        calls().push_back({opcode, index, opt});
        if (opcode == vst::audioMasterGetCurrentProcessLevel)
            return vst::kVstProcessLevelOffline;  // renders as fast as it can, like a bounce
        return opcode == vst::audioMasterVersion ? 2400 : 0;
    }
    static std::vector<HostCall>& calls()
    {
        static std::vector<HostCall> recorded;
        return recorded;
    }

    void SetUp() override
    {
        calls().clear();
        effect = new DOvu(&hostCallback);
        record = effect->getAeffect();
    }
    void TearDown() override
    {
        if (record)
            record->dispatcher(record, vst::effClose, 0, 0, nullptr, 0.0f);
    }

    vst::IntPtr dispatch(vst::Int32 opcode, vst::Int32 index = 0, vst::IntPtr value = 0, void* ptr = nullptr,
                         float opt = 0.0f)
    {
        return record->dispatcher(record, opcode, index, value, ptr, opt);
    }

    DOvu* effect = nullptr;
    vst::AEffect* record = nullptr;
};
