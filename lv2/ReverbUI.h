#pragma once
// The reverb's editor as an LV2 UI (ui:X11UI): the effect's own editor opened
// inside the host's window. With instance-access it shows the running
// effect itself, as the VST 2.4 editor does. Without it, a private effect
// object that never processes is the editor's model: the host's port values
// move its controls, the plug-in's reports of the IR file load the same file
// into it (so the graphs show it), and a file chosen in it is sent to the
// plug-in. Either way a control the user moves becomes a port change for
// the host, and a press of Reset writes every port.
//
// Everything runs on the host's UI thread.
#include "lv2/EffectHost.h"
#include "lv2/Urids.h"

#include <lv2/atom/forge.h>
#include <lv2/core/lv2.h>
#include <lv2/ui/ui.h>

#include <cstdint>
#include <memory>
#include <string>

class DOvu;
class SDEditor;

namespace lv2plugin {

class ReverbUI final : public ParameterListener {
public:
    // Null when the host lacks ui:parent or urid:map, or the editor's
    // window could not be made in the parent.
    static ReverbUI* create(LV2UI_Write_Function write, LV2UI_Controller controller, LV2UI_Widget* widget,
                            const LV2_Feature* const* features);
    ~ReverbUI() override;
    ReverbUI(const ReverbUI&) = delete;
    ReverbUI& operator=(const ReverbUI&) = delete;

    void portEvent(std::uint32_t port, std::uint32_t size, std::uint32_t format, const void* buffer);
    // Lets the editor handle its window and draw what changed; 1 once the
    // window is gone.
    int idle();

    void parameterAutomated(int id, float normalised) override;
    void gestureBegun(int id) override { touch(id, true); }
    void gestureEnded(int id) override { touch(id, false); }

    // The effect the editor shows, and whether it is the running instance's.
    DOvu& effect() { return *effect_; }
    bool showsInstance() const { return model_ == nullptr; }
    SDEditor& editor();

private:
    ReverbUI(LV2UI_Write_Function write, LV2UI_Controller controller, LV2_URID_Map& map, const Urids& urids,
             const LV2UI_Touch* touch);

    bool open(void* parent, DOvu* instanceEffect, EffectHost* instanceHost);
    void writePort(int id, float normalised);
    void touch(int id, bool grabbed);
    void sendIRFile(const std::string& path);
    void askForIRFile();
    void sendAtom(const LV2_Atom& atom);
    std::string modelPath();

    LV2UI_Write_Function write_;
    LV2UI_Controller controller_;
    const LV2UI_Touch* touch_;
    Urids urids_;
    LV2_Atom_Forge forge_;

    // The model and its host, only without instance-access.
    EffectHost modelHost_;
    std::unique_ptr<DOvu> model_;
    DOvu* effect_ = nullptr;
    EffectHost* host_ = nullptr;
    // The IR path the plug-in reported or was last sent (model only).
    std::string knownPath_;
};

} // namespace lv2plugin
