#include "tests/shell/EffectFixture.h"

#include <cstring>
#include <string>

TEST_F(EffectTest, RecordDescribesAStereoEffectWithLatency)
{
    EXPECT_EQ(record->magic, 0x56737450);
    EXPECT_EQ(record->numPrograms, 8);
    EXPECT_EQ(record->numParams, 104);
    EXPECT_EQ(record->numInputs, 2);
    EXPECT_EQ(record->numOutputs, 2);
    EXPECT_EQ(record->initialDelay, 65536);
    EXPECT_EQ(record->uniqueID, 0x32393133);
    EXPECT_EQ(record->version, 1);
    EXPECT_FLOAT_EQ(record->ioRatio, 1.0f);
    EXPECT_EQ(record->object, effect);
    EXPECT_EQ(record->flags & vst::effFlagsCanReplacing, vst::effFlagsCanReplacing);
    EXPECT_EQ(record->flags & (vst::effFlagsProgramChunks | vst::effFlagsCanDoubleReplacing), 0);
}

TEST_F(EffectTest, FixedAnswersToHostQueries)
{
    char text[64] = "anything";
    EXPECT_EQ(dispatch(vst::effCanDo, 0, 0, text), 0);
    EXPECT_EQ(dispatch(vst::effCanDo, 0, 0, const_cast<char*>("receiveVstEvents")), 0);
    EXPECT_EQ(dispatch(vst::effGetPlugCategory), 1);
    EXPECT_EQ(dispatch(vst::effGetVstVersion), 2400);
    EXPECT_EQ(dispatch(vst::effGetVendorVersion), 1000);
    EXPECT_EQ(dispatch(vst::effGetTailSize), 0);
    void* chunk = nullptr;
    EXPECT_EQ(dispatch(vst::effGetChunk, 0, 0, &chunk), 0);
    EXPECT_EQ(dispatch(vst::effSetChunk, 0, 16, text), 0);
    EXPECT_EQ(dispatch(vst::effIdentify), 0x4E764566);
    EXPECT_EQ(dispatch(vst::effCanBeAutomated, 50), 1);
    EXPECT_EQ(dispatch(vst::effSetBypass, 0, 1), 0);
    EXPECT_EQ(dispatch(vst::effGetCurrentMidiProgram), -1);
    EXPECT_EQ(dispatch(vst::effSetTotalSampleToProcess, 0, 777), 777);
    EXPECT_EQ(dispatch(vst::effProcessEvents), 0);
    EXPECT_EQ(dispatch(1234), 0);
}

TEST_F(EffectTest, IdentityStrings)
{
    char text[128];
    ASSERT_EQ(dispatch(vst::effGetEffectName, 0, 0, text), 1);
    EXPECT_STREQ(text, "KS [TALU-01] Convolution Reverb 0.01");
    EXPECT_EQ(std::strlen(text), 36u);
    ASSERT_EQ(dispatch(vst::effGetVendorString, 0, 0, text), 1);
    EXPECT_STREQ(text, "[Kestrel] Fenwood.T");
    ASSERT_EQ(dispatch(vst::effGetProductString, 0, 0, text), 1);
    EXPECT_STREQ(text, "REVERB");
}

TEST_F(EffectTest, LabelAndDisplayLeaveTheHostBufferAlone)
{
    for (int opcode : {vst::effGetParamLabel, vst::effGetParamDisplay}) {
        for (int id : {0, 7, 21, 60, 103}) {
            char text[16];
            std::memset(text, 0x5A, sizeof text);
            dispatch(opcode, id, 0, text);
            for (char c : text)
                ASSERT_EQ(c, 0x5A) << "opcode " << opcode << " id " << id;
        }
    }
}

TEST_F(EffectTest, ParameterNamesFollowTheTable)
{
    auto name = [&](int id) {
        char text[32];
        std::memset(text, 'x', sizeof text);
        dispatch(vst::effGetParamName, id, 0, text);
        return std::string(text);
    };
    EXPECT_EQ(name(0), "");
    EXPECT_EQ(name(1), "");
    EXPECT_EQ(name(4), "");
    EXPECT_EQ(name(2), "IR_FileSelect");
    EXPECT_EQ(name(5), "Bypass (local)");
    EXPECT_EQ(name(6), "Strech");
    EXPECT_EQ(name(20), "Wet+12dB");
    EXPECT_EQ(name(22), "DryLevel");
    EXPECT_EQ(name(23), "Dummy");
    EXPECT_EQ(name(103), "Dummy");
}

TEST_F(EffectTest, ProgramsStartAsDefaultWithProgramZeroCurrent)
{
    EXPECT_EQ(dispatch(vst::effGetProgram), 0);
    for (int p = 0; p < 8; ++p) {
        char text[32] = {};
        EXPECT_EQ(dispatch(vst::effGetProgramNameIndexed, p, 0, text), 1);
        EXPECT_STREQ(text, "Default");
    }
    char text[32] = "unchanged";
    EXPECT_EQ(dispatch(vst::effGetProgramNameIndexed, 8, 0, text), 0);
    EXPECT_EQ(dispatch(vst::effGetProgramNameIndexed, -1, 0, text), 0);
    EXPECT_STREQ(text, "unchanged");
}

TEST_F(EffectTest, InitProgramsAreNumberedOnlyInTheCurrentName)
{
    dispatch(vst::effSetProgram, 0, 2);
    ASSERT_EQ(dispatch(vst::effGetProgram), 2);
    dispatch(vst::effSetProgramName, 0, 0, const_cast<char*>("Init"));
    char text[32] = {};
    dispatch(vst::effGetProgramName, 0, 0, text);
    EXPECT_STREQ(text, "Init 3");
    EXPECT_EQ(dispatch(vst::effGetProgramNameIndexed, 2, 0, text), 1);
    EXPECT_STREQ(text, "Init");

    dispatch(vst::effSetProgramName, 0, 0, const_cast<char*>("Hall"));
    dispatch(vst::effGetProgramName, 0, 0, text);
    EXPECT_STREQ(text, "Hall");
}

TEST_F(EffectTest, LongProgramNamesAreCutToTheNameBuffer)
{
    dispatch(vst::effSetProgramName, 0, 0, const_cast<char*>("A program name far longer than twenty-four"));
    char text[64] = {};
    dispatch(vst::effGetProgramNameIndexed, 0, 0, text);
    EXPECT_EQ(std::strlen(text), 23u);
}

TEST_F(EffectTest, SetProgramOutsideTheBankIsIgnored)
{
    dispatch(vst::effSetProgram, 0, 5);
    dispatch(vst::effSetProgram, 0, 8);
    EXPECT_EQ(dispatch(vst::effGetProgram), 5);
    dispatch(vst::effSetProgram, 0, -1);
    EXPECT_EQ(dispatch(vst::effGetProgram), 5);
}

TEST_F(EffectTest, ProgramsKeepTheirOwnValues)
{
    record->setParameter(record, 21, 0.5f);
    dispatch(vst::effSetProgram, 0, 1);
    EXPECT_FLOAT_EQ(record->getParameter(record, 21), 0.8333333f);
    record->setParameter(record, 21, 0.25f);
    dispatch(vst::effSetProgram, 0, 0);
    EXPECT_FLOAT_EQ(record->getParameter(record, 21), 0.5f);
    dispatch(vst::effSetProgram, 0, 1);
    EXPECT_FLOAT_EQ(record->getParameter(record, 21), 0.25f);
}

TEST_F(EffectTest, NullPointersInPointerOpcodesAreHarmless)
{
    for (int opcode : {vst::effSetProgramName, vst::effGetProgramName, vst::effGetParamLabel, vst::effGetParamDisplay,
                       vst::effGetParamName, vst::effGetEffectName, vst::effGetVendorString, vst::effGetProductString,
                       vst::effGetProgramNameIndexed, vst::effCanDo, vst::effEditGetRect, vst::effGetChunk,
                       vst::effGetSpeakerArrangement})
        EXPECT_EQ(dispatch(opcode, 0, 0, nullptr), 0) << "opcode " << opcode;
}

TEST_F(EffectTest, SpeakerArrangementQueryClearsBothPointers)
{
    int dummy = 0;
    void* input = &dummy;
    void* output = &dummy;
    EXPECT_EQ(dispatch(vst::effGetSpeakerArrangement, 0, reinterpret_cast<vst::IntPtr>(&input), &output), 0);
    EXPECT_EQ(input, nullptr);
    EXPECT_EQ(output, nullptr);
}

TEST_F(EffectTest, DataFolderIsBesideTheModule)
{
    const platform::ModuleLocation& loc = effect->reverb().location();
    ASSERT_GT(std::strlen(loc.modulePath), 0u);
    EXPECT_EQ(std::string(loc.dataFolder), std::string(loc.moduleFolder) + platform::kPathSeparator + "data");
    EXPECT_EQ(std::string(loc.modulePath).rfind(loc.moduleFolder, 0), 0u);
}

TEST(ModuleLocation, SplitsAtTheLastSeparator)
{
    // Written with '/', taken with the system's separator.
    auto path = [](const char* text) {
        std::string p = text;
        for (char& c : p)
            c = c == '/' ? platform::kPathSeparator : c;
        return p;
    };
    platform::ModuleLocation loc = platform::ModuleLocation::fromModulePath(path("/opt/vst/Reverb.so").c_str());
    EXPECT_EQ(std::string(loc.moduleFolder), path("/opt/vst"));
    EXPECT_EQ(std::string(loc.dataFolder), path("/opt/vst/data"));
    loc = platform::ModuleLocation::fromModulePath("Reverb.so");
    EXPECT_STREQ(loc.moduleFolder, "Reverb.so");
    const std::string tooLong(300, 'a');
    loc = platform::ModuleLocation::fromModulePath(tooLong.c_str());
    EXPECT_STREQ(loc.modulePath, "");
    EXPECT_STREQ(loc.dataFolder, "");
}
