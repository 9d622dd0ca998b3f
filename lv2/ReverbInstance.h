#pragma once
// One instance of the LV2 plug-in: the format-free reverb (core::Reverb) with
// its ports. Every control port the host moved becomes a parameter change,
// the audio ports the process call. The IR file arrives as a patch:Set of its
// path property, is loaded on the host's worker thread, is reported back on
// the notify port and travels in the host's state as a path. A file that
// fails to load goes to the host's log (and to an editor showing this
// instance), never to a dialog on the host's worker.
//
// Threads: run and work_response on the host's audio thread (nothing there
// allocates, waits or touches a file); work on the host's worker thread;
// save on any thread but the instantiation one; restore, activate and
// deactivate with the instance to themselves.
#include "core/ReverbHost.h"
#include "lv2/PortLayout.h"
#include "lv2/RememberedPathWatch.h"
#include "lv2/Urids.h"

#include <lv2/atom/atom.h>
#include <lv2/atom/forge.h>
#include <lv2/core/lv2.h>
#include <lv2/log/logger.h>
#include <lv2/state/state.h>
#include <lv2/worker/worker.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace core {
class Reverb;
}

namespace lv2plugin {

class ReverbInstance final : private core::ReverbHost {
public:
    // Null when the host lacks urid:map or the effect could not be made.
    static ReverbInstance* create(double sampleRate, const LV2_Feature* const* features);
    ~ReverbInstance() override;
    ReverbInstance(const ReverbInstance&) = delete;
    ReverbInstance& operator=(const ReverbInstance&) = delete;

    void connectPort(std::uint32_t port, void* data);
    // Processing starts: every signal history is cleared, as a VST resume
    // does, and the work a restore left pending is finished (bounded); the
    // port values a host restored are first seen by the next run(), which
    // waits for what they set off before it processes.
    void activate();
    void deactivate();
    void run(std::uint32_t frames);

    // Worker: loads a file the host chose, on the worker thread.
    LV2_Worker_Status work(LV2_Worker_Respond_Function respond, LV2_Worker_Respond_Handle handle,
                           std::uint32_t size, const void* data);
    LV2_Worker_Status workResponse(std::uint32_t size, const void* data);

    // State: the remembered IR path, mapped through the host's state:mapPath
    // so that the project may move. The parameters travel as port values.
    LV2_State_Status save(LV2_State_Store_Function store, LV2_State_Handle handle, std::uint32_t flags,
                          const LV2_Feature* const* features);
    LV2_State_Status restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle,
                             std::uint32_t flags, const LV2_Feature* const* features);

    // For the LV2 editor that reaches the instance through instance-access:
    // the reverb, and where its events go while that editor shows it (null:
    // nowhere). The editor's own thread.
    core::Reverb& reverb() { return *reverb_; }
    void setEditorEvents(core::ReverbHost* editor) { editorEvents_.store(editor); }
    core::ReverbHost* editorEvents() const { return editorEvents_.load(); }

    // Longest path a load request carries; the loader refuses paths longer
    // than the effect can hold with a word to the user.
    static constexpr std::uint32_t kMaxRequestedPath = 2047;

private:
    ReverbInstance(double sampleRate, LV2_URID_Map& map, const Urids& urids, LV2_Worker_Schedule* schedule,
                   LV2_Log_Log* log);

    // core::ReverbHost
    void irLoadFailed(const std::string& path, const std::string& reason) override;
    void tellUser(const std::string& caption, const std::string& text) override;
    void parameterChanged(int id, float value) override;
    void copyButtonChanged(bool show) override;
    bool chooseFile(const platform::FileDialogRequest& request, std::string& chosenPath) override;

    void applyParameterPorts();
    void readControlMessages();
    void requestLoad(const char* path, std::uint32_t length);
    void writeNotifications();

    std::atomic<core::ReverbHost*> editorEvents_{nullptr};
    std::unique_ptr<core::Reverb> reverb_;
    Urids urids_;
    LV2_Atom_Forge forge_;
    LV2_Worker_Schedule* schedule_;
    LV2_Log_Logger logger_;

    const float* audioIn_[2] = {};
    float* audioOut_[2] = {};
    const float* parameterPorts_[kParameterPortCount] = {};
    float* latencyPort_ = nullptr;
    const float* freeWheelPort_ = nullptr;
    const LV2_Atom_Sequence* controlPort_ = nullptr;
    LV2_Atom_Sequence* notifyPort_ = nullptr;

    // The port values last handed to the effect; not-a-number until the first.
    float applied_[kParameterPortCount];
    RememberedPathWatch pathWatch_;
    // The host is owed a report of the remembered path (audio thread).
    bool reportPath_ = false;
    // The first run after activate() starts with the restored port values
    // and IR in force.
    bool settleOnNextRun_ = false;
};

} // namespace lv2plugin
