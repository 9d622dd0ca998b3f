#include "lv2/ReverbUI.h"

#include "core/Reverb.h"
#include "core/ReverbView.h"
#include "editor/SDEditor.h"
#include "ir/LoadFailureMessage.h"
#include "lv2/HostFeatures.h"
#include "lv2/PatchMessages.h"
#include "lv2/PortLayout.h"
#include "lv2/PortValues.h"
#include "lv2/ReverbInstance.h"
#include "platform/Dialogs.h"
#include "params/EffectIdentity.h"
#include "platform/ModulePath.h"
#include "toolkit/CFrame.h"

#include <lv2/instance-access/instance-access.h>
#include <lv2/urid/urid.h>

#include <vector>

namespace lv2plugin {

namespace {

// Room for the headers of a patch message around its path.
constexpr std::size_t kMessageOverhead = 256;

} // namespace

ReverbUI* ReverbUI::create(LV2UI_Write_Function write, LV2UI_Controller controller, LV2UI_Widget* widget,
                           const LV2_Feature* const* features, engine::Edition edition)
{
    void* parent = featureData(features, LV2_UI__parent);
    auto* map = feature<LV2_URID_Map>(features, LV2_URID__map);
    const auto* resize = feature<const LV2UI_Resize>(features, LV2_UI__resize);
    const auto* touch = feature<const LV2UI_Touch>(features, LV2_UI__touch);
    if (!parent || !map || !map->map || !write || !widget)
        return nullptr;
    Urids urids;
    if (!urids.map(*map))
        return nullptr;
    static const bool pinned = platform::keepModuleLoaded();
    (void)pinned;

    auto* instance = feature<ReverbInstance>(features, LV2_INSTANCE_ACCESS_URI);
    try {
        std::unique_ptr<ReverbUI> ui(new ReverbUI(write, controller, *map, urids, touch, edition));
        if (!ui->open(parent, instance))
            return nullptr;
        *widget = ui->editor().getFrame()->getWindowHandle();
        vst::ERect* rect = nullptr;
        if (resize && ui->editor().getRect(&rect) && rect)
            resize->ui_resize(resize->handle, rect->right - rect->left, rect->bottom - rect->top);
        return ui.release();
    } catch (...) {
        return nullptr;
    }
}

ReverbUI::ReverbUI(LV2UI_Write_Function write, LV2UI_Controller controller, LV2_URID_Map& map, const Urids& urids,
                   const LV2UI_Touch* touch, engine::Edition edition)
    : edition_(edition),
      write_(write), controller_(controller), touch_(touch), urids_(urids)
{
    lv2_atom_forge_init(&forge_, &map);
}

bool ReverbUI::open(void* parent, ReverbInstance* instance)
{
    // One editor per instance: a second UI of the same instance gets a view.
    if (instance && !instance->editorEvents()) {
        instance_ = instance;
        model_ = &instance->reverb();
    } else {
        const std::string module = platform::modulePath();
        view_ = std::make_unique<core::ReverbView>(static_cast<core::ReverbHost&>(*this),
                                                   platform::ModuleLocation::ofLoadedModule(module.c_str()),
                                                   effect::kDefaultSampleRate);
        model_ = view_.get();
    }
    // The editor registers itself (setEditor); this deletes it.
    new SDEditor(this);
    editor_->setEnvelopeGraphActions(this);
    editor_->open(parent);
    CFrame* frame = editor_->getFrame();
    if (!frame || !frame->getWindowHandle()) {
        editor_->close();
        return false;
    }
    if (instance_)
        instance_->setEditorEvents(this);
    else
        askForIRFile();
    return true;
}

ReverbUI::~ReverbUI()
{
    if (instance_)
        instance_->setEditorEvents(nullptr);
    if (editor_) {
        if (editor_->isOpen())
            editor_->close();
        delete editor_;
    }
}

void ReverbUI::setEditor(AEffEditor* editor)
{
    editor_ = static_cast<SDEditor*>(editor);
}

void ReverbUI::portEvent(std::uint32_t port, std::uint32_t size, std::uint32_t format, const void* buffer)
{
    if (!buffer)
        return;
    const int id = parameterOfPort(port);
    if (format == 0 && size == sizeof(float) && id >= 0) {
        // The running reverb takes port values itself; a view follows them.
        float normalised = 0.0f;
        if (view_ && portToNormalised(id, *static_cast<const float*>(buffer), normalised)) {
            view_->setParameter(id, normalised);
            editor_->setParameter(id, normalised);
        }
        return;
    }
    if (format != urids_.atomEventTransfer || port != kNotifyPort || size < sizeof(LV2_Atom))
        return;
    const auto* atom = static_cast<const LV2_Atom*>(buffer);
    PathText reported;
    if (sizeof(LV2_Atom) + atom->size > size || !readIRFileSet(urids_, *atom, reported))
        return;
    knownPath_.assign(reported.text, reported.length);
    if (view_ && view_->rememberedPath() != knownPath_)
        view_->showIRFile(knownPath_);
}

int ReverbUI::idle()
{
    editor_->idle();
    showMessages();
    // A file chosen or dropped in the view's editor goes to the plug-in.
    if (view_) {
        const std::string path = view_->rememberedPath();
        if (!path.empty() && path != knownPath_) {
            knownPath_ = path;
            sendIRFile(path);
        }
    }
    CFrame* frame = editor_->getFrame();
    return frame && frame->isOpen() ? 0 : 1;
}

float ReverbUI::getParameter(vst::Int32 index)
{
    return model_->getParameter(index);
}

void ReverbUI::setParameterAutomated(vst::Int32 id, float normalised)
{
    model_->setParameter(id, normalised);
    editor_->setParameter(id, normalised);
    if (hasParameterPort(id)) {
        writePort(id, normalised);
        return;
    }
    // Reset sets every parameter without telling a host; the LV2 host holds
    // the values in its ports, so each one is written.
    if (id == param::kReset && param::actionFires(normalised))
        for (int p = kFirstPortParameter; p <= kLastPortParameter; ++p)
            writePort(p, model_->getParameter(p));
}

bool ReverbUI::beginEdit(vst::Int32 index)
{
    touch(index, true);
    return true;
}

bool ReverbUI::endEdit(vst::Int32 index)
{
    touch(index, false);
    return true;
}


const char* ReverbUI::editionMark() const
{
    return (edition_ == engine::Edition::Live ? effect::kLiveIdentity : effect::kStandardIdentity).editorMark;
}

void ReverbUI::irLoadFailed(const std::string& path, const std::string& reason)
{
    std::lock_guard<std::mutex> lock(messagesMutex_);
    messages_.emplace_back(std::string(), ir::loadFailureText(path.c_str(), reason.empty() ? nullptr : reason.c_str()));
}

void ReverbUI::tellUser(const std::string& caption, const std::string& text)
{
    std::lock_guard<std::mutex> lock(messagesMutex_);
    messages_.emplace_back(caption, text);
}

void ReverbUI::parameterChanged(int id, float value)
{
    editor_->setParameter(id, value);
}

void ReverbUI::copyButtonChanged(bool show)
{
    editor_->showCopyButton(show);
}

bool ReverbUI::chooseFile(const platform::FileDialogRequest& request, std::string& chosenPath)
{
    return platform::dialogs().openFileDialog(request, chosenPath);
}

void ReverbUI::showMessages()
{
    for (;;) {
        std::pair<std::string, std::string> message;
        {
            std::lock_guard<std::mutex> lock(messagesMutex_);
            if (messages_.empty())
                return;
            message = std::move(messages_.front());
            messages_.pop_front();
        }
        if (message.first.empty())
            ir::showLoadFailureText(message.second);
        else
            platform::dialogs().messageBox(message.first, message.second);
    }
}

void ReverbUI::writePort(int id, float normalised)
{
    const float value = normalisedToPort(id, normalised);
    write_(controller_, portOfParameter(id), sizeof value, 0, &value);
}

void ReverbUI::touch(int id, bool grabbed)
{
    if (touch_ && hasParameterPort(id))
        touch_->touch(touch_->handle, portOfParameter(id), grabbed);
}

void ReverbUI::sendIRFile(const std::string& path)
{
    std::vector<std::uint8_t> buffer(path.size() + kMessageOverhead);
    lv2_atom_forge_set_buffer(&forge_, buffer.data(), buffer.size());
    if (forgeIRFileSet(forge_, urids_, path.c_str(), static_cast<std::uint32_t>(path.size())))
        sendAtom(*reinterpret_cast<const LV2_Atom*>(buffer.data()));
}

void ReverbUI::askForIRFile()
{
    std::uint8_t buffer[kMessageOverhead];
    lv2_atom_forge_set_buffer(&forge_, buffer, sizeof buffer);
    if (forgeIRFileGet(forge_, urids_))
        sendAtom(*reinterpret_cast<const LV2_Atom*>(buffer));
}

void ReverbUI::sendAtom(const LV2_Atom& atom)
{
    write_(controller_, kControlPort, static_cast<std::uint32_t>(sizeof(LV2_Atom) + atom.size),
           urids_.atomEventTransfer, &atom);
}

} // namespace lv2plugin
