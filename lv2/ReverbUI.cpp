#include "lv2/ReverbUI.h"

#include "editor/SDEditor.h"
#include "ir/FileActions.h"
#include "lv2/HostFeatures.h"
#include "lv2/PatchMessages.h"
#include "lv2/PortLayout.h"
#include "lv2/PortValues.h"
#include "lv2/RememberedPathWatch.h"
#include "lv2/ReverbInstance.h"
#include "platform/ModulePath.h"
#include "shell/DOvu.h"
#include "toolkit/CFrame.h"

#include <lv2/instance-access/instance-access.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <mutex>
#include <vector>

namespace lv2plugin {

namespace {

// Room for the headers of a patch message around its path.
constexpr std::size_t kMessageOverhead = 256;

} // namespace

ReverbUI* ReverbUI::create(LV2UI_Write_Function write, LV2UI_Controller controller, LV2UI_Widget* widget,
                           const LV2_Feature* const* features)
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
        std::unique_ptr<ReverbUI> ui(new ReverbUI(write, controller, *map, urids, touch));
        if (!ui->open(parent, instance ? &instance->effect() : nullptr, instance ? &instance->effectHost() : nullptr))
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
                   const LV2UI_Touch* touch)
    : write_(write), controller_(controller), touch_(touch), urids_(urids)
{
    lv2_atom_forge_init(&forge_, &map);
}

bool ReverbUI::open(void* parent, DOvu* instanceEffect, EffectHost* instanceHost)
{
    // One editor per effect: a second UI of the same instance gets a model.
    if (instanceEffect && instanceHost && !instanceEffect->editor()->isOpen()) {
        effect_ = instanceEffect;
        host_ = instanceHost;
    } else {
        model_ = std::make_unique<DOvu>(&EffectHost::callback);
        modelHost_.attach(*model_->getAeffect());
        effect_ = model_.get();
        host_ = &modelHost_;
    }
    editor().open(parent);
    CFrame* frame = editor().getFrame();
    if (!frame || !frame->getWindowHandle()) {
        editor().close();
        return false;
    }
    host_->setListener(this);
    if (model_)
        askForIRFile();
    return true;
}

ReverbUI::~ReverbUI()
{
    if (host_)
        host_->setListener(nullptr);
    if (effect_ && editor().isOpen())
        editor().close();
}

SDEditor& ReverbUI::editor()
{
    return *effect_->editor();
}

void ReverbUI::portEvent(std::uint32_t port, std::uint32_t size, std::uint32_t format, const void* buffer)
{
    if (!buffer)
        return;
    const int id = parameterOfPort(port);
    if (format == 0 && size == sizeof(float) && id >= 0) {
        // The running effect takes port values itself; a model follows them.
        float normalised = 0.0f;
        if (model_ && portToNormalised(id, *static_cast<const float*>(buffer), normalised))
            model_->setParameter(id, normalised);
        return;
    }
    if (format != urids_.atomEventTransfer || port != kNotifyPort || size < sizeof(LV2_Atom))
        return;
    const auto* atom = static_cast<const LV2_Atom*>(buffer);
    PathText reported;
    if (sizeof(LV2_Atom) + atom->size > size || !readIRFileSet(urids_, *atom, reported))
        return;
    knownPath_.assign(reported.text, reported.length);
    if (model_ && modelPath() != knownPath_)
        model_->fileActions().takeFile(knownPath_);
}

int ReverbUI::idle()
{
    editor().idle();
    // A file chosen or dropped in the model's editor goes to the plug-in.
    if (model_) {
        const std::string path = modelPath();
        if (!path.empty() && path != knownPath_) {
            knownPath_ = path;
            sendIRFile(path);
        }
    }
    CFrame* frame = editor().getFrame();
    return frame && frame->isOpen() ? 0 : 1;
}

void ReverbUI::parameterAutomated(int id, float normalised)
{
    if (hasParameterPort(id)) {
        writePort(id, normalised);
        return;
    }
    // Reset sets every parameter without telling a host; the LV2 host holds
    // the values in its ports, so each one is written.
    if (id == param::kReset && normalised > 0.5f)
        for (int p = kFirstPortParameter; p <= kLastPortParameter; ++p)
            writePort(p, effect_->getParameter(p));
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

std::string ReverbUI::modelPath()
{
    char path[param::kPathTextCapacity];
    std::lock_guard<std::recursive_mutex> lock(model_->applicationMutex());
    RememberedPathWatch::read(*model_, path);
    return path;
}

} // namespace lv2plugin
