#pragma once
// An EditorEffect (and the envelope graph's actions) whose reads of the reverb
// go straight to a model that answers them by the same names: the rate, the
// IR in force and its highlight, the graphs' curves, the filters' response,
// and the graph's click and drop. The reverb core's ReverbModel is one; the
// editor names no such type, so it still includes no shell and no core. A
// shell derives from this and writes only its own part: parameter gestures,
// the editor's registration and the host's services.
#include "editor/EditorEffect.h"
#include "editor/EnvelopeGraphActions.h"

template <class Model>
class ModelEditorEffect : public EditorEffect, public EnvelopeGraphActions {
public:
    int integerSampleRate() const override { return shownModel().integerSampleRate(); }
    void setEditorOpen(bool open) override { shownModel().setEditorOpen(open); }
    ir::IRDescription irDescription() override { return shownModel().irDescription(); }
    const char* dataFolder() const override { return shownModel().dataFolder(); }
    int rebuildIndicator() override { return shownModel().rebuildIndicator(); }
    bool clearRebuildIndicatorIfDue(std::uint32_t now) override { return shownModel().clearRebuildIndicatorIfDue(now); }
    const ir::EnvelopeRecording* envelopeCurves() override { return shownModel().envelopeCurves(); }
    engine::ResponseAnalyser& responseAnalyser() override { return shownModel().responseAnalyser(); }
    void runResponseAnalysis() override { shownModel().runResponseAnalysis(); }

    void envelopeGraphClicked() override { shownModel().envelopeGraphClicked(); }
    void envelopeGraphDropped(const char* item, bool isFileName) override
    {
        shownModel().envelopeGraphDropped(item, isFileName);
    }

protected:
    // The model the editor shows, for as long as the editor may ask.
    virtual Model& shownModel() const = 0;
};
