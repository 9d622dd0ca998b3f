#pragma once
// A VST 2.4 editor: effEditGetRect, effEditOpen, effEditIdle, effEditClose.
#include "host/PluginEditor.h"

class PluginHost;

class Vst2Editor final : public PluginEditor {
public:
    explicit Vst2Editor(PluginHost& host) : host_(host) {}

    bool size(int& width, int& height, std::string& error) override;
    bool open(void* window, std::string& error) override;
    // One idle call, then the rest of the time asleep (the editor draws in its idle calls).
    void run(int milliseconds) override;
    void close() override;

private:
    PluginHost& host_;
};
