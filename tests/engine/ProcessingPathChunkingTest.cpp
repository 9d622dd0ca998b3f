#include "ProcessingPathTestRig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

using pathtest::kLatency;
using pathtest::Rig;
using pathtest::Stereo;

constexpr int kFrames = kLatency + 40000;

// Every stage busy: a dense decaying IR, cross-fed input, pre-delay, all three
// filters, balance, boost, width with pseudo-stereo, both levels.
void configure(Rig& rig)
{
    engine::ProcessingPath& p = *rig.path;
    std::vector<float> irL(3000), irR(3000);
    const Stereo n = pathtest::noise(3000, 11);
    for (size_t i = 0; i < irL.size(); ++i) {
        const float decay = std::exp(-static_cast<float>(i) / 600.0f);
        irL[i] = n.left[i] * decay;
        irR[i] = n.right[i] * decay;
    }
    ASSERT_TRUE(pathtest::prepareKernel(p, irL, irR));
    p.setInputRouting(0.2);
    p.setPreDelay(3.0f);
    p.setHighPassFrequency(120.0f);
    p.setLowPassFrequency(7000.0f);
    p.setBalanceTilt(-4.0f);
    p.setHighPassEnabled(1.0f);
    p.setLowPassEnabled(1.0f);
    p.setBalanceEnabled(1.0f);
    p.setBalance(0.3);
    p.setWetBoost(1.0f);
    p.setWetLevel(-9.0f);
    p.setDryLevel(-3.0f);
    p.setWidth(1.4f);
    p.setPseudoStereo(1);
}

class ProcessingPathChunking : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        input_ = new Stereo(pathtest::noise(kFrames, 3));
        Rig rig(false);
        configure(rig);
        reference_ = new Stereo(rig.run(*input_, {kFrames}));
    }
    static void TearDownTestSuite()
    {
        delete input_;
        delete reference_;
        input_ = reference_ = nullptr;
    }

    static void expectSameAsReference(const Stereo& out, const char* what)
    {
        size_t differing = 0;
        for (size_t i = 0; i < out.left.size(); ++i)
            if (out.left[i] != reference_->left[i] || out.right[i] != reference_->right[i])
                ++differing;
        EXPECT_EQ(differing, 0u) << what;
    }

    static Stereo* input_;
    static Stereo* reference_;
};

Stereo* ProcessingPathChunking::input_ = nullptr;
Stereo* ProcessingPathChunking::reference_ = nullptr;

TEST_F(ProcessingPathChunking, ReferenceCarriesDryAndWet)
{
    // Guards the comparisons below against a silent reference.
    double dry = 0.0, wet = 0.0;
    for (int i = 0; i < kFrames; ++i) {
        const double x = reference_->left[static_cast<size_t>(i)];
        (i < kLatency ? dry : wet) += x * x;
    }
    EXPECT_EQ(dry, 0.0);
    EXPECT_GT(wet, 1.0);
}

TEST_F(ProcessingPathChunking, CallSizesDoNotChangeTheOutput)
{
    for (const std::vector<int>& sizes :
         {std::vector<int>{1}, std::vector<int>{7}, std::vector<int>{4096}, std::vector<int>{100000},
          std::vector<int>{0, 1, 0, 513, 4097, 0, 9000}}) {
        std::string label = "call sizes";
        for (int size : sizes)
            label += " " + std::to_string(size);
        Rig rig(false);
        configure(rig);
        expectSameAsReference(rig.run(*input_, sizes), label.c_str());
    }
}

TEST_F(ProcessingPathChunking, InPlaceBuffersGiveTheSameOutput)
{
    Rig rig(false);
    configure(rig);
    Stereo buffer = *input_;
    for (int done = 0; done < kFrames;) {
        const int frames = std::min(5000, kFrames - done);
        float* l = buffer.left.data() + done;
        float* r = buffer.right.data() + done;
        rig.path->process(l, r, l, r, frames);
        done += frames;
    }
    expectSameAsReference(buffer, "in place");
}

TEST_F(ProcessingPathChunking, ZeroFrameCallWritesNothing)
{
    Rig rig(false);
    float l[4] = {5, 5, 5, 5}, r[4] = {6, 6, 6, 6};
    const float in[4] = {1, 1, 1, 1};
    rig.path->process(in, in, l, r, 0);
    rig.path->process(in, in, l, r, -3);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(l[i], 5.0f);
        EXPECT_EQ(r[i], 6.0f);
    }
}

} // namespace
