// How long a resume waits for the work a project restore left pending: the
// host sets the 104 values of a saved project (a full-length stereo IR, a
// shaping and a filter), then resumes and times that call. Printed for 48 and
// 192 kHz, with a light shaping and with the dearest one (longest stretch,
// full Dump), as the median and the longest of several restores.
#include "bench/BenchIRFile.h"
#include "params/ParameterTable.h"
#include "params/PathParams.h"
#include "shell/DOvu.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

vst::IntPtr unknownLevelHost(vst::AEffect*, vst::Int32 opcode, vst::Int32, vst::IntPtr, void*, float)
{
    return opcode == vst::audioMasterVersion ? 2400 : 0;
}

struct Times {
    double commit;  // the path commit: the file is read there
    double resume;  // the resume: waits for the shaping and the kernel
};

Times restoreAndTimeResume(const std::string& irPath, float rate, bool dearest)
{
    auto effect = std::make_unique<DOvu>(&unknownLevelHost);
    vst::AEffect* record = effect->getAeffect();
    record->dispatcher(record, vst::effSetSampleRate, 0, 0, nullptr, rate);
    std::vector<float> values(param::kNumParams);
    for (int id = 0; id < param::kNumParams; ++id)
        values[id] = static_cast<float>(param::normalisedDefault(id));
    values[param::kDecay] = 0.3f;
    values[param::kEnabledHPF] = 1.0f;
    values[param::kHPF] = 0.4f;
    if (dearest) {
        values[param::kStrech] = 1.0f;
        values[param::kDump] = 1.0f;
        values[param::kGate] = 1.0f;
    }
    param::encodePathToParams(irPath.c_str(), values.data() + param::kPathFirst);
    values[param::kPathCommit] = 1.0f;
    for (int id = 0; id < param::kPathCommit; ++id)
        record->setParameter(record, id, values[id]);
    const auto start = std::chrono::steady_clock::now();
    record->setParameter(record, param::kPathCommit, values[param::kPathCommit]);
    const auto committed = std::chrono::steady_clock::now();
    record->dispatcher(record, vst::effMainsChanged, 0, 1, nullptr, 0.0f);
    const auto end = std::chrono::steady_clock::now();
    record->dispatcher(record, vst::effClose, 0, 0, nullptr, 0.0f);
    effect.release();  // effClose deleted it
    using Ms = std::chrono::duration<double, std::milli>;
    return {Ms(committed - start).count(), Ms(end - committed).count()};
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    char folder[] = "/tmp/rvb-bench-resume-XXXXXX";
    if (mkdtemp(folder) == nullptr)
        return 1;
    const std::string ir = benchir::writeIR(std::string(folder) + "/hall.wav", 5);
    std::printf("resume wait after a restore (131072-frame stereo IR), %d restores each\n", rounds);
    std::printf("%8s  %-8s  %12s  %12s  %12s  %12s\n", "rate", "shaping", "resume med", "resume max",
                "commit med", "commit max");
    for (float rate : {48000.0f, 192000.0f}) {
        for (bool dearest : {false, true}) {
            std::vector<double> resumes, commits;
            for (int r = 0; r < rounds; ++r) {
                const Times t = restoreAndTimeResume(ir, rate, dearest);
                resumes.push_back(t.resume);
                commits.push_back(t.commit);
            }
            std::sort(resumes.begin(), resumes.end());
            std::sort(commits.begin(), commits.end());
            std::printf("%8.0f  %-8s  %9.1f ms  %9.1f ms  %9.1f ms  %9.1f ms\n", rate,
                        dearest ? "dearest" : "light", resumes[resumes.size() / 2], resumes.back(),
                        commits[commits.size() / 2], commits.back());
        }
    }
    std::remove(ir.c_str());
    rmdir(folder);
    return 0;
}
