#include "ir/IRData.h"

#include "engine/ConvolutionEngine.h"
#include "ir/DecayAnalysis.h"
#include "ir/ErrorText.h"
#include "params/EffectConstants.h"
#include "platform/Clock.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace ir {

namespace {

// Raw-IR samples over which Decay = 1 / sqrt(0.1) would fall or rise by e.
constexpr double kEnvelopeSpan = 1310720.0;

constexpr float kTimeRangeMs = 3000.0f;
constexpr int kRawSlot = 0;
constexpr int kShapedSlot = 1;
constexpr CurveColour kRawColour{147, 167, 174, 255};
constexpr CurveColour kShapedColour{0, 244, 255, 255};
constexpr const char* kRawLabel = "impluse data -";

// Left as it comes: for arrays whose writer sets every value itself.
std::unique_ptr<float[]> scratchArray(int count)
{
    std::unique_ptr<float[]> array(new (std::nothrow) float[static_cast<std::size_t>(count)]);
    return array;
}

std::unique_ptr<float[]> zeroedArray(int count)
{
    std::unique_ptr<float[]> array(new (std::nothrow) float[static_cast<std::size_t>(count)]());
    return array;
}

} // namespace

IRData::IRData(IROwner* owner, engine::ConvolutionEngine& engine, float sampleRate)
    : IRData(owner, &engine, sampleRate)
{
}

IRData::IRData(IROwner* owner, float sampleRate) : IRData(owner, nullptr, sampleRate) {}

IRData::IRData(IROwner* owner, engine::ConvolutionEngine* engine, float sampleRate)
    : owner_(owner),
      engine_(engine),
      rawLeft_(new float[kIRCapacityFrames]()),
      rawRight_(new float[kIRCapacityFrames]()),
      sampleRate_(sampleRate)
{
    // None of these builds anything yet: no path is set.
    setDecay(1.0);
    setGate(kInitialGateMs);
    setStretch(1.0f);
    setDump(0.0f);
}

int IRData::loadIR(const char* path)
{
    Curves curves;
    int result = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        result = loadLocked(path, curves);
    }
    publish(curves);
    return result;
}

IRDescription IRData::description() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    IRDescription d;
    std::memcpy(d.path, path_, sizeof d.path);
    d.fileInfo = fileInfo_;
    d.rawFrameCount = rawFrameCount_;
    d.gateMs = gate_;
    return d;
}

std::string IRData::pathCopy() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return path_;
}

std::string IRData::lastError() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return errorText_;
}

int IRData::loadLocked(const char* path, Curves& curves)
{
    errorText_[0] = '\0';
    if (path == nullptr)
        path = "";

    // The reader refuses a path too long for its buffers.
    IRFileInfo info;
    FileByteSource file;
    // The readers refuse every sample format and channel count they cannot use.
    if (const int opened = openIRFile(path, info, file, errorText_))
        return opened;

    if (owner_ != nullptr)
        owner_->setPseudoStereo(info.channels == 1);

    fileInfo_ = info;
    // The caller may hand back path() itself, to reload the current file. The
    // reader took the path, so it fits.
    std::memmove(path_, path, std::strlen(path) + 1);
    rawFrameCount_ = 0;
    setRebuildIndicator(-1);
    std::fill(rawLeft_.get(), rawLeft_.get() + kIRCapacityFrames, 0.0f);
    std::fill(rawRight_.get(), rawRight_.get() + kIRCapacityFrames, 0.0f);

    const int frames = convertSamples(file, info, rawLeft_.get(), rawRight_.get());
    rawFrameCount_ = std::max(frames, 0);
    file.close();

    trimLeadingSilence(rawLeft_.get(), rawRight_.get(), rawFrameCount_);
    analyzeDecay();
    rawCurve(curves);
    if (owner_ == nullptr || !owner_->buildKernelLater())
        rebuildLocked(curves);
    return 0;
}

void IRData::analyzeDecay()
{
    decayFactor_ = ir::analyzeDecay(rawLeft_.get(), rawRight_.get(), sampleRate_);
    // The limit of a rising envelope follows the IR in force. Derived afresh
    // from the Decay setting, so that the shape depends on the setting and the
    // file alone, not on their order: a host restoring a project sets Decay
    // before the path commit loads the file.
    applyDecaySetting();
}

void IRData::setDecay(double decay)
{
    rebuildAfter([&] {
        decaySetting_ = std::isnan(decay) ? 1.0 : decay;
        applyDecaySetting();
    });
}

void IRData::applyDecaySetting()
{
    const double decay = decaySetting_;
    if (decay <= 0.0) {
        envelopeMultiplier_ = 0.0;
        decayKey_ = 0.0;
    } else if (decay < 1.0) {
        envelopeMultiplier_ = std::exp(-1.0 / (kEnvelopeSpan * decay * decay));
        decayKey_ = decay * decay;
    } else if (decay > 1.0) {
        envelopeMultiplier_ = std::min(std::exp(decay / kEnvelopeSpan), 1.0 / decayFactor_);
        decayKey_ = decay;
    } else {
        // Squared or not, neutral is 1; a key left at the previous value would
        // make the return to neutral look like no change.
        envelopeMultiplier_ = 1.0;
        decayKey_ = 1.0;
    }
    // A rising envelope may at most hold the tail level.
    if (1.0 / decayFactor_ < envelopeMultiplier_)
        envelopeMultiplier_ = 1.0 / decayFactor_;
}

void IRData::setGate(float ms)
{
    rebuildAfter([&] { gate_ = ms; });
}

void IRData::setStretch(float factor)
{
    rebuildAfter([&] { stretch_ = factor; });
}

void IRData::setDump(float amount)
{
    rebuildAfter([&] { dump_ = amount; });
}

int IRData::setShaping(const Shaping& shaping)
{
    return rebuildAfter([&] {
        stretch_ = shaping.stretch;
        gate_ = shaping.gateMs;
        dump_ = shaping.dump;
        decaySetting_ = std::isnan(shaping.decay) ? 1.0 : shaping.decay;
        applyDecaySetting();
    });
}

void IRData::setSampleRate(float fs)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (fs == sampleRate_)
        return;
    sampleRate_ = fs;
    // The decay windows are measured in host-rate time.
    if (loaded())
        analyzeDecay();
}

bool IRData::sameAsLastBuild() const
{
    return std::strcmp(path_, lastBuild_.path) == 0 && envelopeMultiplier_ == lastBuild_.envelopeMultiplier &&
           gate_ == lastBuild_.gate && stretch_ == lastBuild_.stretch && dump_ == lastBuild_.dump &&
           sampleRate_ == lastBuild_.sampleRate;
}

int IRData::rebuildKernel()
{
    return rebuildAfter([] {});
}

int IRData::rebuildLocked(Curves& curves)
{
    if (!loaded())
        return -1;
    if (sameAsLastBuild()) {
        // A reload with nothing changed builds nothing; the graph still gets
        // its highlight for the reload instead of staying in the building state.
        if (rebuildIndicator() == -1)
            setRebuildIndicator(highlightDeadline(platform::clock().tickCount(), sampleRate_));
        return 0;
    }

    std::memcpy(lastBuild_.path, path_, sizeof path_);
    lastBuild_.envelopeMultiplier = envelopeMultiplier_;
    lastBuild_.gate = gate_;
    lastBuild_.stretch = stretch_;
    lastBuild_.dump = dump_;
    lastBuild_.sampleRate = sampleRate_;
    setRebuildIndicator(-1);

    std::unique_ptr<float[]> left = zeroedArray(kShapedCapacity);
    std::unique_ptr<float[]> right = zeroedArray(kShapedCapacity);
    bool installed = false;
    if (left && right) {
        const int samples = shapeIR(rawLeft_.get(), rawRight_.get(), shapeSettings(), left.get(), right.get());
        installed = engine_ == nullptr || engine_->prepareKernel(left.get(), right.get(), samples);
        if (sink() != nullptr) {
            curves.shapedLeft = std::move(left);
            curves.shapedRight = std::move(right);
        }
    }
    if (installed)
        ++kernelBuilds_;
    if (!installed) {
        // The old kernel stays; forget this build so that the next call retries.
        lastBuild_ = BuildKey{};
    }

    setRebuildIndicator(highlightDeadline(platform::clock().tickCount(), sampleRate_));
    curves.redraw = true;
    return 0;
}

void IRData::refreshEnvelopeCurves()
{
    Curves curves;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        // Without a graph the work below would show nothing.
        if (sink() == nullptr)
            return;
        rawCurve(curves);
        std::unique_ptr<float[]> left = zeroedArray(kShapedCapacity);
        std::unique_ptr<float[]> right = zeroedArray(kShapedCapacity);
        if (left && right) {
            shapeIR(rawLeft_.get(), rawRight_.get(), shapeSettings(), left.get(), right.get());
            curves.shapedLeft = std::move(left);
            curves.shapedRight = std::move(right);
        }
    }
    publish(curves);
}

bool IRData::clearRebuildIndicatorIfDue(std::uint32_t now)
{
    int seen = rebuildIndicator();
    if (seen == 0 || seen == -1 || !deadlineReached(seen, now))
        return false;
    return rebuildIndicator_.compare_exchange_strong(seen, 0, std::memory_order_acq_rel);
}

EnvelopeSink* IRData::sink() const { return owner_ != nullptr ? owner_->envelopeSink() : nullptr; }

ShapeSettings IRData::shapeSettings() const
{
    ShapeSettings s;
    s.sampleRate = sampleRate_;
    s.fileSampleRate = fileInfo_.sampleRate;
    s.rawFrameCount = rawFrameCount_;
    s.gateMs = gate_;
    s.stretch = stretch_;
    s.dump = dump_;
    s.envelopeMultiplier = envelopeMultiplier_;
    return s;
}

void IRData::rawCurve(Curves& curves) const
{
    if (sink() == nullptr)
        return;
    curves.raw = scratchArray(effect::kIRCapacityFrames);
    if (!curves.raw)
        return;
    const float ratio = sampleRate_ > 0.0f ? static_cast<float>(fileInfo_.sampleRate) / sampleRate_ : 0.0f;
    rawEnvelope(rawLeft_.get(), rawRight_.get(), ratio, curves.raw.get());
}

void IRData::publish(const Curves& curves) const
{
    EnvelopeSink* graph = sink();
    if (graph == nullptr)
        return;
    if (curves.raw || curves.shapedLeft) {
        graph->setTimeRange(kTimeRangeMs);
        graph->setSamplesInRange(static_cast<float>(graph->graphSampleRate()) * 3.0f);
    }
    if (curves.raw)
        graph->setCurve(kRawSlot, curves.raw.get(), effect::kIRCapacityFrames, kRawLabel, kRawColour);
    if (curves.shapedLeft && curves.shapedRight)
        graph->setEnvelopeCurve(kShapedSlot, curves.shapedLeft.get(), curves.shapedRight.get(), kShapedColour);
    if (curves.redraw)
        graph->redraw();
}

} // namespace ir
