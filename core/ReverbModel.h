#pragma once
// What an editor shows of a reverb and asks of it, whether the reverb
// processes (core::Reverb) or only shows what a reverb elsewhere does
// (core::ReverbView, for an editor that cannot reach the processing one).
#include "ir/IRDescription.h"

#include <cstdint>
#include <string>

namespace engine {
class ResponseAnalyser;
}
namespace ir {
class EnvelopeRecording;
}

namespace core {

class ReverbModel {
public:
    virtual ~ReverbModel() = default;

    // Normalised values; setting one applies it (ids 1..4 run their action).
    virtual float getParameter(int id) const = 0;
    virtual void setParameter(int id, float value) = 0;

    virtual int integerSampleRate() const = 0;
    virtual const char* dataFolder() const = 0;
    // The IR file the parameters remember, "" for none.
    virtual std::string rememberedPath() const = 0;

    // The IR in force, its highlight, and the curves kept while an editor is open.
    virtual ir::IRDescription irDescription() const = 0;
    virtual int rebuildIndicator() const = 0;
    virtual bool clearRebuildIndicatorIfDue(std::uint32_t now) = 0;
    virtual void setEditorOpen(bool open) = 0;
    virtual const ir::EnvelopeRecording* envelopeCurves() const = 0;
    virtual engine::ResponseAnalyser& responseAnalyser() = 0;
    virtual void runResponseAnalysis() = 0;

    // The envelope graph's click (the file dialog) and drop.
    virtual void envelopeGraphClicked() = 0;
    virtual void envelopeGraphDropped(const char* item, bool isFileName) = 0;
};

} // namespace core
