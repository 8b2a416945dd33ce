#pragma once
// Small text helpers shared by the settings store, the scenario and the tasks.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pm {

std::string UpperCase(std::string_view s);  // ASCII letters only
std::string LowerCase(std::string_view s);
bool SameText(std::string_view a, std::string_view b);  // ASCII case-insensitive
std::string Trim(std::string_view s);                   // blanks and tabs
std::string TrimLeft(std::string_view s);

// Integer text as the settings files use it: an optional sign and decimal
// digits, or "$" and hexadecimal digits (at most 8 after leading zeros,
// taken as a 32-bit pattern).
// Anything else, or a decimal value outside 32 bits, gives nullopt.
std::optional<std::int32_t> StrToIntStrict(std::string_view s);

// 64-bit FNV-1a over the bytes of `text` (offset basis 14695981039346656037,
// prime 1099511628211): a stable hash for names and file lists.
std::uint64_t Fnv1a64(std::string_view text);

}  // namespace pm
