#pragma once
// A VST 3 editor: the controller's view ("editor"), attached to the host's
// window with the frame around it, and run by the host's editor loop.
#include "host/PluginEditor.h"
#include "host/Vst3EditorLoop.h"
#include "host/Vst3PlugFrame.h"
#include "vst3/EditController.h"

class Vst3Editor final : public PluginEditor {
public:
    explicit Vst3Editor(vst3::IEditController& controller) : controller_(controller) {}
    ~Vst3Editor() override { close(); }

    bool size(int& width, int& height, std::string& error) override;
    bool open(void* window, std::string& error) override;
    void run(int milliseconds) override { loop_.run(milliseconds); }
    void close() override;

private:
    bool makeView(std::string& error);

    vst3::IEditController& controller_;
    Vst3EditorLoop loop_;
    Vst3Ptr<vst3::IPlugView> view_;
    Vst3Ptr<Vst3PlugFrame> frame_;
    bool attached_ = false;
};
