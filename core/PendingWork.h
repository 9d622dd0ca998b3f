#pragma once
// What the effect's worker still has to do: which parameters changed since it
// last looked, and which other jobs were asked for.
//
// Marked from any thread, the audio thread included, with one atomic
// operation each; taken by the worker all at once. Marking something that is
// already marked costs nothing more, so a burst of changes to one parameter
// becomes one job, done with the newest value.
#include <atomic>
#include <cstdint>

enum class WorkerTask : std::uint32_t {
    BuildKernel = 1u << 0,      // a new IR was read: shape it and prepare its kernel
    SampleRate = 1u << 1,       // the host's rate changed
    AnalyseResponse = 1u << 2,  // measure the tone filters for the frequency graph
    ShowIRCurves = 1u << 3,     // give the envelope graph the loaded and the shaped IR
};

// A snapshot of marks, as the worker took them.
struct WorkItems {
    static constexpr int kParameterWords = 2;  // room for ids 0..127

    std::uint64_t parameters[kParameterWords] = {0, 0};
    std::uint32_t tasks = 0;

    bool changed(int id) const;
    // Any of the ids first..last (inclusive).
    bool changedAny(int first, int last) const;
    bool has(WorkerTask task) const { return (tasks & static_cast<std::uint32_t>(task)) != 0; }
    bool empty() const { return parameters[0] == 0 && parameters[1] == 0 && tasks == 0; }
};

class PendingWork {
public:
    static constexpr int kMaxParameters = 64 * WorkItems::kParameterWords;

    // Any thread; lock-free. Ids outside 0..kMaxParameters-1 are ignored.
    void markParameter(int id);
    void markTask(WorkerTask task);

    // Everything marked so far, unmarked again.
    WorkItems take();
    bool empty() const;

private:
    std::atomic<std::uint64_t> parameters_[WorkItems::kParameterWords] = {};
    std::atomic<std::uint32_t> tasks_{0};
};
