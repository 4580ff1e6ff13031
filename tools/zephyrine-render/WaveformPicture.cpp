// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "WaveformPicture.h"

#include "Fft.h"
#include "RenderError.h"

#include <algorithm>
#include <cmath>

namespace
{
    constexpr int width = 1280, height = 760;
    constexpr int plotLeft = 80, plotRight = width - 30;
    constexpr int waveTop = 92, waveHeight = 220;
    constexpr int spectrumTop = 352, spectrumHeight = 320;
    constexpr int fftSize = 2048;
    constexpr double lowestFrequency = 40.0;
    constexpr float dynamicRangeDb = 90.0f;
    constexpr float quietestTopDb = -60.0f;   // the colour scale's top is never below this

    const juce::Colour background (0xff16181d), panel (0xff0b0d10), border (0xff3a3f4a);
    const juce::Colour textColour (0xffe8e8ea), dimText (0xff9aa0aa), grid (0x30ffffff);
    const juce::Colour leftColour (0xff5ab4ff), rightColour (0xb0ffa040);

    juce::Font font (float size, bool bold = false)
    {
        return juce::Font (size, bold ? juce::Font::bold : juce::Font::plain);
    }

    /** A black, purple, orange, pale-yellow ramp for levels 0..1. */
    juce::Colour heatColour (float level)
    {
        static const juce::Colour stops[] = { juce::Colour (0xff000004), juce::Colour (0xff57106e),
                                              juce::Colour (0xffbc3754), juce::Colour (0xfff98e09),
                                              juce::Colour (0xfffcffa4) };
        const float scaled = std::clamp (level, 0.0f, 1.0f) * 4.0f;
        const int index = std::min (3, static_cast<int> (scaled));
        return stops[index].interpolatedWith (stops[index + 1], scaled - static_cast<float> (index));
    }

    /** A round step for about eight to twelve ticks over the duration. */
    double tickStep (double seconds)
    {
        for (double step : { 0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1.0, 2.0, 5.0, 10.0, 15.0, 30.0, 60.0, 120.0, 300.0, 600.0 })
            if (seconds / step <= 12.0)
                return step;
        return 1200.0;
    }

    juce::String timeLabel (double seconds, double step)
    {
        return juce::String (seconds, step < 0.1 ? 2 : (step < 1.0 ? 1 : 0)) + " s";
    }

    /** What one pixel column of the waveform shows of a channel. */
    struct ColumnLevels
    {
        float low = 0.0f, high = 0.0f, rms = 0.0f;
    };

    /** One pass over the sound: the levels of every column, both channels,
        and whether the channels differ anywhere. */
    struct WaveformColumns
    {
        std::vector<ColumnLevels> left, right;
        bool stereo = false;
    };

    WaveformColumns measureColumns (const PictureSource& source, int columns)
    {
        WaveformColumns result;
        result.left.resize (static_cast<size_t> (columns));
        result.right.resize (static_cast<size_t> (columns));
        const auto n = source.size();
        if (n == 0)
            return result;

        constexpr int piece = 16384;
        std::vector<float> l (piece), r (piece);
        for (int x = 0; x < columns; ++x)
        {
            const int64_t from = n * x / columns;
            const int64_t to = std::max (from + 1, n * (x + 1) / columns);
            double energyL = 0.0, energyR = 0.0;
            bool first = true;
            auto& cl = result.left[static_cast<size_t> (x)];
            auto& cr = result.right[static_cast<size_t> (x)];
            for (int64_t at = from; at < to && at < n; at += piece)
            {
                const int count = static_cast<int> (std::min<int64_t> (piece, std::min (to, n) - at));
                source.read (at, count, l.data(), r.data());
                for (int i = 0; i < count; ++i)
                {
                    const float a = l[static_cast<size_t> (i)], b = r[static_cast<size_t> (i)];
                    if (first)
                    {
                        cl.low = cl.high = a;
                        cr.low = cr.high = b;
                        first = false;
                    }
                    cl.low = std::min (cl.low, a);
                    cl.high = std::max (cl.high, a);
                    cr.low = std::min (cr.low, b);
                    cr.high = std::max (cr.high, b);
                    energyL += static_cast<double> (a) * a;
                    energyR += static_cast<double> (b) * b;
                    result.stereo = result.stereo || a != b;
                }
            }
            cl.rms = static_cast<float> (std::sqrt (energyL / static_cast<double> (to - from)));
            cr.rms = static_cast<float> (std::sqrt (energyR / static_cast<double> (to - from)));
        }
        return result;
    }

    void drawWaveform (juce::Graphics& g, const std::vector<ColumnLevels>& columns, juce::Rectangle<int> area, juce::Colour colour)
    {
        const float middle = static_cast<float> (area.getCentreY());
        const float halfHeight = static_cast<float> (area.getHeight()) * 0.5f - 2.0f;
        auto toY = [&] (float v) { return middle - std::clamp (v, -1.0f, 1.0f) * halfHeight; };

        for (int x = 0; x < static_cast<int> (columns.size()); ++x)
        {
            const auto& c = columns[static_cast<size_t> (x)];
            const float px = static_cast<float> (area.getX() + x);
            g.setColour (colour.withMultipliedAlpha (0.55f));
            g.drawVerticalLine (static_cast<int> (px), toY (c.high), toY (c.low) + 1.0f);
            g.setColour (colour);
            g.drawVerticalLine (static_cast<int> (px), toY (c.rms), toY (-c.rms) + 1.0f);
        }
    }

    /** Levels in dB, one column per pixel, rows from the highest frequency down. */
    juce::Image makeSpectrogram (const PictureSource& source, double sampleRate, int columns, int rows)
    {
        juce::Image image (juce::Image::RGB, columns, rows, true);
        const auto n = source.size();
        if (n == 0)
            return image;

        const Fft fft (fftSize);
        const double binHz = sampleRate / fftSize;
        const double nyquist = sampleRate * 0.5;

        // The bin range that each row covers, on a logarithmic frequency scale.
        std::vector<std::pair<int, int>> rowBins (static_cast<size_t> (rows));
        for (int y = 0; y < rows; ++y)
        {
            auto frequencyAt = [&] (double r) { return nyquist * std::pow (lowestFrequency / nyquist, r / rows); };
            const int top = static_cast<int> (std::ceil (frequencyAt (y) / binHz));
            const int bottom = static_cast<int> (std::floor (frequencyAt (y + 1) / binHz));
            rowBins[static_cast<size_t> (y)] = { std::clamp (bottom, 0, fftSize / 2), std::clamp (std::max (top, bottom), 0, fftSize / 2) };
        }

        std::vector<float> levels (static_cast<size_t> (columns * rows), -300.0f);
        std::vector<float> frame (fftSize), frameRight (fftSize);
        float loudest = -300.0f;
        for (int x = 0; x < columns; ++x)
        {
            const int64_t centre = static_cast<int64_t> ((x + 0.5) * static_cast<double> (n) / columns);
            source.read (centre - fftSize / 2, fftSize, frame.data(), frameRight.data());
            for (size_t i = 0; i < frame.size(); ++i)
                frame[i] = 0.5f * (frame[i] + frameRight[i]);
            const auto magnitudes = fft.magnitudes (frame.data());
            for (int y = 0; y < rows; ++y)
            {
                const auto [from, to] = rowBins[static_cast<size_t> (y)];
                const float peak = *std::max_element (magnitudes.begin() + from, magnitudes.begin() + to + 1);
                const float db = 20.0f * std::log10 (std::max (peak, 1.0e-12f));
                levels[static_cast<size_t> (y * columns + x)] = db;
                loudest = std::max (loudest, db);
            }
        }

        // The scale has a floor: a silent or nearly silent song looks dark,
        // not like its own noise floor raised to full brightness.
        loudest = std::max (loudest, quietestTopDb);
        const juce::Image::BitmapData pixels (image, juce::Image::BitmapData::writeOnly);
        for (int y = 0; y < rows; ++y)
            for (int x = 0; x < columns; ++x)
            {
                const float db = levels[static_cast<size_t> (y * columns + x)];
                pixels.setPixelColour (x, y, heatColour ((db - (loudest - dynamicRangeDb)) / dynamicRangeDb));
            }
        return image;
    }
}

juce::Image drawWaveformPicture (const PictureSource& source, double sampleRate, const PictureText& text)
{
    juce::Image image (juce::Image::RGB, width, height, true);
    juce::Graphics g (image);
    g.fillAll (background);

    g.setColour (textColour);
    g.setFont (font (26.0f, true));
    g.drawSingleLineText (juce::String::fromUTF8 (text.title.c_str()), 20, 36);
    g.setColour (dimText);
    g.setFont (font (15.0f));
    g.drawSingleLineText (juce::String::fromUTF8 (text.subtitle.c_str()), 20, 60);

    const juce::Rectangle<int> waveArea (plotLeft, waveTop, plotRight - plotLeft, waveHeight);
    const juce::Rectangle<int> spectrumArea (plotLeft, spectrumTop, plotRight - plotLeft, spectrumHeight);
    const double seconds = static_cast<double> (source.size()) / sampleRate;
    const auto columns = measureColumns (source, waveArea.getWidth());
    const bool stereo = columns.stereo;

    // Panel headings.
    g.setColour (textColour);
    g.setFont (font (15.0f, true));
    g.drawSingleLineText ("Waveform", plotLeft, waveTop - 8);
    g.drawSingleLineText ("Spectrogram", plotLeft, spectrumTop - 8);
    g.setFont (font (13.0f));
    g.setColour (dimText);
    g.drawSingleLineText (stereo ? "left (blue) and right (orange) channel" : "both channels (identical)",
                          plotRight, waveTop - 8, juce::Justification::right);
    g.drawSingleLineText ("level of the channel mix, " + juce::String (static_cast<int> (dynamicRangeDb))
                              + " dB below the loudest to the loudest",
                          plotRight, spectrumTop - 8, juce::Justification::right);

    // Waveform.
    g.setColour (panel);
    g.fillRect (waveArea);
    g.setColour (grid);
    for (float v : { 0.5f, 0.0f, -0.5f })
        g.drawHorizontalLine (waveArea.getCentreY() - static_cast<int> (v * (waveHeight * 0.5f - 2.0f)),
                              static_cast<float> (waveArea.getX()), static_cast<float> (waveArea.getRight()));
    if (source.size() > 0)
    {
        drawWaveform (g, columns.left, waveArea, leftColour);
        if (stereo)
            drawWaveform (g, columns.right, waveArea, rightColour);
    }

    g.setColour (dimText);
    g.setFont (font (13.0f));
    for (float v : { 1.0f, 0.5f, 0.0f, -0.5f, -1.0f })
    {
        const int y = waveArea.getCentreY() - static_cast<int> (v * (waveHeight * 0.5f - 2.0f));
        g.drawText (v == 0.0f ? juce::String ("0") : juce::String (v, 1), plotLeft - 56, y - 8, 48, 16,
                    juce::Justification::centredRight);
    }

    // Spectrogram, with a logarithmic frequency scale.
    g.drawImageAt (makeSpectrogram (source, sampleRate, spectrumArea.getWidth(), spectrumArea.getHeight()),
                   spectrumArea.getX(), spectrumArea.getY());
    const double nyquist = sampleRate * 0.5;
    for (double f : { 50.0, 100.0, 200.0, 500.0, 1000.0, 2000.0, 5000.0, 10000.0, 20000.0 })
    {
        if (f >= nyquist)
            break;
        const double r = std::log (f / nyquist) / std::log (lowestFrequency / nyquist);
        const int y = spectrumArea.getY() + static_cast<int> (r * spectrumHeight);
        g.setColour (grid);
        g.drawHorizontalLine (y, static_cast<float> (spectrumArea.getX()), static_cast<float> (spectrumArea.getRight()));
        g.setColour (dimText);
        g.drawText (f >= 1000.0 ? juce::String (f / 1000.0, 0) + " kHz" : juce::String (f, 0) + " Hz",
                    plotLeft - 72, y - 8, 64, 16, juce::Justification::centredRight);
    }

    // The shared time axis.
    const double step = tickStep (seconds);
    g.setFont (font (13.0f));
    for (double t = 0.0; seconds > 0.0 && t <= seconds + 1.0e-9; t += step)
    {
        const int x = plotLeft + static_cast<int> (t / seconds * (plotRight - plotLeft));
        g.setColour (grid);
        g.drawVerticalLine (x, static_cast<float> (waveArea.getY()), static_cast<float> (waveArea.getBottom()));
        g.drawVerticalLine (x, static_cast<float> (spectrumArea.getY()), static_cast<float> (spectrumArea.getBottom()));
        g.setColour (dimText);
        g.drawVerticalLine (x, static_cast<float> (spectrumArea.getBottom()), static_cast<float> (spectrumArea.getBottom() + 6));
        g.drawText (timeLabel (t, step), x - 40, spectrumArea.getBottom() + 8, 80, 16, juce::Justification::centred);
    }
    g.setColour (textColour);
    g.drawText ("Time", plotLeft, spectrumArea.getBottom() + 32, plotRight - plotLeft, 18, juce::Justification::centred);

    g.setColour (border);
    g.drawRect (waveArea.expanded (1));
    g.drawRect (spectrumArea.expanded (1));
    return image;
}

void PictureSource::read (int64_t start, int count, float* left, float* right) const
{
    spool.read (start, count, left, right);
    for (int i = 0; i < count; ++i)
    {
        left[i] *= gain;
        right[i] *= gain;
        if (clip)
        {
            left[i] = std::clamp (left[i], -1.0f, 1.0f);
            right[i] = std::clamp (right[i], -1.0f, 1.0f);
        }
    }
}

void writeWaveformPicture (OutputFile& file, const PictureSource& source, double sampleRate, const PictureText& text)
{
    const auto image = drawWaveformPicture (source, sampleRate, text);
    juce::PNGImageFormat png;
    if (! png.writeImageToStream (image, file.stream()) || file.stream().failed())
        throw RenderError ("writing the picture '" + file.getName() + "' failed"
                           + (file.stream().failed() ? ": " + file.stream().getError() : std::string()));
}
