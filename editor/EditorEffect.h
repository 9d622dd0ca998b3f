#pragma once
// The effect as the editor sees it: parameters, host requests, and what the
// graphs draw, taken as copies on the window's thread. The plug-in's shells
// implement this over the reverb they hold, so that the editor never
// includes a shell or the reverb core.
//
// The editor pulls: nothing calls into it from another thread but
// SDEditor::setParameter and showCopyButton, which only note a value.
#include "ir/IRDescription.h"
#include "vst/VstInterface.h"

#include <cstdint>

class AEffEditor;

namespace engine {
class ResponseAnalyser;
}
namespace ir {
class EnvelopeRecording;
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

    // Host requests.
    virtual vst::IntPtr masterIdle() = 0;
    virtual bool canHostDo(const char* text) = 0;
    virtual bool openFileSelector(vst::VstFileSelect* select) = 0;
    virtual bool closeFileSelector(vst::VstFileSelect* select) = 0;

    // The host's rate truncated to an integer.
    virtual int integerSampleRate() const = 0;
    // Set while the editor window is open: only then does the effect keep
    // the envelope graph's curves, and on opening it publishes them afresh
    // and analyses the filters.
    virtual void setEditorOpen(bool open) = 0;

    // The IR in force and the plug-in's IR library ("<module folder>/data").
    virtual ir::IRDescription irDescription() = 0;
    virtual const char* dataFolder() const = 0;
    // The IR's rebuild indicator (-1 building, else 0 or a highlight
    // deadline in clock ticks), and its end once the deadline has passed.
    virtual int rebuildIndicator() = 0;
    virtual bool clearRebuildIndicatorIfDue(std::uint32_t now) = 0;

    // The envelope graph's curves as last published, while the editor is
    // open (null otherwise).
    virtual const ir::EnvelopeRecording* envelopeCurves() = 0;
    // The filters' response: the analyser (its count of finished analyses
    // tells the editor when to rebuild its curve), and a request for a fresh
    // analysis of the current settings, which may run later on another thread.
    virtual engine::ResponseAnalyser& responseAnalyser() = 0;
    virtual void runResponseAnalysis() = 0;
};
