#pragma once
// The effect as the editor sees it: parameters, host requests, the IR and the
// filters' response analyser. The effect implements this, so that the editor
// never includes the shell.
#include "vst/VstInterface.h"

#include <mutex>

class AEffEditor;

namespace engine {
class ResponseAnalyser;
}
namespace ir {
class IRData;
}

class EditorEffect {
public:
    virtual ~EditorEffect() = default;

    // Parameters, as normalised values.
    virtual float getParameter(vst::Int32 index) = 0;
    // A user gesture: applied like host automation, and the host is told.
    virtual void setParameterAutomated(vst::Int32 index, float value) = 0;
    virtual bool beginEdit(vst::Int32 index) = 0;
    virtual bool endEdit(vst::Int32 index) = 0;

    // The editor registers itself once, from its constructor; the effect
    // keeps it (and deletes it) for its whole life and reports that it has one.
    virtual void setEditor(AEffEditor* /*editor*/) {}
    // Held by whoever feeds the graphs (the effect's IR and analysis work, the
    // file actions); the editor holds it only while it puts its graphs up or
    // takes them down, so that no other thread ever reaches a half-made or
    // destroyed graph, and while the envelope graph reads the IR.
    virtual std::recursive_mutex& applicationMutex()
    {
        static std::recursive_mutex standIn;
        return standIn;
    }

    // Host requests.
    virtual vst::IntPtr masterIdle() = 0;
    virtual bool canHostDo(const char* text) = 0;
    virtual bool openFileSelector(vst::VstFileSelect* select) = 0;
    virtual bool closeFileSelector(vst::VstFileSelect* select) = 0;

    // The host's rate truncated to an integer.
    virtual int integerSampleRate() const = 0;
    // Set while the editor window is open.
    virtual void setEditorOpen(bool open) = 0;

    // The IR and its library folder ("<module folder>/data").
    virtual ir::IRData& irData() = 0;
    virtual const char* dataFolder() const = 0;

    // The filters' response: the analyser and a fresh analysis of the current
    // settings, which reaches the open editor's frequency graph (responseAnalysed).
    virtual engine::ResponseAnalyser& responseAnalyser() = 0;
    virtual void runResponseAnalysis() = 0;
    // Both IR curves for a freshly opened envelope graph. Both requests may be
    // carried out later, on another thread.
    virtual void refreshIRCurves();
};
