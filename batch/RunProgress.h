#pragma once
// The progress text of a run, the same on a terminal and on the desktop's
// progress bar: files done, failed and skipped, files per second and the
// time left.
#include <string>

namespace pm {

struct TProgressCounts {
    int Done = 0;        // processed well
    int Failed = 0;      // processed, not well
    int Skipped = 0;     // up to date, not processed
    int Left = 0;        // files of the current item not finished yet
    double Seconds = 0;  // since the run started
};

// "12 done, 1 failed, 3 skipped, 4.2 files/s, 0:05 left". The rate counts
// processed files only (skipping costs next to nothing); before the first
// file is processed the time left is unknown ("--:--").
std::string ProgressText(const TProgressCounts& counts);

}  // namespace pm
