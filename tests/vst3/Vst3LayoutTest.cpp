// The VST 3 structures laid out as the format's documentation gives them for
// 64-bit Windows and Linux: sizes and alignments from its table of structure
// sizes, and the offsets of the fields that follow a change of type, where a
// wrong type or a wrong packing would show.
#include "vst3/AudioProcessor.h"
#include "vst3/EditController.h"
#include "vst3/Factory.h"
#include "vst3/Messages.h"
#include "vst3/Units.h"
#include "vst3/View.h"

#include <gtest/gtest.h>

#include <cstddef>

using namespace vst3;

static_assert(sizeof(void*) == 8, "the layouts below are those of 64-bit systems");

TEST(Vst3Layout, FactoryStructuresHaveTheDocumentedSizesAndOffsets)
{
    EXPECT_EQ(sizeof(PFactoryInfo), 452u);
    EXPECT_EQ(alignof(PFactoryInfo), 4u);
    EXPECT_EQ(offsetof(PFactoryInfo, url), 64u);
    EXPECT_EQ(offsetof(PFactoryInfo, email), 320u);
    EXPECT_EQ(offsetof(PFactoryInfo, flags), 448u);

    EXPECT_EQ(sizeof(PClassInfo), 116u);
    EXPECT_EQ(alignof(PClassInfo), 4u);
    EXPECT_EQ(offsetof(PClassInfo, cardinality), 16u);
    EXPECT_EQ(offsetof(PClassInfo, category), 20u);
    EXPECT_EQ(offsetof(PClassInfo, name), 52u);

    EXPECT_EQ(sizeof(PClassInfo2), 440u);
    EXPECT_EQ(alignof(PClassInfo2), 4u);
    EXPECT_EQ(offsetof(PClassInfo2, classFlags), 116u);
    EXPECT_EQ(offsetof(PClassInfo2, subCategories), 120u);
    EXPECT_EQ(offsetof(PClassInfo2, vendor), 248u);
    EXPECT_EQ(offsetof(PClassInfo2, version), 312u);
    EXPECT_EQ(offsetof(PClassInfo2, sdkVersion), 376u);

    // The same with its names in UTF-16: two bytes a character.
    EXPECT_EQ(sizeof(PClassInfoW), 696u);
    EXPECT_EQ(alignof(PClassInfoW), 4u);
    EXPECT_EQ(offsetof(PClassInfoW, name), 52u);
    EXPECT_EQ(offsetof(PClassInfoW, classFlags), 180u);
    EXPECT_EQ(offsetof(PClassInfoW, subCategories), 184u);
    EXPECT_EQ(offsetof(PClassInfoW, vendor), 312u);
    EXPECT_EQ(offsetof(PClassInfoW, version), 440u);
    EXPECT_EQ(offsetof(PClassInfoW, sdkVersion), 568u);
    EXPECT_EQ(sizeof(char16), 2u);
}

TEST(Vst3Layout, ProcessingStructuresHaveTheDocumentedSizesAndOffsets)
{
    // The sample rate, a double, sits after three 32-bit fields and four bytes of padding.
    EXPECT_EQ(sizeof(ProcessSetup), 24u);
    EXPECT_EQ(alignof(ProcessSetup), 8u);
    EXPECT_EQ(offsetof(ProcessSetup, maxSamplesPerBlock), 8u);
    EXPECT_EQ(offsetof(ProcessSetup, sampleRate), 16u);

    EXPECT_EQ(sizeof(AudioBusBuffers), 24u);
    EXPECT_EQ(alignof(AudioBusBuffers), 8u);
    EXPECT_EQ(offsetof(AudioBusBuffers, silenceFlags), 8u);
    EXPECT_EQ(offsetof(AudioBusBuffers, channelBuffers32), 16u);
    EXPECT_EQ(offsetof(AudioBusBuffers, channelBuffers64), 16u);

    EXPECT_EQ(sizeof(ProcessData), 80u);
    EXPECT_EQ(alignof(ProcessData), 8u);
    EXPECT_EQ(offsetof(ProcessData, numSamples), 8u);
    EXPECT_EQ(offsetof(ProcessData, numOutputs), 16u);
    EXPECT_EQ(offsetof(ProcessData, inputs), 24u);
    EXPECT_EQ(offsetof(ProcessData, outputs), 32u);
    EXPECT_EQ(offsetof(ProcessData, inputParameterChanges), 40u);
    EXPECT_EQ(offsetof(ProcessData, outputParameterChanges), 48u);
    EXPECT_EQ(offsetof(ProcessData, inputEvents), 56u);
    EXPECT_EQ(offsetof(ProcessData, outputEvents), 64u);
    EXPECT_EQ(offsetof(ProcessData, processContext), 72u);

    EXPECT_EQ(sizeof(FrameRate), 8u);
    EXPECT_EQ(sizeof(Chord), 4u);
    EXPECT_EQ(alignof(Chord), 2u);
    EXPECT_EQ(sizeof(ProcessContext), 112u);
    EXPECT_EQ(alignof(ProcessContext), 8u);
    EXPECT_EQ(offsetof(ProcessContext, sampleRate), 8u);
    EXPECT_EQ(offsetof(ProcessContext, projectTimeSamples), 16u);
    EXPECT_EQ(offsetof(ProcessContext, continousTimeSamples), 32u);
    EXPECT_EQ(offsetof(ProcessContext, tempo), 72u);
    EXPECT_EQ(offsetof(ProcessContext, timeSigNumerator), 80u);
    EXPECT_EQ(offsetof(ProcessContext, chord), 88u);
    EXPECT_EQ(offsetof(ProcessContext, smpteOffsetSubframes), 92u);
    EXPECT_EQ(offsetof(ProcessContext, frameRate), 96u);
    EXPECT_EQ(offsetof(ProcessContext, samplesToNextClock), 104u);
}

TEST(Vst3Layout, BusParameterAndUnitStructuresHaveTheDocumentedSizesAndOffsets)
{
    EXPECT_EQ(sizeof(BusInfo), 276u);
    EXPECT_EQ(alignof(BusInfo), 4u);
    EXPECT_EQ(offsetof(BusInfo, channelCount), 8u);
    EXPECT_EQ(offsetof(BusInfo, name), 12u);
    EXPECT_EQ(offsetof(BusInfo, busType), 268u);
    EXPECT_EQ(offsetof(BusInfo, flags), 272u);

    EXPECT_EQ(sizeof(RoutingInfo), 12u);

    // The default value, a double, is aligned to 8 after three String128 and the step count.
    EXPECT_EQ(sizeof(ParameterInfo), 792u);
    EXPECT_EQ(alignof(ParameterInfo), 8u);
    EXPECT_EQ(offsetof(ParameterInfo, title), 4u);
    EXPECT_EQ(offsetof(ParameterInfo, shortTitle), 260u);
    EXPECT_EQ(offsetof(ParameterInfo, units), 516u);
    EXPECT_EQ(offsetof(ParameterInfo, stepCount), 772u);
    EXPECT_EQ(offsetof(ParameterInfo, defaultNormalizedValue), 776u);
    EXPECT_EQ(offsetof(ParameterInfo, unitId), 784u);
    EXPECT_EQ(offsetof(ParameterInfo, flags), 788u);

    EXPECT_EQ(sizeof(UnitInfo), 268u);
    EXPECT_EQ(offsetof(UnitInfo, name), 8u);
    EXPECT_EQ(offsetof(UnitInfo, programListId), 264u);
    EXPECT_EQ(sizeof(ProgramListInfo), 264u);
    EXPECT_EQ(offsetof(ProgramListInfo, programCount), 260u);

    EXPECT_EQ(sizeof(ViewRect), 16u);
    EXPECT_EQ(offsetof(ViewRect, bottom), 12u);
}

TEST(Vst3Layout, EveryInterfaceIsOnePointerToItsTableOfFunctions)
{
    // No data, no second base: the object a plug-in hands out starts with its table.
    EXPECT_EQ(sizeof(FUnknown), sizeof(void*));
    EXPECT_EQ(sizeof(IPluginFactory3), sizeof(void*));
    EXPECT_EQ(sizeof(IComponent), sizeof(void*));
    EXPECT_EQ(sizeof(IAudioProcessor), sizeof(void*));
    EXPECT_EQ(sizeof(IEditController), sizeof(void*));
    EXPECT_EQ(sizeof(IUnitInfo), sizeof(void*));
    EXPECT_EQ(sizeof(IPlugView), sizeof(void*));
    EXPECT_EQ(sizeof(IRunLoop), sizeof(void*));
}
