// The editor as an LV2 UI inside a host's window: with instance-access it is
// the running effect's own editor; without, a model effect follows the ports
// and the plug-in's IR reports. Either way gestures become port writes, and a
// file chosen in the editor reaches the host.
#include "editor/SDEditor.h"
#include "ir/FileActions.h"
#include "ir/IRData.h"
#include "lv2/Lv2TestHost.h"
#include "lv2/Lv2TestKit.h"
#include "lv2/PortLayout.h"
#include "lv2/PortValues.h"
#include "core/Reverb.h"
#include "lv2/ReverbInstance.h"
#include "lv2/ReverbUI.h"
#include "shell/DOvu.h"
#include "support/TestSupport.h"
#include "toolkit/CControl.h"

#include <gtest/gtest.h>

#include <lv2/atom/forge.h>
#include <lv2/atom/util.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/patch/patch.h>
#include <lv2/ui/ui.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <dlfcn.h>
#include <string>
#include <vector>

#include "support/HostWindow.h" // last: Xlib's macros

namespace {

using namespace lv2test;
using lv2plugin::ReverbInstance;
using lv2plugin::ReverbUI;

struct Written {
    std::uint32_t port;
    std::uint32_t format;
    std::vector<std::uint8_t> bytes;
};

// The host's side of the UI: what the editor wrote and touched.
struct Controller {
    std::vector<Written> writes;
    std::vector<std::pair<std::uint32_t, bool>> touches;

    static void write(LV2UI_Controller c, std::uint32_t port, std::uint32_t size, std::uint32_t format,
                      const void* buffer)
    {
        const auto* bytes = static_cast<const std::uint8_t*>(buffer);
        static_cast<Controller*>(c)->writes.push_back({port, format, {bytes, bytes + size}});
    }
    static void touch(LV2UI_Feature_Handle c, std::uint32_t port, bool grabbed)
    {
        static_cast<Controller*>(c)->touches.emplace_back(port, grabbed);
    }
    // The float written last to the port of this parameter; NaN if none.
    float lastValue(int id) const
    {
        for (auto w = writes.rbegin(); w != writes.rend(); ++w)
            if (w->port == lv2plugin::portOfParameter(id) && w->format == 0 && w->bytes.size() == sizeof(float))
                return *reinterpret_cast<const float*>(w->bytes.data());
        return std::nanf("");
    }
    int portWrites() const
    {
        int n = 0;
        for (const Written& w : writes)
            n += w.format == 0 ? 1 : 0;
        return n;
    }
};

class Lv2EditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(window.available()) << "needs an X display (tools/with-display.sh)";
        dir = testsupport::makeTempDir("lv2-editor");
        irPath = dir + "/chamber.wav";
        otherPath = dir + "/other.wav";
        writeNoiseIR(irPath, 6000, 44100, 41);
        writeNoiseIR(otherPath, 5000, 44100, 42);
    }
    void TearDown() override { testsupport::removeTempDir(dir); }

    std::vector<const LV2_Feature*> uiFeatures(bool withInstance)
    {
        features.clear();
        features.push_back({LV2_UI__parent, window.parent()});
        features.push_back({LV2_URID__map, urids.mapFeatureData()});
        features.push_back({LV2_UI__touch, &touch});
        if (withInstance)
            features.push_back({LV2_INSTANCE_ACCESS_URI, instance});
        std::vector<const LV2_Feature*> list;
        for (const LV2_Feature& f : features)
            list.push_back(&f);
        list.push_back(nullptr);
        return list;
    }

    // An instance with its control ports at their defaults and no audio
    // buffers yet: enough to run it for the port values.
    void makeInstance()
    {
        const LV2_Feature map = {LV2_URID__map, urids.mapFeatureData()};
        const LV2_Feature* list[] = {&map, nullptr};
        instance = ReverbInstance::create(48000.0, list);
        ASSERT_NE(instance, nullptr);
        for (int id = lv2plugin::kFirstPortParameter; id <= lv2plugin::kLastPortParameter; ++id) {
            ports[static_cast<std::size_t>(id - lv2plugin::kFirstPortParameter)] =
                static_cast<float>(param::findControl(id).defaultValue);
            instance->connectPort(lv2plugin::portOfParameter(id),
                                  &ports[static_cast<std::size_t>(id - lv2plugin::kFirstPortParameter)]);
        }
        for (std::uint32_t p = lv2plugin::kInLeftPort; p <= lv2plugin::kOutRightPort; ++p)
            instance->connectPort(p, audio[p].data());
        instance->activate();
    }
    float& port(int id) { return ports[static_cast<std::size_t>(id - lv2plugin::kFirstPortParameter)]; }

    void idle(ReverbUI& ui, int times = 3)
    {
        for (int i = 0; i < times; ++i) {
            EXPECT_EQ(ui.idle(), 0);
            window.drain();
        }
    }

    // The paths of patch messages the editor sent to the plug-in's control port.
    std::vector<std::string> sentPaths(LV2_URID otype)
    {
        std::vector<std::string> paths;
        for (const Written& w : controller.writes) {
            if (w.port != lv2plugin::kControlPort || w.format != urids.map(LV2_ATOM__eventTransfer))
                continue;
            const auto* object = reinterpret_cast<const LV2_Atom_Object*>(w.bytes.data());
            if (object->body.otype != otype)
                continue;
            const LV2_Atom* value = nullptr;
            lv2_atom_object_get(object, urids.map(LV2_PATCH__value), &value, 0);
            paths.push_back(value ? static_cast<const char*>(LV2_ATOM_BODY_CONST(value)) : "");
        }
        return paths;
    }

    void reportIRFile(ReverbUI& ui, const std::string& path)
    {
        std::vector<std::uint8_t> buffer(path.size() + 256);
        LV2_Atom_Forge forge;
        lv2_atom_forge_init(&forge, urids.mapFeatureData());
        lv2_atom_forge_set_buffer(&forge, buffer.data(), buffer.size());
        LV2_Atom_Forge_Frame frame;
        lv2_atom_forge_object(&forge, &frame, 0, urids.map(LV2_PATCH__Set));
        lv2_atom_forge_key(&forge, urids.map(LV2_PATCH__property));
        lv2_atom_forge_urid(&forge, urids.map("urn:kestrel:talu-01-reverb:ir"));
        lv2_atom_forge_key(&forge, urids.map(LV2_PATCH__value));
        lv2_atom_forge_path(&forge, path.c_str(), static_cast<std::uint32_t>(path.size()));
        lv2_atom_forge_pop(&forge, &frame);
        const auto* atom = reinterpret_cast<const LV2_Atom*>(buffer.data());
        ui.portEvent(lv2plugin::kNotifyPort, static_cast<std::uint32_t>(sizeof(LV2_Atom) + atom->size),
                     urids.map(LV2_ATOM__eventTransfer), atom);
    }

    // A user's drag on a control: gesture begun, value changed, gesture ended.
    static void drag(ReverbUI& ui, int id, float value)
    {
        CControl* control = ui.editor().getControl(id);
        ASSERT_NE(control, nullptr);
        ui.editor().beginEdit(id);
        control->setValue(value);
        ui.editor().valueChanged(nullptr, control);
        ui.editor().endEdit(id);
    }

    reliability::HostWindow window;
    UridMap urids;
    Controller controller;
    LV2UI_Touch touch{&controller, Controller::touch};
    std::vector<LV2_Feature> features;
    ReverbInstance* instance = nullptr;
    std::array<float, lv2plugin::kParameterPortCount> ports{};
    std::array<std::vector<float>, 4> audio{std::vector<float>(512), std::vector<float>(512),
                                            std::vector<float>(512), std::vector<float>(512)};
    std::string dir;
    std::string irPath;
    std::string otherPath;
};

TEST_F(Lv2EditorTest, WithInstanceAccessTheEditorShowsTheRunningEffectAndGesturesBecomePortWrites)
{
    makeInstance();
    LV2UI_Widget widget = nullptr;
    ReverbUI* ui = ReverbUI::create(Controller::write, &controller, &widget, uiFeatures(true).data());
    ASSERT_NE(ui, nullptr);
    EXPECT_TRUE(ui->showsInstance());
    EXPECT_EQ(&ui->model(), static_cast<core::ReverbModel*>(&instance->reverb()));
    EXPECT_NE(widget, nullptr);
    EXPECT_NE(widget, window.parent());

    // A host port change reaches the effect in run and the knob at the next idle.
    port(param::kWetLevel) = -6.0f;
    instance->run(64);
    idle(*ui);
    float expected = 0.0f;
    ASSERT_TRUE(lv2plugin::portToNormalised(param::kWetLevel, -6.0f, expected));
    EXPECT_EQ(ui->editor().getControl(param::kWetLevel)->getValue(), expected);

    // A drag on Decay: the effect takes it at once, the host hears the port value and the gesture.
    drag(*ui, param::kDecay, 0.25f);
    EXPECT_EQ(instance->reverb().getParameter(param::kDecay), 0.25f);
    EXPECT_FLOAT_EQ(controller.lastValue(param::kDecay), static_cast<float>(param::toRealValue(0.25, param::kDecay)));
    const std::uint32_t decayPort = lv2plugin::portOfParameter(param::kDecay);
    EXPECT_EQ(controller.touches, (std::vector<std::pair<std::uint32_t, bool>>{{decayPort, true}, {decayPort, false}}));
    // The host writes the value back into the port; the effect keeps what the user set.
    port(param::kDecay) = controller.lastValue(param::kDecay);
    instance->run(64);
    EXPECT_NEAR(instance->reverb().getParameter(param::kDecay), 0.25f, 1e-6f);

    // Reset: every port is written with its default, since the host holds them.
    const int before = controller.portWrites();
    CControl* reset = ui->editor().getControl(param::kReset);
    ASSERT_NE(reset, nullptr);
    reset->setValue(1.0f);
    ui->editor().valueChanged(nullptr, reset);
    EXPECT_EQ(controller.portWrites() - before, lv2plugin::kParameterPortCount);
    EXPECT_EQ(controller.lastValue(param::kDecay), 1.0f);
    EXPECT_EQ(controller.lastValue(param::kWetLevel), 0.0f);
    EXPECT_EQ(controller.lastValue(param::kBypassLocal), 1.0f);

    delete ui;
    EXPECT_EQ(instance->editorEvents(), nullptr);
    EXPECT_FALSE(instance->reverb().editorIsOpen());
    delete instance;
}

TEST_F(Lv2EditorTest, WithoutInstanceAccessAModelFollowsThePortsAndTheIRFileGoesBothWays)
{
    LV2UI_Widget widget = nullptr;
    ReverbUI* ui = ReverbUI::create(Controller::write, &controller, &widget, uiFeatures(false).data());
    ASSERT_NE(ui, nullptr);
    EXPECT_FALSE(ui->showsInstance());
    EXPECT_NE(widget, nullptr);
    // It asks the plug-in for the IR file at once.
    EXPECT_EQ(sentPaths(urids.map(LV2_PATCH__Get)).size(), 1u);

    const float width = 1.6f;
    ui->portEvent(lv2plugin::portOfParameter(param::kStWidth), sizeof width, 0, &width);
    idle(*ui);
    EXPECT_FLOAT_EQ(ui->editor().getControl(param::kStWidth)->getValue(), 0.8f);

    // The plug-in reports its file: the model loads it for the graphs, and sends nothing back.
    reportIRFile(*ui, irPath);
    idle(*ui);
    EXPECT_STREQ(ui->model().irDescription().path, irPath.c_str());
    EXPECT_TRUE(sentPaths(urids.map(LV2_PATCH__Set)).empty());

    // A file dropped on the editor's graph goes to the plug-in once.
    ui->envelopeGraphDropped(otherPath.c_str(), true);
    ASSERT_STREQ(ui->model().irDescription().path, otherPath.c_str());
    idle(*ui);
    idle(*ui);
    EXPECT_EQ(sentPaths(urids.map(LV2_PATCH__Set)), std::vector<std::string>{otherPath});
    // ... and when the plug-in confirms it, nothing more happens.
    reportIRFile(*ui, otherPath);
    idle(*ui);
    EXPECT_EQ(sentPaths(urids.map(LV2_PATCH__Set)).size(), 1u);

    drag(*ui, param::kPreDelay, 0.5f);
    EXPECT_EQ(controller.lastValue(param::kPreDelay), 100.0f);
    delete ui;
}

TEST_F(Lv2EditorTest, TheBundleBinaryOpensItsEditorForAHostWithAndWithoutInstanceAccess)
{
    void* library = dlopen((Lv2TestHost::bundlePath() + "/KestrelReverb.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto pluginEntry = reinterpret_cast<LV2_Descriptor_Function>(dlsym(library, "lv2_descriptor"));
    auto uiEntry = reinterpret_cast<LV2UI_DescriptorFunction>(dlsym(library, "lv2ui_descriptor"));
    ASSERT_NE(pluginEntry, nullptr);
    ASSERT_NE(uiEntry, nullptr);
    const LV2_Descriptor* plugin = pluginEntry(0);
    const LV2UI_Descriptor* editor = uiEntry(0);
    ASSERT_NE(plugin, nullptr);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(pluginEntry(1), nullptr);
    EXPECT_EQ(uiEntry(1), nullptr);

    const LV2_Feature map = {LV2_URID__map, urids.mapFeatureData()};
    const LV2_Feature* pluginFeatures[] = {&map, nullptr};
    LV2_Handle handle = plugin->instantiate(plugin, 44100.0, Lv2TestHost::bundlePath().c_str(), pluginFeatures);
    ASSERT_NE(handle, nullptr);
    const auto* idleInterface =
        static_cast<const LV2UI_Idle_Interface*>(editor->extension_data(LV2_UI__idleInterface));
    ASSERT_NE(idleInterface, nullptr);

    for (bool withInstance : {true, false}) {
        LV2_Feature access = {LV2_INSTANCE_ACCESS_URI, handle};
        LV2_Feature parent = {LV2_UI__parent, window.parent()};
        const LV2_Feature* list[] = {&parent, &map, withInstance ? &access : nullptr, nullptr};
        LV2UI_Widget widget = nullptr;
        LV2UI_Handle ui = editor->instantiate(editor, plugin->URI, Lv2TestHost::bundlePath().c_str(),
                                              Controller::write, &controller, &widget, list);
        ASSERT_NE(ui, nullptr);
        EXPECT_NE(widget, nullptr);
        const float level = -12.0f;
        editor->port_event(ui, lv2plugin::portOfParameter(param::kDryLevel), sizeof level, 0, &level);
        EXPECT_EQ(idleInterface->idle(ui), 0);
        editor->cleanup(ui);
    }

    // Not for another plug-in, and not without a window to live in.
    LV2UI_Widget widget = nullptr;
    const LV2_Feature* noParent[] = {&map, nullptr};
    EXPECT_EQ(editor->instantiate(editor, "urn:other", "", Controller::write, &controller, &widget, noParent), nullptr);
    EXPECT_EQ(editor->instantiate(editor, plugin->URI, "", Controller::write, &controller, &widget, noParent),
              nullptr);
    plugin->cleanup(handle);
    // The bundle stays loaded once it made an instance (see keepModuleLoaded).
    dlclose(library);
}

} // namespace
