// Each interface's functions sit in the slots the format documents: a table
// of functions made here in the documented order, each recording its slot,
// stands behind an interface pointer, and every call through our declarations
// must land in the slot the documentation gives that function.
#include "vst3/AudioProcessor.h"
#include "vst3/EditController.h"
#include "vst3/Factory.h"
#include "vst3/Messages.h"
#include "vst3/Units.h"
#include "vst3/View.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <typeinfo>
#include <utility>
#include <vector>

using namespace vst3;

namespace {

int gSlotCalled = -1;

// Every slot answers with zero in the integer return register, whatever the
// function's declared arguments: on x86-64 the caller cleans up after itself,
// so a function that ignores its arguments may stand in any slot.
template <int Slot>
std::intptr_t recordSlot()
{
    gSlotCalled = Slot;
    return 0;
}

constexpr int kMaxSlots = 24;

// A table laid out as the compilers lay out a class's: the offset to the
// object's start and its type before the functions (the sanitizer's type
// check reads them).
struct FunctionTable {
    std::ptrdiff_t offsetToTop = 0;
    const std::type_info* type = nullptr;
    void* slots[kMaxSlots] = {};
};

template <std::size_t... Slots>
void fillSlots(FunctionTable& table, std::index_sequence<Slots...>)
{
    ((table.slots[Slots] = reinterpret_cast<void*>(&recordSlot<static_cast<int>(Slots)>)), ...);
}

// An object whose first word points at the table's functions.
struct RecordingObject {
    const void* functions;
};

template <class Interface>
using Call = std::function<void(Interface&)>;

// Calls each function through the interface, in the documented order, and
// returns the slot each one reached.
template <class Interface>
std::vector<int> slotsReached(const std::vector<Call<Interface>>& calls)
{
    FunctionTable table;
    table.type = &typeid(Interface);
    fillSlots(table, std::make_index_sequence<kMaxSlots>());
    RecordingObject object {table.slots};
    auto* target = reinterpret_cast<Interface*>(&object);
    std::vector<int> reached;
    for (const Call<Interface>& call : calls) {
        gSlotCalled = -1;
        call(*target);
        reached.push_back(gSlotCalled);
    }
    return reached;
}

template <class Interface>
void expectDocumentedOrder(std::vector<Call<Interface>> calls)
{
    ASSERT_LE(calls.size(), static_cast<std::size_t>(kMaxSlots));
    std::vector<int> expected(calls.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        expected[i] = static_cast<int>(i);
    EXPECT_EQ(slotsReached(calls), expected) << typeid(Interface).name();
}

// The three functions every interface starts with.
template <class I>
std::vector<Call<I>> unknownCalls(std::vector<Call<I>> own)
{
    std::vector<Call<I>> calls {
        [](I& i) { i.queryInterface(nullptr, nullptr); },
        [](I& i) { i.addRef(); },
        [](I& i) { i.release(); },
    };
    calls.insert(calls.end(), own.begin(), own.end());
    return calls;
}

template <class I>
std::vector<Call<I>> pluginBaseCalls(std::vector<Call<I>> own)
{
    std::vector<Call<I>> calls = unknownCalls<I>({
        [](I& i) { i.initialize(nullptr); },
        [](I& i) { i.terminate(); },
    });
    calls.insert(calls.end(), own.begin(), own.end());
    return calls;
}

} // namespace

TEST(Vst3Vtable, FactoryFunctionsSitInTheirDocumentedSlots)
{
    expectDocumentedOrder<IPluginFactory3>(unknownCalls<IPluginFactory3>({
        [](IPluginFactory3& f) { f.getFactoryInfo(nullptr); },
        [](IPluginFactory3& f) { f.countClasses(); },
        [](IPluginFactory3& f) { f.getClassInfo(0, nullptr); },
        [](IPluginFactory3& f) { f.createInstance(nullptr, nullptr, nullptr); },
        [](IPluginFactory3& f) { f.getClassInfo2(0, nullptr); },
        [](IPluginFactory3& f) { f.getClassInfoUnicode(0, nullptr); },
        [](IPluginFactory3& f) { f.setHostContext(nullptr); },
    }));
    expectDocumentedOrder<IHostApplication>(unknownCalls<IHostApplication>({
        [](IHostApplication& h) { h.getName(nullptr); },
        [](IHostApplication& h) { h.createInstance(nullptr, nullptr, nullptr); },
    }));
}

TEST(Vst3Vtable, ComponentAndProcessorFunctionsSitInTheirDocumentedSlots)
{
    BusInfo bus {};
    RoutingInfo routing {};
    expectDocumentedOrder<IComponent>(pluginBaseCalls<IComponent>({
        [](IComponent& c) { c.getControllerClassId(nullptr); },
        [](IComponent& c) { c.setIoMode(kSimple); },
        [](IComponent& c) { c.getBusCount(kAudio, kInput); },
        [&](IComponent& c) { c.getBusInfo(kAudio, kInput, 0, bus); },
        [&](IComponent& c) { c.getRoutingInfo(routing, routing); },
        [](IComponent& c) { c.activateBus(kAudio, kInput, 0, 1); },
        [](IComponent& c) { c.setActive(1); },
        [](IComponent& c) { c.setState(nullptr); },
        [](IComponent& c) { c.getState(nullptr); },
    }));

    SpeakerArrangement arrangement = kStereoArrangement;
    ProcessSetup setup {};
    ProcessData data {};
    expectDocumentedOrder<IAudioProcessor>(unknownCalls<IAudioProcessor>({
        [&](IAudioProcessor& p) { p.setBusArrangements(&arrangement, 1, &arrangement, 1); },
        [&](IAudioProcessor& p) { p.getBusArrangement(kOutput, 0, arrangement); },
        [](IAudioProcessor& p) { p.canProcessSampleSize(kSample32); },
        [](IAudioProcessor& p) { p.getLatencySamples(); },
        [&](IAudioProcessor& p) { p.setupProcessing(setup); },
        [](IAudioProcessor& p) { p.setProcessing(1); },
        [&](IAudioProcessor& p) { p.process(data); },
        [](IAudioProcessor& p) { p.getTailSamples(); },
    }));
    expectDocumentedOrder<IProcessContextRequirements>(unknownCalls<IProcessContextRequirements>({
        [](IProcessContextRequirements& r) { r.getProcessContextRequirements(); },
    }));

    int32 offset = 0;
    ParamValue value = 0.0;
    ParamID id = 0;
    expectDocumentedOrder<IParamValueQueue>(unknownCalls<IParamValueQueue>({
        [](IParamValueQueue& q) { q.getParameterId(); },
        [](IParamValueQueue& q) { q.getPointCount(); },
        [&](IParamValueQueue& q) { q.getPoint(0, offset, value); },
        [&](IParamValueQueue& q) { q.addPoint(0, 0.5, offset); },
    }));
    expectDocumentedOrder<IParameterChanges>(unknownCalls<IParameterChanges>({
        [](IParameterChanges& c) { c.getParameterCount(); },
        [](IParameterChanges& c) { c.getParameterData(0); },
        [&](IParameterChanges& c) { c.addParameterData(id, offset); },
    }));
    int64 position = 0;
    expectDocumentedOrder<IBStream>(unknownCalls<IBStream>({
        [](IBStream& s) { s.read(nullptr, 0, nullptr); },
        [](IBStream& s) { s.write(nullptr, 0, nullptr); },
        [&](IBStream& s) { s.seek(0, IBStream::kIBSeekSet, &position); },
        [&](IBStream& s) { s.tell(&position); },
    }));
}

TEST(Vst3Vtable, ControllerFunctionsSitInTheirDocumentedSlots)
{
    ParameterInfo info {};
    ParamValue value = 0.0;
    String128 text {};
    expectDocumentedOrder<IEditController>(pluginBaseCalls<IEditController>({
        [](IEditController& c) { c.setComponentState(nullptr); },
        [](IEditController& c) { c.setState(nullptr); },
        [](IEditController& c) { c.getState(nullptr); },
        [](IEditController& c) { c.getParameterCount(); },
        [&](IEditController& c) { c.getParameterInfo(0, info); },
        [&](IEditController& c) { c.getParamStringByValue(0, 0.5, text); },
        [&](IEditController& c) { c.getParamValueByString(0, text, value); },
        [](IEditController& c) { c.normalizedParamToPlain(0, 0.5); },
        [](IEditController& c) { c.plainParamToNormalized(0, 0.5); },
        [](IEditController& c) { c.getParamNormalized(0); },
        [](IEditController& c) { c.setParamNormalized(0, 0.5); },
        [](IEditController& c) { c.setComponentHandler(nullptr); },
        [](IEditController& c) { c.createView(kEditor); },
    }));
    expectDocumentedOrder<IComponentHandler>(unknownCalls<IComponentHandler>({
        [](IComponentHandler& h) { h.beginEdit(0); },
        [](IComponentHandler& h) { h.performEdit(0, 0.5); },
        [](IComponentHandler& h) { h.endEdit(0); },
        [](IComponentHandler& h) { h.restartComponent(kLatencyChanged); },
    }));

    UnitInfo unit {};
    ProgramListInfo list {};
    UnitID unitId = 0;
    expectDocumentedOrder<IUnitInfo>(unknownCalls<IUnitInfo>({
        [](IUnitInfo& u) { u.getUnitCount(); },
        [&](IUnitInfo& u) { u.getUnitInfo(0, unit); },
        [](IUnitInfo& u) { u.getProgramListCount(); },
        [&](IUnitInfo& u) { u.getProgramListInfo(0, list); },
        [&](IUnitInfo& u) { u.getProgramName(0, 0, text); },
        [&](IUnitInfo& u) { u.getProgramInfo(0, 0, "name", text); },
        [](IUnitInfo& u) { u.hasProgramPitchNames(0, 0); },
        [&](IUnitInfo& u) { u.getProgramPitchName(0, 0, 60, text); },
        [](IUnitInfo& u) { u.getSelectedUnit(); },
        [](IUnitInfo& u) { u.selectUnit(kRootUnitId); },
        [&](IUnitInfo& u) { u.getUnitByBus(kAudio, kInput, 0, 0, unitId); },
        [](IUnitInfo& u) { u.setUnitProgramData(0, 0, nullptr); },
    }));
    expectDocumentedOrder<IProgramListData>(unknownCalls<IProgramListData>({
        [](IProgramListData& p) { p.programDataSupported(0); },
        [](IProgramListData& p) { p.getProgramData(0, 0, nullptr); },
        [](IProgramListData& p) { p.setProgramData(0, 0, nullptr); },
    }));
}

TEST(Vst3Vtable, MessageFunctionsSitInTheirDocumentedSlots)
{
    int64 integer = 0;
    double real = 0.0;
    TChar text[8] = {};
    const void* data = nullptr;
    uint32 size = 0;
    expectDocumentedOrder<IAttributeList>(unknownCalls<IAttributeList>({
        [](IAttributeList& a) { a.setInt("i", 1); },
        [&](IAttributeList& a) { a.getInt("i", integer); },
        [](IAttributeList& a) { a.setFloat("f", 1.0); },
        [&](IAttributeList& a) { a.getFloat("f", real); },
        [&](IAttributeList& a) { a.setString("s", text); },
        [&](IAttributeList& a) { a.getString("s", text, sizeof text); },
        [&](IAttributeList& a) { a.setBinary("b", text, sizeof text); },
        [&](IAttributeList& a) { a.getBinary("b", data, size); },
    }));
    expectDocumentedOrder<IMessage>(unknownCalls<IMessage>({
        [](IMessage& m) { m.getMessageID(); },
        [](IMessage& m) { m.setMessageID("id"); },
        [](IMessage& m) { m.getAttributes(); },
    }));
    expectDocumentedOrder<IConnectionPoint>(unknownCalls<IConnectionPoint>({
        [](IConnectionPoint& c) { c.connect(nullptr); },
        [](IConnectionPoint& c) { c.disconnect(nullptr); },
        [](IConnectionPoint& c) { c.notify(nullptr); },
    }));
}

TEST(Vst3Vtable, ViewAndRunLoopFunctionsSitInTheirDocumentedSlots)
{
    ViewRect rect {};
    expectDocumentedOrder<IPlugView>(unknownCalls<IPlugView>({
        [](IPlugView& v) { v.isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID); },
        [](IPlugView& v) { v.attached(nullptr, kPlatformTypeX11EmbedWindowID); },
        [](IPlugView& v) { v.removed(); },
        [](IPlugView& v) { v.onWheel(1.0f); },
        [](IPlugView& v) { v.onKeyDown(u'a', 0, 0); },
        [](IPlugView& v) { v.onKeyUp(u'a', 0, 0); },
        [&](IPlugView& v) { v.getSize(&rect); },
        [&](IPlugView& v) { v.onSize(&rect); },
        [](IPlugView& v) { v.onFocus(1); },
        [](IPlugView& v) { v.setFrame(nullptr); },
        [](IPlugView& v) { v.canResize(); },
        [&](IPlugView& v) { v.checkSizeConstraint(&rect); },
    }));
    expectDocumentedOrder<IPlugFrame>(unknownCalls<IPlugFrame>({
        [&](IPlugFrame& f) { f.resizeView(nullptr, &rect); },
    }));
    expectDocumentedOrder<IRunLoop>(unknownCalls<IRunLoop>({
        [](IRunLoop& r) { r.registerEventHandler(nullptr, 0); },
        [](IRunLoop& r) { r.unregisterEventHandler(nullptr); },
        [](IRunLoop& r) { r.registerTimer(nullptr, 10); },
        [](IRunLoop& r) { r.unregisterTimer(nullptr); },
    }));
    expectDocumentedOrder<IEventHandler>(unknownCalls<IEventHandler>({
        [](IEventHandler& h) { h.onFDIsSet(0); },
    }));
    expectDocumentedOrder<ITimerHandler>(unknownCalls<ITimerHandler>({
        [](ITimerHandler& h) { h.onTimer(); },
    }));
}
