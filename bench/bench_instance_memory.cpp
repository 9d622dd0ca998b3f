// What one more instance costs a session: the peak resident memory (VmHWM)
// of a process holding 1 and then 8 instances, each with a full-length stereo
// IR (131072 frames at 48 kHz) loaded and a second of 64-frame calls run, and
// the growth per extra instance. Each count runs in a fresh process of its
// own, so that one measurement's peaks do not hide in another's.
//
// Beside ours (the whole reverb of each edition: parameters, IR, shaping,
// processing path, worker), zita-convolver on the same IR in its low-latency set-up
// (partitions 64..8192) and in partitions of 8192, as a session would hold it.
// The tone filters start off, as the parameters do; a row with all three on
// shows what their histories add.
//
//   bench_instance_memory            the table
//   bench_instance_memory KIND N     one process: prints its VmHWM in KiB
#include "bench/BenchIRFile.h"
#include "core/Reverb.h"
#include "params/ParameterTable.h"

#include <zita-convolver.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kIrFrames = benchir::kIRFrames;
constexpr int kRate = 48000;
constexpr int kCall = 64;

long peakResidentKiB()
{
    FILE* status = std::fopen("/proc/self/status", "r");
    if (!status)
        return -1;
    char line[256];
    long kib = -1;
    while (std::fgets(line, sizeof line, status))
        if (std::strncmp(line, "VmHWM:", 6) == 0)
            kib = std::atol(line + 6);
    std::fclose(status);
    return kib;
}

class SilentHost final : public core::ReverbHost {
    void irLoadFailed(const std::string& path, const std::string&) override
    {
        std::fprintf(stderr, "not loaded: %s\n", path.c_str());
    }
    void tellUser(const std::string&, const std::string&) override {}
    void parameterChanged(int, float) override {}
    void copyButtonChanged(bool) override {}
    bool chooseFile(const platform::FileDialogRequest&, std::string&) override { return false; }
};

void runOurs(int count, const std::string& ir, engine::Edition edition, bool filtersOn = false)
{
    SilentHost host;
    std::vector<std::unique_ptr<core::Reverb>> reverbs;
    std::vector<float> l(kCall, 0.1f), r(kCall, -0.1f);
    for (int n = 0; n < count; ++n) {
        auto reverb =
            std::make_unique<core::Reverb>(host, platform::ModuleLocation::fromModulePath("/nowhere/plugin.so"),
                                           edition);
        reverb->setSampleRate(static_cast<float>(kRate));
        if (filtersOn) {
            for (int id : {param::kEnabledHPF, param::kEnabledLPF, param::kEnabledBAL})
                reverb->setParameter(id, 1.0f);
        }
        reverb->restoreIRPath(ir);
        reverb->resume();
        for (int c = 0; c < kRate / kCall; ++c)
            reverb->process(l.data(), r.data(), l.data(), r.data(), kCall, false);
        reverbs.push_back(std::move(reverb));
    }
    for (auto& reverb : reverbs)
        reverb->finishPendingWork();
}

void runZita(int count, int minPart, const std::vector<float>& left, const std::vector<float>& right)
{
    std::vector<Convproc*> convs;
    for (int n = 0; n < count; ++n) {
        auto* conv = new Convproc;
        conv->configure(2, 2, kIrFrames, static_cast<unsigned>(minPart), static_cast<unsigned>(minPart),
                        Convproc::MAXPART, 0.0f);
        conv->impdata_create(0, 0, 1, const_cast<float*>(left.data()), 0, kIrFrames);
        conv->impdata_create(1, 1, 1, const_cast<float*>(right.data()), 0, kIrFrames);
        conv->start_process(0, SCHED_OTHER);
        for (int c = 0; c < kRate / minPart; ++c)
            conv->process(true);
        convs.push_back(conv);
    }
    // The process ends here; the instances are left to it (zita's threads
    // stop only once they have run again).
}

long measureInChild(const char* self, const char* kind, int count)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return -1;
    const pid_t child = fork();
    if (child == 0) {
        dup2(pipeEnds[1], STDOUT_FILENO);
        close(pipeEnds[0]);
        const std::string n = std::to_string(count);
        execl(self, self, kind, n.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeEnds[1]);
    char text[64] = {};
    const ssize_t got = read(pipeEnds[0], text, sizeof text - 1);
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return got > 0 ? std::atol(text) : -1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 2) {
        const std::string kind = argv[1];
        const int count = std::atoi(argv[2]);
        std::vector<float> left, right;
        // The parent's folder, made here too when a tool (a heap profiler) runs between them.
        const std::string dir = "/tmp/rvb-bench-memory-" + std::to_string(getppid());
        mkdir(dir.c_str(), 0700);
        benchir::decayingNoise(5u, left, right);
        std::string ir = dir + "/" + kind + std::to_string(count) + ".wav";
        if (!benchir::writeStereoWav(ir, left.data(), right.data(), kIrFrames, kRate))
            ir.clear();
        if (kind == "ours")
            runOurs(count, ir, engine::Edition::Standard);
        else if (kind == "ours-filters")
            runOurs(count, ir, engine::Edition::Standard, true);
        else if (kind == "ours-live")
            runOurs(count, ir, engine::Edition::Live);
        else if (kind == "zita-ll")
            runZita(count, 64, left, right);
        else if (kind == "zita-8192")
            runZita(count, 8192, left, right);
        std::remove(ir.c_str());
        std::printf("%ld\n", peakResidentKiB());
        std::fflush(stdout);
        _exit(0);
    }
    const std::string dir = "/tmp/rvb-bench-memory-" + std::to_string(getpid());
    std::system(("mkdir -p " + dir).c_str());
    std::printf("peak resident memory (VmHWM) of a process holding N instances, 131072-frame stereo IR, %d Hz\n",
                kRate);
    std::printf("%-30s %12s %12s %16s\n", "", "1 instance", "8 instances", "per extra one");
    for (const char* kind : {"ours", "ours-filters", "ours-live", "zita-ll", "zita-8192"}) {
        const long one = measureInChild(argv[0], kind, 1);
        const long eight = measureInChild(argv[0], kind, 8);
        const char* name = std::strcmp(kind, "ours") == 0        ? "ours, standard (whole reverb)"
                           : std::strcmp(kind, "ours-filters") == 0 ? "ours, standard, filters on"
                           : std::strcmp(kind, "ours-live") == 0 ? "ours, Live (whole reverb)"
                           : std::strcmp(kind, "zita-ll") == 0   ? "zita low latency (64..8192)"
                                                                 : "zita partitions of 8192";
        std::printf("%-30s %9.2f MiB %9.2f MiB %12.2f MiB\n", name, one / 1024.0, eight / 1024.0,
                    (eight - one) / 1024.0 / 7.0);
    }
    std::system(("rm -rf " + dir).c_str());
    return 0;
}
