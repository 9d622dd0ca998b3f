#include "lv2/ReverbInstance.h"

#include "lv2/HostFeatures.h"
#include "lv2/PatchMessages.h"
#include "lv2/PortValues.h"
#include "params/EffectConstants.h"
#include "platform/ModulePath.h"
#include "shell/DOvu.h"

#include <lv2/atom/util.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include <cmath>
#include <new>

namespace lv2plugin {

namespace {

// The host's largest block, when it says; 0 otherwise.
int maxBlockLength(const LV2_Options_Option* options, LV2_URID_Map& map)
{
    if (!options)
        return 0;
    const LV2_URID key = map.map(map.handle, LV2_BUF_SIZE__maxBlockLength);
    const LV2_URID intType = map.map(map.handle, LV2_ATOM__Int);
    for (const LV2_Options_Option* o = options; o->key != 0; ++o)
        if (o->key == key && o->type == intType && o->size == sizeof(std::int32_t) && o->value)
            return *static_cast<const std::int32_t*>(o->value);
    return 0;
}

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
    const auto* options = feature<const LV2_Options_Option>(features, LV2_OPTIONS__options);
    Urids urids;
    if (!urids.map(*map))
        return nullptr;
    // The module stays loaded once it made an instance: libraries it brought
    // in keep caches that a reload would leave behind.
    static const bool pinned = platform::keepModuleLoaded();
    (void)pinned;
    try {
        return new ReverbInstance(sampleRate, *map, urids, schedule, log, maxBlockLength(options, *map));
    } catch (...) {
        // nothing may escape into the host
        return nullptr;
    }
}

ReverbInstance::ReverbInstance(double sampleRate, LV2_URID_Map& map, const Urids& urids,
                               LV2_Worker_Schedule* schedule, LV2_Log_Log* log, int maxBlockLength)
    : urids_(urids), schedule_(schedule)
{
    effect_ = std::make_unique<DOvu>(&EffectHost::callback);
    host_.attach(*effect_->getAeffect());
    lv2_atom_forge_init(&forge_, &map);
    lv2_log_logger_init(&logger_, &map, log);
    for (float& value : applied_)
        value = std::nanf("");

    host_.setSampleRate(static_cast<float>(sampleRate));
    effect_->setSampleRate(static_cast<float>(sampleRate));
    if (maxBlockLength > 0) {
        host_.setBlockSize(maxBlockLength);
        effect_->setBlockSize(maxBlockLength);
    }
}

ReverbInstance::~ReverbInstance()
{
    // The effect goes first: its editor and worker may still call the host.
    effect_.reset();
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
    effect_->resume();
    settleOnNextRun_ = true;
}

void ReverbInstance::deactivate()
{
    effect_->suspend();
}

void ReverbInstance::run(std::uint32_t frames)
{
    // While the host free-wheels (exports), the effect is told it renders
    // offline, so that every change is heard at a frame fixed by the host's
    // calls alone.
    host_.setOffline(freeWheelPort_ && *freeWheelPort_ > 0.0f);
    applyParameterPorts();
    readControlMessages();
    if (settleOnNextRun_) {
        // Once per activation, before the first frame: a project that was
        // just restored sounds restored at once. Later changes never wait.
        settleOnNextRun_ = false;
        effect_->settlePendingWork();
    }

    if (frames > 0) {
        const float* in[2] = {audioIn_[0], audioIn_[1]};
        float* out[2] = {audioOut_[0], audioOut_[1]};
        // The effect reads each chunk of input before it writes that chunk's
        // output, so the host may hand the same buffers for both.
        effect_->processReplacing(const_cast<float**>(in), out, static_cast<vst::Int32>(frames));
    }
    if (latencyPort_)
        *latencyPort_ = static_cast<float>(effect::kLatencyFrames);

    if (pathWatch_.poll(*effect_))
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
            effect_->setParameter(id, normalised);
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
