#pragma once
// The report a script reads: one JSON object per line, one per source file
// as it finishes, then one with the totals. Every line is written whole with
// one write, so the file holds only complete objects at every moment.
#include "batch/BatchRun.h"

#include <string>

namespace pm {

// `text` as a JSON string, quotes included; bytes that are not UTF-8 become
// U+FFFD, so the line stays valid JSON whatever a file name holds.
std::string JsonString(const std::string& text);

class TRunReport {
public:
    TRunReport() = default;
    ~TRunReport();
    TRunReport(const TRunReport&) = delete;
    TRunReport& operator=(const TRunReport&) = delete;

    // Creates (or empties) the file; false when it cannot be opened.
    bool Open(const std::string& fileName);
    bool IsOpen() const { return fd_ >= 0; }
    void File(const TBatchRun::TFileDone& done);
    // The closing object; closes the file. False when any write failed.
    bool Close(double milliseconds);

private:
    void Line(const std::string& json);

    int fd_ = -1;
    bool failed_ = false;
    int total_ = 0, done_ = 0, failed_files_ = 0, skipped_ = 0, planned_ = 0;
};

}  // namespace pm
