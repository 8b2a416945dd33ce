// compare_psnr: how close the results of a fast run are to those of an
// exact run (bench/run-comparison.sh). Every picture below EXACT_DIR is
// compared with the file of the same relative path below FAST_DIR; prints
// "min mean count" of the PSNR in dB, or fails when a file is missing,
// unreadable or of another size.
//
//   compare_psnr EXACT_DIR FAST_DIR
#include "decoders/PictureLoader.h"
#include "imaging/Psnr.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

bool Load24(const std::string& file, pm::TFastDIB& out) {
    pm::TPicture picture;
    std::string error;
    if (!pm::LoadPicture(file, picture, error) || picture.Image.Bpp() != 24) {
        std::fprintf(stderr, "%s: %s\n", file.c_str(),
                     error.empty() ? "not a 24-bit picture" : error.c_str());
        return false;
    }
    out = std::move(picture.Image);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: compare_psnr EXACT_DIR FAST_DIR\n");
        return 2;
    }
    namespace fs = std::filesystem;
    const fs::path exactDir = argv[1], fastDir = argv[2];
    double least = INFINITY, sum = 0;
    int count = 0;
    for (const auto& entry : fs::recursive_directory_iterator(exactDir)) {
        if (!entry.is_regular_file()) continue;
        const fs::path relative = fs::relative(entry.path(), exactDir);
        pm::TFastDIB exact, fast;
        if (!Load24(entry.path().string(), exact) || !Load24((fastDir / relative).string(), fast)) return 1;
        const double psnr = pm::Psnr24(exact, fast);
        if (psnr < 0) {
            std::fprintf(stderr, "%s: the two results differ in size\n", relative.c_str());
            return 1;
        }
        // Equal pixels count as 99 dB so that the mean stays finite.
        const double value = std::min(psnr, 99.0);
        least = std::min(least, value);
        sum += value;
        ++count;
    }
    if (count == 0) {
        std::fprintf(stderr, "no pictures below %s\n", argv[1]);
        return 1;
    }
    std::printf("%.2f %.2f %d\n", least, sum / count, count);
    return 0;
}
