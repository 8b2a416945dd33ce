#pragma once
// Log message kinds, colours and segments shared by every sink.
#include <cstdint>
#include <string>
#include <vector>

namespace pm {

// Framework colour value: $00BBGGRR for RGB, $80000000 + index for a system
// colour, $1FFFFFFF for none.
using TColor = std::uint32_t;

constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clSystemColorBase = 0x80000000;
constexpr TColor clWindowText = 0x80000008;

enum TLogKind : int { lmInfo = 1, lmQuestion = 2, lmWarning = 3, lmError = 4 };

constexpr TColor LogTextColor = clWindowText;
constexpr TColor LogValueColor = 0x00FF0000;  // blue
constexpr TColor LogErrorColor = 0x000000FF;  // red
constexpr TColor LogDoneColor = 0x00008000;   // green

// One coloured piece of a log message. The text may hold CR LF pairs.
struct TTextColor {
    std::string Text;
    TColor Color = LogTextColor;
};

using TTextColorArray = std::vector<TTextColor>;

// The three operations WriteLog needs of a console.
class ILogConsole {
public:
    virtual ~ILogConsole() = default;
    virtual void AddMessage(int kind, const TTextColorArray& segments) = 0;
    virtual void AppendToLast(const TTextColorArray& segments) = 0;
    virtual void SelectLast() = 0;
};

}  // namespace pm
