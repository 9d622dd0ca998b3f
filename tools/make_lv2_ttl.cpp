// Writes the LV2 bundle's description (manifest.ttl and the plug-in's .ttl)
// from the parameter model, so that the ports' names, ranges, defaults and
// scale points have one source: params/.
//   make_lv2_ttl <bundle folder>
#include "lv2/PluginUris.h"
#include "lv2/PortLayout.h"
#include "params/EffectConstants.h"
#include "params/EffectIdentity.h"
#include "params/ParameterTable.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace {

using namespace lv2plugin;

const char kPrefixes[] = R"(@prefix atom: <http://lv2plug.in/ns/ext/atom#> .
@prefix doap: <http://usefulinc.com/ns/doap#> .
@prefix foaf: <http://xmlns.com/foaf/0.1/> .
@prefix log: <http://lv2plug.in/ns/ext/log#> .
@prefix lv2: <http://lv2plug.in/ns/lv2core#> .
@prefix opts: <http://lv2plug.in/ns/ext/options#> .
@prefix patch: <http://lv2plug.in/ns/ext/patch#> .
@prefix pprops: <http://lv2plug.in/ns/ext/port-props#> .
@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .
@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .
@prefix state: <http://lv2plug.in/ns/ext/state#> .
@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .
@prefix units: <http://lv2plug.in/ns/extensions/units#> .
@prefix urid: <http://lv2plug.in/ns/ext/urid#> .
@prefix work: <http://lv2plug.in/ns/ext/worker#> .

)";

// The shortest text that reads back as the same double; a valid Turtle number.
std::string number(double value)
{
    char text[64];
    // whole numbers as Turtle integers ("-30", not "-3e+01")
    if (value == std::trunc(value) && std::fabs(value) < 1e15) {
        std::snprintf(text, sizeof text, "%.0f", value);
        return text;
    }
    for (int digits = 1; digits <= 17; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, value);
        if (std::strtod(text, nullptr) == value)
            break;
    }
    return text;
}

std::string quoted(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string uri(const char* text)
{
    return std::string("<") + text + ">";
}

const char* unitOf(PortUnit unit)
{
    switch (unit) {
    case PortUnit::Coefficient:
        return "units:coef";
    case PortUnit::Milliseconds:
        return "units:ms";
    case PortUnit::Hertz:
        return "units:hz";
    case PortUnit::Decibels:
        return "units:db";
    case PortUnit::None:
        break;
    }
    return nullptr;
}

// Values the editor's display names in words ("off", "Mono Input", "Center"):
// they become the port's scale points. Candidates are the range's ends, the
// default, and zero and one where they lie inside the range.
std::map<double, std::string> scalePoints(const param::ParameterRecord& record)
{
    std::map<double, std::string> points;
    if (!record.formatter)
        return points;
    for (double value : {record.minimum, record.maximum, record.defaultValue, 0.0, 1.0}) {
        if (value < record.minimum || value > record.maximum)
            continue;
        char text[param::kFormatterTextCapacity] = {};
        record.formatter(static_cast<float>(value), text);
        bool words = text[0] != '\0';
        for (const char* c = text; *c && words; ++c)
            words = !std::isdigit(static_cast<unsigned char>(*c));
        if (words)
            points.emplace(value, text);
    }
    return points;
}

void writeAudioPort(std::ostream& out, std::uint32_t index, bool input, const char* symbol, const char* name)
{
    out << "    [\n        a lv2:AudioPort, " << (input ? "lv2:InputPort" : "lv2:OutputPort") << " ;\n"
        << "        lv2:index " << index << " ;\n        lv2:symbol " << quoted(symbol) << " ;\n"
        << "        lv2:name " << quoted(name) << "\n    ]";
}

void writeParameterPort(std::ostream& out, const ParameterPort& port)
{
    const param::ParameterRecord& record = param::findControl(port.id);
    out << "    [\n        a lv2:InputPort, lv2:ControlPort ;\n"
        << "        lv2:index " << portOfParameter(port.id) << " ;\n"
        << "        lv2:symbol " << quoted(port.symbol) << " ;\n"
        << "        lv2:name " << quoted(record.name) << " ;\n"
        << "        lv2:default " << number(record.defaultValue) << " ;\n"
        << "        lv2:minimum " << number(record.minimum) << " ;\n"
        << "        lv2:maximum " << number(record.maximum);
    // "Bypass (local)" at 1 processes: it is the plug-in's enable switch.
    if (port.id == param::kBypassLocal)
        out << " ;\n        lv2:designation lv2:enabled";
    if (port.toggle)
        out << " ;\n        lv2:portProperty lv2:toggled";
    else if (record.curve == param::Logarithmic)
        out << " ;\n        lv2:portProperty pprops:logarithmic";
    if (const char* unit = unitOf(port.unit))
        out << " ;\n        units:unit " << unit;
    const std::map<double, std::string> points = scalePoints(record);
    bool first = true;
    for (const auto& [value, label] : points) {
        out << (first ? " ;\n        lv2:scalePoint " : " , ") << "[ rdfs:label " << quoted(label)
            << " ; rdf:value " << number(value) << " ]";
        first = false;
    }
    out << "\n    ]";
}

// The two plug-ins of the bundle: the same ports and editor, each edition
// with its own names and latency.
struct Edition {
    const char* pluginUri;
    const char* uiUri;
    const char* name;
    int latencyFrames;
};
constexpr Edition kEditions[] = {
    {kPluginUri, kUiUri, effect::kStandardIdentity.effectName, effect::kLatencyFrames},
    {kLivePluginUri, kLiveUiUri, effect::kLiveIdentity.effectName, 0},
};

void writeFixedPorts(std::ostream& out, int latencyFrames)
{
    out << "    [\n        a lv2:OutputPort, lv2:ControlPort ;\n"
        << "        lv2:index " << kLatencyPort << " ;\n        lv2:symbol \"latency\" ;\n"
        << "        lv2:name \"Latency\" ;\n        lv2:designation lv2:latency ;\n"
        << "        lv2:portProperty lv2:reportsLatency, lv2:integer, pprops:notOnGUI ;\n"
        << "        lv2:minimum 0 ;\n        lv2:maximum " << latencyFrames << " ;\n"
        << "        units:unit units:frame\n    ] , [\n"
        << "        a lv2:InputPort, lv2:ControlPort ;\n"
        << "        lv2:index " << kFreeWheelPort << " ;\n        lv2:symbol \"freewheel\" ;\n"
        << "        lv2:name \"Free-wheeling\" ;\n        lv2:designation lv2:freeWheeling ;\n"
        << "        lv2:portProperty lv2:toggled, pprops:notOnGUI ;\n"
        << "        lv2:default 0 ;\n        lv2:minimum 0 ;\n        lv2:maximum 1\n    ] , [\n"
        << "        a lv2:InputPort, atom:AtomPort ;\n        atom:bufferType atom:Sequence ;\n"
        << "        atom:supports patch:Message ;\n        lv2:designation lv2:control ;\n"
        << "        lv2:index " << kControlPort << " ;\n        lv2:symbol \"control\" ;\n"
        << "        lv2:name \"Control\"\n    ] , [\n"
        << "        a lv2:OutputPort, atom:AtomPort ;\n        atom:bufferType atom:Sequence ;\n"
        << "        atom:supports patch:Message ;\n        lv2:designation lv2:control ;\n"
        << "        lv2:index " << kNotifyPort << " ;\n        lv2:symbol \"notify\" ;\n"
        << "        lv2:name \"Notify\"\n    ]";
}

void writePlugin(std::ostream& out, const Edition& edition)
{
    out << uri(edition.pluginUri) << "\n    a lv2:Plugin, lv2:ReverbPlugin, doap:Project ;\n"
        << "    doap:name " << quoted(edition.name) << " ;\n"
        << "    doap:maintainer [ foaf:name " << quoted(effect::kVendorString) << " ] ;\n"
        << "    lv2:minorVersion " << effect::kMinorVersion << " ;\n    lv2:microVersion " << effect::kMicroVersion
        << " ;\n"
        << "    lv2:requiredFeature urid:map ;\n"
        << "    lv2:optionalFeature lv2:hardRTCapable, work:schedule, log:log, opts:options ;\n"
        << "    lv2:extensionData state:interface, work:interface ;\n"
        << "    patch:writable " << uri(kIRFileUri) << " ;\n"
        << "    ui:ui " << uri(edition.uiUri) << " ;\n"
        << "    lv2:port\n";
    writeAudioPort(out, kInLeftPort, true, "in_l", "In L");
    out << " , ";
    writeAudioPort(out, kInRightPort, true, "in_r", "In R");
    out << " , ";
    writeAudioPort(out, kOutLeftPort, false, "out_l", "Out L");
    out << " , ";
    writeAudioPort(out, kOutRightPort, false, "out_r", "Out R");
    for (const ParameterPort& port : kParameterPorts) {
        out << " , ";
        writeParameterPort(out, port);
    }
    out << " , ";
    writeFixedPorts(out, edition.latencyFrames);
    out << " .\n\n";

    out << uri(edition.uiUri) << "\n    a ui:X11UI ;\n"
        << "    lv2:requiredFeature ui:parent, ui:idleInterface, urid:map ;\n"
        << "    lv2:optionalFeature <http://lv2plug.in/ns/ext/instance-access>, ui:resize, ui:touch, "
           "ui:noUserResize ;\n"
        << "    lv2:extensionData ui:idleInterface ;\n"
        << "    ui:portNotification [\n        ui:plugin " << uri(edition.pluginUri)
        << " ;\n        lv2:symbol \"notify\" ;\n        ui:protocol atom:eventTransfer\n    ]";
    for (const ParameterPort& port : kParameterPorts)
        out << " , [\n        ui:plugin " << uri(edition.pluginUri) << " ;\n        lv2:symbol "
            << quoted(port.symbol) << " ;\n        ui:protocol ui:floatProtocol\n    ]";
    out << " .\n\n";
}

std::string pluginTurtle()
{
    std::ostringstream out;
    out << kPrefixes;
    out << uri(kIRFileUri) << "\n    a lv2:Parameter ;\n    rdfs:label " << quoted(kIRFileLabel)
        << " ;\n    rdfs:range atom:Path .\n\n";
    for (const Edition& edition : kEditions)
        writePlugin(out, edition);
    return out.str();
}

std::string manifestTurtle()
{
    std::ostringstream out;
    out << "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
        << "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
        << "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n";
    for (const Edition& edition : kEditions)
        out << "\n"
            << uri(edition.pluginUri) << "\n    a lv2:Plugin ;\n    lv2:binary <" << kBinaryName << "> ;\n"
            << "    rdfs:seeAlso <" << kTurtleName << "> .\n\n"
            << uri(edition.uiUri) << "\n    a ui:X11UI ;\n    ui:binary <" << kBinaryName << "> ;\n"
            << "    rdfs:seeAlso <" << kTurtleName << "> .\n";
    return out.str();
}

bool writeText(const std::string& path, const std::string& text)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    if (!file) {
        std::fprintf(stderr, "make_lv2_ttl: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_lv2_ttl <bundle folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    const bool ok = writeText(folder + "/manifest.ttl", manifestTurtle()) &&
                    writeText(folder + "/" + kTurtleName, pluginTurtle());
    return ok ? 0 : 1;
}
