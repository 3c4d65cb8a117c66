#include "Spectrogram.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <complex>

namespace {

constexpr int fftSize = 4096;
constexpr int levels = 240; // palette entries for the level scale
constexpr uint8_t markColour = 250;
constexpr uint8_t barColour = 251;

void fft(std::vector<std::complex<double>>& a) {
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(a[i], a[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        double angle = -2 * 3.14159265358979323846 / static_cast<double>(len);
        std::complex<double> step(std::cos(angle), std::sin(angle));
        for (size_t i = 0; i < n; i += len) {
            std::complex<double> w(1);
            for (size_t k = 0; k < len / 2; ++k) {
                std::complex<double> u = a[i + k], v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
                w *= step;
            }
        }
    }
}

// Black through blue, purple, red and orange to pale yellow.
void palette(std::vector<png_color>& colours) {
    const double stops[][3] = {{0, 0, 0},     {20, 20, 90},   {120, 30, 130},
                               {210, 50, 60}, {250, 150, 30}, {255, 250, 190}};
    const int segments = 5;
    colours.assign(256, png_color{0, 0, 0});
    for (int i = 0; i < levels; ++i) {
        double t = i / double(levels - 1) * segments;
        int s = std::min(segments - 1, static_cast<int>(t));
        double f = t - s;
        png_color c;
        c.red = static_cast<png_byte>(stops[s][0] + (stops[s + 1][0] - stops[s][0]) * f);
        c.green = static_cast<png_byte>(stops[s][1] + (stops[s + 1][1] - stops[s][1]) * f);
        c.blue = static_cast<png_byte>(stops[s][2] + (stops[s + 1][2] - stops[s][2]) * f);
        colours[i] = c;
    }
    colours[markColour] = png_color{255, 255, 255};
    colours[barColour] = png_color{150, 150, 150};
}

} // namespace

bool Spectrogram::write(const std::string& path, const std::vector<float>& stereo, double rate,
                        const Options& options, std::string& error) {
    const int width = std::clamp(options.width, 16, 8192);
    const int height = std::clamp(options.height, 16, 4096);
    const size_t frames = stereo.size() / 2;
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height, 0);
    std::vector<double> window(fftSize);
    double windowSum = 0;
    for (int i = 0; i < fftSize; ++i) {
        window[i] = 0.5 - 0.5 * std::cos(2 * 3.14159265358979323846 * i / (fftSize - 1));
        windowSum += window[i];
    }
    // The frequency bin each image row shows.
    std::vector<double> rowBin(height);
    const double low = 40, high = std::min(16000.0, rate / 2);
    for (int y = 0; y < height; ++y) {
        double f = low * std::pow(high / low, (height - 1 - y) / double(height - 1));
        rowBin[y] = f / rate * fftSize;
    }
    std::vector<std::complex<double>> buffer(fftSize);
    for (int x = 0; x < width; ++x) {
        double centre = (x + 0.5) * frames / width;
        int64_t start = static_cast<int64_t>(centre) - fftSize / 2;
        for (int i = 0; i < fftSize; ++i) {
            int64_t f = start + i;
            double v = 0;
            if (f >= 0 && static_cast<size_t>(f) < frames)
                v = 0.5 * (stereo[2 * f] + stereo[2 * f + 1]);
            buffer[i] = v * window[i];
        }
        fft(buffer);
        for (int y = 0; y < height; ++y) {
            // The strongest bin between this row and the next, so high rows don't miss lines.
            int from = static_cast<int>(rowBin[y]);
            int to = y > 0 ? std::max(from, static_cast<int>(rowBin[y - 1]) - 1) : from;
            double magnitude = 0;
            for (int b = from; b <= to && b < fftSize / 2; ++b)
                magnitude = std::max(magnitude, std::abs(buffer[b]));
            double db = 20 * std::log10(std::max(1e-12, 2 * magnitude / windowSum));
            double t = std::clamp((db + 100.0) / 100.0, 0.0, 1.0);
            pixels[static_cast<size_t>(y) * width + x] = static_cast<uint8_t>(t * (levels - 1));
        }
    }
    auto column = [&](int64_t frame) {
        return static_cast<int>(std::clamp<double>(
            static_cast<double>(frame) * width / std::max<size_t>(frames, 1), 0, width - 1));
    };
    for (int64_t bar : options.bars) {
        int x = column(bar);
        for (int y = 0; y < height / 32; ++y)
            pixels[static_cast<size_t>(y) * width + x] = barColour;
    }
    for (int64_t mark : options.marks) {
        int x = column(mark);
        for (int y = 0; y < height; ++y)
            pixels[static_cast<size_t>(y) * width + x] = markColour;
    }

    std::vector<png_color> colours;
    palette(colours);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB_COLORMAP;
    image.colormap_entries = 256;
    if (!png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), 0, colours.data())) {
        error = path + ": " + image.message;
        return false;
    }
    return true;
}
