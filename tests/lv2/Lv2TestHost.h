#pragma once
// A small LV2 host on Debian's lilv, standing in for a DAW: it discovers the
// built bundle, instantiates the plug-in with urid:map, a worker and the
// options a host passes, runs it in blocks, sends it patch messages on its
// control port, reads its notify port, and saves and restores its state.
// The messages are built here with the atom forge directly, not with the
// plug-in's own helpers, so that both sides are checked against the format.
#include "support/AllocationCounter.h"

#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/urid/urid.h>
#include <lv2/worker/worker.h>

#include <array>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace lv2test {

// Mapping of URIs to numbers, shared by everything a test loads.
class UridMap {
public:
    UridMap();
    LV2_URID map(const char* uri);
    const char* unmap(LV2_URID urid);
    LV2_URID_Map* mapFeatureData() { return &map_; }
    LV2_URID_Unmap* unmapFeatureData() { return &unmap_; }

private:
    std::mutex mutex_;
    std::map<std::string, LV2_URID> ids_;
    std::vector<std::unique_ptr<std::string>> uris_;
    LV2_URID_Map map_;
    LV2_URID_Unmap unmap_;
};

// The host's side of the worker extension. Synchronous: work runs inside
// schedule_work, as free-wheeling hosts do. Threaded: a thread of its own
// takes the requests, as real-time hosts do. Neither allocates on the audio
// thread: requests and responses go through fixed slots.
class TestWorker {
public:
    enum class Mode { Synchronous, Threaded };
    explicit TestWorker(Mode mode);
    ~TestWorker();
    TestWorker(const TestWorker&) = delete;
    TestWorker& operator=(const TestWorker&) = delete;

    LV2_Worker_Schedule* scheduleFeatureData() { return &schedule_; }
    void attach(LV2_Handle handle, const LV2_Worker_Interface* interface);
    // Audio thread, after run: hands the responses to the plug-in.
    void deliverResponses();
    // Until every request made so far has been worked on.
    void waitUntilIdle();
    int requestsRefused() const { return refused_; }

private:
    struct Message {
        std::uint32_t size = 0;
        std::array<std::uint8_t, 4096> data{};
    };
    static constexpr int kSlots = 8;

    static LV2_Worker_Status schedule(LV2_Worker_Schedule_Handle handle, std::uint32_t size, const void* data);
    static LV2_Worker_Status respond(LV2_Worker_Respond_Handle handle, std::uint32_t size, const void* data);
    void threadMain();

    Mode mode_;
    LV2_Worker_Schedule schedule_;
    LV2_Handle handle_ = nullptr;
    const LV2_Worker_Interface* interface_ = nullptr;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::array<Message, kSlots> requests_;
    std::array<Message, kSlots> responses_;
    int requestCount_ = 0;
    int responseCount_ = 0;
    bool working_ = false;
    bool stop_ = false;
    int refused_ = 0;
    std::thread thread_;
};

class Lv2TestHost;

// One instance with its buffers: the stereo audio, a float per control port,
// and the two atom sequences.
class Lv2TestInstance {
public:
    static constexpr int kMaxBlock = 4096;

    Lv2TestInstance(Lv2TestHost& host, double rate, TestWorker::Mode workerMode, bool withWorker = true);
    ~Lv2TestInstance();
    Lv2TestInstance(const Lv2TestInstance&) = delete;
    Lv2TestInstance& operator=(const Lv2TestInstance&) = delete;

    bool valid() const { return instance_ != nullptr; }
    LilvInstance* lilv() const { return instance_; }
    LV2_Handle handle() const;
    TestWorker& worker() { return worker_; }

    // The control port with this symbol; its value reaches the plug-in at
    // the next run.
    float& port(const char* symbol);
    // Every control port back to its default from the plug-in's description.
    void resetPorts();

    // Messages for the next run.
    void sendIRFile(const std::string& path);
    void askForIRFile();

    // One block of audio (frames <= kMaxBlock), in the host's buffers;
    // inPlace makes the outputs the input buffers. Responses of the worker
    // are delivered after the run.
    void run(int frames, bool inPlace = false);
    // The same, and what the calling thread allocated and freed inside the
    // plug-in's run and its worker responses (the host's own work left out).
    testsupport::AllocationCounts runCounted(int frames);
    float* in(int channel) { return audio_[channel].data(); }
    const float* out(int channel) const { return audio_[2 + channel].data(); }

    // Renders the input through the plug-in in blocks and returns the output.
    void render(const std::vector<float>& inL, const std::vector<float>& inR, std::vector<float>& outL,
                std::vector<float>& outR, int block, bool inPlace = false);

    // Paths the plug-in reported with a patch:Set on its notify port, oldest first.
    const std::vector<std::string>& reportedPaths() const { return reports_; }

    // The plug-in's state with the port values, as lilv takes it.
    LilvState* saveState(const std::string& copyDir = "", const std::string& saveDir = "");
    void restoreState(const LilvState* state);

private:
    void prepareControl();
    void readNotify();

    Lv2TestHost& host_;
    TestWorker worker_;
    LilvInstance* instance_ = nullptr;
    std::vector<float> controls_;
    std::array<std::vector<float>, 4> audio_;
    std::vector<std::uint64_t> control_;
    std::vector<std::uint64_t> notify_;
    std::vector<std::vector<std::uint8_t>> pending_;
    std::vector<std::string> reports_;
};

// The lilv world with the built bundle loaded.
class Lv2TestHost {
public:
    // The standard edition's plug-in, or the one named.
    explicit Lv2TestHost(const char* pluginUri = nullptr);
    ~Lv2TestHost();
    Lv2TestHost(const Lv2TestHost&) = delete;
    Lv2TestHost& operator=(const Lv2TestHost&) = delete;

    LilvWorld* world() const { return world_; }
    const LilvPlugin* plugin() const { return plugin_; }
    UridMap& urids() { return urids_; }
    LV2_URID map(const char* uri) { return urids_.map(uri); }
    // The port of this symbol, null when the plug-in has none.
    const LilvPort* portBySymbol(const char* symbol) const;
    // A new node from this URI, freed with the host.
    const LilvNode* node(const char* uri);

    static std::string bundlePath();

private:
    UridMap urids_;
    LilvWorld* world_ = nullptr;
    const LilvPlugin* plugin_ = nullptr;
    std::vector<LilvNode*> nodes_;
};

} // namespace lv2test
