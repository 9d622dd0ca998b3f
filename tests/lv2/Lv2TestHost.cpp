#include "lv2/Lv2TestHost.h"

#include <lv2/atom/forge.h>
#include <lv2/atom/util.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/options/options.h>
#include <lv2/patch/patch.h>
#include <lv2/state/state.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace lv2test {

namespace {

constexpr const char* kPluginUri = "urn:kestrel:talu-01-reverb";
constexpr const char* kIRFileUri = "urn:kestrel:talu-01-reverb:ir";
constexpr std::size_t kAtomBufferBytes = 8192;

LV2_URID mapEntry(LV2_URID_Map_Handle handle, const char* uri)
{
    return static_cast<UridMap*>(handle)->map(uri);
}

const char* unmapEntry(LV2_URID_Unmap_Handle handle, LV2_URID urid)
{
    return static_cast<UridMap*>(handle)->unmap(urid);
}

} // namespace

UridMap::UridMap() : map_{this, mapEntry}, unmap_{this, unmapEntry} {}

LV2_URID UridMap::map(const char* uri)
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = ids_.find(uri);
    if (found != ids_.end())
        return found->second;
    uris_.push_back(std::make_unique<std::string>(uri));
    const LV2_URID id = static_cast<LV2_URID>(uris_.size());
    ids_.emplace(uri, id);
    return id;
}

const char* UridMap::unmap(LV2_URID urid)
{
    std::lock_guard<std::mutex> lock(mutex_);
    return urid >= 1 && urid <= uris_.size() ? uris_[urid - 1]->c_str() : nullptr;
}

TestWorker::TestWorker(Mode mode) : mode_(mode), schedule_{this, schedule}
{
    if (mode_ == Mode::Threaded)
        thread_ = std::thread([this] { threadMain(); });
}

TestWorker::~TestWorker()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void TestWorker::attach(LV2_Handle handle, const LV2_Worker_Interface* interface)
{
    std::lock_guard<std::mutex> lock(mutex_);
    handle_ = handle;
    interface_ = interface;
}

LV2_Worker_Status TestWorker::schedule(LV2_Worker_Schedule_Handle handle, std::uint32_t size, const void* data)
{
    auto* self = static_cast<TestWorker*>(handle);
    if (self->mode_ == Mode::Synchronous) {
        if (!self->interface_)
            return LV2_WORKER_ERR_UNKNOWN;
        return self->interface_->work(self->handle_, respond, self, size, data);
    }
    std::lock_guard<std::mutex> lock(self->mutex_);
    if (self->requestCount_ == kSlots || size > self->requests_[0].data.size()) {
        ++self->refused_;
        return LV2_WORKER_ERR_NO_SPACE;
    }
    Message& slot = self->requests_[static_cast<std::size_t>(self->requestCount_++)];
    slot.size = size;
    std::memcpy(slot.data.data(), data, size);
    self->wake_.notify_all();
    return LV2_WORKER_SUCCESS;
}

LV2_Worker_Status TestWorker::respond(LV2_Worker_Respond_Handle handle, std::uint32_t size, const void* data)
{
    auto* self = static_cast<TestWorker*>(handle);
    std::unique_lock<std::mutex> lock(self->mutex_, std::defer_lock);
    if (self->mode_ == Mode::Threaded)
        lock.lock();
    if (self->responseCount_ == kSlots || size > self->responses_[0].data.size())
        return LV2_WORKER_ERR_NO_SPACE;
    Message& slot = self->responses_[static_cast<std::size_t>(self->responseCount_++)];
    slot.size = size;
    std::memcpy(slot.data.data(), data, size);
    return LV2_WORKER_SUCCESS;
}

void TestWorker::threadMain()
{
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || requestCount_ > 0; });
        if (stop_)
            return;
        Message request = requests_[0];
        for (int i = 1; i < requestCount_; ++i)
            requests_[static_cast<std::size_t>(i - 1)] = requests_[static_cast<std::size_t>(i)];
        --requestCount_;
        working_ = true;
        lock.unlock();
        if (interface_)
            interface_->work(handle_, respond, this, request.size, request.data.data());
        lock.lock();
        working_ = false;
        wake_.notify_all();
    }
}

void TestWorker::waitUntilIdle()
{
    if (mode_ != Mode::Threaded)
        return;
    std::unique_lock<std::mutex> lock(mutex_);
    wake_.wait(lock, [this] { return requestCount_ == 0 && !working_; });
}

void TestWorker::deliverResponses()
{
    std::unique_lock<std::mutex> lock(mutex_, std::defer_lock);
    if (mode_ == Mode::Threaded)
        lock.lock();
    if (!interface_)
        return;
    for (int i = 0; i < responseCount_; ++i) {
        const Message& response = responses_[static_cast<std::size_t>(i)];
        if (interface_->work_response)
            interface_->work_response(handle_, response.size, response.data.data());
    }
    responseCount_ = 0;
    if (interface_->end_run)
        interface_->end_run(handle_);
}

std::string Lv2TestHost::bundlePath()
{
    return RVB_LV2_BUNDLE_PATH;
}

Lv2TestHost::Lv2TestHost(const char* pluginUri)
{
    world_ = lilv_world_new();
    // The LV2 vocabularies installed on the system, then our bundle alone.
    LilvNode* lv2Path = lilv_new_string(world_, "/usr/lib/lv2");
    lilv_world_set_option(world_, LILV_OPTION_LV2_PATH, lv2Path);
    lilv_node_free(lv2Path);
    lilv_world_load_all(world_);
    LilvNode* bundle = lilv_new_file_uri(world_, nullptr, (bundlePath() + "/").c_str());
    lilv_world_load_bundle(world_, bundle);
    lilv_node_free(bundle);
    LilvNode* uri = lilv_new_uri(world_, pluginUri ? pluginUri : kPluginUri);
    plugin_ = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world_), uri);
    lilv_node_free(uri);
}

Lv2TestHost::~Lv2TestHost()
{
    for (LilvNode* n : nodes_)
        lilv_node_free(n);
    lilv_world_free(world_);
}

const LilvPort* Lv2TestHost::portBySymbol(const char* symbol) const
{
    LilvNode* name = lilv_new_string(world_, symbol);
    const LilvPort* port = lilv_plugin_get_port_by_symbol(plugin_, name);
    lilv_node_free(name);
    return port;
}

const LilvNode* Lv2TestHost::node(const char* uri)
{
    nodes_.push_back(lilv_new_uri(world_, uri));
    return nodes_.back();
}

Lv2TestInstance::Lv2TestInstance(Lv2TestHost& host, double rate, TestWorker::Mode workerMode, bool withWorker)
    : host_(host), worker_(workerMode)
{
    const LilvPlugin* plugin = host_.plugin();
    if (!plugin)
        return;
    const std::uint32_t ports = lilv_plugin_get_num_ports(plugin);
    controls_.assign(ports, 0.0f);
    for (auto& buffer : audio_)
        buffer.assign(kMaxBlock, 0.0f);
    control_.assign(kAtomBufferBytes / sizeof(std::uint64_t), 0);
    notify_.assign(kAtomBufferBytes / sizeof(std::uint64_t), 0);
    resetPorts();

    static const std::int32_t maxBlock = kMaxBlock;
    static const std::int32_t minBlock = 1;
    const LV2_Options_Option options[] = {
        {LV2_OPTIONS_INSTANCE, 0, host_.map(LV2_BUF_SIZE__maxBlockLength), sizeof maxBlock,
         host_.map(LV2_ATOM__Int), &maxBlock},
        {LV2_OPTIONS_INSTANCE, 0, host_.map(LV2_BUF_SIZE__minBlockLength), sizeof minBlock,
         host_.map(LV2_ATOM__Int), &minBlock},
        {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr},
    };
    const LV2_Feature mapFeature = {LV2_URID__map, host_.urids().mapFeatureData()};
    const LV2_Feature unmapFeature = {LV2_URID__unmap, host_.urids().unmapFeatureData()};
    const LV2_Feature scheduleFeature = {LV2_WORKER__schedule, worker_.scheduleFeatureData()};
    const LV2_Feature optionsFeature = {LV2_OPTIONS__options, const_cast<LV2_Options_Option*>(options)};
    const LV2_Feature* features[] = {&mapFeature, &unmapFeature, &optionsFeature,
                                     withWorker ? &scheduleFeature : nullptr, nullptr};
    instance_ = lilv_plugin_instantiate(plugin, rate, features);
    if (!instance_)
        return;
    worker_.attach(lilv_instance_get_handle(instance_), static_cast<const LV2_Worker_Interface*>(
                                                            lilv_instance_get_extension_data(instance_, LV2_WORKER__interface)));

    for (std::uint32_t i = 0; i < ports; ++i) {
        const LilvPort* port = lilv_plugin_get_port_by_index(plugin, i);
        void* data = nullptr;
        if (lilv_port_is_a(plugin, port, host_.node(LV2_CORE__ControlPort)))
            data = &controls_[i];
        else if (lilv_port_is_a(plugin, port, host_.node(LV2_ATOM__AtomPort)))
            data = lilv_port_is_a(plugin, port, host_.node(LV2_CORE__InputPort)) ? control_.data() : notify_.data();
        else if (i < audio_.size())
            data = audio_[i].data(); // the four audio ports come first
        lilv_instance_connect_port(instance_, i, data);
    }
    lilv_instance_activate(instance_);
}

Lv2TestInstance::~Lv2TestInstance()
{
    if (instance_) {
        worker_.waitUntilIdle();
        lilv_instance_deactivate(instance_);
        lilv_instance_free(instance_);
    }
}

LV2_Handle Lv2TestInstance::handle() const
{
    return instance_ ? lilv_instance_get_handle(instance_) : nullptr;
}

float& Lv2TestInstance::port(const char* symbol)
{
    const LilvPort* p = host_.portBySymbol(symbol);
    if (!p)
        throw std::runtime_error(std::string("no port ") + symbol);
    return controls_[lilv_port_get_index(host_.plugin(), p)];
}

void Lv2TestInstance::resetPorts()
{
    const LilvPlugin* plugin = host_.plugin();
    std::vector<float> defaults(controls_.size(), 0.0f);
    lilv_plugin_get_port_ranges_float(plugin, nullptr, nullptr, defaults.data());
    for (std::size_t i = 0; i < controls_.size(); ++i)
        controls_[i] = std::isnan(defaults[i]) ? 0.0f : defaults[i];
}

void Lv2TestInstance::sendIRFile(const std::string& path)
{
    std::vector<std::uint8_t> message(path.size() + 256);
    LV2_Atom_Forge forge;
    lv2_atom_forge_init(&forge, host_.urids().mapFeatureData());
    lv2_atom_forge_set_buffer(&forge, message.data(), message.size());
    LV2_Atom_Forge_Frame frame;
    lv2_atom_forge_object(&forge, &frame, 0, host_.map(LV2_PATCH__Set));
    lv2_atom_forge_key(&forge, host_.map(LV2_PATCH__property));
    lv2_atom_forge_urid(&forge, host_.map(kIRFileUri));
    lv2_atom_forge_key(&forge, host_.map(LV2_PATCH__value));
    lv2_atom_forge_path(&forge, path.c_str(), static_cast<std::uint32_t>(path.size()));
    lv2_atom_forge_pop(&forge, &frame);
    pending_.push_back(message);
}

void Lv2TestInstance::askForIRFile()
{
    std::vector<std::uint8_t> message(256);
    LV2_Atom_Forge forge;
    lv2_atom_forge_init(&forge, host_.urids().mapFeatureData());
    lv2_atom_forge_set_buffer(&forge, message.data(), message.size());
    LV2_Atom_Forge_Frame frame;
    lv2_atom_forge_object(&forge, &frame, 0, host_.map(LV2_PATCH__Get));
    lv2_atom_forge_pop(&forge, &frame);
    pending_.push_back(message);
}

void Lv2TestInstance::prepareControl()
{
    LV2_Atom_Forge forge;
    lv2_atom_forge_init(&forge, host_.urids().mapFeatureData());
    lv2_atom_forge_set_buffer(&forge, reinterpret_cast<std::uint8_t*>(control_.data()), kAtomBufferBytes);
    LV2_Atom_Forge_Frame sequence;
    lv2_atom_forge_sequence_head(&forge, &sequence, 0);
    for (const auto& message : pending_) {
        const auto* atom = reinterpret_cast<const LV2_Atom*>(message.data());
        lv2_atom_forge_frame_time(&forge, 0);
        lv2_atom_forge_write(&forge, atom, static_cast<std::uint32_t>(sizeof(LV2_Atom) + atom->size));
    }
    lv2_atom_forge_pop(&forge, &sequence);
    pending_.clear();
    // The notify buffer's capacity, for the plug-in to write into.
    auto* notify = reinterpret_cast<LV2_Atom_Sequence*>(notify_.data());
    notify->atom.type = 0;
    notify->atom.size = static_cast<std::uint32_t>(kAtomBufferBytes - sizeof(LV2_Atom));
}

void Lv2TestInstance::readNotify()
{
    const auto* sequence = reinterpret_cast<const LV2_Atom_Sequence*>(notify_.data());
    if (sequence->atom.type != host_.map(LV2_ATOM__Sequence))
        return;
    const LV2_URID object = host_.map(LV2_ATOM__Object);
    const LV2_URID set = host_.map(LV2_PATCH__Set);
    LV2_ATOM_SEQUENCE_FOREACH(sequence, event)
    {
        if (event->body.type != object)
            continue;
        const auto* body = reinterpret_cast<const LV2_Atom_Object*>(&event->body);
        if (body->body.otype != set)
            continue;
        const LV2_Atom* property = nullptr;
        const LV2_Atom* value = nullptr;
        lv2_atom_object_get(body, host_.map(LV2_PATCH__property), &property, host_.map(LV2_PATCH__value), &value, 0);
        if (property && value && reinterpret_cast<const LV2_Atom_URID*>(property)->body == host_.map(kIRFileUri) &&
            value->type == host_.map(LV2_ATOM__Path))
            reports_.emplace_back(static_cast<const char*>(LV2_ATOM_BODY_CONST(value)));
    }
}

testsupport::AllocationCounts Lv2TestInstance::runCounted(int frames)
{
    for (int c = 0; c < 4; ++c)
        lilv_instance_connect_port(instance_, static_cast<std::uint32_t>(c), audio_[static_cast<std::size_t>(c)].data());
    prepareControl();
    testsupport::AllocationCounts counts;
    {
        testsupport::AllocationScope scope;
        lilv_instance_run(instance_, static_cast<std::uint32_t>(frames));
        worker_.deliverResponses();
        counts = scope.counts();
    }
    readNotify();
    return counts;
}

void Lv2TestInstance::run(int frames, bool inPlace)
{
    for (int c = 0; c < 4; ++c) {
        float* buffer = audio_[static_cast<std::size_t>(inPlace && c >= 2 ? c - 2 : c)].data();
        lilv_instance_connect_port(instance_, static_cast<std::uint32_t>(c), buffer);
    }
    prepareControl();
    lilv_instance_run(instance_, static_cast<std::uint32_t>(frames));
    worker_.deliverResponses();
    readNotify();
    if (inPlace)
        for (int c = 0; c < 2; ++c)
            audio_[static_cast<std::size_t>(2 + c)] = audio_[static_cast<std::size_t>(c)];
}

void Lv2TestInstance::render(const std::vector<float>& inL, const std::vector<float>& inR, std::vector<float>& outL,
                             std::vector<float>& outR, int block, bool inPlace)
{
    const std::size_t frames = inL.size();
    outL.assign(frames, 0.0f);
    outR.assign(frames, 0.0f);
    for (std::size_t done = 0; done < frames;) {
        const int n = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(block), frames - done));
        std::copy(inL.begin() + static_cast<long>(done), inL.begin() + static_cast<long>(done) + n, in(0));
        std::copy(inR.begin() + static_cast<long>(done), inR.begin() + static_cast<long>(done) + n, in(1));
        run(n, inPlace);
        std::copy(out(0), out(0) + n, outL.begin() + static_cast<long>(done));
        std::copy(out(1), out(1) + n, outR.begin() + static_cast<long>(done));
        done += static_cast<std::size_t>(n);
    }
}

namespace {

struct PortValues {
    Lv2TestHost* host;
    std::vector<float>* controls;
};

const void* portValue(const char* symbol, void* user, std::uint32_t* size, std::uint32_t* type)
{
    auto* values = static_cast<PortValues*>(user);
    const LilvPlugin* plugin = values->host->plugin();
    const LilvPort* port = values->host->portBySymbol(symbol);
    if (!port || !lilv_port_is_a(plugin, port, values->host->node(LV2_CORE__InputPort)) ||
        !lilv_port_is_a(plugin, port, values->host->node(LV2_CORE__ControlPort))) {
        *size = 0;
        *type = 0;
        return nullptr;
    }
    *size = sizeof(float);
    *type = values->host->map(LV2_ATOM__Float);
    return &(*values->controls)[lilv_port_get_index(plugin, port)];
}

void setPortValue(const char* symbol, void* user, const void* value, std::uint32_t size, std::uint32_t type)
{
    auto* values = static_cast<PortValues*>(user);
    const LilvPort* port = values->host->portBySymbol(symbol);
    if (!port)
        return;
    // Saved states carry floats; presets read from files may carry doubles or integers.
    Lv2TestHost& host = *values->host;
    float number = 0.0f;
    if (size == sizeof(float) && type == host.map(LV2_ATOM__Float))
        std::memcpy(&number, value, sizeof number);
    else if (size == sizeof(double) && type == host.map(LV2_ATOM__Double))
        number = static_cast<float>(*static_cast<const double*>(value));
    else if (size == sizeof(std::int32_t) && type == host.map(LV2_ATOM__Int))
        number = static_cast<float>(*static_cast<const std::int32_t*>(value));
    else if (size == sizeof(std::int64_t) && type == host.map(LV2_ATOM__Long))
        number = static_cast<float>(*static_cast<const std::int64_t*>(value));
    else
        return;
    (*values->controls)[lilv_port_get_index(host.plugin(), port)] = number;
}

} // namespace

LilvState* Lv2TestInstance::saveState(const std::string& copyDir, const std::string& saveDir)
{
    PortValues values{&host_, &controls_};
    const LV2_Feature mapFeature = {LV2_URID__map, host_.urids().mapFeatureData()};
    const LV2_Feature* features[] = {&mapFeature, nullptr};
    const char* copy = copyDir.empty() ? nullptr : copyDir.c_str();
    const char* save = saveDir.empty() ? nullptr : saveDir.c_str();
    return lilv_state_new_from_instance(host_.plugin(), instance_, host_.urids().mapFeatureData(), nullptr, copy,
                                        copy, save, portValue, &values, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE,
                                        features);
}

void Lv2TestInstance::restoreState(const LilvState* state)
{
    PortValues values{&host_, &controls_};
    const LV2_Feature mapFeature = {LV2_URID__map, host_.urids().mapFeatureData()};
    const LV2_Feature* features[] = {&mapFeature, nullptr};
    lilv_state_restore(state, instance_, setPortValue, &values, 0, features);
}

} // namespace lv2test
