#include "host/Vst3ParameterChanges.h"

using namespace vst3;

void Vst3ParameterChanges::add(ParamID id, int32 sampleOffset, ParamValue value)
{
    int32 index = 0;
    if (IParamValueQueue* queue = addParameterData(id, index))
        queue->addPoint(sampleOffset, value, index);
}

IParamValueQueue* Vst3ParameterChanges::getParameterData(int32 index)
{
    if (index < 0 || static_cast<size_t>(index) >= used_)
        return nullptr;
    return queues_[static_cast<size_t>(index)].get();
}

IParamValueQueue* Vst3ParameterChanges::addParameterData(const ParamID& id, int32& index)
{
    for (size_t i = 0; i < used_; ++i) {
        if (queues_[i]->getParameterId() == id) {
            index = static_cast<int32>(i);
            return queues_[i].get();
        }
    }
    if (used_ == queues_.size())
        queues_.emplace_back(new Vst3ParamQueue());
    queues_[used_]->reset(id);
    index = static_cast<int32>(used_);
    return queues_[used_++].get();
}
