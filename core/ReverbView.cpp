#include "core/ReverbView.h"

#include "engine/ResponseAnalyser.h"
#include "ir/FileActions.h"
#include "ir/IRData.h"
#include "params/PathParams.h"

#include <cmath>

namespace core {

ReverbView::ReverbView(ReverbHost& host, const platform::ModuleLocation& location, int sampleRate)
    : host_(host),
      location_(location),
      sampleRate_(sampleRate > 0 ? sampleRate : effect::kDefaultSampleRate),
      highPass_(epoch_, engine::FilterPair::Kind::HighPass, sampleRate_),
      lowPass_(epoch_, engine::FilterPair::Kind::LowPass, sampleRate_),
      balance_(epoch_, engine::FilterPair::Kind::Balance, sampleRate_)
{
    analyser_ = std::make_unique<engine::ResponseAnalyser>(sampleRate_);
    ir_ = std::make_unique<ir::IRData>(static_cast<ir::IROwner*>(this), static_cast<float>(sampleRate_));
    fileActions_ = std::make_unique<ir::FileActions>(static_cast<ir::FileActionHost&>(*this));
    for (int id = 0; id < param::kNumParams; ++id)
        values_[id] = static_cast<float>(param::normalisedDefault(id));
    for (int id = param::kHPF; id <= param::kEnabledLPF; ++id)
        applyFilter(id);
    applyShaping();
}

ReverbView::~ReverbView() = default;

float ReverbView::getParameter(int id) const
{
    if (id < 0 || id >= param::kNumParams || id == param::kCopyToLocal || id == param::kReset)
        return 0.0f;
    return values_[id];
}

void ReverbView::setParameter(int id, float value)
{
    if (id < 0 || id >= param::kNumParams)
        return;
    if (param::isAction(id)) {
        if (param::actionFires(value))
            runAction(id);
        return;
    }
    if (!std::isfinite(value))
        return;
    values_[id] = std::fmin(1.0f, std::fmax(0.0f, value));
    if (id >= param::kStrech && id <= param::kDump) {
        applyShaping();
    } else if (id >= param::kHPF && id <= param::kEnabledLPF) {
        applyFilter(id);
        runResponseAnalysis();
    }
}

void ReverbView::applyShaping()
{
    ir::IRData::Shaping shaping;
    shaping.stretch = static_cast<float>(real(param::kStrech));
    shaping.decay = static_cast<float>(real(param::kDecay));
    shaping.gateMs = static_cast<float>(real(param::kGate));
    shaping.dump = static_cast<float>(real(param::kDump));
    ir_->setShaping(shaping);
}

void ReverbView::applyFilter(int id)
{
    const float r = static_cast<float>(real(id));
    switch (id) {
    case param::kHPF:
        highPass_.setFrequency(r);
        break;
    case param::kLPF:
        lowPass_.setFrequency(r);
        break;
    case param::kBAL:
        balance_.setBalance(r);
        break;
    case param::kEnabledHPF:
        highPass_.setEnabled(r != 0.0f);
        break;
    case param::kEnabledBAL:
        balance_.setEnabled(r != 0.0f);
        break;
    case param::kEnabledLPF:
        lowPass_.setEnabled(r != 0.0f);
        break;
    default:
        break;
    }
}

void ReverbView::runAction(int id)
{
    switch (id) {
    case param::kReset:
        for (int i = 0; i <= param::kDryLevel; ++i) {
            if (i == param::kReset)
                continue;
            values_[i] = static_cast<float>(param::normalisedDefault(i));
            host_.parameterChanged(i, values_[i]);
        }
        for (int i = param::kHPF; i <= param::kEnabledLPF; ++i)
            applyFilter(i);
        applyShaping();
        runResponseAnalysis();
        break;
    case param::kCopyToLocal:
        fileActions_->copyToLocal(fileActions_->currentIRPath());
        break;
    case param::kIRFileSelect:
        fileActions_->selectIRFile();
        break;
    case param::kWebSearch:
        fileActions_->webSearch();
        break;
    default:
        break;
    }
}

std::string ReverbView::rememberedPath() const
{
    char path[param::kPathTextCapacity];
    param::decodePathFromParams(values_ + param::kPathFirst, path);
    return path;
}

int ReverbView::showIRFile(const std::string& path)
{
    return fileActions_->takeFile(path);
}

void ReverbView::storePathParams(const float* values80)
{
    for (int k = 0; k < param::kPathCount; ++k)
        values_[param::kPathFirst + k] = values80[k];
}

ir::IRDescription ReverbView::irDescription() const
{
    return ir_->description();
}

int ReverbView::rebuildIndicator() const
{
    return ir_->rebuildIndicator();
}

bool ReverbView::clearRebuildIndicatorIfDue(std::uint32_t now)
{
    return ir_->clearRebuildIndicatorIfDue(now);
}

void ReverbView::setEditorOpen(bool open)
{
    editorOpen_ = open;
    if (open) {
        ir_->refreshEnvelopeCurves();
        runResponseAnalysis();
    } else {
        curves_.clear();
    }
}

void ReverbView::runResponseAnalysis()
{
    analyser_->analyse(highPass_, lowPass_, balance_);
}

void ReverbView::envelopeGraphClicked()
{
    fileActions_->selectIRFile();
}

void ReverbView::envelopeGraphDropped(const char* item, bool isFileName)
{
    if (item)
        fileActions_->dropItem(item, isFileName);
}

bool ReverbView::chooseFile(const platform::FileDialogRequest& request, std::string& chosenPath)
{
    return host_.chooseFile(request, chosenPath);
}

void ReverbView::reportLoadFailure(const std::string& path, const std::string& reason)
{
    host_.irLoadFailed(path, reason);
}

} // namespace core
