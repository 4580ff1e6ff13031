// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "FactoryPresets.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <numeric>

namespace factorypresets
{
    namespace
    {
        std::string lower (std::string_view text)
        {
            std::string result (text);
            for (auto& c : result)
                c = (char) std::tolower ((unsigned char) c);
            return result;
        }

        size_t editDistance (const std::string& a, const std::string& b)
        {
            std::vector<size_t> row (b.size() + 1);
            std::iota (row.begin(), row.end(), size_t { 0 });
            for (size_t i = 1; i <= a.size(); ++i)
            {
                size_t diagonal = row[0];
                row[0] = i;
                for (size_t j = 1; j <= b.size(); ++j)
                {
                    const size_t above = row[j];
                    row[j] = std::min ({ row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1) });
                    diagonal = above;
                }
            }
            return row[b.size()];
        }
    }

    std::vector<unsigned char> stateBlock (const Sound& sound)
    {
        const auto length = std::strlen (sound.stateText);
        std::vector<unsigned char> block (length + 10, 0);
        std::memcpy (block.data(), "VC2!", 4);
        for (size_t i = 0; i < 4; ++i)
            block[4 + i] = (unsigned char) (length >> (8 * i));
        std::memcpy (block.data() + 8, sound.stateText, length);
        return block;
    }

    const Sound* find (std::string_view name) noexcept
    {
        for (const auto& sound : all())
        {
            const std::string_view candidate (sound.name);
            if (candidate.size() == name.size()
                && std::equal (candidate.begin(), candidate.end(), name.begin(), [] (char a, char b) {
                       return std::tolower ((unsigned char) a) == std::tolower ((unsigned char) b);
                   }))
                return &sound;
        }
        return nullptr;
    }

    std::vector<std::string> closeMatches (std::string_view name, size_t maximum)
    {
        // A word of the name inside a sound's name counts as close whatever
        // the spelling of the rest ("saw" finds every saw).
        const auto wanted = lower (name);
        std::vector<std::pair<size_t, std::string>> scored;
        for (const auto& sound : all())
        {
            const auto candidate = lower (sound.name);
            auto score = editDistance (wanted, candidate);
            if (! wanted.empty() && candidate.find (wanted) != std::string::npos)
                score = 0;
            if (score <= std::max<size_t> (3, candidate.size() / 3))
                scored.emplace_back (score, sound.name);
        }
        std::stable_sort (scored.begin(), scored.end(), [] (const auto& a, const auto& b) { return a.first < b.first; });

        std::vector<std::string> result;
        for (size_t i = 0; i < scored.size() && i < maximum; ++i)
            result.push_back (scored[i].second);
        return result;
    }

    std::string fileStem (std::string_view name)
    {
        std::string result;
        for (const char c : name)
        {
            if (std::isalnum ((unsigned char) c) || c == '-' || c == '_')
                result += c;
            else if (c == ' ')
                result += '_';
        }
        return result;
    }
}
