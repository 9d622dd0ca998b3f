#pragma once
// A VST 3 plug-in loaded as a DAW loads it: the module's factory makes the
// chosen class's component, and its edit controller (the component itself, or
// an object of its own connected to it through their connection points); the
// host runs the processor through setupProcessing, setActive and
// setProcessing, delivers parameter changes inside process calls at their
// frames, and keeps states through memory streams.
#include "host/LoadedPlugin.h"
#include "host/Vst3ComponentHandler.h"
#include "host/Vst3HostApplication.h"
#include "host/Vst3Module.h"
#include "host/Vst3ParameterChanges.h"
#include "host/Vst3Ptr.h"
#include "vst3/AudioProcessor.h"
#include "vst3/EditController.h"
#include "vst3/Messages.h"

#include <string>
#include <utility>
#include <vector>

class Vst3Plugin final : public LoadedPlugin {
public:
    Vst3Plugin() = default;
    ~Vst3Plugin() override { unload(); }
    Vst3Plugin(const Vst3Plugin&) = delete;
    Vst3Plugin& operator=(const Vst3Plugin&) = delete;

    // `path`: a .vst3 bundle or module; `chosenClass`: the audio effect to make,
    // by its position among the module's effects (from 0) or by its name; the
    // first when empty. False with a message when anything fails.
    bool load(const std::string& path, const std::string& chosenClass, std::string& error);
    void unload();

    const Vst3Module& module() const { return module_; }
    const Vst3ClassInfo& effectClass() const { return effectClass_; }
    bool controllerIsSeparate() const { return controllerIsSeparate_; }
    bool connected() const { return connected_; }
    vst3::IEditController* controller() const { return controller_.get(); }
    const vst3::ParameterInfo& parameterInfo(int index) const { return parameters_[static_cast<size_t>(index)]; }
    // The plug-in's text for a normalised value of a parameter.
    std::string parameterText(int index, double value);

    int parameterCount() override { return static_cast<int>(parameters_.size()); }
    std::string parameterName(int index) override;
    float getParameter(int index) override;
    void setParameter(int index, float value) override;
    int parameterOfNumber(long number) override;

    int latency() override;
    void setOffline(bool offline) override { processMode_ = offline ? vst3::kOffline : vst3::kRealtime; }
    void start(float sampleRate, int blockSize) override;
    bool takesChangesWithinCalls() const override { return true; }
    void process(float** in, float** out, int frames, const CallChange* changes, int changeCount) override;

    bool saveState(const std::string& path, std::string& error) override;
    bool checkStateFile(const std::string& path, std::string& irPath, std::string& error) override;
    bool restoreState(const std::string& path, std::string& error) override;
    bool commitIR(const std::string& path, std::string& error) override;
    bool checkIR(const std::string& path, float sampleRate, std::string& error) override;

    void printInfo() override;
    std::unique_ptr<PluginEditor> makeEditor(std::string& error) override;

    // The component's and the controller's states, as a project keeps them.
    bool captureState(std::vector<char>& component, std::vector<char>& controller, std::string& error);
    bool applyState(const std::vector<char>& component, const std::vector<char>& controller, std::string& error);

private:
    bool chooseClass(const std::string& chosenClass, std::string& error);
    bool makeController(std::string& error);
    bool setUpBuses(std::string& error);
    void readParameters();
    void stop();
    // A process call of no frames that only delivers changes not yet delivered.
    void flushChanges();
    // The editor's edits since the last call join the pending changes.
    void collectEdits();
    // Points each bus's channels at the host's stereo buffers or at silence and scratch.
    void assignBuffers(float** in, float** out);

    Vst3Module module_;
    Vst3ClassInfo effectClass_;
    Vst3Ptr<Vst3HostApplication> hostApplication_;
    Vst3Ptr<Vst3ComponentHandler> componentHandler_;
    Vst3Ptr<vst3::IComponent> component_;
    Vst3Ptr<vst3::IAudioProcessor> processor_;
    Vst3Ptr<vst3::IEditController> controller_;
    Vst3Ptr<vst3::IConnectionPoint> componentPoint_;
    Vst3Ptr<vst3::IConnectionPoint> controllerPoint_;
    bool componentInitialized_ = false;
    bool controllerInitialized_ = false;
    bool controllerIsSeparate_ = false;
    bool connected_ = false;
    std::vector<vst3::ParameterInfo> parameters_;
    std::vector<vst3::BusInfo> inputBuses_;
    std::vector<vst3::BusInfo> outputBuses_;

    vst3::int32 processMode_ = vst3::kRealtime;
    double sampleRate_ = 44100.0;
    int blockSize_ = 512;
    bool active_ = false;
    bool processing_ = false;
    vst3::int64 framesProcessed_ = 0;
    std::vector<std::pair<vst3::ParamID, double>> pending_;  // set outside a call, delivered with the next
    Vst3Ptr<Vst3ParameterChanges> inputChanges_;
    Vst3Ptr<Vst3ParameterChanges> outputChanges_;
    // Buffers for the channels beyond the host's two: silence in, ignored out.
    std::vector<float> silence_;
    std::vector<float> scratch_;
    std::vector<vst3::AudioBusBuffers> inputBuffers_;
    std::vector<vst3::AudioBusBuffers> outputBuffers_;
    std::vector<float*> inputChannels_;
    std::vector<float*> outputChannels_;
};
