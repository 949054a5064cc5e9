#pragma once

#include <string>
#include <string_view>

namespace tarvix {

enum class TextEncoding { utf8, utf16le, utf16be };

/// The encoding of a text from its first bytes: UTF-16 by its byte order mark, or without one when
/// every other byte is zero in most of its characters (a Windows registry export, a log).
TextEncoding textEncoding(std::string_view head);

/// UTF-16 turned into UTF-8 piece by piece, losslessly: a lone surrogate becomes the three bytes
/// that would encode it, and an odd last byte stays in leftover().
class Utf16Decoder {
public:
    explicit Utf16Decoder(bool bigEndian) : m_bigEndian(bigEndian) {}
    void feed(std::string_view bytes, std::string& utf8);
    /// At the end: the decoded surrogate still waiting for its pair, and an odd last byte raw.
    void finish(std::string& utf8);
    std::string_view leftover() const { return m_odd; }

private:
    bool m_bigEndian;
    std::string m_odd;
    char32_t m_lead = 0;
};

/// The reverse of Utf16Decoder, for its output with parts replaced by other UTF-8.
class Utf16Encoder {
public:
    explicit Utf16Encoder(bool bigEndian) : m_bigEndian(bigEndian) {}
    void feed(std::string_view utf8, std::string& bytes);

private:
    void unit(char32_t unit, std::string& bytes) const;
    bool m_bigEndian;
    std::string m_partial;
};

}  // namespace tarvix
