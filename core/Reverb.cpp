#include "core/Reverb.h"

#include "core/DenormalGuard.h"
#include "engine/ProcessingPath.h"
#include "engine/ResponseAnalyser.h"
#include "ir/FileActions.h"
#include "ir/IRData.h"
#include "params/PathParams.h"

#include <cstdio>
#include <cstring>

namespace core {

namespace {

// Copies text into a fixed buffer, cutting it to fit.
void copyText(char* to, std::size_t capacity, const char* from)
{
    if (capacity == 0)
        return;
    const std::size_t n = from ? strnlen(from, capacity - 1) : 0;
    std::memcpy(to, from ? from : "", n);
    to[n] = '\0';
}

} // namespace

Reverb::Reverb(ReverbHost& host, const platform::ModuleLocation& location)
    : host_(host),
      location_(location),
      intSampleRate_(effect::kDefaultSampleRate),
      hostRate_(static_cast<float>(effect::kDefaultSampleRate))
{
    // filters, pre-delay line, scratch pair and width stage, all at the default rate
    path_ = std::make_unique<engine::ProcessingPath>(epoch_);

    programs_ = std::make_unique<ProgramRecord[]>(kNumPrograms);
    for (int p = 0; p < kNumPrograms; ++p) {
        for (int i = 0; i < param::kNumParams; ++i)
            programs_[p].values[i].store(static_cast<float>(param::normalisedDefault(i)));
        copyText(programs_[p].name, sizeof programs_[p].name, "Default");
    }

    analyser_ = std::make_unique<engine::ResponseAnalyser>(intSampleRate_.load());
    ir_ = std::make_unique<ir::IRData>(static_cast<ir::IROwner*>(this), path_->convolution(), hostRate_.load());
    fileActions_ = std::make_unique<ir::FileActions>(static_cast<ir::FileActionHost&>(*this));
    path_->setSampleRate(intSampleRate_.load());
    for (auto& v : values_)
        v.store(0.0f);

    // From here on parameter changes are applied, not only stored.
    work_.start();
    applying_ = true;
    resetToDefaults();
    setProgram(0);
    // A new instance starts with its defaults in force.
    resume();
}

Reverb::~Reverb()
{
    // Nothing works on the reverb any more once it goes.
    work_.stop();
}

bool Reverb::buildKernelLater()
{
    work_.requestTask(WorkerTask::BuildKernel);
    return true;
}

void Reverb::setPseudoStereo(bool on)
{
    path_->setPseudoStereo(on ? 1 : 0);
}

ir::EnvelopeSink* Reverb::envelopeSink()
{
    // Curves are kept only for an open editor.
    return editorIsOpen() ? &curves_ : nullptr;
}

void Reverb::process(const float* inL, const float* inR, float* outL, float* outR, int frames, bool offline)
{
    if (frames <= 0 || !inL || !inR || !outL || !outR)
        return;
    work_.noteProcessCall();
    // A render must not depend on how fast the worker is: offline, every
    // change made before this call is in force from its first frame.
    if (offline && work_.busy())
        work_.finish();
    const DenormalGuard flushDenormals;
    path_->process(inL, inR, outL, outR, frames);
}

void Reverb::resume()
{
    path_->reset();
    // A host that restores a project and starts playing at once hears the
    // restored IR and settings from the first frame, as an offline render does.
    settlePendingWork();
}

bool Reverb::settlePendingWork()
{
    return work_.finishWithin(kResumeWaitLimit);
}

void Reverb::setSampleRate(float sampleRate)
{
    // a rate the host cannot mean (0, negative, not a number) leaves the stages where they are
    if (!(sampleRate >= 1.0f && sampleRate <= 10.0e6f))
        return;
    const int rate = static_cast<int>(sampleRate);
    intSampleRate_.store(rate);
    hostRate_.store(sampleRate);
    // Filters, pre-delay and width ring at once: hosts change the rate while
    // processing is stopped. The IR and the analysis follow on the worker.
    path_->setSampleRate(rate);
    analyser_->setSampleRate(rate);
    work_.requestTask(WorkerTask::SampleRate);
}

void Reverb::setProgram(int program)
{
    if (program < 0 || program >= kNumPrograms)
        return;
    curProgram_.store(program);
    // Each value is recorded like a host change; the last one, the path
    // commit, loads the program's IR.
    for (int i = 0; i < param::kNumParams; ++i)
        setParameter(i, programs_[program].values[i].load());
}

void Reverb::setProgramName(const char* name)
{
    std::lock_guard<std::mutex> lock(programNameMutex_);
    ProgramRecord& program = programs_[curProgram_.load()];
    copyText(program.name, sizeof program.name, name);
}

std::string Reverb::programDisplayName() const
{
    std::lock_guard<std::mutex> lock(programNameMutex_);
    const int current = curProgram_.load();
    const ProgramRecord& program = programs_[current];
    if (std::strcmp(program.name, "Init") == 0) {
        char text[64];
        std::snprintf(text, sizeof text, "%s %d", program.name, current + 1);
        return text;
    }
    return program.name;
}

std::string Reverb::programName(int program) const
{
    if (program < 0 || program >= kNumPrograms)
        return std::string();
    std::lock_guard<std::mutex> lock(programNameMutex_);
    return programs_[program].name;
}

ir::IRDescription Reverb::irDescription() const
{
    return ir_->description();
}

int Reverb::rebuildIndicator() const
{
    return ir_->rebuildIndicator();
}

bool Reverb::clearRebuildIndicatorIfDue(std::uint32_t now)
{
    return ir_->clearRebuildIndicatorIfDue(now);
}

void Reverb::setEditorOpen(bool open)
{
    editorOpen_.store(open);
    if (open) {
        // The graph gets both curves and the filters' response afresh.
        work_.requestTask(WorkerTask::ShowIRCurves);
        work_.requestTask(WorkerTask::AnalyseResponse);
    } else {
        curves_.clear();
    }
}

const ir::EnvelopeRecording* Reverb::envelopeCurves() const
{
    return editorIsOpen() ? &curves_ : nullptr;
}

void Reverb::runResponseAnalysis()
{
    work_.requestTask(WorkerTask::AnalyseResponse);
}

void Reverb::envelopeGraphClicked()
{
    fileActions_->selectIRFile();
}

void Reverb::envelopeGraphDropped(const char* item, bool isFileName)
{
    if (item)
        fileActions_->dropItem(item, isFileName);
}

bool Reverb::chooseFile(const platform::FileDialogRequest& request, std::string& chosenPath)
{
    return host_.chooseFile(request, chosenPath);
}

void Reverb::reportLoadFailure(const std::string& path, const std::string& reason)
{
    host_.irLoadFailed(path, reason);
}

} // namespace core
