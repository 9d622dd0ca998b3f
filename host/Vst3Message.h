#pragma once
// A message the host makes for a plug-in (IHostApplication::createInstance):
// an id and its attributes.
#include "host/Vst3AttributeList.h"
#include "host/Vst3Ptr.h"

#include <string>

class Vst3Message final : public Vst3Object<Vst3Message, vst3::IMessage> {
public:
    Vst3Message() : attributes_(new Vst3AttributeList()) {}

    vst3::FIDString RVB_VST3_CALL getMessageID() override { return id_.c_str(); }
    void RVB_VST3_CALL setMessageID(vst3::FIDString id) override { id_ = id ? id : ""; }
    vst3::IAttributeList* RVB_VST3_CALL getAttributes() override { return attributes_.get(); }

private:
    std::string id_;
    Vst3Ptr<Vst3AttributeList> attributes_;
};
