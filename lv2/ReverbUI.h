#pragma once
// The reverb's editor as an LV2 UI (ui:X11UI): the plug-in's own editor
// opened inside the host's window. With instance-access it shows the running
// reverb itself, as the VST 2.4 editor does. Without it, a view that never
// processes (core::ReverbView) is the editor's model: the host's port values
// move its controls, the plug-in's reports of the IR file show the same file
// in it, and a file chosen in it is sent to the plug-in. Either way a control
// the user moves becomes a port change for the host, and a press of Reset
// writes every port.
//
// Everything runs on the host's UI thread, except the running reverb's
// events, which may come from any thread and are only noted.
#include "core/ReverbHost.h"
#include "core/ReverbModel.h"
#include "editor/ModelEditorEffect.h"
#include "engine/Edition.h"
#include "lv2/Urids.h"

#include <lv2/atom/forge.h>
#include <lv2/core/lv2.h>
#include <lv2/ui/ui.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

class SDEditor;

namespace core {
class ReverbModel;
class ReverbView;
}

namespace lv2plugin {

class ReverbInstance;

class ReverbUI final : public ModelEditorEffect<core::ReverbModel>, private core::ReverbHost {
public:
    // Null when the host lacks ui:parent or urid:map, or the editor's
    // window could not be made in the parent.
    static ReverbUI* create(LV2UI_Write_Function write, LV2UI_Controller controller, LV2UI_Widget* widget,
                            const LV2_Feature* const* features, engine::Edition edition = engine::Edition::Standard);
    ~ReverbUI() override;
    ReverbUI(const ReverbUI&) = delete;
    ReverbUI& operator=(const ReverbUI&) = delete;

    void portEvent(std::uint32_t port, std::uint32_t size, std::uint32_t format, const void* buffer);
    // Lets the editor handle its window and draw what changed; 1 once the
    // window is gone.
    int idle();

    // What the editor shows, and whether it is the running instance's reverb.
    core::ReverbModel& model() { return *model_; }
    bool showsInstance() const { return instance_ != nullptr; }
    SDEditor& editor() { return *editor_; }

    // EditorEffect
    float getParameter(vst::Int32 index) override;
    void setParameterAutomated(vst::Int32 index, float value) override;
    bool beginEdit(vst::Int32 index) override;
    bool endEdit(vst::Int32 index) override;
    void setEditor(AEffEditor* editor) override;
    vst::IntPtr masterIdle() override { return 0; }
    bool canHostDo(const char*) override { return false; }
    bool openFileSelector(vst::VstFileSelect*) override { return false; }
    bool closeFileSelector(vst::VstFileSelect*) override { return false; }
    const char* editionMark() const override;

private:
    core::ReverbModel& shownModel() const override { return *model_; }

    ReverbUI(LV2UI_Write_Function write, LV2UI_Controller controller, LV2_URID_Map& map, const Urids& urids,
             const LV2UI_Touch* touch, engine::Edition edition);

    bool open(void* parent, ReverbInstance* instance);
    // core::ReverbHost: the reverb's events, kept for the next idle.
    void irLoadFailed(const std::string& path, const std::string& reason) override;
    void tellUser(const std::string& caption, const std::string& text) override;
    void parameterChanged(int id, float value) override;
    void copyButtonChanged(bool show) override;
    bool chooseFile(const platform::FileDialogRequest& request, std::string& chosenPath) override;

    void showMessages();
    void writePort(int id, float normalised);
    void touch(int id, bool grabbed);
    void sendIRFile(const std::string& path);
    void askForIRFile();
    void sendAtom(const LV2_Atom& atom);

    const engine::Edition edition_;
    LV2UI_Write_Function write_;
    LV2UI_Controller controller_;
    const LV2UI_Touch* touch_;
    Urids urids_;
    LV2_Atom_Forge forge_;

    // The running instance (with instance-access), or the view.
    ReverbInstance* instance_ = nullptr;
    std::unique_ptr<core::ReverbView> view_;
    core::ReverbModel* model_ = nullptr;
    SDEditor* editor_ = nullptr;
    // The IR path the plug-in reported or was last sent (view only).
    std::string knownPath_;
    // Messages for the user (caption, text), shown at the next idle.
    std::mutex messagesMutex_;
    std::deque<std::pair<std::string, std::string>> messages_;
};

} // namespace lv2plugin
