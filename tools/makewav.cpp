// Writes the program's two sound cues as 16-bit mono PCM wave files:
//   makewav <dir>  ->  <dir>/Push.wav (short bright cue), <dir>/Close.wav (short low cue)
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 22050;

struct Tone {
    double hz;
    double seconds;
};

std::vector<std::int16_t> synth(const std::vector<Tone> &tones, double harmonics)
{
    std::vector<std::int16_t> samples;
    for (const Tone &t : tones) {
        const int n = static_cast<int>(t.seconds * kRate);
        for (int i = 0; i < n; ++i) {
            const double x = static_cast<double>(i) / kRate;
            const double attack = std::min(1.0, i / (0.004 * kRate));
            const double decay = std::exp(-x * 9.0 / t.seconds);
            double v = std::sin(2 * M_PI * t.hz * x) + harmonics * std::sin(4 * M_PI * t.hz * x);
            v *= 0.45 * attack * decay / (1.0 + harmonics);
            samples.push_back(static_cast<std::int16_t>(v * 32767));
        }
    }
    return samples;
}

void put32(std::ofstream &out, std::uint32_t v) { out.write(reinterpret_cast<const char *>(&v), 4); }
void put16(std::ofstream &out, std::uint16_t v) { out.write(reinterpret_cast<const char *>(&v), 2); }

bool writeWave(const std::string &path, const std::vector<std::int16_t> &samples)
{
    std::ofstream out(path, std::ios::binary);
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    out.write("RIFF", 4);
    put32(out, 36 + dataBytes);
    out.write("WAVEfmt ", 8);
    put32(out, 16);
    put16(out, 1); // PCM
    put16(out, 1); // mono
    put32(out, kRate);
    put32(out, kRate * 2);
    put16(out, 2);
    put16(out, 16);
    out.write("data", 4);
    put32(out, dataBytes);
    out.write(reinterpret_cast<const char *>(samples.data()), dataBytes);
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char **argv)
{
    const std::string dir = argc > 1 ? argv[1] : ".";
    const bool ok = writeWave(dir + "/Push.wav", synth({{1318.5, 0.07}, {1760.0, 0.16}}, 0.2))
                    && writeWave(dir + "/Close.wav", synth({{196.0, 0.22}}, 0.5));
    if (!ok)
        std::fprintf(stderr, "makewav: cannot write to %s\n", dir.c_str());
    return ok ? 0 : 1;
}
