#pragma once
// Builds file images byte by byte for reader tests.
#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace pm::test {

class TBytes {
  public:
    TBytes& U8(unsigned v) {
        bytes_.push_back(static_cast<std::uint8_t>(v));
        return *this;
    }
    TBytes& U16LE(unsigned v) { return U8(v).U8(v >> 8); }
    TBytes& U16BE(unsigned v) { return U8(v >> 8).U8(v); }
    TBytes& U32LE(std::uint32_t v) { return U16LE(v & 0xFFFF).U16LE(v >> 16); }
    TBytes& U32BE(std::uint32_t v) { return U16BE(v >> 16).U16BE(v & 0xFFFF); }
    TBytes& Raw(std::initializer_list<unsigned> values) {
        for (unsigned v : values) U8(v);
        return *this;
    }
    TBytes& Text(std::string_view s) {
        bytes_.insert(bytes_.end(), s.begin(), s.end());
        return *this;
    }
    TBytes& Zeros(std::size_t n) {
        bytes_.insert(bytes_.end(), n, 0);
        return *this;
    }
    TBytes& Append(const std::vector<std::uint8_t>& more) {
        bytes_.insert(bytes_.end(), more.begin(), more.end());
        return *this;
    }
    TBytes& PadTo(std::size_t size) {
        if (bytes_.size() < size) bytes_.resize(size, 0);
        return *this;
    }
    std::size_t Size() const { return bytes_.size(); }
    std::vector<std::uint8_t>& Bytes() { return bytes_; }
    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

  private:
    std::vector<std::uint8_t> bytes_;
};

} // namespace pm::test
