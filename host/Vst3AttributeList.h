#pragma once
// The attributes of a message between a processor and its controller.
#include "host/Vst3Object.h"
#include "vst3/Messages.h"

#include <map>
#include <string>
#include <vector>

class Vst3AttributeList final : public Vst3Object<Vst3AttributeList, vst3::IAttributeList> {
public:
    vst3::tresult RVB_VST3_CALL setInt(AttrID id, vst3::int64 value) override;
    vst3::tresult RVB_VST3_CALL getInt(AttrID id, vst3::int64& value) override;
    vst3::tresult RVB_VST3_CALL setFloat(AttrID id, double value) override;
    vst3::tresult RVB_VST3_CALL getFloat(AttrID id, double& value) override;
    vst3::tresult RVB_VST3_CALL setString(AttrID id, const vst3::TChar* string) override;
    vst3::tresult RVB_VST3_CALL getString(AttrID id, vst3::TChar* string, vst3::uint32 sizeInBytes) override;
    vst3::tresult RVB_VST3_CALL setBinary(AttrID id, const void* data, vst3::uint32 sizeInBytes) override;
    vst3::tresult RVB_VST3_CALL getBinary(AttrID id, const void*& data, vst3::uint32& sizeInBytes) override;

private:
    struct Value {
        enum class Kind { Int, Float, String, Binary } kind = Kind::Int;
        vst3::int64 integer = 0;
        double real = 0.0;
        std::u16string text;
        std::vector<char> bytes;
    };
    const Value* find(AttrID id, Value::Kind kind) const;

    std::map<std::string, Value> values_;
};
