#pragma once
// The VST 2.4 binary interface between a host and an effect: the effect record,
// the opcode numbers in both directions and the callback signature. Plain C
// layout, shared by the plug-in and our command-line host.
#include <cstdint>

namespace vst {

using Int32 = std::int32_t;
using IntPtr = std::intptr_t;

struct AEffect;

using HostCallback = IntPtr (*)(AEffect* effect, Int32 opcode, Int32 index, IntPtr value, void* ptr, float opt);
using DispatcherProc = IntPtr (*)(AEffect* effect, Int32 opcode, Int32 index, IntPtr value, void* ptr, float opt);
using ProcessProc = void (*)(AEffect* effect, float** inputs, float** outputs, Int32 sampleFrames);
using ProcessDoubleProc = void (*)(AEffect* effect, double** inputs, double** outputs, Int32 sampleFrames);
using SetParameterProc = void (*)(AEffect* effect, Int32 index, float parameter);
using GetParameterProc = float (*)(AEffect* effect, Int32 index);

constexpr Int32 fourCharCode(char a, char b, char c, char d)
{
    return static_cast<Int32>((static_cast<std::uint32_t>(static_cast<unsigned char>(a)) << 24) |
                              (static_cast<std::uint32_t>(static_cast<unsigned char>(b)) << 16) |
                              (static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << 8) |
                              static_cast<std::uint32_t>(static_cast<unsigned char>(d)));
}

constexpr Int32 kEffectMagic = fourCharCode('V', 's', 't', 'P');

struct AEffect {
    Int32 magic;
    DispatcherProc dispatcher;
    ProcessProc process; // deprecated accumulating process
    SetParameterProc setParameter;
    GetParameterProc getParameter;
    Int32 numPrograms;
    Int32 numParams;
    Int32 numInputs;
    Int32 numOutputs;
    Int32 flags;
    IntPtr resvd1;
    IntPtr resvd2;
    Int32 initialDelay;
    Int32 realQualities;
    Int32 offQualities;
    float ioRatio;
    void* object;
    void* user;
    Int32 uniqueID;
    Int32 version;
    ProcessProc processReplacing;
    ProcessDoubleProc processDoubleReplacing;
    char future[56];
};

enum EffectFlags : Int32 {
    effFlagsHasEditor = 1 << 0,
    effFlagsCanReplacing = 1 << 4,
    effFlagsProgramChunks = 1 << 5,
    effFlagsIsSynth = 1 << 8,
    effFlagsNoSoundInStop = 1 << 9,
    effFlagsCanDoubleReplacing = 1 << 12,
};

// Host -> effect (dispatcher opcodes).
enum EffectOpcode : Int32 {
    effOpen = 0,
    effClose = 1,
    effSetProgram = 2,
    effGetProgram = 3,
    effSetProgramName = 4,
    effGetProgramName = 5,
    effGetParamLabel = 6,
    effGetParamDisplay = 7,
    effGetParamName = 8,
    effSetSampleRate = 10,
    effSetBlockSize = 11,
    effMainsChanged = 12,
    effEditGetRect = 13,
    effEditOpen = 14,
    effEditClose = 15,
    effEditIdle = 19,
    effIdentify = 22,
    effGetChunk = 23,
    effSetChunk = 24,
    effProcessEvents = 25,
    effCanBeAutomated = 26,
    effString2Parameter = 27,
    effGetProgramNameIndexed = 29,
    effGetInputProperties = 33,
    effGetOutputProperties = 34,
    effGetPlugCategory = 35,
    effOfflineNotify = 38,
    effOfflinePrepare = 39,
    effOfflineRun = 40,
    effProcessVarIo = 41,
    effSetSpeakerArrangement = 42,
    effSetBypass = 44,
    effGetEffectName = 45,
    effGetVendorString = 47,
    effGetProductString = 48,
    effGetVendorVersion = 49,
    effVendorSpecific = 50,
    effCanDo = 51,
    effGetTailSize = 52,
    effGetParameterProperties = 56,
    effGetVstVersion = 58,
    effEditKeyDown = 59,
    effEditKeyUp = 60,
    effSetEditKnobMode = 61,
    effGetMidiProgramName = 62,
    effGetCurrentMidiProgram = 63,
    effGetMidiProgramCategory = 64,
    effHasMidiProgramsChanged = 65,
    effGetMidiKeyName = 66,
    effBeginSetProgram = 67,
    effEndSetProgram = 68,
    effGetSpeakerArrangement = 69,
    effShellGetNextPlugin = 70,
    effStartProcess = 71,
    effStopProcess = 72,
    effSetTotalSampleToProcess = 73,
    effSetPanLaw = 74,
    effBeginLoadBank = 75,
    effBeginLoadProgram = 76,
    effSetProcessPrecision = 77,
    effGetNumMidiInputChannels = 78,
    effGetNumMidiOutputChannels = 79,
};

// Effect -> host (callback opcodes).
enum HostOpcode : Int32 {
    audioMasterAutomate = 0,
    audioMasterVersion = 1,
    audioMasterCurrentId = 2,
    audioMasterIdle = 3,
    audioMasterGetTime = 7,
    audioMasterProcessEvents = 8,
    audioMasterIOChanged = 13,
    audioMasterSizeWindow = 15,
    audioMasterGetSampleRate = 16,
    audioMasterGetBlockSize = 17,
    audioMasterGetInputLatency = 18,
    audioMasterGetOutputLatency = 19,
    audioMasterGetCurrentProcessLevel = 23,
    audioMasterGetAutomationState = 24,
    audioMasterGetVendorString = 32,
    audioMasterGetProductString = 33,
    audioMasterGetVendorVersion = 34,
    audioMasterVendorSpecific = 35,
    audioMasterCanDo = 37,
    audioMasterGetLanguage = 38,
    audioMasterGetDirectory = 41,
    audioMasterUpdateDisplay = 42,
    audioMasterBeginEdit = 43,
    audioMasterEndEdit = 44,
    audioMasterOpenFileSelector = 45,
    audioMasterCloseFileSelector = 46,
};

enum PlugCategory : Int32 { kPlugCategUnknown = 0, kPlugCategEffect = 1 };

// Answers to audioMasterGetCurrentProcessLevel.
enum ProcessLevel : Int32 {
    kVstProcessLevelUnknown = 0,   // the host does not say
    kVstProcessLevelUser = 1,      // the host's user-interface thread
    kVstProcessLevelRealtime = 2,  // the audio thread
    kVstProcessLevelPrefetch = 3,  // a disk-streaming thread ahead of time
    kVstProcessLevelOffline = 4,   // rendering, not bound to real time
};

// Editor rectangle as the host reads it from effEditGetRect.
struct ERect {
    std::int16_t top;
    std::int16_t left;
    std::int16_t bottom;
    std::int16_t right;
};

// File selector request (audioMasterOpenFileSelector / CloseFileSelector).
constexpr int kMaxFileSelectorTitle = 1024;

struct VstFileType {
    char name[128];
    char macType[8];
    char dosType[8];
    char unixType[8];
    char mimeType1[128];
    char mimeType2[128];
};

enum FileSelectCommand : Int32 { kVstFileLoad = 0, kVstFileSave, kVstMultipleFilesLoad, kVstDirectorySelect };
enum FileSelectType : Int32 { kVstFileType = 0 };

struct VstFileSelect {
    Int32 command;
    Int32 type;
    Int32 macCreator;
    Int32 nbFileTypes;
    VstFileType* fileTypes;
    char title[kMaxFileSelectorTitle];
    char* initialPath;
    char* returnPath; // null: the host allocates and the plug-in must close the selector
    Int32 sizeReturnPath;
    char** returnMultiplePaths;
    Int32 nbReturnPath;
    IntPtr reserved;
    char future[116];
};

// String lengths the interface promises.
constexpr int kMaxProgNameLen = 24;
constexpr int kMaxParamStrLen = 8;
constexpr int kMaxEffectNameLen = 32;
constexpr int kMaxVendorStrLen = 64;
constexpr int kMaxProductStrLen = 64;

} // namespace vst
