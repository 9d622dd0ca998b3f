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
            programs_[p].values[i] = static_cast<float>(param::normalisedDefault(i));
        copyText(programs_[p].name, sizeof programs_[p].name, "Default");
    }

    intSampleRate_.store(static_cast<int>(sampleRate_));
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
    applying_ = true;
    resetToDefaults();
    setProgram(0);
    resume();
}

DOvu::~DOvu()
{
    // An editor still open is closed while the effect is whole; the base part
    // deletes it after everything it looks at is gone.
    if (sdEditor_ && sdEditor_->isOpen())
        sdEditor_->close();
}

void DOvu::setPseudoStereo(bool on)
{
    path_->setPseudoStereo(on ? 1 : 0);
}

ir::EnvelopeSink* DOvu::envelopeSink()
{
    // only while the editor window is open; callers hold parameterMutex_, as
    // the editor does while it makes and destroys the graph
    return sdEditor_ ? sdEditor_->envelopeSink() : nullptr;
}

void DOvu::resume()
{
    path_->reset();
}

void DOvu::setSampleRate(float sampleRate)
{
    std::lock_guard<std::recursive_mutex> lock(parameterMutex_);
    AudioEffectX::setSampleRate(sampleRate);
    // a rate the host cannot mean (0, negative, not a number) leaves the stages where they are
    if (!(sampleRate >= 1.0f && sampleRate <= 10.0e6f))
        return;
    const int rate = static_cast<int>(sampleRate);
    const bool rateChanged = rate != intSampleRate_.exchange(rate);
    path_->setSampleRate(rate);
    analyser_->setSampleRate(rate);
    if (sdEditor_ && editorIsOpen())
        sdEditor_->setSampleRate(rate);
    ir_->setSampleRate(sampleRate);
    // A loaded IR is shaped for the rate it plays at: a new project rate would
    // otherwise leave it too fast or too slow until a shaping knob moved.
    if (rateChanged && ir_->loaded())
        ir_->rebuildKernel();
    runResponseAnalysis();
}

void DOvu::processReplacing(float** inputs, float** outputs, vst::Int32 sampleFrames)
{
    if (sampleFrames <= 0 || !inputs || !outputs || !inputs[0] || !inputs[1] || !outputs[0] || !outputs[1])
        return;
    const DenormalGuard flushDenormals;
    path_->process(inputs[0], inputs[1], outputs[0], outputs[1], sampleFrames);
}

void DOvu::setProgram(vst::Int32 program)
{
    if (program < 0 || program >= kNumPrograms)
        return;
    std::lock_guard<std::recursive_mutex> lock(parameterMutex_);
    curProgram_ = program;
    float values[param::kNumParams];
    std::memcpy(values, programs_[program].values, sizeof values);
    for (int i = 0; i < param::kNumParams; ++i)
        setParameter(i, values[i]);
}

void DOvu::setProgramName(char* name)
{
    std::lock_guard<std::recursive_mutex> lock(parameterMutex_);
    copyText(programs_[curProgram_].name, sizeof programs_[curProgram_].name, name);
}

void DOvu::getProgramName(char* name)
{
    std::lock_guard<std::recursive_mutex> lock(parameterMutex_);
    const ProgramRecord& program = programs_[curProgram_];
    char text[64];
    if (std::strcmp(program.name, "Init") == 0)
        std::snprintf(text, sizeof text, "%s %d", program.name, curProgram_ + 1);
    else
        copyText(text, sizeof text, program.name);
    copyText(name, vst::kMaxProgNameLen, text);
}

bool DOvu::getProgramNameIndexed(vst::Int32, vst::Int32 index, char* text)
{
    if (index < 0 || index >= kNumPrograms)
        return false;
    std::lock_guard<std::recursive_mutex> lock(parameterMutex_);
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
