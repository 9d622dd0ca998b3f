#pragma once
// Desktop services for tests: records every dialog, answers from a script and
// never shows anything. Installed with testsupport::installServices for a test's life.
#include "support/ServiceFake.h"

#include <atomic>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace testsupport {

class ScriptedServices : public testsupport::ServiceFake {
public:
    struct Dialog {
        std::string kind; // "message", "question", "file"
        std::string caption;
        std::string text;
    };

    ScriptedServices() { testsupport::installServices(this); }
    ~ScriptedServices() override { testsupport::installServices(nullptr); }

    std::uint32_t tickCount() override { return ticks.load(); }
    void sleepMs(int) override {}
    void messageBox(const std::string& caption, const std::string& text) override { record("message", caption, text); }
    bool askYesNo(const std::string& caption, const std::string& text) override
    {
        record("question", caption, text);
        std::lock_guard<std::mutex> lock(mutex_);
        if (yesNoAnswers.empty())
            return false;
        const bool answer = yesNoAnswers.front();
        yesNoAnswers.pop_front();
        return answer;
    }
    bool openFileDialog(const platform::FileDialogRequest& request, std::string& chosen) override
    {
        record("file", request.title, request.initialFolder);
        std::lock_guard<std::mutex> lock(mutex_);
        if (fileAnswers.empty())
            return false;
        chosen = fileAnswers.front();
        fileAnswers.pop_front();
        return !chosen.empty();
    }
    void openUrl(const std::string& url) override { record("url", "", url); }

    std::vector<Dialog> dialogs() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return dialogs_;
    }

    std::atomic<std::uint32_t> ticks{1000};
    std::deque<bool> yesNoAnswers;
    std::deque<std::string> fileAnswers; // "" cancels

private:
    void record(const char* kind, const std::string& caption, const std::string& text)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        dialogs_.push_back({kind, caption, text});
    }

    mutable std::mutex mutex_;
    std::vector<Dialog> dialogs_;
};

} // namespace testsupport
