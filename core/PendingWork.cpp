#include "core/PendingWork.h"

namespace {

bool inRange(int id) { return id >= 0 && id < PendingWork::kMaxParameters; }

std::uint64_t bitOf(int id) { return std::uint64_t{1} << (id % 64); }

} // namespace

bool WorkItems::changed(int id) const
{
    return inRange(id) && (parameters[id / 64] & bitOf(id)) != 0;
}

bool WorkItems::changedAny(int first, int last) const
{
    for (int id = first; id <= last; ++id)
        if (changed(id))
            return true;
    return false;
}

void PendingWork::markParameter(int id)
{
    if (inRange(id))
        parameters_[id / 64].fetch_or(bitOf(id), std::memory_order_seq_cst);
}

void PendingWork::markTask(WorkerTask task)
{
    tasks_.fetch_or(static_cast<std::uint32_t>(task), std::memory_order_seq_cst);
}

WorkItems PendingWork::take()
{
    WorkItems items;
    for (int w = 0; w < WorkItems::kParameterWords; ++w)
        items.parameters[w] = parameters_[w].exchange(0, std::memory_order_seq_cst);
    items.tasks = tasks_.exchange(0, std::memory_order_seq_cst);
    return items;
}

bool PendingWork::empty() const
{
    for (const auto& word : parameters_)
        if (word.load(std::memory_order_seq_cst) != 0)
            return false;
    return tasks_.load(std::memory_order_seq_cst) == 0;
}
