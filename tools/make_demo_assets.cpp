// Generates the demo audio shipped in resources/demo/:
//   demo_ir.wav     stereo 24-bit 44.1 kHz impulse response, about 1.6 s
//   demo_input.wav  stereo 16-bit 44.1 kHz dry phrase of 6 s (plucks, a drum, clicks,
//                   silence between them so the reverb tail can be heard)
//
// Build and run from the repository root (plain g++, no other libraries):
//   g++ -std=c++17 -O2 -Wall -Wextra -o /tmp/make_demo_assets tools/make_demo_assets.cpp
//   /tmp/make_demo_assets resources/demo
//
// The output is deterministic (fixed random generator state), so running it
// again reproduces the committed files byte for byte.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr double kPi = 3.14159265358979323846;

// xorshift64*: small, fast and the same on every platform.
class Random {
public:
    explicit Random(std::uint64_t state) : state_(state) {}
    double uniform() // [-1, 1)
    {
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        const std::uint64_t v = state_ * 0x2545F4914F6CDD1Dull;
        return static_cast<double>(v >> 11) * (2.0 / 9007199254740992.0) - 1.0;
    }
    // Sum of three uniforms: close enough to Gaussian for reverb noise.
    double noise() { return (uniform() + uniform() + uniform()) * 0.577; }

private:
    std::uint64_t state_;
};

struct Stereo {
    std::vector<double> left;
    std::vector<double> right;
    explicit Stereo(std::size_t frames) : left(frames, 0.0), right(frames, 0.0) {}
    std::size_t frames() const { return left.size(); }
};

void putLE(std::string& out, std::uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

// A plain PCM WAV file: RIFF header, 16-byte format chunk, data chunk.
bool writeWav(const std::string& path, const Stereo& audio, int bits)
{
    const int bytes = bits / 8;
    const std::uint32_t dataSize = static_cast<std::uint32_t>(audio.frames() * 2 * bytes);
    std::string out = "RIFF";
    putLE(out, 36 + dataSize, 4);
    out += "WAVEfmt ";
    putLE(out, 16, 4);
    putLE(out, 1, 2); // integer PCM
    putLE(out, 2, 2);
    putLE(out, kRate, 4);
    putLE(out, static_cast<std::uint32_t>(kRate * 2 * bytes), 4);
    putLE(out, static_cast<std::uint32_t>(2 * bytes), 2);
    putLE(out, static_cast<std::uint32_t>(bits), 2);
    out += "data";
    putLE(out, dataSize, 4);
    const double full = std::ldexp(1.0, bits - 1) - 1.0;
    for (std::size_t i = 0; i < audio.frames(); ++i) {
        for (double v : {audio.left[i], audio.right[i]}) {
            const long q = std::lround(std::clamp(v, -1.0, 1.0) * full);
            putLE(out, static_cast<std::uint32_t>(q), bytes);
        }
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    return std::fclose(file) == 0 && written;
}

void scaleToPeak(Stereo& audio, double peak)
{
    double largest = 0.0;
    for (std::size_t i = 0; i < audio.frames(); ++i)
        largest = std::max({largest, std::fabs(audio.left[i]), std::fabs(audio.right[i])});
    if (largest <= 0.0)
        return;
    for (std::size_t i = 0; i < audio.frames(); ++i) {
        audio.left[i] *= peak / largest;
        audio.right[i] *= peak / largest;
    }
}

Stereo makeImpulseResponse()
{
    const double seconds = 1.6;
    const double rt60 = 1.35; // time to fall by 60 dB
    Stereo ir(static_cast<std::size_t>(seconds * kRate));
    Random random(0x5eedf00dULL);

    // Diffuse tail: a shared noise plus one per channel, so the channels are
    // related but not identical (correlation about 0.4).
    const double shared = 0.63;
    const double own = std::sqrt(1.0 - shared * shared);
    const double tailStart = 0.012;
    const double buildUp = 0.030;
    double dampL = 0.0;
    double dampR = 0.0;
    for (std::size_t i = 0; i < ir.frames(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        if (t < tailStart)
            continue;
        const double envelope = std::pow(10.0, -3.0 * t / rt60) * std::min(1.0, (t - tailStart) / buildUp) * 0.35;
        const double common = random.noise();
        double l = (shared * common + own * random.noise()) * envelope;
        double r = (shared * common + own * random.noise()) * envelope;
        // Air and walls absorb highs faster than lows: the damping filter's
        // corner falls from 9 kHz to 1.5 kHz over the tail.
        const double corner = 9000.0 * std::pow(1500.0 / 9000.0, t / seconds);
        const double a = std::exp(-2.0 * kPi * corner / kRate);
        dampL = (1.0 - a) * l + a * dampL;
        dampR = (1.0 - a) * r + a * dampR;
        // Normalise the filter's loss of energy so the damping darkens rather than fades.
        const double energy = std::sqrt((1.0 + a) / (1.0 - a));
        l = dampL * std::min(energy, 4.0);
        r = dampR * std::min(energy, 4.0);
        ir.left[i] += l;
        ir.right[i] += r;
    }

    // Direct sound and the first reflections off nearby walls, placed slightly
    // differently for each ear.
    struct Reflection {
        double ms;
        double gain;
        double pan; // -1 left ... 1 right
    };
    const Reflection reflections[] = {
        {0.0, 1.0, 0.0},    {7.3, -0.55, -0.6}, {11.9, 0.48, 0.7},  {17.2, -0.36, -0.2}, {23.8, 0.33, 0.5},
        {29.1, -0.27, -0.8}, {36.5, 0.22, 0.3},  {44.0, -0.2, -0.4}, {53.7, 0.16, 0.9},   {61.2, -0.13, -0.1},
    };
    for (const Reflection& r : reflections) {
        const std::size_t at = static_cast<std::size_t>(r.ms * 0.001 * kRate);
        const std::size_t interaural = static_cast<std::size_t>(std::fabs(r.pan) * 0.0006 * kRate);
        const double gainL = r.gain * std::sqrt(0.5 * (1.0 - r.pan));
        const double gainR = r.gain * std::sqrt(0.5 * (1.0 + r.pan));
        // The far ear hears it a little later.
        ir.left[at + (r.pan > 0 ? interaural : 0)] += gainL;
        ir.right[at + (r.pan < 0 ? interaural : 0)] += gainR;
    }

    // A short fade at the very end avoids a click where the file stops.
    const std::size_t fade = kRate / 20;
    for (std::size_t k = 0; k < fade; ++k) {
        const double g = static_cast<double>(k) / fade;
        ir.left[ir.frames() - 1 - k] *= g;
        ir.right[ir.frames() - 1 - k] *= g;
    }
    scaleToPeak(ir, 0.9);
    return ir;
}

// A plucked string: a noise burst circulating in a delay line of one period,
// smoothed a little on every pass (the classic plucked-string recipe).
void addPluck(Stereo& out, double startSeconds, double frequency, double gain, double pan, Random& random)
{
    const int period = static_cast<int>(kRate / frequency + 0.5);
    std::vector<double> line(static_cast<std::size_t>(period));
    for (double& v : line)
        v = random.uniform();
    const std::size_t start = static_cast<std::size_t>(startSeconds * kRate);
    const std::size_t length = static_cast<std::size_t>(1.1 * kRate);
    const double gainL = gain * std::sqrt(0.5 * (1.0 - pan));
    const double gainR = gain * std::sqrt(0.5 * (1.0 + pan));
    std::size_t index = 0;
    for (std::size_t i = 0; i < length && start + i < out.frames(); ++i) {
        const std::size_t next = (index + 1) % line.size();
        const double v = line[index];
        line[index] = 0.996 * 0.5 * (line[index] + line[next]);
        index = next;
        const double fadeOut = i + 2000 > length ? static_cast<double>(length - i) / 2000.0 : 1.0;
        out.left[start + i] += v * gainL * fadeOut;
        out.right[start + i] += v * gainR * fadeOut;
    }
}

// A drum: a sine whose pitch drops quickly, with a fast exponential decay.
void addDrum(Stereo& out, double startSeconds, double gain)
{
    const std::size_t start = static_cast<std::size_t>(startSeconds * kRate);
    double phase = 0.0;
    for (std::size_t i = 0; i < static_cast<std::size_t>(0.4 * kRate) && start + i < out.frames(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double frequency = 70.0 + 110.0 * std::exp(-t / 0.03);
        phase += 2.0 * kPi * frequency / kRate;
        const double v = std::sin(phase) * std::exp(-t / 0.09) * gain;
        out.left[start + i] += v;
        out.right[start + i] += v;
    }
}

// A click: two milliseconds of bright noise, the sharpest test of a reverb.
void addClick(Stereo& out, double startSeconds, double gain, double pan, Random& random)
{
    const std::size_t start = static_cast<std::size_t>(startSeconds * kRate);
    const std::size_t length = static_cast<std::size_t>(0.002 * kRate);
    for (std::size_t i = 0; i < length && start + i < out.frames(); ++i) {
        const double v = random.uniform() * gain * (1.0 - static_cast<double>(i) / length);
        out.left[start + i] += v * std::sqrt(0.5 * (1.0 - pan));
        out.right[start + i] += v * std::sqrt(0.5 * (1.0 + pan));
    }
}

Stereo makeDryPhrase()
{
    Stereo dry(static_cast<std::size_t>(6 * kRate));
    Random random(0xC0FFEEULL);
    addPluck(dry, 0.20, 220.00, 0.8, -0.3, random); // A3
    addPluck(dry, 0.75, 329.63, 0.7, 0.3, random);  // E4
    addClick(dry, 1.60, 0.9, 0.0, random);
    addDrum(dry, 2.20, 0.8);
    addPluck(dry, 2.20, 440.00, 0.6, 0.0, random);  // A4 on the drum
    addClick(dry, 3.10, 0.9, -0.5, random);
    addPluck(dry, 3.50, 277.18, 0.7, 0.5, random);  // C#4
    addPluck(dry, 3.52, 554.37, 0.5, -0.5, random); // C#5
    // From about 4.6 s on only the reverb tail is left to hear.
    scaleToPeak(dry, 0.5);
    return dry;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string folder = argc > 1 ? argv[1] : "resources/demo";
    const std::string irPath = folder + "/demo_ir.wav";
    const std::string inputPath = folder + "/demo_input.wav";
    if (!writeWav(irPath, makeImpulseResponse(), 24) || !writeWav(inputPath, makeDryPhrase(), 16)) {
        std::fprintf(stderr, "make_demo_assets: cannot write into %s\n", folder.c_str());
        return 1;
    }
    std::printf("wrote %s and %s\n", irPath.c_str(), inputPath.c_str());
    return 0;
}
