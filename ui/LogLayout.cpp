#include "ui/LogLayout.h"

namespace pm {

TLogLayout LayoutLogSegments(const std::vector<QString>& segments, int x0, int right,
                             const TTextWidth& width) {
    TLogLayout layout;
    int x = x0;
    auto put = [&](int segment, const QString& text) {
        if (!text.isEmpty()) layout.Runs.push_back({segment, layout.Lines, x, text});
    };
    auto newLine = [&] {
        ++layout.Lines;
        x = x0;
    };
    for (int k = 0; k < int(segments.size()); ++k) {
        const QString& s = segments[k];
        const qsizetype n = s.size();
        qsizetype from = 0, i = 0, blank = -1;
        while (i < n) {
            if (s[i] == QLatin1Char('\r') && i + 1 < n && s[i + 1] == QLatin1Char('\n')) {
                put(k, s.mid(from, i - from));
                newLine();
                i += 2;
                from = i;
                blank = -1;
                continue;
            }
            if (x + width(s.mid(from, i - from + 1)) <= right) {
                if (s[i] == QLatin1Char(' ')) blank = i;
                ++i;
                continue;
            }
            if (blank >= 0) {
                put(k, s.mid(from, blank - from));
                from = blank + 1;
                i = from;
            } else if (i == from && x == x0) {
                ++i;  // wider than a whole line: it has to go somewhere
                continue;
            } else {
                put(k, s.mid(from, i - from));
                from = i;
            }
            newLine();
            blank = -1;
        }
        const QString rest = s.mid(from);
        put(k, rest);
        if (!rest.isEmpty()) x += width(rest);
    }
    return layout;
}

}  // namespace pm
