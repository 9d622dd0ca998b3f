#pragma once
// Desktop services for tests of the effect itself: every dialog is answered
// at once (No, cancel, OK) and counted, so that nothing blocks and the tests
// can see what the plug-in asked for. Thread-safe: the concurrency tests call
// it from several threads.
#include "support/ServiceFake.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace reliability {

class FakeDesktop final : public testsupport::ServiceFake {
public:
    FakeDesktop() { testsupport::installServices(this); }
    ~FakeDesktop() override { testsupport::installServices(nullptr); }
    FakeDesktop(const FakeDesktop&) = delete;
    FakeDesktop& operator=(const FakeDesktop&) = delete;

    std::uint32_t tickCount() override
    {
        using namespace std::chrono;
        return static_cast<std::uint32_t>(
            duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }
    void sleepMs(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms > 0 ? ms : 0)); }
    void messageBox(const std::string& caption, const std::string& text) override
    {
        ++messageBoxes;
        std::lock_guard<std::mutex> lock(mutex_);
        lastMessage_ = caption + ": " + text;
    }
    bool askYesNo(const std::string&, const std::string&) override
    {
        ++questions;
        return false;
    }
    bool openFileDialog(const platform::FileDialogRequest&, std::string& chosen) override
    {
        ++fileDialogs;
        chosen.clear();
        return false;
    }
    void openUrl(const std::string&) override { ++urls; }

    std::string lastMessage() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return lastMessage_;
    }
    int dialogs() const { return messageBoxes.load() + questions.load() + fileDialogs.load() + urls.load(); }

    std::atomic<int> messageBoxes{0};
    std::atomic<int> questions{0};
    std::atomic<int> fileDialogs{0};
    std::atomic<int> urls{0};

private:
    mutable std::mutex mutex_;
    std::string lastMessage_;
};

} // namespace reliability
