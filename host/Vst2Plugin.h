#pragma once
// A VST 2.4 plug-in (PluginHost) as the render, the settings and the state see it.
#include "host/LoadedPlugin.h"
#include "host/PluginHost.h"

class Vst2Plugin final : public LoadedPlugin {
public:
    // `path`: the module the host loaded, for the IR check's fresh instance.
    Vst2Plugin(PluginHost& host, std::string path) : host_(host), path_(std::move(path)) {}

    int parameterCount() override;
    std::string parameterName(int index) override { return host_.parameterName(index); }
    float getParameter(int index) override { return host_.getParameter(index); }
    void setParameter(int index, float value) override { host_.setParameter(index, value); }
    int parameterOfNumber(long number) override;

    int latency() override;
    void setOffline(bool offline) override;
    void start(float sampleRate, int blockSize) override { host_.start(sampleRate, blockSize); }
    bool takesChangesWithinCalls() const override { return false; }
    void process(float** in, float** out, int frames, const CallChange* changes, int changeCount) override;

    bool saveState(const std::string& path, std::string& error) override;
    bool checkStateFile(const std::string& path, std::string& irPath, std::string& error) override;
    bool restoreState(const std::string& path, std::string& error) override;
    bool commitIR(const std::string& path, std::string& error) override;
    bool checkIR(const std::string& path, float sampleRate, std::string& error) override;

    void printInfo() override;
    std::unique_ptr<PluginEditor> makeEditor(std::string& error) override;

private:
    PluginHost& host_;
    std::string path_;
};
