#include "log/SafeText.h"

#include <cstdio>

namespace pm {

namespace {

void AppendHex(std::string& out, const char* format, unsigned value) {
    char buf[8];
    std::snprintf(buf, sizeof buf, format, value);
    out += buf;
}

// Length of the valid UTF-8 sequence at `i`, or 0 when the byte there does
// not start one.
std::size_t SequenceLength(std::string_view s, std::size_t i) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t n = b >= 0xF0 && b <= 0xF4 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 ? 2 : 0;
    if (n == 0 || b > 0xF4 || i + n > s.size()) return 0;
    for (std::size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 0;
    return n;
}

}  // namespace

std::string EscapeControls(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x20 || b == 0x7F) {
            if (b == '\n')
                out += "\\n";
            else if (b == '\r')
                out += "\\r";
            else if (b == '\t')
                out += "\\t";
            else
                AppendHex(out, "\\x%02x", b);
            ++i;
            continue;
        }
        if (b < 0x80) {
            out += static_cast<char>(b);
            ++i;
            continue;
        }
        const std::size_t n = SequenceLength(text, i);
        if (n == 2 && b == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0) {
            AppendHex(out, "\\u%04x", static_cast<unsigned char>(text[i + 1]));
        } else if (n > 0) {
            out.append(text.substr(i, n));
        } else {
            if (b < 0xA0)
                AppendHex(out, "\\x%02x", b);
            else
                out += static_cast<char>(b);
            i += 1;
            continue;
        }
        i += n;
    }
    return out;
}

bool HasControls(std::string_view text) {
    return EscapeControls(text) != text;
}

}  // namespace pm
