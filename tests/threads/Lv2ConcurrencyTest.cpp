// The LV2 instance under every thread an LV2 host runs it on at once: the
// audio thread moving ports and sending IR files, the host's worker loading
// them, the UI thread dragging knobs in the editor it opened through
// instance-access (its port writes go back to the audio thread, as a host
// routes them), and a thread saving the state, which LV2 lets hosts do while
// the plug-in runs.
#include "editor/SDEditor.h"
#include "lv2/PortLayout.h"
#include "lv2/PortValues.h"
#include "lv2/ReverbInstance.h"
#include "lv2/ReverbUI.h"
#include "shell/DOvu.h"
#include "support/TestSupport.h"
#include "toolkit/CControl.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <lv2/atom/forge.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/patch/patch.h>
#include <lv2/ui/ui.h>

#include <array>
#include <chrono>
#include <cmath>
#include <atomic>
#include <cstdlib>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/HostWindow.h" // last: Xlib's macros

namespace {

using lv2plugin::ReverbInstance;

// The host: URIs, the worker's queues and the port writes of the editor.
class Host {
public:
    LV2_URID map(const char* uri)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto found = ids_.emplace(uri, static_cast<LV2_URID>(ids_.size() + 1));
        return found.first->second;
    }
    static LV2_URID mapEntry(LV2_URID_Map_Handle handle, const char* uri) { return static_cast<Host*>(handle)->map(uri); }

    static LV2_Worker_Status schedule(LV2_Worker_Schedule_Handle handle, std::uint32_t size, const void* data)
    {
        auto* host = static_cast<Host*>(handle);
        std::lock_guard<std::mutex> lock(host->mutex_);
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        host->requests_.emplace_back(bytes, bytes + size);
        return LV2_WORKER_SUCCESS;
    }
    static LV2_Worker_Status respond(LV2_Worker_Respond_Handle handle, std::uint32_t size, const void* data)
    {
        auto* host = static_cast<Host*>(handle);
        std::lock_guard<std::mutex> lock(host->mutex_);
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        host->responses_.emplace_back(bytes, bytes + size);
        return LV2_WORKER_SUCCESS;
    }
    bool takeRequest(std::vector<std::uint8_t>& request)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (requests_.empty())
            return false;
        request = std::move(requests_.front());
        requests_.pop_front();
        return true;
    }
    std::deque<std::vector<std::uint8_t>> takeResponses()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return std::move(responses_);
    }

    static void write(LV2UI_Controller controller, std::uint32_t port, std::uint32_t size, std::uint32_t format,
                      const void* buffer)
    {
        auto* host = static_cast<Host*>(controller);
        if (format != 0 || size != sizeof(float) || lv2plugin::parameterOfPort(port) < 0)
            return;
        std::lock_guard<std::mutex> lock(host->mutex_);
        host->portWrites_.emplace_back(port, *static_cast<const float*>(buffer));
    }
    std::deque<std::pair<std::uint32_t, float>> takePortWrites()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return std::move(portWrites_);
    }

private:
    std::mutex mutex_;
    std::map<std::string, LV2_URID> ids_;
    std::deque<std::vector<std::uint8_t>> requests_;
    std::deque<std::vector<std::uint8_t>> responses_;
    std::deque<std::pair<std::uint32_t, float>> portWrites_;
};

void writeIR(const std::string& path, int frames, float decay)
{
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr);
    std::vector<float> samples(static_cast<std::size_t>(2 * frames));
    for (int i = 0; i < frames; ++i) {
        const float v = (i % 7 == 0 ? 0.8f : -0.3f) * std::exp(-decay * static_cast<float>(i) / frames);
        samples[static_cast<std::size_t>(2 * i)] = v;
        samples[static_cast<std::size_t>(2 * i + 1)] = -v;
    }
    sf_writef_float(file, samples.data(), frames);
    sf_close(file);
}

TEST(Lv2Concurrency, AudioWorkerEditorAndStateSavesRunTogether)
{
    const std::string dir = testsupport::makeTempDir("lv2-threads");
    const std::string files[2] = {dir + "/one.wav", dir + "/two.wav"};
    writeIR(files[0], 8000, 4.0f);
    writeIR(files[1], 3000, 8.0f);

    Host host;
    LV2_URID_Map map{&host, Host::mapEntry};
    LV2_Worker_Schedule schedule{&host, Host::schedule};
    const LV2_Feature mapFeature{LV2_URID__map, &map};
    const LV2_Feature scheduleFeature{LV2_WORKER__schedule, &schedule};
    const LV2_Feature* features[] = {&mapFeature, &scheduleFeature, nullptr};
    ReverbInstance* instance = ReverbInstance::create(44100.0, features);
    ASSERT_NE(instance, nullptr);

    std::array<float, lv2plugin::kParameterPortCount> ports{};
    for (int i = 0; i < lv2plugin::kParameterPortCount; ++i) {
        ports[static_cast<std::size_t>(i)] =
            static_cast<float>(param::findControl(lv2plugin::kFirstPortParameter + i).defaultValue);
        instance->connectPort(lv2plugin::kFirstParameterPort + static_cast<std::uint32_t>(i),
                              &ports[static_cast<std::size_t>(i)]);
    }
    std::array<std::vector<float>, 4> audio;
    for (std::uint32_t p = 0; p < 4; ++p) {
        audio[p].assign(256, p < 2 ? 0.1f : 0.0f);
        instance->connectPort(p, audio[p].data());
    }
    std::vector<std::uint64_t> control(512), notify(512);
    instance->connectPort(lv2plugin::kControlPort, control.data());
    instance->connectPort(lv2plugin::kNotifyPort, notify.data());
    instance->activate();

    std::atomic<bool> stop{false};
    std::atomic<int> loads{0};
    std::atomic<int> saves{0};
    std::atomic<int> strangePaths{0};

    std::thread worker([&] {
        std::vector<std::uint8_t> request;
        while (!stop.load()) {
            if (!host.takeRequest(request)) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                continue;
            }
            instance->work(Host::respond, &host, static_cast<std::uint32_t>(request.size()), request.data());
            ++loads;
        }
    });

    std::thread saver([&] {
        while (!stop.load()) {
            auto store = [](LV2_State_Handle handle, std::uint32_t, const void* value, std::size_t, std::uint32_t,
                            std::uint32_t) -> LV2_State_Status {
                *static_cast<std::string*>(handle) = static_cast<const char*>(value);
                return LV2_STATE_SUCCESS;
            };
            std::string saved;
            instance->save(store, &saved, 0, nullptr);
            if (!saved.empty() && saved != files[0] && saved != files[1])
                ++strangePaths;
            ++saves;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });

    reliability::HostWindow window;
    std::thread editor([&] {
        if (!window.available())
            return;
        const LV2_Feature parent{LV2_UI__parent, window.parent()};
        const LV2_Feature access{LV2_INSTANCE_ACCESS_URI, instance};
        const LV2_Feature* uiFeatures[] = {&parent, &mapFeature, &access, nullptr};
        LV2UI_Widget widget = nullptr;
        lv2plugin::ReverbUI* ui = lv2plugin::ReverbUI::create(Host::write, &host, &widget, uiFeatures);
        if (!ui)
            return;
        const int ids[] = {param::kWetLevel, param::kDecay, param::kStWidth, param::kHPF, param::kEnabledLPF};
        for (int step = 0; !stop.load(); ++step) {
            const int id = ids[step % 5];
            if (CControl* control = ui->editor().getControl(id)) {
                ui->editor().beginEdit(id);
                control->setValue(static_cast<float>((step * 37) % 100) / 100.0f);
                ui->editor().valueChanged(nullptr, control);
                ui->editor().endEdit(id);
            }
            ui->idle();
            window.drain();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        delete ui;
    });

    // The audio thread: the host's own automation, the editor's port writes,
    // an IR file now and then, and the worker's answers after each run.
    const LV2_URID set = host.map(LV2_PATCH__Set);
    const LV2_URID property = host.map(LV2_PATCH__property);
    const LV2_URID value = host.map(LV2_PATCH__value);
    const LV2_URID irFile = host.map("urn:kestrel:talu-01-reverb:ir");
    int lastSent = -1;
    for (int call = 0; call < 600; ++call) {
        for (const auto& [port, v] : host.takePortWrites())
            ports[port - lv2plugin::kFirstParameterPort] = v;
        if (call % 7 == 0)
            ports[static_cast<std::size_t>(param::kDryLevel - lv2plugin::kFirstPortParameter)] =
                -30.0f + static_cast<float>(call % 36);
        LV2_Atom_Forge forge;
        lv2_atom_forge_init(&forge, &map);
        lv2_atom_forge_set_buffer(&forge, reinterpret_cast<std::uint8_t*>(control.data()),
                                  control.size() * sizeof(std::uint64_t));
        LV2_Atom_Forge_Frame sequence;
        lv2_atom_forge_sequence_head(&forge, &sequence, 0);
        if (call % 100 == 0) {
            lastSent = (call / 100) % 2;
            LV2_Atom_Forge_Frame object;
            lv2_atom_forge_frame_time(&forge, 0);
            lv2_atom_forge_object(&forge, &object, 0, set);
            lv2_atom_forge_key(&forge, property);
            lv2_atom_forge_urid(&forge, irFile);
            lv2_atom_forge_key(&forge, value);
            lv2_atom_forge_path(&forge, files[lastSent].c_str(), static_cast<std::uint32_t>(files[lastSent].size()));
            lv2_atom_forge_pop(&forge, &object);
        }
        lv2_atom_forge_pop(&forge, &sequence);
        reinterpret_cast<LV2_Atom_Sequence*>(notify.data())->atom.size =
            static_cast<std::uint32_t>(notify.size() * sizeof(std::uint64_t) - sizeof(LV2_Atom));

        instance->run(256);
        for (const auto& response : host.takeResponses())
            instance->workResponse(static_cast<std::uint32_t>(response.size()), response.data());
        for (float sample : audio[2])
            ASSERT_TRUE(std::isfinite(sample));
    }

    // Let the last file load, then everything stops.
    for (int i = 0; i < 2000 && loads.load() < 6; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    stop.store(true);
    worker.join();
    saver.join();
    editor.join();

    EXPECT_EQ(loads.load(), 6);
    EXPECT_GT(saves.load(), 0);
    EXPECT_EQ(strangePaths.load(), 0);
    std::string saved;
    auto store = [](LV2_State_Handle handle, std::uint32_t, const void* v, std::size_t, std::uint32_t,
                    std::uint32_t) -> LV2_State_Status {
        *static_cast<std::string*>(handle) = static_cast<const char*>(v);
        return LV2_STATE_SUCCESS;
    };
    instance->save(store, &saved, 0, nullptr);
    EXPECT_EQ(saved, files[lastSent]);
    instance->deactivate();
    delete instance;
    testsupport::removeTempDir(dir);
}

} // namespace
