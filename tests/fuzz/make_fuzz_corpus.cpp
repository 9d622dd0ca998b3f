// Writes the starter inputs of the fuzz targets: small valid WAV (also
// extensible with the usual and the ambisonic sub-formats, big-endian RIFX and
// RF64), AIFF and AIFF-C files of every converted width and
// layout, a few that are refused, split pairs in the split-pair
// target's input form, named files for the dispatch target and paths and
// parameter values for the path target.
//
//   make_fuzz_corpus <corpus folder>     writes <folder>/<target>/<name>
#include "params/PathParams.h"

#include <sys/stat.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::string;

Bytes le(std::uint32_t v, int n)
{
    Bytes b;
    for (int i = 0; i < n; ++i)
        b += static_cast<char>((v >> (8 * i)) & 0xff);
    return b;
}

Bytes be(std::uint32_t v, int n)
{
    Bytes b;
    for (int i = n - 1; i >= 0; --i)
        b += static_cast<char>((v >> (8 * i)) & 0xff);
    return b;
}

Bytes chunk(const char* id, const Bytes& body, bool bigEndian, bool pad = true)
{
    Bytes c = Bytes(id, 4) + (bigEndian ? be : le)(static_cast<std::uint32_t>(body.size()), 4) + body;
    if (pad && body.size() % 2 != 0)
        c += '\0';
    return c;
}

// A short decaying tone, the shape of a tiny impulse response.
double tone(int frame, int channel)
{
    return std::exp(-frame / 6.0) * std::cos(0.9 * frame + channel);
}

// Samples as `bytes`-wide integers (or floats), interleaved.
Bytes samples(int frames, int channels, int bytes, bool bigEndian, bool asFloat, bool unsignedBytes)
{
    Bytes out;
    for (int i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            const double v = tone(i, c);
            if (asFloat && bytes == 8) {
                std::uint64_t bits;
                std::memcpy(&bits, &v, sizeof bits);
                const auto low = static_cast<std::uint32_t>(bits);
                const auto high = static_cast<std::uint32_t>(bits >> 32);
                out += bigEndian ? be(high, 4) + be(low, 4) : le(low, 4) + le(high, 4);
                continue;
            }
            if (asFloat) {
                const float f = static_cast<float>(v);
                std::uint32_t bits;
                std::memcpy(&bits, &f, sizeof bits);
                out += bigEndian ? be(bits, 4) : le(bits, 4);
                continue;
            }
            const double full = std::ldexp(1.0, 8 * bytes - 1) - 1;
            auto q = static_cast<std::int64_t>(std::lround(v * full));
            if (unsignedBytes)
                q += 128;
            const auto u = static_cast<std::uint32_t>(q);
            out += bigEndian ? be(u, bytes) : le(u, bytes);
        }
    }
    return out;
}

Bytes fmtBody(int tag, int channels, std::uint32_t rate, int declaredBits, int bytesPerSample, bool bigEndian = false)
{
    const auto number = bigEndian ? be : le;
    return number(static_cast<std::uint32_t>(tag), 2) + number(static_cast<std::uint32_t>(channels), 2) + number(rate, 4) +
           number(rate * static_cast<std::uint32_t>(channels * bytesPerSample), 4) +
           number(static_cast<std::uint32_t>(channels * bytesPerSample), 2) +
           number(static_cast<std::uint32_t>(declaredBits), 2);
}

Bytes riff(const Bytes& chunks)
{
    return "RIFF" + le(static_cast<std::uint32_t>(4 + chunks.size()), 4) + "WAVE" + chunks;
}

// RIFX: RIFF's layout with every number big-endian.
Bytes rifx(const Bytes& chunks)
{
    return "RIFX" + be(static_cast<std::uint32_t>(4 + chunks.size()), 4) + "WAVE" + chunks;
}

Bytes wavRifx(int tag, int channels, int declaredBits, int bytesPerSample, int frames)
{
    const bool isFloat = tag == 3;
    return rifx(chunk("fmt ", fmtBody(tag, channels, 44100, declaredBits, bytesPerSample, true), true) +
                chunk("data", samples(frames, channels, bytesPerSample, true, isFloat, bytesPerSample == 1), true));
}

Bytes wav(int tag, int channels, int declaredBits, int bytesPerSample, int frames)
{
    const bool isFloat = tag == 3 || (bytesPerSample == 4 && declaredBits == 24);
    return riff(chunk("fmt ", fmtBody(tag, channels, 44100, declaredBits, bytesPerSample), false) +
                chunk("data", samples(frames, channels, bytesPerSample, false, isFloat, bytesPerSample == 1), false));
}

// The sub-format GUID that wraps format tag `tag` (1 PCM, 3 float).
Bytes tagGuid(int tag)
{
    return le(static_cast<std::uint32_t>(tag), 2) + Bytes("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xaa\x00\x38\x9b\x71", 14);
}

// The ambisonic B-format sub-format of format tag `tag` (1 PCM, 3 float), as
// a little-endian writer stores it.
Bytes bFormatGuid(int tag)
{
    return le(static_cast<std::uint32_t>(tag), 4) + Bytes("\x21\x07\xd3\x11\x86\x44\xc8\xc1\xca\x00\x00\x00", 12);
}

// WAVE_FORMAT_EXTENSIBLE: the 40-byte format chunk (plus `extra` bytes counted
// in cbSize) with `validBits` of the container carrying the signal.
Bytes wavExtensible(int channels, int containerBits, int validBits, const Bytes& guid, int frames,
                    const Bytes& extra = "")
{
    const bool isFloat = guid == tagGuid(3) || guid == bFormatGuid(3);
    const Bytes body = fmtBody(0xfffe, channels, 48000, containerBits, containerBits / 8) +
                       le(static_cast<std::uint32_t>(22 + extra.size()), 2) +
                       le(static_cast<std::uint32_t>(validBits), 2) + le(channels == 2 ? 3 : 4, 4) + guid + extra;
    return riff(chunk("fmt ", body, false) + chunk("fact", le(static_cast<std::uint32_t>(frames), 4), false) +
                chunk("data", samples(frames, channels, containerBits / 8, false, isFloat, containerBits == 8), false));
}

// RIFX with WAVE_FORMAT_EXTENSIBLE and the B-format float sub-format: the
// GUID's first three fields big-endian too.
Bytes rifxExtensibleBFormatFloat(int channels, int frames)
{
    const Bytes guid = be(3, 4) + be(0x0721, 2) + be(0x11d3, 2) + Bytes("\x86\x44\xc8\xc1\xca\x00\x00\x00", 8);
    const Bytes body = fmtBody(0xfffe, channels, 96000, 32, 4, true) + be(22, 2) + be(32, 2) + be(0, 4) + guid;
    return rifx(chunk("fmt ", body, true) + chunk("data", samples(frames, channels, 4, true, true, false), true));
}

// RF64 (or BW64): the sizes in a ds64 chunk, the data chunk's size field "unknown".
Bytes rf64(const char* magic, int channels, int frames)
{
    const Bytes data = samples(frames, channels, 2, false, false, false);
    const Bytes ds64 = le(0, 4) + le(0, 4) + le(static_cast<std::uint32_t>(data.size()), 4) + le(0, 4) +
                       le(static_cast<std::uint32_t>(frames), 4) + le(0, 4) + le(0, 4);
    return Bytes(magic) + le(0xffffffffu, 4) + "WAVE" + chunk("ds64", ds64, false) +
           chunk("fmt ", fmtBody(1, channels, 44100, 16, 2), false) + "data" + le(0xffffffffu, 4) + data +
           chunk("LIST", "INFOISFT" + le(4, 4) + "rf64", false);
}

// The 80-bit extended form of a rate that is a whole number or a half.
Bytes extended(double rate)
{
    int exponent = 0;
    const double mantissa = std::frexp(rate, &exponent); // 0.5 <= m < 1
    const auto significand = static_cast<std::uint64_t>(std::ldexp(mantissa, 64));
    Bytes b = be(static_cast<std::uint32_t>(16383 + exponent - 1), 2);
    b += be(static_cast<std::uint32_t>(significand >> 32), 4);
    b += be(static_cast<std::uint32_t>(significand), 4);
    return b;
}

Bytes aiff(int channels, int bits, double rate, int frames, const Bytes& extraChunks = "", std::uint32_t offset = 0)
{
    const Bytes comm = be(static_cast<std::uint32_t>(channels), 2) + be(static_cast<std::uint32_t>(frames), 4) +
                       be(static_cast<std::uint32_t>(bits), 2) + extended(rate);
    const Bytes ssnd = be(offset, 4) + be(0, 4) + Bytes(offset, '\0') +
                       samples(frames, channels, (bits + 7) / 8, true, false, false);
    const Bytes body = "AIFF" + chunk("COMM", comm, true) + extraChunks + chunk("SSND", ssnd, true);
    return "FORM" + be(static_cast<std::uint32_t>(body.size()), 4) + body;
}

// AIFF-C: FVER first, then COMM with the compression type and an odd-length
// name (the chunk padded), SSND. Samples little-endian for the little-endian types.
Bytes aifc(int channels, int bits, const char* compression, int frames, bool asFloat)
{
    const bool little = std::strcmp(compression, "sowt") == 0 || std::strcmp(compression, "42n1") == 0;
    const int bytes = asFloat ? (std::strcmp(compression, "fl64") == 0 ? 8 : 4) : (bits + 7) / 8;
    const Bytes comm = be(static_cast<std::uint32_t>(channels), 2) + be(static_cast<std::uint32_t>(frames), 4) +
                       be(static_cast<std::uint32_t>(bits), 2) + extended(44100) + compression + Bytes("\x02ok", 3);
    const Bytes ssnd = be(0, 4) + be(0, 4) + samples(frames, channels, bytes, !little, asFloat, false);
    const Bytes body = "AIFC" + chunk("FVER", be(0xA2805140u, 4), true) + chunk("COMM", comm, true) +
                       chunk("SSND", ssnd, true);
    return "FORM" + be(static_cast<std::uint32_t>(body.size()), 4) + body;
}

// Input of the split-pair target: cut point, flags, left bytes, right bytes.
Bytes splitInput(const Bytes& left, const Bytes& right, int flags)
{
    return le(static_cast<std::uint32_t>(left.size()), 2) + static_cast<char>(flags) + left + right;
}

Bytes floatValues(const char* path)
{
    float values[param::kPathParamValues];
    param::encodePathToParams(path, values);
    return Bytes(reinterpret_cast<const char*>(values), sizeof values);
}

bool put(const std::string& folder, const std::string& name, const Bytes& bytes)
{
    ::mkdir(folder.c_str(), 0755);
    const std::string path = folder + "/" + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return false;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_corpus <corpus folder>\n");
        return 2;
    }
    const std::string root = argv[1];
    ::mkdir(root.c_str(), 0755);
    bool ok = true;

    const std::string w = root + "/fuzz_wave_reader";
    const Bytes wav8 = wav(1, 1, 8, 1, 24);
    const Bytes wav16 = wav(1, 2, 16, 2, 24);
    ok &= put(w, "pcm8_mono.wav", wav8);
    ok &= put(w, "pcm16_stereo.wav", wav16);
    ok &= put(w, "pcm24_mono.wav", wav(1, 1, 24, 3, 24));
    ok &= put(w, "pcm24_stereo.wav", wav(1, 2, 24, 3, 16));
    ok &= put(w, "pcm32_stereo.wav", wav(1, 2, 32, 4, 16));
    ok &= put(w, "float32_stereo.wav", wav(3, 2, 32, 4, 16));
    ok &= put(w, "float_declared24_mono.wav", wav(1, 1, 24, 4, 16));
    ok &= put(w, "extensible16_stereo.wav", wavExtensible(2, 16, 16, tagGuid(1), 16));
    ok &= put(w, "extensible24in32_stereo.wav", wavExtensible(2, 32, 24, tagGuid(1), 12));
    ok &= put(w, "extensible8_valid6_cb23.wav", wavExtensible(1, 8, 6, tagGuid(1), 16, "x"));
    ok &= put(w, "extensible_float32_mono.wav", wavExtensible(1, 32, 32, tagGuid(3), 12));
    ok &= put(w, "extensible_float64_stereo.wav", wavExtensible(2, 64, 0, tagGuid(3), 8));
    ok &= put(w, "float64_mono.wav", wav(3, 1, 64, 8, 4));
    ok &= put(w, "rf64_stereo.wav", rf64("RF64", 2, 12));
    ok &= put(w, "bw64_mono.wav", rf64("BW64", 1, 12));
    // Ambisonic B-format sub-formats, read as PCM and float.
    ok &= put(w, "bformat_pcm16_mono.wav", wavExtensible(1, 16, 16, bFormatGuid(1), 8));
    ok &= put(w, "bformat_pcm24_stereo.wav", wavExtensible(2, 24, 24, bFormatGuid(1), 12));
    ok &= put(w, "bformat_float32_stereo.wav", wavExtensible(2, 32, 32, bFormatGuid(3), 12));
    // Big-endian RIFX.
    ok &= put(w, "rifx_pcm8_mono.wav", wavRifx(1, 1, 8, 1, 17));
    ok &= put(w, "rifx_pcm16_stereo.wav", wavRifx(1, 2, 16, 2, 16));
    ok &= put(w, "rifx_pcm24_mono.wav", wavRifx(1, 1, 24, 3, 15));
    ok &= put(w, "rifx_pcm32_stereo.wav", wavRifx(1, 2, 32, 4, 12));
    ok &= put(w, "rifx_float32_stereo.wav", wavRifx(3, 2, 32, 4, 12));
    ok &= put(w, "rifx_float64_mono.wav", wavRifx(3, 1, 64, 8, 8));
    ok &= put(w, "rifx_extensible_bformat_float_stereo.wav", rifxExtensibleBFormatFloat(2, 10));
    // Refused: three channels, mu-law, a B-format sub-format that is neither PCM nor float.
    ok &= put(w, "refused_three_channels.wav", wav(1, 3, 16, 2, 8));
    ok &= put(w, "refused_mulaw.wav", wav(7, 1, 8, 1, 16));
    ok &= put(w, "refused_bformat_adpcm.wav", wavExtensible(1, 16, 16, bFormatGuid(2), 8));
    // Longer than one of the converters' read pieces (24576 bytes).
    ok &= put(w, "pcm8_mono_long.wav", wav(1, 1, 8, 1, 24600));
    ok &= put(w, "list_fact_odd.wav",
              riff(chunk("LIST", "INFOISFT" + le(5, 4) + "tool", false) +
                   chunk("fmt ", fmtBody(1, 1, 22050, 16, 2), false) + chunk("fact", "\x07", false) +
                   chunk("data", samples(12, 1, 2, false, false, false), false)));

    const std::string a = root + "/fuzz_aiff_reader";
    const Bytes aif16 = aiff(1, 16, 44100, 24);
    const Bytes aif24 = aiff(2, 24, 48000, 16);
    ok &= put(a, "pcm16_mono.aif", aif16);
    ok &= put(a, "pcm24_stereo.aif", aif24);
    ok &= put(a, "pcm8_stereo.aif", aiff(2, 8, 22050, 16));
    ok &= put(a, "pcm32_mono.aif", aiff(1, 32, 96000, 12));
    ok &= put(a, "pcm20_mono.aif", aiff(1, 20, 44100, 8));
    ok &= put(a, "pcm16_stereo_long.aif", aiff(2, 16, 44100, 6150));
    const Bytes aifcSowt = aifc(2, 16, "sowt", 16, false);
    ok &= put(a, "aifc_none16_mono.aif", aifc(1, 16, "NONE", 16, false));
    ok &= put(a, "aifc_twos24_stereo.aif", aifc(2, 24, "twos", 12, false));
    ok &= put(a, "aifc_sowt16_stereo.aif", aifcSowt);
    ok &= put(a, "aifc_42n1_24_mono.aif", aifc(1, 24, "42n1", 12, false));
    ok &= put(a, "aifc_raw8_mono.aif", aifc(1, 8, "raw ", 16, false));
    ok &= put(a, "aifc_fl32_stereo.aif", aifc(2, 32, "fl32", 12, true));
    ok &= put(a, "aifc_fl64_mono.aif", aifc(1, 64, "fl64", 12, true));
    ok &= put(a, "refused_aifc_ulaw.aif", aifc(1, 8, "ulaw", 16, false));
    ok &= put(a, "refused_three_channels.aif", aiff(3, 16, 44100, 8));
    ok &= put(a, "half_rate_mark_offset.aif",
              aiff(1, 16, 22050.5, 12, chunk("MARK", be(0, 2), true) + chunk("NAME", "odd", true), 4));

    const std::string s = root + "/fuzz_split_pair";
    const Bytes left24 = samples(20, 1, 3, true, false, false);
    Bytes right24;
    for (int i = 0; i < 20; ++i) // the other channel of the tone
        right24 += be(static_cast<std::uint32_t>(std::lround(tone(i, 1) * 8388607.0)), 3);
    ok &= put(s, "pair", splitInput(left24, right24, 0));
    ok &= put(s, "pair_unequal_by_R", splitInput(left24.substr(0, 30), right24 + "\x01\x02", 4));
    ok &= put(s, "left_only", splitInput(left24, "", 2));
    ok &= put(s, "right_only_by_R", splitInput("", right24, 1 | 4));

    // Byte 0 picks the name's ending: 0 ".wav", 1 ".WAV", 3 ".aif", 6 ".AIFF", 7 ".L", 8 ".R", 11 ".txt", 14 ".aifc".
    const std::string d = root + "/fuzz_dispatch";
    ok &= put(d, "wav", Bytes(1, '\0') + wav16);
    ok &= put(d, "WAV_pcm8", Bytes(1, '\1') + wav8);
    ok &= put(d, "aif", Bytes(1, '\3') + aif16);
    ok &= put(d, "AIFF", Bytes(1, '\6') + aif24);
    ok &= put(d, "half_L", Bytes(1, '\7') + left24);
    ok &= put(d, "half_R", Bytes(1, '\10') + right24);
    ok &= put(d, "txt", Bytes(1, '\13') + wav16);
    ok &= put(d, "WAV_extensible", Bytes(1, '\1') + wavExtensible(2, 24, 20, tagGuid(1), 8));
    ok &= put(d, "wav_rf64", Bytes(1, '\0') + rf64("RF64", 2, 8));
    ok &= put(d, "wav_rifx", Bytes(1, '\0') + wavRifx(1, 2, 24, 3, 8));
    ok &= put(d, "aif_aifc", Bytes(1, '\3') + aifcSowt);
    ok &= put(d, "aifc", Bytes(1, '\16') + aifcSowt);

    const std::string p = root + "/fuzz_path_params";
    const char* hall = "/home/user/.vst/data/Large Hall.wav";
    ok &= put(p, "path", hall);
    ok &= put(p, "path_high_bytes", "/home/user/\xe3\x83\x9b\xe3\x83\xbc\xe3\x83\xab/Take1.L");
    ok &= put(p, "path_239", "/" + Bytes(238, 'a'));
    ok &= put(p, "path_240", "/" + Bytes(239, 'b'));
    ok &= put(p, "values_of_path", floatValues(hall));
    Bytes edges; // 1.0, just below 1, -0.0, NaN, infinity, a subnormal, then zeros
    for (std::uint32_t bits : {0x3f800000u, 0x3f7fffffu, 0x80000000u, 0x7fc00000u, 0x7f800000u, 0x00000001u})
        edges += le(bits, 4);
    ok &= put(p, "values_out_of_range", edges + Bytes(320 - edges.size(), '\0'));
    return ok ? 0 : 1;
}
