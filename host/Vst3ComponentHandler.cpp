#include "host/Vst3ComponentHandler.h"

using namespace vst3;

tresult Vst3ComponentHandler::beginEdit(ParamID)
{
    return kResultOk;
}

tresult Vst3ComponentHandler::performEdit(ParamID id, ParamValue valueNormalized)
{
    std::lock_guard<std::mutex> lock(mutex_);
    edits_.emplace_back(id, valueNormalized);
    return kResultOk;
}

tresult Vst3ComponentHandler::endEdit(ParamID)
{
    return kResultOk;
}

tresult Vst3ComponentHandler::restartComponent(int32 flags)
{
    std::lock_guard<std::mutex> lock(mutex_);
    restartFlags_ |= flags;
    return kResultOk;
}

std::vector<std::pair<ParamID, ParamValue>> Vst3ComponentHandler::takeEdits()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(edits_, {});
}

int32 Vst3ComponentHandler::takeRestartFlags()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(restartFlags_, 0);
}
