#include "platform/DialogScript.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>

namespace platform {

namespace {

// One log line per dialog, whatever the texts hold.
std::string oneLine(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

void log(const std::string& line)
{
    std::fprintf(stderr, "[dialog script] %s\n", line.c_str());
    std::fflush(stderr);
}

std::string describeTypes(const FileDialogRequest& request)
{
    std::string out;
    for (const FileType& type : request.types) {
        if (!out.empty())
            out += "; ";
        out += type.name + ": " + type.extension;
    }
    return out;
}

} // namespace

DialogScript::DialogScript(std::vector<std::string> lines) : lines_(std::move(lines)) {}

std::vector<std::string> DialogScript::readLines(const std::string& path)
{
    std::ifstream in(path);
    if (!in)
        log("cannot read " + path + "; every question answers No and every file dialog is cancelled");
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            lines.push_back(line);
    }
    return lines;
}

bool DialogScript::take(std::string& line)
{
    if (next_ >= lines_.size())
        return false;
    line = lines_[next_++];
    return true;
}

std::size_t DialogScript::linesLeft() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_.size() - next_;
}

void DialogScript::messageBox(const std::string& caption, const std::string& text)
{
    log("message \"" + oneLine(caption) + "\": " + oneLine(text));
}

bool DialogScript::askYesNo(const std::string& caption, const std::string& text)
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::string line;
    const bool have = take(line);
    const bool yes = have && line == "yes";
    std::string answer = yes ? "yes" : "no";
    if (!have)
        answer += " (script used up)";
    else if (line != "yes" && line != "no")
        answer += " (unexpected line \"" + oneLine(line) + "\")";
    log("question \"" + oneLine(caption) + "\": " + oneLine(text) + " -> " + answer);
    return yes;
}

bool DialogScript::openFileDialog(const FileDialogRequest& request, std::string& chosenPath)
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::string line;
    const bool have = take(line);
    const std::string head = "file dialog \"" + oneLine(request.title) + "\" in \"" + oneLine(request.initialFolder)
                             + "\" types [" + oneLine(describeTypes(request)) + "] -> ";
    static const std::string kFilePrefix = "file ";
    if (have && line.compare(0, kFilePrefix.size(), kFilePrefix) == 0 && line.size() > kFilePrefix.size()) {
        chosenPath = line.substr(kFilePrefix.size());
        log(head + chosenPath);
        return true;
    }
    if (!have)
        log(head + "cancel (script used up)");
    else if (line != "cancel")
        log(head + "cancel (unexpected line \"" + oneLine(line) + "\")");
    else
        log(head + "cancel");
    return false;
}

void DialogScript::openUrl(const std::string& url)
{
    log("open url " + oneLine(url));
}

DialogScript* activeDialogScript()
{
    // Read again whenever the variable names another file, so that a process
    // that loads the plug-in more than once can give each run its own script.
    static std::mutex mutex;
    static std::string scriptPath;
    static std::unique_ptr<DialogScript> script;
    std::lock_guard<std::mutex> lock(mutex);
    const char* path = std::getenv(DialogScript::kEnvironmentVariable);
    const std::string wanted = path ? path : "";
    if (wanted != scriptPath || (!script && !wanted.empty())) {
        scriptPath = wanted;
        script.reset();
        if (!wanted.empty())
            script = std::make_unique<DialogScript>(DialogScript::readLines(wanted));
    }
    return script.get();
}

} // namespace platform
