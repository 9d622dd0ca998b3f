#include "lv2/ReverbInstance.h"

#include "lv2/HostFeatures.h"
#include "lv2/PatchMessages.h"
#include "lv2/PortValues.h"
#include "params/EffectConstants.h"
#include "platform/ModulePath.h"
#include "core/Reverb.h"
#include "platform/Dialogs.h"

#include <lv2/atom/util.h>
#include <lv2/urid/urid.h>

#include <cmath>
#include <new>

namespace lv2plugin {

namespace {

// Room in the notify buffer for one path report: sequence, event and object
// headers with their keys, and the path with its terminator and padding.
constexpr std::uint32_t kReportOverhead = 128;

} // namespace

ReverbInstance* ReverbInstance::create(double sampleRate, const LV2_Feature* const* features)
{
    auto* map = feature<LV2_URID_Map>(features, LV2_URID__map);
    if (!map || !map->map)
        return nullptr;
    auto* schedule = feature<LV2_Worker_Schedule>(features, LV2_WORKER__schedule);
    if (schedule && !schedule->schedule_work)
        schedule = nullptr;
    auto* log = feature<LV2_Log_Log>(features, LV2_LOG__log);
    Urids urids;
    if (!urids.map(*map))
        return nullptr;
    // The module stays loaded once it made an instance: libraries it brought
    // in keep caches that a reload would leave behind.
    static const bool pinned = platform::keepModuleLoaded();
    (void)pinned;
    try {
        return new ReverbInstance(sampleRate, *map, urids, schedule, log);
    } catch (...) {
        // nothing may escape into the host
        return nullptr;
    }
}

ReverbInstance::ReverbInstance(double sampleRate, LV2_URID_Map& map, const Urids& urids,
                               LV2_Worker_Schedule* schedule, LV2_Log_Log* log)
    : urids_(urids), schedule_(schedule)
{
    lv2_atom_forge_init(&forge_, &map);
    lv2_log_logger_init(&logger_, &map, log);
    for (float& value : applied_)
        value = std::nanf("");
    const std::string module = platform::modulePath();
    reverb_ = std::make_unique<core::Reverb>(static_cast<core::ReverbHost&>(*this),
                                             platform::ModuleLocation::fromModulePath(module.c_str()));
    reverb_->setSampleRate(static_cast<float>(sampleRate));
}

ReverbInstance::~ReverbInstance()
{
    // The reverb goes first: its worker may still report to this.
    reverb_.reset();
}

void ReverbInstance::irLoadFailed(const std::string& path, const std::string& reason)
{
    // The host's worker (or the thread that restores) may not wait for a
    // person: the host's log hears of it, and an editor showing this instance.
    lv2_log_error(&logger_, "IR file not loaded: %s%s%s\n", path.c_str(), reason.empty() ? "" : ": ",
                  reason.c_str());
    if (core::ReverbHost* editor = editorEvents())
        editor->irLoadFailed(path, reason);
}

void ReverbInstance::tellUser(const std::string& caption, const std::string& text)
{
    lv2_log_warning(&logger_, "%s: %s\n", caption.c_str(), text.c_str());
    if (core::ReverbHost* editor = editorEvents())
        editor->tellUser(caption, text);
}

void ReverbInstance::parameterChanged(int id, float value)
{
    if (core::ReverbHost* editor = editorEvents())
        editor->parameterChanged(id, value);
}

void ReverbInstance::copyButtonChanged(bool show)
{
    if (core::ReverbHost* editor = editorEvents())
        editor->copyButtonChanged(show);
}

bool ReverbInstance::chooseFile(const platform::FileDialogRequest& request, std::string& chosenPath)
{
    // Only the editor asks (its file button), on its own thread.
    return platform::dialogs().openFileDialog(request, chosenPath);
}

void ReverbInstance::connectPort(std::uint32_t port, void* data)
{
    const int id = parameterOfPort(port);
    if (id >= 0) {
        parameterPorts_[port - kFirstParameterPort] = static_cast<const float*>(data);
        return;
    }
    switch (port) {
    case kInLeftPort:
    case kInRightPort:
        audioIn_[port - kInLeftPort] = static_cast<const float*>(data);
        break;
    case kOutLeftPort:
    case kOutRightPort:
        audioOut_[port - kOutLeftPort] = static_cast<float*>(data);
        break;
    case kLatencyPort:
        latencyPort_ = static_cast<float*>(data);
        break;
    case kFreeWheelPort:
        freeWheelPort_ = static_cast<const float*>(data);
        break;
    case kControlPort:
        controlPort_ = static_cast<const LV2_Atom_Sequence*>(data);
        break;
    case kNotifyPort:
        notifyPort_ = static_cast<LV2_Atom_Sequence*>(data);
        break;
    default:
        break;
    }
}

void ReverbInstance::activate()
{
    reverb_->resume();
    settleOnNextRun_ = true;
}

void ReverbInstance::deactivate() {}

void ReverbInstance::run(std::uint32_t frames)
{
    // While the host free-wheels (exports), the effect is told it renders
    // offline, so that every change is heard at a frame fixed by the host's
    // calls alone.
    const bool offline = freeWheelPort_ && *freeWheelPort_ > 0.0f;
    applyParameterPorts();
    readControlMessages();
    if (settleOnNextRun_) {
        // Once per activation, before the first frame: a project that was
        // just restored sounds restored at once. Later changes never wait.
        settleOnNextRun_ = false;
        reverb_->settlePendingWork();
    }

    // The reverb reads each chunk of input before it writes that chunk's
    // output, so the host may hand the same buffers for both.
    if (frames > 0 && audioIn_[0] && audioIn_[1] && audioOut_[0] && audioOut_[1])
        reverb_->process(audioIn_[0], audioIn_[1], audioOut_[0], audioOut_[1], static_cast<int>(frames), offline);
    if (latencyPort_)
        *latencyPort_ = static_cast<float>(effect::kLatencyFrames);

    if (pathWatch_.poll(*reverb_))
        reportPath_ = true;
    writeNotifications();
}

void ReverbInstance::applyParameterPorts()
{
    for (int i = 0; i < kParameterPortCount; ++i) {
        const float* port = parameterPorts_[i];
        if (!port)
            continue;
        const float value = *port;
        // Only a port the host moved reaches the effect, so a change made in
        // the editor is not undone before the host has heard of it.
        if (value == applied_[i])
            continue;
        applied_[i] = value;
        const int id = kFirstPortParameter + i;
        float normalised = 0.0f;
        if (portToNormalised(id, value, normalised))
            reverb_->setParameter(id, normalised);
    }
}

void ReverbInstance::readControlMessages()
{
    if (!controlPort_)
        return;
    LV2_ATOM_SEQUENCE_FOREACH(controlPort_, event)
    {
        PathText path;
        if (readIRFileSet(urids_, event->body, path))
            requestLoad(path.text, path.length);
        else if (isIRFileGet(urids_, event->body))
            reportPath_ = true;
    }
}

void ReverbInstance::writeNotifications()
{
    if (!notifyPort_)
        return;
    // The host set the buffer's capacity as the sequence's size.
    const std::uint32_t capacity = notifyPort_->atom.size;
    lv2_atom_forge_set_buffer(&forge_, reinterpret_cast<std::uint8_t*>(notifyPort_), capacity);
    LV2_Atom_Forge_Frame sequence;
    lv2_atom_forge_sequence_head(&forge_, &sequence, 0);
    const std::uint32_t length = pathWatch_.length();
    if (reportPath_ && length == 0)
        reportPath_ = false; // no IR file: nothing to report
    if (reportPath_ && capacity >= length + kReportOverhead) {
        lv2_atom_forge_frame_time(&forge_, 0);
        if (forgeIRFileSet(forge_, urids_, pathWatch_.path(), length))
            reportPath_ = false;
    }
    lv2_atom_forge_pop(&forge_, &sequence);
}

} // namespace lv2plugin
