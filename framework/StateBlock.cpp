// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "StateBlock.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

// The state block: the magic "VC2!", the text length as an unsigned 32-bit
// little-endian number, the element as one line of text, a zero byte and a
// pad byte. Nothing else in the program knows this layout. The renderer
// builds this file too, so that it refuses exactly what the plug-in refuses.

namespace
{
    constexpr std::uint8_t magic[4] = { 0x56, 0x43, 0x32, 0x21 };   // "VC2!"
    constexpr size_t headerSize = 8;
    constexpr size_t trailerSize = 2;

    // Far beyond anything a state of ours holds (about 200 characters). The
    // parser pools every attribute name it meets, at a cost that grows with
    // the square of their number, so a longer text is refused outright.
    constexpr size_t textLimit = 65536;

    // Above this the parser is only asked for the outer element: it nests
    // one stack frame per level, and a host thread's stack may be small.
    constexpr int nestingLimit = 256;

    std::uint32_t readLittleEndian32 (const std::uint8_t* p) noexcept
    {
        return (std::uint32_t) p[0] | ((std::uint32_t) p[1] << 8)
               | ((std::uint32_t) p[2] << 16) | ((std::uint32_t) p[3] << 24);
    }

    void writeLittleEndian32 (std::uint8_t* p, std::uint32_t v) noexcept
    {
        p[0] = (std::uint8_t) v;
        p[1] = (std::uint8_t) (v >> 8);
        p[2] = (std::uint8_t) (v >> 16);
        p[3] = (std::uint8_t) (v >> 24);
    }

    // Our text is ASCII. Anything else is taken as UTF-8 when it is valid and
    // byte for byte otherwise, so no byte sequence can trip the decoder.
    juce::String decodeText (const std::string& bytes)
    {
        if (juce::CharPointer_UTF8::isValidString (bytes.c_str(), (int) bytes.size()))
            return juce::String::fromUTF8 (bytes.c_str(), (int) bytes.size());

        std::u32string wide (bytes.size(), U'\0');
        std::transform (bytes.begin(), bytes.end(), wide.begin(),
                        [] (char c) { return (char32_t) (unsigned char) c; });
        return juce::String (juce::CharPointer_UTF32 (reinterpret_cast<const juce::juce_wchar*> (wide.c_str())));
    }

    // A well-formed document always ends in '>' (of its element, a comment or
    // a processing instruction). The framework's parser accepts an element cut
    // off inside its attributes; such a text is refused here.
    bool endsLikeADocument (const std::string& bytes) noexcept
    {
        auto end = bytes.find_last_not_of (" \t\r\n");
        return end != std::string::npos && bytes[end] == '>';
    }

    // A document type declaration lets the parser expand entities into one
    // another (without bound) and name files to read. Ours never has one.
    bool hasDocumentType (const std::string& bytes)
    {
        static constexpr std::string_view doctype ("<!doctype");
        const auto found = std::search (bytes.begin(), bytes.end(), doctype.begin(), doctype.end(),
                                        [] (char a, char b) { return (a >= 'A' && a <= 'Z' ? (char) (a - 'A' + 'a') : a) == b; });
        return found != bytes.end();
    }

    // The framework's parser loops for ever on a processing instruction that
    // text follows inside an element ("<a><?b?>c</a>"). Ours has none; only
    // an XML declaration before the element is let through.
    bool hasInstructionInsideTheElement (const std::string& bytes)
    {
        for (auto i = bytes.find ('<'); i != std::string::npos && i + 1 < bytes.size(); i = bytes.find ('<', i + 1))
            if (bytes[i + 1] != '?' && bytes[i + 1] != '!')
                return bytes.find ("<?", i) != std::string::npos;

        return false;
    }
}

void stateblock::write (const juce::XmlElement& xml, juce::MemoryBlock& destination)
{
    const auto text = xml.toString (juce::XmlElement::TextFormat().singleLine().withoutHeader());
    const auto length = text.getNumBytesAsUTF8();
    jassert (length <= 0x7fffffffu - headerSize - trailerSize);

    destination.setSize (headerSize + length + trailerSize, false);
    auto* bytes = static_cast<std::uint8_t*> (destination.getData());

    std::memcpy (bytes, magic, sizeof (magic));
    writeLittleEndian32 (bytes + 4, (std::uint32_t) length);
    std::memcpy (bytes + headerSize, text.toRawUTF8(), length);
    bytes[headerSize + length] = 0;
    bytes[headerSize + length + 1] = 0;   // pad
}

std::unique_ptr<juce::XmlElement> stateblock::read (const void* data, int sizeInBytes)
{
    if (data == nullptr || sizeInBytes <= (int) headerSize)
        return {};

    const auto* bytes = static_cast<const std::uint8_t*> (data);
    if (std::memcmp (bytes, magic, sizeof (magic)) != 0)
        return {};

    // Both taken as signed: a length field of 2^31 or more reads no text.
    const auto storedLength = (std::int32_t) readLittleEndian32 (bytes + 4);
    if (storedLength == 0)
        return {};

    const int available = std::min (sizeInBytes - (int) headerSize, (int) storedLength);
    if (available <= 0)
        return {};

    const auto* text = reinterpret_cast<const char*> (bytes + headerSize);
    const auto* zero = static_cast<const char*> (std::memchr (text, 0, (size_t) available));
    const std::string copy (text, zero != nullptr ? (size_t) (zero - text) : (size_t) available);

    if (copy.empty() || copy.size() > textLimit || ! endsLikeADocument (copy) || hasDocumentType (copy)
        || hasInstructionInsideTheElement (copy))
        return {};

    const auto decoded = decodeText (copy);

    if (std::count (copy.begin(), copy.end(), '<') <= nestingLimit)
        return juce::parseXML (decoded);

    return juce::XmlDocument (decoded).getDocumentElement (true);
}
