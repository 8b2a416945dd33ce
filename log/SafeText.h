#pragma once
// File names and values reach the terminal and the log file as text a reader
// can trust: a name holding a line break or an escape sequence must not be
// able to forge a log line or restyle the terminal.
#include <string>
#include <string_view>

namespace pm {

// `text` with control characters written out: "\n", "\r", "\t", "\x1b" for
// the C0 controls and DEL, "\u009b" for the C1 controls of UTF-8 text, and
// "\x9b" for a stray byte of that range that is not part of valid UTF-8.
// Everything else, other bytes of invalid UTF-8 included, is kept.
std::string EscapeControls(std::string_view text);

// Whether `text` holds anything EscapeControls would change.
bool HasControls(std::string_view text);

}  // namespace pm
