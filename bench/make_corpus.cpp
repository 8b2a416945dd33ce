// make_corpus: writes a deterministic set of photo-like JPEG files for the
// throughput comparison (bench/run-comparison.sh). Each picture has a sky
// and a ground with smooth gradients and a wavy horizon, hard-edged objects
// with their own shading, a grass-like texture, a vignette and sensor-like
// noise, so that it compresses and decodes like a camera photo rather than
// like a test pattern. The same arguments give the same bytes.
//
//   make_corpus DIR [COUNT [WIDTH HEIGHT [QUALITY]]]
#include "core/AtomicFile.h"
#include "encoders/JPEGImage.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

namespace {

using namespace pm;

// xorshift64*: small, fast and the same everywhere.
class TRandom {
public:
    explicit TRandom(std::uint64_t seed) : s_(seed * 0x9E3779B97F4A7C15ULL + 1) {}
    std::uint64_t Next() {
        s_ ^= s_ >> 12;
        s_ ^= s_ << 25;
        s_ ^= s_ >> 27;
        return s_ * 0x2545F4914F6CDD1DULL;
    }
    double Uniform() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
    double Range(double lo, double hi) { return lo + (hi - lo) * Uniform(); }

private:
    std::uint64_t s_;
};

struct TRgbF {
    float r, g, b;
};

struct TShape {
    bool ellipse;
    float cx, cy, rx, ry;
    TRgbF color;
    float shade;  // brightness change from top to bottom of the shape
};

std::uint8_t ToByte(float v) {
    return static_cast<std::uint8_t>(std::clamp(static_cast<int>(std::lround(v)), 0, 255));
}

TFastDIB MakePicture(int width, int height, std::uint64_t seed) {
    TRandom rnd(seed);
    const float pi = std::numbers::pi_v<float>;
    const TRgbF skyTop{float(rnd.Range(40, 90)), float(rnd.Range(80, 130)), float(rnd.Range(160, 230))};
    const TRgbF skyLow{float(rnd.Range(190, 240)), float(rnd.Range(200, 240)), float(rnd.Range(210, 250))};
    const TRgbF groundNear{float(rnd.Range(40, 90)), float(rnd.Range(60, 110)), float(rnd.Range(20, 50))};
    const TRgbF groundFar{float(rnd.Range(90, 150)), float(rnd.Range(110, 160)), float(rnd.Range(60, 110))};
    const float horizon = float(rnd.Range(0.4, 0.65)) * height;
    const float waveA = float(rnd.Range(0.02, 0.06)) * height,
                waveF = float(rnd.Range(1.5, 4.0)) * 2 * pi / width;
    const float waveP = float(rnd.Range(0, 2 * pi));
    std::vector<TShape> shapes(static_cast<std::size_t>(8 + rnd.Next() % 10));
    for (TShape& s : shapes) {
        s.ellipse = rnd.Next() % 2 == 0;
        s.cx = float(rnd.Range(0, width));
        s.cy = float(rnd.Range(0.2, 1.0)) * height;
        s.rx = float(rnd.Range(0.02, 0.12)) * width;
        s.ry = float(rnd.Range(0.02, 0.15)) * height;
        s.color = {float(rnd.Range(20, 235)), float(rnd.Range(20, 235)), float(rnd.Range(20, 235))};
        s.shade = float(rnd.Range(-60, 40));
    }
    // Separable tables for the texture sin(ax + by) sin(cy).
    const float ta = float(rnd.Range(0.05, 0.12)), tb = float(rnd.Range(0.02, 0.06)),
                tc = float(rnd.Range(0.08, 0.2));
    std::vector<float> sx(width), cx(width), sy(height), cy(height), sc(height), wave(width);
    for (int x = 0; x < width; ++x) {
        sx[x] = std::sin(ta * x);
        cx[x] = std::cos(ta * x);
        wave[x] = horizon + waveA * std::sin(waveF * x + waveP) + 0.3f * waveA * std::sin(3.7f * waveF * x);
    }
    for (int y = 0; y < height; ++y) {
        sy[y] = std::sin(tb * y);
        cy[y] = std::cos(tb * y);
        sc[y] = std::sin(tc * y);
    }

    TFastDIB dib;
    dib.SetSize(width, height, 24);
    const float halfW = width * 0.5f, halfH = height * 0.5f;
    std::vector<TRgbF> line(width);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            TRgbF c;
            const float h = wave[x];
            if (y < h) {
                const float t = y / h;
                c = {skyTop.r + (skyLow.r - skyTop.r) * t, skyTop.g + (skyLow.g - skyTop.g) * t,
                     skyTop.b + (skyLow.b - skyTop.b) * t};
            } else {
                const float t = (y - h) / (height - h + 1);
                const float tex = 14.0f * (sx[x] * cy[y] + cx[x] * sy[y]) * sc[y] * (0.3f + t);
                c = {groundFar.r + (groundNear.r - groundFar.r) * t + tex,
                     groundFar.g + (groundNear.g - groundFar.g) * t + tex * 1.2f,
                     groundFar.b + (groundNear.b - groundFar.b) * t + tex * 0.6f};
            }
            line[x] = c;
        }
        for (const TShape& s : shapes) {
            const float dy = (y - s.cy) / s.ry;
            if (dy < -1 || dy > 1) continue;
            const float span = s.ellipse ? s.rx * std::sqrt(1 - dy * dy) : s.rx;
            const int x0 = std::max(0, static_cast<int>(s.cx - span)),
                      x1 = std::min(width - 1, static_cast<int>(s.cx + span));
            const float shade = s.shade * (dy + 1) * 0.5f;
            for (int x = x0; x <= x1; ++x) {
                const float side = (x - s.cx) / (s.rx + 1) * 20.0f;
                line[x] = {s.color.r + shade + side, s.color.g + shade + side, s.color.b + shade + side};
            }
        }
        TColorTriple* row = dib.Row24(height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const float vx = (x - halfW) / halfW, vy = (y - halfH) / halfH;
            const float vignette = 1.0f - 0.25f * (vx * vx + vy * vy);
            const std::uint64_t n = rnd.Next();
            // Triangular luminance noise plus a little colour noise.
            const float lum = float(int(n & 15) + int((n >> 4) & 15) - 15) * 0.8f;
            const float cr = float(int((n >> 8) & 7) - 3) * 0.5f, cb = float(int((n >> 11) & 7) - 3) * 0.5f;
            row[x] = {ToByte(line[x].b * vignette + lum + cb), ToByte(line[x].g * vignette + lum),
                      ToByte(line[x].r * vignette + lum + cr)};
        }
    }
    return dib;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_corpus DIR [COUNT [WIDTH HEIGHT [QUALITY]]]\n");
        return 2;
    }
    const std::string dir = argv[1];
    const int count = argc > 2 ? std::atoi(argv[2]) : 40;
    const int width = argc > 4 ? std::atoi(argv[3]) : 3000;
    const int height = argc > 4 ? std::atoi(argv[4]) : 2000;
    const int quality = argc > 5 ? std::atoi(argv[5]) : 90;
    if (count < 1 || width < 16 || height < 16 || width > 20000 || height > 20000 || quality < 1 ||
        quality > 100) {
        std::fprintf(stderr, "make_corpus: bad arguments\n");
        return 2;
    }
    std::filesystem::create_directories(dir);
    TJPEGImage jpeg;
    jpeg.CompressionQuality = quality;
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "photo%04d.jpg", i + 1);
        const std::string path = dir + "/" + name;
        const TFastDIB dib = MakePicture(width, height, static_cast<std::uint64_t>(i + 1));
        TAtomicFileWriter file(path);
        std::string error;
        const bool ok =
            file.IsOpen() &&
            jpeg.SaveToSink(
                dib, [&file](const std::uint8_t* d, std::size_t n) { return file.Write(d, n); }, error) &&
            file.Commit();
        if (!ok) {
            std::fprintf(stderr, "make_corpus: cannot write %s %s\n", path.c_str(), error.c_str());
            return 1;
        }
    }
    return 0;
}
