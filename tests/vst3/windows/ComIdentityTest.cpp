// On Windows the VST 3 objects are COM objects: their ids are GUIDs in memory
// and their results HRESULTs, as the system's own headers and parser give them.
#include "vst3/AudioProcessor.h"
#include "vst3/EditController.h"
#include "vst3/Factory.h"

#include <gtest/gtest.h>

#include <objbase.h>
#include <unknwn.h>
#include <winerror.h>

#include <cstring>

namespace {

// The documentation's four words as a registry-style GUID string, parsed by the system.
GUID parsed(const wchar_t* text)
{
    GUID guid {};
    EXPECT_EQ(CLSIDFromString(text, &guid), NOERROR) << text;
    return guid;
}

bool sameBytes(const vst3::Uid& id, const GUID& guid)
{
    static_assert(sizeof guid == sizeof id.bytes, "a GUID is 16 bytes");
    return std::memcmp(id.bytes, &guid, sizeof guid) == 0;
}

} // namespace

TEST(Vst3ComIdentity, InterfaceIdsAreTheGuidsOfTheirDocumentedWords)
{
    EXPECT_TRUE(sameBytes(vst3::FUnknown::iid, IID_IUnknown));
    EXPECT_TRUE(sameBytes(vst3::IComponent::iid, parsed(L"{E831FF31-F2D5-4301-928E-BBEE25697802}")));
    EXPECT_TRUE(sameBytes(vst3::IAudioProcessor::iid, parsed(L"{42043F99-B7DA-453C-A569-E79D9AAEC33D}")));
    EXPECT_TRUE(sameBytes(vst3::IEditController::iid, parsed(L"{DCD7BBE3-7742-448D-A874-AACC979C759E}")));
    EXPECT_TRUE(sameBytes(vst3::IPluginFactory::iid, parsed(L"{7A4D811C-5211-4A1F-AED9-D2EE0B43BF9F}")));
}

TEST(Vst3ComIdentity, ResultCodesAreTheSystemsHresults)
{
    EXPECT_EQ(vst3::kResultOk, S_OK);
    EXPECT_EQ(vst3::kResultFalse, S_FALSE);
    EXPECT_EQ(vst3::kNoInterface, E_NOINTERFACE);
    EXPECT_EQ(vst3::kInvalidArgument, E_INVALIDARG);
    EXPECT_EQ(vst3::kNotImplemented, E_NOTIMPL);
    EXPECT_EQ(vst3::kInternalError, E_FAIL);
    EXPECT_EQ(vst3::kNotInitialized, E_UNEXPECTED);
    EXPECT_EQ(vst3::kOutOfMemory, E_OUTOFMEMORY);
}
