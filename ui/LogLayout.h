#pragma once
// Word wrapping of a log message's coloured segments: each segment goes on
// where the previous one ended, a line breaks at the last blank that fits
// (else at the character that no longer fits), and CR LF always breaks.
#include <QString>
#include <functional>
#include <vector>

namespace pm {

struct TLogRun {
    int Segment;  // index of the segment the text comes from
    int Line;     // from 1
    int X;        // left edge in pixels
    QString Text;
    friend bool operator==(const TLogRun&, const TLogRun&) = default;
};

struct TLogLayout {
    std::vector<TLogRun> Runs;  // empty pieces are left out
    int Lines = 1;
};

using TTextWidth = std::function<int(const QString&)>;

// Lays the segments out from x0 with the right limit `right` (a piece may
// end exactly there). A single character wider than an empty line is put
// on that line anyway, so a narrow window cannot stall the layout.
TLogLayout LayoutLogSegments(const std::vector<QString>& segments, int x0, int right,
                             const TTextWidth& width);

}  // namespace pm
