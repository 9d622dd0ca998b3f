#pragma once
// The audio processing interface of a component: bus arrangements, latency,
// the processing setup and the process call itself.
#include "vst3/Component.h"
#include "vst3/ProcessData.h"

namespace vst3 {

// One bit per speaker of a bus.
using SpeakerArrangement = uint64;
inline constexpr SpeakerArrangement kSpeakerL = 1 << 0;
inline constexpr SpeakerArrangement kSpeakerR = 1 << 1;
inline constexpr SpeakerArrangement kSpeakerM = 1 << 19;
inline constexpr SpeakerArrangement kEmptyArrangement = 0;
inline constexpr SpeakerArrangement kMonoArrangement = kSpeakerM;
inline constexpr SpeakerArrangement kStereoArrangement = kSpeakerL | kSpeakerR;

inline constexpr uint32 kNoTail = 0;
inline constexpr uint32 kInfiniteTail = 0xFFFFFFFFu;

class IAudioProcessor : public FUnknown {
public:
    virtual tresult RVB_VST3_CALL setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                                     SpeakerArrangement* outputs, int32 numOuts) = 0;
    virtual tresult RVB_VST3_CALL getBusArrangement(BusDirection dir, int32 index, SpeakerArrangement& arr) = 0;
    virtual tresult RVB_VST3_CALL canProcessSampleSize(int32 symbolicSampleSize) = 0;
    virtual uint32 RVB_VST3_CALL getLatencySamples() = 0;
    // Only while inactive: before setActive(true).
    virtual tresult RVB_VST3_CALL setupProcessing(ProcessSetup& setup) = 0;
    virtual tresult RVB_VST3_CALL setProcessing(TBool state) = 0;
    virtual tresult RVB_VST3_CALL process(ProcessData& data) = 0;
    virtual uint32 RVB_VST3_CALL getTailSamples() = 0;

    static constexpr Uid iid = makeUid(0x42043F99, 0xB7DA453C, 0xA569E79D, 0x9AAEC33D);

protected:
    ~IAudioProcessor() = default;
};

// Which parts of the ProcessContext the processor reads, so that the host may fill only those.
class IProcessContextRequirements : public FUnknown {
public:
    enum Flags : uint32 {
        kNeedSystemTime = 1 << 0,
        kNeedContinousTimeSamples = 1 << 1,
        kNeedProjectTimeMusic = 1 << 2,
        kNeedBarPositionMusic = 1 << 3,
        kNeedCycleMusic = 1 << 4,
        kNeedSamplesToNextClock = 1 << 5,
        kNeedTempo = 1 << 6,
        kNeedTimeSignature = 1 << 7,
        kNeedChord = 1 << 8,
        kNeedFrameRate = 1 << 9,
        kNeedTransportState = 1 << 10,
    };
    virtual uint32 RVB_VST3_CALL getProcessContextRequirements() = 0;

    static constexpr Uid iid = makeUid(0x2A654303, 0xEF764E3D, 0x95B5FE83, 0x730EF6D0);

protected:
    ~IProcessContextRequirements() = default;
};

} // namespace vst3
