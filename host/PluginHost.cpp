#include "host/PluginHost.h"

#include <cstdio>
#include <cstring>

namespace {

// The host being constructed while VSTPluginMain runs: the effect record does not
// exist yet during the version query, so the callback finds its host here.
thread_local PluginHost* gHostUnderConstruction = nullptr;

} // namespace

PluginHost::~PluginHost()
{
    unload();
}

bool PluginHost::load(const std::string& soPath, const Options& options)
{
    unload();
    options_ = options;
    if (!library_.open(soPath)) {
        error_ = "cannot load " + soPath + ": " + library_.error();
        return false;
    }
    using EntryProc = vst::AEffect* (*)(vst::HostCallback);
    auto entry = reinterpret_cast<EntryProc>(library_.symbol("VSTPluginMain"));
    if (!entry)
        entry = reinterpret_cast<EntryProc>(library_.symbol("main"));
    if (!entry) {
        error_ = soPath + " exports neither VSTPluginMain nor main";
        unload();
        return false;
    }
    gHostUnderConstruction = this;
    effect_ = entry(&PluginHost::callback);
    gHostUnderConstruction = nullptr;
    if (!effect_ || effect_->magic != vst::kEffectMagic) {
        error_ = soPath + ": the plug-in made no effect";
        effect_ = nullptr;
        unload();
        return false;
    }
    effect_->user = this;
    dispatch(vst::effOpen);
    return true;
}

void PluginHost::unload()
{
    if (effect_) {
        dispatch(vst::effMainsChanged, 0, 0);
        dispatch(vst::effClose);
        effect_ = nullptr;
    }
    library_.close();
}

vst::IntPtr PluginHost::dispatch(vst::Int32 opcode, vst::Int32 index, vst::IntPtr value, void* ptr, float opt)
{
    return effect_ ? effect_->dispatcher(effect_, opcode, index, value, ptr, opt) : 0;
}

void PluginHost::setParameter(int index, float value)
{
    if (effect_)
        effect_->setParameter(effect_, index, value);
}

float PluginHost::getParameter(int index)
{
    return effect_ ? effect_->getParameter(effect_, index) : 0.0f;
}

void PluginHost::processReplacing(float** in, float** out, int frames)
{
    if (effect_)
        effect_->processReplacing(effect_, in, out, frames);
}

std::string PluginHost::queryString(vst::Int32 opcode, vst::Int32 index)
{
    char text[256] = {};
    dispatch(opcode, index, 0, text);
    text[sizeof text - 1] = '\0';
    return text;
}

std::string PluginHost::effectName() { return queryString(vst::effGetEffectName, 0); }
std::string PluginHost::vendorString() { return queryString(vst::effGetVendorString, 0); }
std::string PluginHost::productString() { return queryString(vst::effGetProductString, 0); }
std::string PluginHost::parameterName(int index) { return queryString(vst::effGetParamName, index); }
std::string PluginHost::programName() { return queryString(vst::effGetProgramName, 0); }

std::string PluginHost::programNameIndexed(int index)
{
    char text[256] = {};
    if (!dispatch(vst::effGetProgramNameIndexed, index, -1, text))
        return {};
    return text;
}

int PluginHost::findParameter(const std::string& name)
{
    if (!effect_)
        return -1;
    for (int i = 0; i < effect_->numParams; ++i)
        if (!name.empty() && parameterName(i) == name)
            return i;
    return -1;
}

void PluginHost::start(float sampleRate, int blockSize)
{
    sampleRate_ = sampleRate;
    blockSize_ = blockSize;
    dispatch(vst::effMainsChanged, 0, 0);
    dispatch(vst::effSetSampleRate, 0, 0, nullptr, sampleRate);
    dispatch(vst::effSetBlockSize, 0, blockSize);
    dispatch(vst::effMainsChanged, 0, 1);
}

void PluginHost::recordSelectorRequest(const vst::VstFileSelect& select)
{
    auto bounded = [](const char* text, std::size_t capacity) {
        return text ? std::string(text, strnlen(text, capacity)) : std::string();
    };
    SelectorRequest request;
    request.command = select.command;
    request.title = bounded(select.title, sizeof select.title);
    request.initialPath = bounded(select.initialPath, 4096);
    std::string types;
    for (int i = 0; select.fileTypes && i < select.nbFileTypes; ++i) {
        const vst::VstFileType& type = select.fileTypes[i];
        request.typeNames.push_back(bounded(type.name, sizeof type.name));
        request.extensions.push_back(bounded(type.dosType, sizeof type.dosType) + "/" +
                                     bounded(type.unixType, sizeof type.unixType));
        types += (types.empty() ? "" : "; ") + request.typeNames.back() + " " + request.extensions.back();
    }
    std::fprintf(stderr, "[host file selector] \"%s\" in \"%s\" types [%s] -> %s\n", request.title.c_str(),
                 request.initialPath.c_str(), types.c_str(),
                 options_.fileSelectorAnswer.empty() ? "cancel" : options_.fileSelectorAnswer.c_str());
    std::lock_guard<std::mutex> lock(eventsMutex_);
    selectorRequests_.push_back(std::move(request));
}

std::vector<PluginHost::SelectorRequest> PluginHost::selectorRequests() const
{
    std::lock_guard<std::mutex> lock(eventsMutex_);
    return selectorRequests_;
}

std::vector<PluginHost::Event> PluginHost::events() const
{
    std::lock_guard<std::mutex> lock(eventsMutex_);
    return events_;
}

void PluginHost::clearEvents()
{
    std::lock_guard<std::mutex> lock(eventsMutex_);
    events_.clear();
}

vst::IntPtr PluginHost::callback(vst::AEffect* effect, vst::Int32 opcode, vst::Int32 index, vst::IntPtr value,
                                 void* ptr, float opt)
{
    PluginHost* host = (effect && effect->user) ? static_cast<PluginHost*>(effect->user) : gHostUnderConstruction;
    if (!host)
        return opcode == vst::audioMasterVersion ? 2400 : 0;
    return host->answer(opcode, index, value, ptr, opt);
}

vst::IntPtr PluginHost::answer(vst::Int32 opcode, vst::Int32 index, vst::IntPtr value, void* ptr, float opt)
{
    (void)value;
    {
        std::lock_guard<std::mutex> lock(eventsMutex_);
        events_.push_back({opcode, index, opt});
    }
    switch (opcode) {
    case vst::audioMasterVersion:
        return 2400;
    case vst::audioMasterAutomate:
    case vst::audioMasterBeginEdit:
    case vst::audioMasterEndEdit:
        return 1;
    case vst::audioMasterIdle:
        return 1;
    case vst::audioMasterGetSampleRate:
        return static_cast<vst::IntPtr>(sampleRate_);
    case vst::audioMasterGetBlockSize:
        return blockSize_;
    case vst::audioMasterGetCurrentProcessLevel:
        return processLevel_.load();
    case vst::audioMasterCanDo: {
        const char* what = static_cast<const char*>(ptr);
        if (!what)
            return 0;
        if (options_.offerFileSelector &&
            (!std::strcmp(what, "openFileSelector") || !std::strcmp(what, "closeFileSelector")))
            return 1;
        return 0;
    }
    case vst::audioMasterOpenFileSelector: {
        auto* select = static_cast<vst::VstFileSelect*>(ptr);
        if (options_.offerFileSelector && select)
            recordSelectorRequest(*select);
        if (!options_.offerFileSelector || !select || options_.fileSelectorAnswer.empty())
            return 0;
        const std::string& answer = options_.fileSelectorAnswer;
        if (select->returnPath && select->sizeReturnPath > 0) {
            if (answer.size() >= static_cast<size_t>(select->sizeReturnPath))
                return 0;
            std::memcpy(select->returnPath, answer.c_str(), answer.size() + 1);
        } else {
            // the host owns the returned text until the plug-in closes the selector
            selectorPath_.assign(answer.begin(), answer.end());
            selectorPath_.push_back('\0');
            select->returnPath = selectorPath_.data();
            select->sizeReturnPath = static_cast<vst::Int32>(selectorPath_.size());
        }
        select->nbReturnPath = 1;
        return 1;
    }
    case vst::audioMasterCloseFileSelector:
        return options_.offerFileSelector ? 1 : 0;
    default:
        return 0;
    }
}
