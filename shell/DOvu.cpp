#include "shell/DOvu.h"

#include "editor/SDEditor.h"
#include "engine/ProcessingPath.h"
#include "engine/ResponseAnalyser.h"
#include "ir/FileActions.h"
#include "ir/IRData.h"
#include "params/EffectConstants.h"
#include "params/EffectIdentity.h"
#include "platform/ModulePath.h"
#include "shell/DenormalGuard.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// Copies text into a fixed buffer, cutting it to fit.
void copyText(char* to, size_t capacity, const char* from)
{
    if (capacity == 0)
        return;
    const size_t n = from ? strnlen(from, capacity - 1) : 0;
    std::memcpy(to, from ? from : "", n);
    to[n] = '\0';
}

} // namespace

DOvu::DOvu(vst::HostCallback hostCallback)
    : AudioEffectX(hostCallback, kNumPrograms, param::kNumParams)
{
    // filters, pre-delay line, scratch pair and width stage, all at the default rate
    path_ = std::make_unique<engine::ProcessingPath>(epoch_);

    const std::string module = platform::modulePath();
    location_ = platform::ModuleLocation::fromModulePath(module.c_str());

    programs_ = std::make_unique<ProgramRecord[]>(kNumPrograms);
    for (int p = 0; p < kNumPrograms; ++p) {
        for (int i = 0; i < param::kNumParams; ++i)
            programs_[p].values[i].store(static_cast<float>(param::normalisedDefault(i)));
        copyText(programs_[p].name, sizeof programs_[p].name, "Default");
    }

    intSampleRate_.store(static_cast<int>(sampleRate_));
    hostRate_.store(sampleRate_);
    analyser_ = std::make_unique<engine::ResponseAnalyser>(intSampleRate_.load());
    ir_ = std::make_unique<ir::IRData>(static_cast<ir::IROwner*>(this), path_->convolution(), sampleRate_);
    fileActions_ = std::make_unique<ir::FileActions>(static_cast<ir::FileActionHost&>(*this));
    path_->setSampleRate(intSampleRate_.load());

    for (auto& v : values_)
        v.store(0.0f);

    setNumInputs(2);
    setNumOutputs(2);
    setUniqueID(kUniqueId);
    setInitialDelay(effect::kLatencyFrames);

    // The editor registers itself with the base part, which deletes it.
    sdEditor_ = new SDEditor(this);
    sdEditor_->setEnvelopeGraphActions(this);

    // From here on parameter changes are applied, not only stored.
    worker_.start();
    applying_ = true;
    resetToDefaults();
    setProgram(0);
    // A new instance starts with its defaults in force.
    resume();
}

DOvu::~DOvu()
{
    // Nothing works on the effect any more once it goes.
    worker_.stop();
    // An editor still open is closed while the effect is whole; the base part
    // deletes it after everything it looks at is gone.
    if (sdEditor_ && sdEditor_->isOpen())
        sdEditor_->close();
}

bool DOvu::buildKernelLater()
{
    worker_.requestTask(WorkerTask::BuildKernel);
    return true;
}

void DOvu::setPseudoStereo(bool on)
{
    path_->setPseudoStereo(on ? 1 : 0);
}

ir::EnvelopeSink* DOvu::envelopeSink()
{
    // only while the editor window is open; callers hold parameterMutex_, as
    // the editor does while it puts up and takes down the graph
    return sdEditor_ ? sdEditor_->envelopeSink() : nullptr;
}

void DOvu::resume()
{
    path_->reset();
    // A host that restores a project and starts playing at once hears the
    // restored IR and settings from the first frame, as an offline render does.
    settlePendingWork();
}

vst::Int32 DOvu::startProcess()
{
    settlePendingWork();
    return 0;
}

void DOvu::setSampleRate(float sampleRate)
{
    AudioEffectX::setSampleRate(sampleRate);
    // a rate the host cannot mean (0, negative, not a number) leaves the stages where they are
    if (!(sampleRate >= 1.0f && sampleRate <= 10.0e6f))
        return;
    const int rate = static_cast<int>(sampleRate);
    intSampleRate_.store(rate);
    hostRate_.store(sampleRate);
    // Filters, pre-delay and width ring at once: hosts change the rate while
    // processing is stopped. The IR, the analysis and the graph follow on the
    // worker.
    path_->setSampleRate(rate);
    analyser_->setSampleRate(rate);
    worker_.requestTask(WorkerTask::SampleRate);
}

void DOvu::processReplacing(float** inputs, float** outputs, vst::Int32 sampleFrames)
{
    if (sampleFrames <= 0 || !inputs || !outputs || !inputs[0] || !inputs[1] || !outputs[0] || !outputs[1])
        return;
    worker_.noteProcessCall();
    // A render must not depend on how fast the worker is: offline, every
    // change made before this call is in force from its first frame.
    if (worker_.busy() && hostRendersOffline())
        worker_.finish();
    const DenormalGuard flushDenormals;
    path_->process(inputs[0], inputs[1], outputs[0], outputs[1], sampleFrames);
}

bool DOvu::hostRendersOffline()
{
    return callHost(vst::audioMasterGetCurrentProcessLevel) == vst::kVstProcessLevelOffline;
}

void DOvu::setProgram(vst::Int32 program)
{
    if (program < 0 || program >= kNumPrograms)
        return;
    curProgram_ = program;
    // Each value is recorded like a host change; the last one, the path
    // commit, loads the program's IR.
    for (int i = 0; i < param::kNumParams; ++i)
        setParameter(i, programs_[program].values[i].load());
}

void DOvu::setProgramName(char* name)
{
    std::lock_guard<std::mutex> lock(programNameMutex_);
    ProgramRecord& program = programs_[curProgram_];
    copyText(program.name, sizeof program.name, name);
}

void DOvu::getProgramName(char* name)
{
    std::lock_guard<std::mutex> lock(programNameMutex_);
    const int current = curProgram_;
    const ProgramRecord& program = programs_[current];
    char text[64];
    if (std::strcmp(program.name, "Init") == 0)
        std::snprintf(text, sizeof text, "%s %d", program.name, current + 1);
    else
        copyText(text, sizeof text, program.name);
    copyText(name, vst::kMaxProgNameLen, text);
}

bool DOvu::getProgramNameIndexed(vst::Int32, vst::Int32 index, char* text)
{
    if (index < 0 || index >= kNumPrograms)
        return false;
    std::lock_guard<std::mutex> lock(programNameMutex_);
    copyText(text, vst::kMaxProgNameLen, programs_[index].name);
    return true;
}

void DOvu::getParameterName(vst::Int32 index, char* text)
{
    std::strcpy(text, param::hostParameterName(index));
}

bool DOvu::getEffectName(char* name)
{
    std::strcpy(name, effect::kEffectName);
    return true;
}

bool DOvu::getVendorString(char* text)
{
    std::strcpy(text, effect::kVendorString);
    return true;
}

bool DOvu::getProductString(char* text)
{
    std::strcpy(text, effect::kProductString);
    return true;
}
