// Times the picture import (decode + scale + encode + Base64) against a plain full libjpeg decode
// of the same photo-like file to RGB, and measures the peak memory of each.
//
//   lumarinda-bench-picture [runs]

#include "core/picture/Base64.h"
#include "core/picture/JpegEncode.h"
#include "core/picture/JpegImport.h"
#include "core/shell/Failure.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <jpeglib.h>
#include <string>
#include <sys/resource.h>
#include <time.h>
#include <vector>

namespace {

struct Size
{
    int megapixels;
    int width;
    int height;
    bool progressive = false; // with 4:4:4 chroma, as ImageMagick writes at quality 90 and above
};

// A photo-like picture: smooth light, textured surfaces, hard edges and sensor noise, written
// row by row at quality 90 with 4:2:0 chroma, as a camera would, or progressive with 4:4:4.
void writePhotoLike(const std::string& path, const Size& size)
{
    const int width = size.width;
    const int height = size.height;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::perror(path.c_str());
        std::exit(1);
    }
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    if (size.progressive) {
        for (int c = 0; c < 3; ++c)
            info.comp_info[c].h_samp_factor = info.comp_info[c].v_samp_factor = 1;
        jpeg_simple_progression(&info);
    }
    jpeg_start_compress(&info, TRUE);

    std::vector<unsigned char> row(static_cast<std::size_t>(width) * 3);
    unsigned seed = 12345;
    for (int y = 0; y < height; ++y) {
        const double v = static_cast<double>(y) / height;
        for (int x = 0; x < width; ++x) {
            const double u = static_cast<double>(x) / width;
            seed = seed * 1664525u + 1013904223u;
            const int noise = static_cast<int>((seed >> 24) % 25) - 12;
            const double light = 90 + 70 * std::sin(3.1 * u + 1.7 * v) * std::cos(2.3 * v);
            const double texture = 18 * std::sin(x * 0.09 + 6 * std::sin(y * 0.013)) * std::cos(y * 0.07);
            const bool wall = ((x / 420 + y / 310) % 3) == 0;
            const double base = light + texture + (wall ? 45 : 0) + noise;
            const int r = static_cast<int>(base + 25 * u);
            const int g = static_cast<int>(base * 0.9 + 20 * v);
            const int b = static_cast<int>(base * 0.75 + (wall ? -30 : 35));
            row[3 * x] = static_cast<unsigned char>(std::clamp(r, 0, 255));
            row[3 * x + 1] = static_cast<unsigned char>(std::clamp(g, 0, 255));
            row[3 * x + 2] = static_cast<unsigned char>(std::clamp(b, 0, 255));
        }
        JSAMPROW pointer = row.data();
        jpeg_write_scanlines(&info, &pointer, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(file);
}

// The floor: every pixel decoded to RGB, as any viewer does.
void decodeFully(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    const int rows = info.rec_outbuf_height;
    std::vector<unsigned char> buffer(static_cast<std::size_t>(info.output_width) * 3 * rows);
    std::vector<JSAMPROW> pointers(rows);
    for (int i = 0; i < rows; ++i)
        pointers[i] = buffer.data() + static_cast<std::size_t>(i) * info.output_width * 3;
    while (info.output_scanline < info.output_height)
        jpeg_read_scanlines(&info, pointers.data(), static_cast<JDIMENSION>(rows));
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(file);
}

std::size_t importPicture(const std::string& path)
{
    const RgbPicture picture = importJpegFile(QString::fromStdString(path));
    const QByteArray jpeg = encodePreviewJpeg(picture);
    return static_cast<std::size_t>(Base64Encode(jpeg, 19).size());
}

// Peak resident memory in KiB since the last reset, from the kernel's high-water mark.
bool resetPeak()
{
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    return static_cast<bool>(clear.flush());
}

long peakKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6);
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

double cpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

struct Timings
{
    std::vector<double> wall;
    std::vector<double> cpu;

    template <typename F>
    void measure(F&& work)
    {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = cpuMs();
        work();
        cpu.push_back(cpuMs() - cpuStart);
        wall.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    QTemporaryDir folder;
    if (!folder.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    const Size sizes[] = {
        {12, 4000, 3000}, {24, 6000, 4000}, {48, 8000, 6000}, {48, 8000, 6000, true}, {200, 16320, 12240}};

    std::printf("picture import (decode + scale + encode + Base64) vs plain libjpeg decode to RGB\n");
    std::printf("medians of %d interleaved runs; wall and CPU time in ms; peak resident memory in MB\n", runs);
    std::printf("%-4s %-11s %-12s %7s %10s %10s %6s %10s %10s %6s %9s %9s\n", "MP", "size", "kind", "file MB", "import",
                "decode", "ratio", "import", "decode", "ratio", "import", "decode");
    std::printf("%-4s %-11s %-12s %7s %10s %10s %6s %10s %10s %6s %9s %9s\n", "", "", "", "", "wall", "wall", "", "cpu",
                "cpu", "", "peak MB", "peak MB");
    for (const Size& size : sizes) {
        const std::string path =
            folder.filePath(QStringLiteral("photo-%1-%2.jpg").arg(size.megapixels).arg(size.progressive)).toStdString();
        writePhotoLike(path, size);
        const double fileMb = static_cast<double>(QFile(QString::fromStdString(path)).size()) / (1 << 20);

        try {
            // Warm the file cache and the code before timing either.
            importPicture(path);
            decodeFully(path);

            // Peak memory of each alone.
            const bool peaks = resetPeak();
            importPicture(path);
            const long importPeak = peakKiB();
            resetPeak();
            decodeFully(path);
            const long decodePeak = peakKiB();

            // Interleaved, so that both meet the same load from the rest of the machine.
            Timings import;
            Timings decode;
            // The largest take seconds each: fewer runs.
            const int rowRuns = size.megapixels > 100 ? std::min(runs, 3) : runs;
            for (int i = 0; i < rowRuns; ++i) {
                import.measure([&] { importPicture(path);
            });
            decode.measure([&] { decodeFully(path); });
        }
        const double importMs = median(import.wall);
        const double decodeMs = median(decode.wall);
        const double importCpu = median(import.cpu);
        const double decodeCpu = median(decode.cpu);

        std::printf("%-4d %5dx%-5d %-12s %7.1f %10.1f %10.1f %6.3f %10.1f %10.1f %6.3f %9.1f %9.1f%s\n",
                    size.megapixels, size.width, size.height, size.progressive ? "progr. 4:4:4" : "base. 4:2:0", fileMb,
                    importMs, decodeMs, importMs / decodeMs, importCpu, decodeCpu, importCpu / decodeCpu,
                    importPeak / 1024.0, decodePeak / 1024.0, peaks ? "" : "  (peaks since start)");
    }
    catch (const Failure& failure)
    {
        std::fprintf(stderr, "%s\n", failure.what());
        return 1;
    }
    std::remove(path.c_str());
}
rusage usage{};
getrusage(RUSAGE_SELF, &usage);
std::printf("peak resident memory of the whole run: %.1f MB\n", usage.ru_maxrss / 1024.0);
return 0;
}
