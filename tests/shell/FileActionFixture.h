#pragma once
// The effect made as the entry point makes it, with a host that may offer its
// own file selector and a desktop whose dialogs answer from the test.
#include "ir/IRData.h"
#include "support/ServiceFake.h"
#include "shell/DOvu.h"
#include "params/ParameterTable.h"
#include "params/PathParams.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace fileactiontest {

// Time stands still, so the envelope graph's highlight stays on until a test says so.
class DesktopStandIn final : public testsupport::ServiceFake {
public:
    std::uint32_t tickCount() override { return now.load(); }
    void sleepMs(int) override {}
    void messageBox(const std::string& caption, const std::string& text) override
    {
        messages.push_back(caption + "|" + text);
    }
    bool askYesNo(const std::string& caption, const std::string& text) override
    {
        questions.push_back(caption + "|" + text);
        return answerYes;
    }
    bool openFileDialog(const platform::FileDialogRequest& request, std::string& chosen) override
    {
        dialogs.push_back(request);
        if (answer.empty())
            return false;
        chosen = answer;
        return true;
    }
    void openUrl(const std::string& url) override { urls.push_back(url); }

    std::atomic<std::uint32_t> now{50000};
    bool answerYes = false;
    std::string answer;
    std::vector<platform::FileDialogRequest> dialogs;
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::vector<std::string> urls;
};

// What the host answers and what it was asked.
struct HostStandIn {
    bool offerSelector = false;
    std::string selectorAnswer;
    std::vector<vst::Int32> opcodes;
    std::vector<std::string> selectorInitialPaths;
};

inline HostStandIn& host()
{
    static HostStandIn state;
    return state;
}

inline vst::IntPtr hostCallback(vst::AEffect*, vst::Int32 opcode, vst::Int32, vst::IntPtr, void* ptr, float)
{
    HostStandIn& h = host();
    h.opcodes.push_back(opcode);
    switch (opcode) {
    case vst::audioMasterVersion:
        return 2400;
    case vst::audioMasterGetCurrentProcessLevel:
        // renders as fast as it can: every change is in force at the next call
        return vst::kVstProcessLevelOffline;
    case vst::audioMasterCanDo: {
        const char* what = static_cast<const char*>(ptr);
        return h.offerSelector && what
               && (!std::strcmp(what, "openFileSelector") || !std::strcmp(what, "closeFileSelector"));
    }
    case vst::audioMasterOpenFileSelector: {
        auto* select = static_cast<vst::VstFileSelect*>(ptr);
        h.selectorInitialPaths.push_back(select->initialPath ? select->initialPath : "");
        if (h.selectorAnswer.empty() || h.selectorAnswer.size() >= static_cast<std::size_t>(select->sizeReturnPath))
            return 0;
        std::strcpy(select->returnPath, h.selectorAnswer.c_str());
        select->nbReturnPath = 1;
        return 1;
    }
    case vst::audioMasterCloseFileSelector:
        return 1;
    default:
        return 0;
    }
}

class FileActionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        host() = HostStandIn();
        testsupport::installServices(&desktop);
        dir = testsupport::makeTempDir("fileaction");
        effect = makeEffect();
    }
    void TearDown() override
    {
        closeEffect(effect);
        testsupport::installServices(nullptr);
        std::filesystem::remove_all(dir);
    }

    static DOvu* makeEffect() { return new DOvu(&hostCallback); }
    static void closeEffect(DOvu*& e)
    {
        if (e) {
            vst::AEffect* record = e->getAeffect();
            record->dispatcher(record, vst::effClose, 0, 0, nullptr, 0.0f);
        }
        e = nullptr;
    }
    static vst::IntPtr dispatch(DOvu* e, vst::Int32 opcode, vst::Int32 index = 0, vst::IntPtr value = 0,
                                void* ptr = nullptr)
    {
        vst::AEffect* record = e->getAeffect();
        return record->dispatcher(record, opcode, index, value, ptr, 0.0f);
    }
    // Parameters as the host reaches them.
    static void hostSets(DOvu* e, int id, float value)
    {
        vst::AEffect* record = e->getAeffect();
        record->setParameter(record, id, value);
    }
    static float hostGets(DOvu* e, int id)
    {
        vst::AEffect* record = e->getAeffect();
        return record->getParameter(record, id);
    }
    // The path the path parameters carry, as the host would save it.
    static std::string savedPath(DOvu* e)
    {
        float values[param::kPathCount];
        for (int k = 0; k < param::kPathCount; ++k)
            values[k] = hostGets(e, param::kPathFirst + k);
        char path[param::kPathTextCapacity];
        param::decodePathFromParams(values, path);
        return path;
    }

    // A copy of the demo IR under a name of our choosing.
    std::string demoIR(const std::string& path) const
    {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::filesystem::copy_file(std::string(RVB_SOURCE_DIR) + "/resources/demo/demo_ir.wav", path,
                                   std::filesystem::copy_options::overwrite_existing);
        return path;
    }
    // A path of exactly `length` bytes under dir, ending in `ending`.
    std::string pathOfLength(std::size_t length, const std::string& ending) const
    {
        std::string folder = dir;
        while (length - folder.size() - 1 > 200)
            folder += "/" + std::string(150, 'f');
        return folder + "/" + std::string(length - folder.size() - 1 - ending.size(), 'n') + ending;
    }

    DesktopStandIn desktop;
    std::string dir;
    DOvu* effect = nullptr;
};

} // namespace fileactiontest
