// What a host learns from the bundle through lilv before it loads anything:
// the plug-in, its editor, the IR file property and the ports, whose ranges
// and defaults must be the parameter model's.
#include "lv2/Lv2TestHost.h"
#include "params/ParameterTable.h"

#include <gtest/gtest.h>

#include <lv2/atom/atom.h>
#include <lv2/patch/patch.h>
#include <lv2/port-props/port-props.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <cmath>
#include <cstdlib>
#include <set>
#include <string>

namespace {

using lv2test::Lv2TestHost;

std::string asString(const LilvNode* node)
{
    return node && (lilv_node_is_uri(node) || lilv_node_is_string(node)) ? lilv_node_as_string(node) : "";
}

std::set<std::string> uris(const LilvNodes* nodes)
{
    std::set<std::string> out;
    LILV_FOREACH (nodes, i, nodes)
        out.insert(asString(lilv_nodes_get(nodes, i)));
    return out;
}

TEST(Lv2Discovery, TheLv2VersionIsTheOneTheNameEndsIn)
{
    // One version for every format and package: "<major>.<minor><micro>" at
    // the end of the name, as minor and micro version in the description.
    Lv2TestHost host;
    const LilvPlugin* plugin = host.plugin();
    ASSERT_NE(plugin, nullptr) << "bundle " << Lv2TestHost::bundlePath();
    LilvNode* nameNode = lilv_plugin_get_name(plugin);
    const std::string name = asString(nameNode);
    lilv_node_free(nameNode);
    const std::string version = name.substr(name.rfind(' ') + 1);
    ASSERT_EQ(version.size(), 4u) << name;
    auto integer = [&](const char* predicate) {
        LilvNodes* values = lilv_plugin_get_value(plugin, host.node(predicate));
        const LilvNode* first = values ? lilv_nodes_get_first(values) : nullptr;
        const int value = first && lilv_node_is_int(first) ? lilv_node_as_int(first) : -1;
        lilv_nodes_free(values);
        return value;
    };
    EXPECT_EQ(integer(LV2_CORE__minorVersion), version[2] - '0') << name;
    EXPECT_EQ(integer(LV2_CORE__microVersion), version[3] - '0') << name;
}

TEST(Lv2Discovery, TheHostFindsTheReverbItsEditorAndItsIRFileProperty)
{
    Lv2TestHost host;
    const LilvPlugin* plugin = host.plugin();
    ASSERT_NE(plugin, nullptr) << "bundle " << Lv2TestHost::bundlePath();
    LilvNode* name = lilv_plugin_get_name(plugin);
    EXPECT_EQ(asString(name), "KS [TALU-01] Convolution Reverb 0.01");
    lilv_node_free(name);
    EXPECT_EQ(asString(lilv_plugin_class_get_uri(lilv_plugin_get_class(plugin))), LV2_CORE__ReverbPlugin);

    LilvNodes* required = lilv_plugin_get_required_features(plugin);
    EXPECT_EQ(uris(required), std::set<std::string>{LV2_URID__map});
    lilv_nodes_free(required);

    // The IR file: a writable property whose values are paths.
    LilvNodes* writable = lilv_plugin_get_value(plugin, host.node(LV2_PATCH__writable));
    ASSERT_EQ(uris(writable), std::set<std::string>{"urn:kestrel:talu-01-reverb:ir"});
    LilvNode* range = lilv_world_get(host.world(), lilv_nodes_get_first(writable), host.node(LILV_NS_RDFS "range"),
                                     nullptr);
    EXPECT_EQ(asString(range), LV2_ATOM__Path);
    lilv_node_free(range);
    lilv_nodes_free(writable);

    LilvUIs* uis = lilv_plugin_get_uis(plugin);
    ASSERT_EQ(lilv_uis_size(uis), 1u);
    const LilvUI* ui = lilv_uis_get(uis, lilv_uis_begin(uis));
    EXPECT_TRUE(lilv_ui_is_a(ui, host.node(LV2_UI__X11UI)));
    EXPECT_EQ(asString(lilv_ui_get_binary_uri(ui)), asString(lilv_plugin_get_library_uri(plugin)));
    lilv_uis_free(uis);
}

TEST(Lv2Discovery, TheBundleDescriptionIsValidAgainstTheInstalledLv2Vocabularies)
{
    ASSERT_EQ(std::system("command -v lv2_validate > /dev/null"), 0) << "lv2_validate (lv2-dev) is not installed";
    const std::string bundle = Lv2TestHost::bundlePath();
    const std::string command = "lv2_validate '" + bundle + "/manifest.ttl' '" + bundle +
                                "/KestrelReverb.ttl' > /dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << "run " << command << " to see what is wrong";
}

TEST(Lv2Discovery, ControlPortsCarryTheParameterModelInRealUnits)
{
    Lv2TestHost host;
    const LilvPlugin* plugin = host.plugin();
    ASSERT_NE(plugin, nullptr);
    const std::uint32_t ports = lilv_plugin_get_num_ports(plugin);
    ASSERT_EQ(ports, 26u);
    std::vector<float> minimum(ports), maximum(ports), defaults(ports);
    lilv_plugin_get_port_ranges_float(plugin, minimum.data(), maximum.data(), defaults.data());

    for (int id = param::kBypassLocal; id <= param::kDryLevel; ++id) {
        const std::uint32_t index = static_cast<std::uint32_t>(4 + id - param::kBypassLocal);
        const LilvPort* port = lilv_plugin_get_port_by_index(plugin, index);
        const param::ParameterRecord& record = param::findControl(id);
        LilvNode* portName = lilv_port_get_name(plugin, port);
        EXPECT_EQ(asString(portName), record.name) << "port " << index;
        lilv_node_free(portName);
        EXPECT_TRUE(lilv_port_is_a(plugin, port, host.node(LV2_CORE__InputPort)));
        EXPECT_TRUE(lilv_port_is_a(plugin, port, host.node(LV2_CORE__ControlPort)));
        EXPECT_EQ(minimum[index], static_cast<float>(record.minimum)) << record.name;
        EXPECT_EQ(maximum[index], static_cast<float>(record.maximum)) << record.name;
        EXPECT_EQ(defaults[index], static_cast<float>(record.defaultValue)) << record.name;
        const bool toggle = id == param::kBypassLocal || (id >= param::kEnabledHPF && id <= param::kWetPlus12dB);
        EXPECT_EQ(lilv_port_has_property(plugin, port, host.node(LV2_CORE__toggled)), toggle) << record.name;
        EXPECT_EQ(lilv_port_has_property(plugin, port, host.node(LV2_PORT_PROPS__logarithmic)),
                  record.curve == param::Logarithmic)
            << record.name;
    }

    // Bypass (local) at 1 processes: the plug-in's enable switch.
    EXPECT_EQ(lilv_plugin_get_port_by_designation(plugin, host.node(LV2_CORE__InputPort), host.node(LV2_CORE__enabled)),
              lilv_plugin_get_port_by_index(plugin, 4));
    ASSERT_TRUE(lilv_plugin_has_latency(plugin));
    const std::uint32_t latency = lilv_plugin_get_latency_port_index(plugin);
    EXPECT_EQ(asString(lilv_port_get_symbol(plugin, lilv_plugin_get_port_by_index(plugin, latency))), "latency");
    EXPECT_NE(lilv_plugin_get_port_by_designation(plugin, host.node(LV2_CORE__InputPort),
                                                  host.node(LV2_CORE__freeWheeling)),
              nullptr);

    // The words the editor shows for special values are the hosts' scale points.
    LilvScalePoints* points = lilv_port_get_scale_points(plugin, host.portBySymbol("st_inputs"));
    std::set<std::string> labels;
    LILV_FOREACH (scale_points, i, points)
        labels.insert(asString(lilv_scale_point_get_label(lilv_scale_points_get(points, i))));
    lilv_scale_points_free(points);
    EXPECT_EQ(labels, (std::set<std::string>{"R-L Parallel", "Mono Input", "L-R Parallel"}));
}

} // namespace
