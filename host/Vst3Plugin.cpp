#include "host/Vst3Plugin.h"

#include "host/Utf16Text.h"
#include "host/Vst3Editor.h"
#include "host/Vst3MemoryStream.h"
#include "host/Vst3StateFile.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

using namespace vst3;

namespace {

bool isNumber(const std::string& text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

std::string hexId(const Uid& id)
{
    std::string text;
    char byte[3];
    for (char c : id.bytes) {
        std::snprintf(byte, sizeof byte, "%02X", static_cast<unsigned char>(c));
        text += byte;
    }
    return text;
}

template <class T>
Vst3Ptr<T> created(IPluginFactory* factory, const char* classId)
{
    void* obj = nullptr;
    if (factory->createInstance(classId, T::iid.data(), &obj) != kResultOk || !obj)
        return {};
    return Vst3Ptr<T>(static_cast<T*>(obj));
}

// The block a state travels in: a stream holding these bytes, read from the start.
Vst3Ptr<Vst3MemoryStream> streamOf(const std::vector<char>& bytes)
{
    return Vst3Ptr<Vst3MemoryStream>(new Vst3MemoryStream(bytes));
}

} // namespace

bool Vst3Plugin::load(const std::string& path, const std::string& chosenClass, std::string& error)
{
    unload();
    if (!module_.load(path, error))
        return false;
    if (!chooseClass(chosenClass, error)) {
        unload();
        return false;
    }
    hostApplication_ = Vst3Ptr<Vst3HostApplication>(new Vst3HostApplication());
    componentHandler_ = Vst3Ptr<Vst3ComponentHandler>(new Vst3ComponentHandler());
    inputChanges_ = Vst3Ptr<Vst3ParameterChanges>(new Vst3ParameterChanges());
    outputChanges_ = Vst3Ptr<Vst3ParameterChanges>(new Vst3ParameterChanges());
    if (auto factory3 = Vst3Ptr<IPluginFactory3>::queried(module_.factory()))
        factory3->setHostContext(hostApplication_.get());

    const std::string name = "\"" + effectClass_.name + "\"";
    component_ = created<IComponent>(module_.factory(), effectClass_.cid.data());
    if (!component_) {
        error = "the module made no component of " + name;
        unload();
        return false;
    }
    if (component_->initialize(hostApplication_.get()) != kResultOk) {
        error = name + " did not initialize";
        unload();
        return false;
    }
    componentInitialized_ = true;
    processor_ = Vst3Ptr<IAudioProcessor>::queried(component_.get());
    if (!processor_) {
        error = name + " is no audio processor";
        unload();
        return false;
    }
    if (!makeController(error) || !setUpBuses(error)) {
        unload();
        return false;
    }
    // The controller follows the component's state, as when a project opens.
    auto state = Vst3Ptr<Vst3MemoryStream>(new Vst3MemoryStream());
    if (component_->getState(state.get()) == kResultOk) {
        state->rewind();
        controller_->setComponentState(state.get());
    }
    controller_->setComponentHandler(componentHandler_.get());
    readParameters();
    return true;
}

bool Vst3Plugin::chooseClass(const std::string& chosenClass, std::string& error)
{
    std::vector<const Vst3ClassInfo*> effects;
    for (const Vst3ClassInfo& info : module_.classes())
        if (info.category == kVstAudioEffectClass)
            effects.push_back(&info);
    if (effects.empty()) {
        error = module_.binaryPath() + " offers no audio effect";
        return false;
    }
    const Vst3ClassInfo* chosen = nullptr;
    if (chosenClass.empty())
        chosen = effects.front();
    else if (isNumber(chosenClass) && chosenClass.size() < 9 && std::stoul(chosenClass) < effects.size())
        chosen = effects[std::stoul(chosenClass)];
    for (const Vst3ClassInfo* info : effects)
        if (!chosen && info->name == chosenClass)
            chosen = info;
    if (!chosen) {
        error = "--class " + chosenClass + ": the module's effects are";
        for (size_t i = 0; i < effects.size(); ++i)
            error += (i ? ", " : " ") + std::to_string(i) + " \"" + effects[i]->name + "\"";
        return false;
    }
    effectClass_ = *chosen;
    return true;
}

bool Vst3Plugin::makeController(std::string& error)
{
    // A single-component effect is its own controller.
    controller_ = Vst3Ptr<IEditController>::queried(component_.get());
    if (controller_)
        return true;
    TUID controllerId = {};
    if (component_->getControllerClassId(controllerId) != kResultOk) {
        error = "\"" + effectClass_.name + "\" has no edit controller";
        return false;
    }
    controller_ = created<IEditController>(module_.factory(), controllerId);
    if (!controller_ || controller_->initialize(hostApplication_.get()) != kResultOk) {
        error = "the module made no edit controller for \"" + effectClass_.name + "\"";
        controller_.reset();
        return false;
    }
    controllerInitialized_ = true;
    controllerIsSeparate_ = true;
    // Each side gets the other's connection point, so that they may message each other.
    componentPoint_ = Vst3Ptr<IConnectionPoint>::queried(component_.get());
    controllerPoint_ = Vst3Ptr<IConnectionPoint>::queried(controller_.get());
    if (componentPoint_ && controllerPoint_) {
        const bool there = componentPoint_->connect(controllerPoint_.get()) == kResultOk;
        const bool back = controllerPoint_->connect(componentPoint_.get()) == kResultOk;
        connected_ = there && back;
    }
    return true;
}

bool Vst3Plugin::setUpBuses(std::string& error)
{
    const int32 inputs = component_->getBusCount(kAudio, kInput);
    const int32 outputs = component_->getBusCount(kAudio, kOutput);
    if (outputs < 1) {
        error = "\"" + effectClass_.name + "\" has no audio output";
        return false;
    }
    // Stereo main buses, the others as the plug-in has them.
    std::vector<SpeakerArrangement> in(static_cast<size_t>(std::max(0, inputs)), kStereoArrangement);
    std::vector<SpeakerArrangement> out(static_cast<size_t>(outputs), kStereoArrangement);
    for (int32 i = 1; i < inputs; ++i)
        processor_->getBusArrangement(kInput, i, in[static_cast<size_t>(i)]);
    for (int32 i = 1; i < outputs; ++i)
        processor_->getBusArrangement(kOutput, i, out[static_cast<size_t>(i)]);
    processor_->setBusArrangements(in.data(), inputs, out.data(), outputs);  // refused: theirs stand

    auto readBuses = [&](BusDirection direction, int32 count, std::vector<BusInfo>& buses) {
        buses.assign(static_cast<size_t>(std::max(0, count)), BusInfo {});
        for (int32 i = 0; i < count; ++i) {
            BusInfo& bus = buses[static_cast<size_t>(i)];
            if (component_->getBusInfo(kAudio, direction, i, bus) != kResultOk)
                bus.channelCount = 0;
            component_->activateBus(kAudio, direction, i, i == 0 ? 1 : 0);
        }
    };
    readBuses(kInput, inputs, inputBuses_);
    readBuses(kOutput, outputs, outputBuses_);
    return true;
}

void Vst3Plugin::readParameters()
{
    parameters_.clear();
    const int32 count = controller_->getParameterCount();
    for (int32 i = 0; i < count; ++i) {
        ParameterInfo info {};
        if (controller_->getParameterInfo(i, info) == kResultOk)
            parameters_.push_back(info);
    }
}

void Vst3Plugin::unload()
{
    stop();
    if (controller_)
        controller_->setComponentHandler(nullptr);
    if (connected_) {
        componentPoint_->disconnect(controllerPoint_.get());
        controllerPoint_->disconnect(componentPoint_.get());
    }
    connected_ = false;
    componentPoint_.reset();
    controllerPoint_.reset();
    if (controllerInitialized_)
        controller_->terminate();
    controllerInitialized_ = false;
    controller_.reset();
    processor_.reset();
    if (componentInitialized_)
        component_->terminate();
    componentInitialized_ = false;
    component_.reset();
    controllerIsSeparate_ = false;
    parameters_.clear();
    pending_.clear();
    inputChanges_.reset();
    outputChanges_.reset();
    componentHandler_.reset();
    hostApplication_.reset();
    module_.unload();
}

std::string Vst3Plugin::parameterName(int index)
{
    if (index < 0 || index >= parameterCount())
        return {};
    return utf8FromUtf16(parameterInfo(index).title, 128);
}

std::string Vst3Plugin::parameterText(int index, double value)
{
    String128 text = {};
    if (index < 0 || index >= parameterCount() ||
        controller_->getParamStringByValue(parameterInfo(index).id, value, text) != kResultOk)
        return {};
    return utf8FromUtf16(text, 128);
}

float Vst3Plugin::getParameter(int index)
{
    if (index < 0 || index >= parameterCount())
        return 0.0f;
    return static_cast<float>(controller_->getParamNormalized(parameterInfo(index).id));
}

void Vst3Plugin::setParameter(int index, float value)
{
    if (index < 0 || index >= parameterCount())
        return;
    const ParamID id = parameterInfo(index).id;
    controller_->setParamNormalized(id, value);
    pending_.emplace_back(id, value);
}

int Vst3Plugin::parameterOfNumber(long number)
{
    for (int i = 0; i < parameterCount(); ++i)
        if (number >= 0 && parameterInfo(i).id == static_cast<ParamID>(number))
            return i;
    return -1;
}

int Vst3Plugin::latency()
{
    return processor_ ? static_cast<int>(std::min<uint32>(processor_->getLatencySamples(), 1u << 30)) : 0;
}

void Vst3Plugin::stop()
{
    if (processing_)
        processor_->setProcessing(0);
    processing_ = false;
    if (active_)
        component_->setActive(0);
    active_ = false;
}

void Vst3Plugin::start(float sampleRate, int blockSize)
{
    stop();
    sampleRate_ = sampleRate;
    blockSize_ = std::max(1, blockSize);
    ProcessSetup setup {processMode_, kSample32, blockSize_, sampleRate_};
    processor_->setupProcessing(setup);
    component_->setActive(1);
    active_ = true;
    // Not every processor wants this call; it still processes.
    processor_->setProcessing(1);
    processing_ = true;
    framesProcessed_ = 0;
    silence_.assign(static_cast<size_t>(blockSize_), 0.0f);
    scratch_.assign(static_cast<size_t>(blockSize_), 0.0f);
}

void Vst3Plugin::collectEdits()
{
    if (!componentHandler_)
        return;
    for (const auto& [id, value] : componentHandler_->takeEdits())
        pending_.emplace_back(id, value);
}

void Vst3Plugin::assignBuffers(float** in, float** out)
{
    auto assign = [&](const std::vector<BusInfo>& buses, float** host, float* spare,
                      std::vector<AudioBusBuffers>& buffers, std::vector<float*>& channels) {
        size_t total = 0;
        for (const BusInfo& bus : buses)
            total += static_cast<size_t>(std::max(0, bus.channelCount));
        channels.assign(total, spare);
        buffers.assign(buses.size(), AudioBusBuffers {});
        size_t next = 0;
        for (size_t b = 0; b < buses.size(); ++b) {
            const int count = std::max(0, buses[b].channelCount);
            // The main bus takes the host's stereo pair; a mono main bus its left channel.
            for (int c = 0; b == 0 && c < std::min(count, 2); ++c)
                channels[next + static_cast<size_t>(c)] = host[c];
            buffers[b].numChannels = count;
            buffers[b].channelBuffers32 = count ? &channels[next] : nullptr;
            next += static_cast<size_t>(count);
        }
    };
    assign(inputBuses_, in, silence_.data(), inputBuffers_, inputChannels_);
    assign(outputBuses_, out, scratch_.data(), outputBuffers_, outputChannels_);
}

void Vst3Plugin::process(float** in, float** out, int frames, const CallChange* changes, int changeCount)
{
    collectEdits();
    inputChanges_->clear();
    for (const auto& [id, value] : pending_)
        inputChanges_->add(id, 0, value);
    pending_.clear();
    for (int i = 0; i < changeCount; ++i) {
        if (changes[i].index < 0 || changes[i].index >= parameterCount())
            continue;
        const ParamID id = parameterInfo(changes[i].index).id;
        inputChanges_->add(id, changes[i].offset, changes[i].value);
        controller_->setParamNormalized(id, changes[i].value);  // the host's controls follow its automation
    }
    outputChanges_->clear();
    assignBuffers(in, out);  // the vectors keep their room: no allocation after the first call

    ProcessContext context {};
    context.state = ProcessContext::kPlaying | ProcessContext::kContTimeValid | ProcessContext::kTempoValid |
                    ProcessContext::kTimeSigValid;
    context.sampleRate = sampleRate_;
    context.projectTimeSamples = framesProcessed_;
    context.continousTimeSamples = framesProcessed_;
    context.tempo = 120.0;
    context.timeSigNumerator = 4;
    context.timeSigDenominator = 4;

    ProcessData data {};
    data.processMode = processMode_;
    data.symbolicSampleSize = kSample32;
    data.numSamples = frames;
    data.numInputs = static_cast<int32>(inputBuffers_.size());
    data.numOutputs = static_cast<int32>(outputBuffers_.size());
    data.inputs = inputBuffers_.empty() ? nullptr : inputBuffers_.data();
    data.outputs = outputBuffers_.data();
    data.inputParameterChanges = inputChanges_.get();
    data.outputParameterChanges = outputChanges_.get();
    data.processContext = &context;
    processor_->process(data);
    framesProcessed_ += frames;

    // What the processor reports (meters, its own changes) reaches the controller.
    for (int32 q = 0; q < outputChanges_->getParameterCount(); ++q) {
        IParamValueQueue* queue = outputChanges_->getParameterData(q);
        int32 offset = 0;
        ParamValue value = 0.0;
        if (queue && queue->getPointCount() > 0 && queue->getPoint(queue->getPointCount() - 1, offset, value) == kResultOk)
            controller_->setParamNormalized(queue->getParameterId(), value);
    }
}

void Vst3Plugin::flushChanges()
{
    collectEdits();
    if (pending_.empty() || !processing_)
        return;
    float* in[2] = {silence_.data(), silence_.data()};
    float* out[2] = {scratch_.data(), scratch_.data()};
    process(in, out, 0, nullptr, 0);
}

bool Vst3Plugin::captureState(std::vector<char>& component, std::vector<char>& controller, std::string& error)
{
    flushChanges();
    auto componentState = Vst3Ptr<Vst3MemoryStream>(new Vst3MemoryStream());
    if (component_->getState(componentState.get()) != kResultOk) {
        error = "\"" + effectClass_.name + "\" gave no component state";
        return false;
    }
    auto controllerState = Vst3Ptr<Vst3MemoryStream>(new Vst3MemoryStream());
    if (controller_->getState(controllerState.get()) != kResultOk)
        controllerState = Vst3Ptr<Vst3MemoryStream>(new Vst3MemoryStream());  // a controller with no state of its own
    component = componentState->bytes();
    controller = controllerState->bytes();
    return true;
}

bool Vst3Plugin::applyState(const std::vector<char>& component, const std::vector<char>& controller,
                            std::string& error)
{
    pending_.clear();  // a restored project starts from its state, not from earlier edits
    auto componentState = streamOf(component);
    if (component_->setState(componentState.get()) != kResultOk) {
        error = "\"" + effectClass_.name + "\" refused the component state";
        return false;
    }
    componentState->rewind();
    controller_->setComponentState(componentState.get());
    if (!controller.empty() && controller_->setState(streamOf(controller).get()) != kResultOk) {
        error = "\"" + effectClass_.name + "\" refused the controller state";
        return false;
    }
    return true;
}

bool Vst3Plugin::saveState(const std::string& path, std::string& error)
{
    std::vector<char> component, controller;
    return captureState(component, controller, error) && vst3state::save(path, component, controller, error);
}

bool Vst3Plugin::checkStateFile(const std::string& path, std::string&, std::string& error)
{
    std::vector<char> component, controller;
    return vst3state::load(path, component, controller, error);
}

bool Vst3Plugin::restoreState(const std::string& path, std::string& error)
{
    std::vector<char> component, controller;
    return vst3state::load(path, component, controller, error) && applyState(component, controller, error);
}

bool Vst3Plugin::commitIR(const std::string&, std::string& error)
{
    error = "--ir is for VST 2.4 plug-ins: a VST 3 plug-in keeps its IR in its state";
    return false;
}

bool Vst3Plugin::checkIR(const std::string& path, float, std::string& error)
{
    return commitIR(path, error);
}

void Vst3Plugin::printInfo()
{
    const PFactoryInfo& factory = module_.factoryInfo();
    std::printf("module:   %s\n", module_.binaryPath().c_str());
    std::printf("vendor:   %.64s (%.256s, %.128s), factory flags 0x%X\n", factory.vendor, factory.url, factory.email,
                static_cast<unsigned>(factory.flags));
    std::printf("classes (%zu):\n", module_.classes().size());
    int effectIndex = 0;
    for (const Vst3ClassInfo& info : module_.classes()) {
        const bool effect = info.category == kVstAudioEffectClass;
        std::printf("  %s %-24s %-26s %-14s %s %s (%s) %s\n",
                    effect ? ("[" + std::to_string(effectIndex++) + "]").c_str() : "   ",
                    ("\"" + info.name + "\"").c_str(), info.category.c_str(), info.subCategories.c_str(),
                    info.vendor.c_str(), info.version.c_str(), info.sdkVersion.c_str(), hexId(info.cid).c_str());
    }
    std::printf("class:    \"%s\", controller %s\n", effectClass_.name.c_str(),
                !controllerIsSeparate_ ? "in the component"
                : connected_           ? "separate, connected"
                                       : "separate, not connected");
    auto describe = [](const std::vector<BusInfo>& buses) {
        std::string text;
        for (const BusInfo& bus : buses)
            text += (text.empty() ? "" : ", ") + ("\"" + utf8FromUtf16(bus.name, 128) + "\" ") +
                    std::to_string(bus.channelCount) + " ch";
        return text.empty() ? std::string("none") : text;
    };
    std::printf("inputs %s; outputs %s; latency %d frames, tail %u frames\n", describe(inputBuses_).c_str(),
                describe(outputBuses_).c_str(), latency(), static_cast<unsigned>(processor_->getTailSamples()));
    std::printf("parameters (%d):\n", parameterCount());
    for (int i = 0; i < parameterCount(); ++i) {
        const ParameterInfo& info = parameterInfo(i);
        const double value = controller_->getParamNormalized(info.id);
        std::printf("  %5u  %-20s %.6f  %s %s  steps %d%s%s%s\n", static_cast<unsigned>(info.id),
                    parameterName(i).c_str(), value, parameterText(i, value).c_str(),
                    utf8FromUtf16(info.units, 128).c_str(), static_cast<int>(info.stepCount),
                    (info.flags & ParameterInfo::kCanAutomate) ? ", automatable" : "",
                    (info.flags & ParameterInfo::kIsBypass) ? ", bypass" : "",
                    (info.flags & ParameterInfo::kIsProgramChange) ? ", program change" : "");
    }
}

std::unique_ptr<PluginEditor> Vst3Plugin::makeEditor(std::string& error)
{
    if (!controller_) {
        error = "no plug-in loaded";
        return nullptr;
    }
    return std::make_unique<Vst3Editor>(*controller_.get());
}
