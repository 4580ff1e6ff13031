// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "LevelMeter.h"

namespace
{
    constexpr int ticksPerSecond = 30;
    constexpr float floorDecibels = -60.0f;
    constexpr int clipLampWidth = 34;
}

LevelMeter::LevelMeter (OutputLevels& levelsToShow)
    : levels (levelsToShow)
{
    setTooltip ("Output level. The CLIP lamp lights when the output reaches full scale; click it to put it out.");
    startTimerHz (ticksPerSecond);
}

float LevelMeter::toProportion (float gain) noexcept
{
    const auto decibels = juce::Decibels::gainToDecibels (gain, floorDecibels);
    return juce::jlimit (0.0f, 1.0f, (decibels - floorDecibels) / -floorDecibels);
}

void LevelMeter::timerCallback()
{
    const auto peak = levels.takePeak();
    const auto clipped = levels.takeClip();

    // About 20 dB a second of fall, and a peak held for a second.
    shown = juce::jmax (peak, shown * 0.86f);
    if (peak >= held)
    {
        held = peak;
        holdTicks = ticksPerSecond;
    }
    else if (--holdTicks < 0)
        held = shown;

    if (clipped)
        clipLit = true;
    repaint();
}

void LevelMeter::mouseDown (const juce::MouseEvent&)
{
    clipLit = false;
    repaint();
}

void LevelMeter::paint (juce::Graphics& g)
{
    auto area = getLocalBounds();
    const auto lamp = area.removeFromRight (clipLampWidth);
    area.removeFromRight (4);

    g.setColour (juce::Colour (0xff1d1f21));
    g.fillRoundedRectangle (area.toFloat(), 3.0f);

    const auto bar = area.reduced (2);
    const auto width = (float) bar.getWidth();
    juce::ColourGradient gradient (juce::Colour (0xff3fb950), (float) bar.getX(), 0.0f,
                                   juce::Colour (0xffe5534b), (float) bar.getRight(), 0.0f, false);
    gradient.addColour (0.8, juce::Colour (0xffd29922));   // -12 dB
    g.setGradientFill (gradient);
    g.fillRect (bar.withWidth (juce::roundToInt (width * toProportion (shown))));

    g.setColour (juce::Colours::white.withAlpha (0.8f));
    const auto holdX = (float) bar.getX() + width * toProportion (held);
    if (held > 0.0f)
        g.fillRect (juce::Rectangle<float> (holdX - 1.0f, (float) bar.getY(), 2.0f, (float) bar.getHeight()));

    // Marks at -48, -36, -24, -12 and -6 dB.
    g.setColour (juce::Colours::white.withAlpha (0.18f));
    for (auto decibels : { -48.0f, -36.0f, -24.0f, -12.0f, -6.0f })
    {
        const auto x = (float) bar.getX() + width * (decibels - floorDecibels) / -floorDecibels;
        g.fillRect (juce::Rectangle<float> (x, (float) bar.getY(), 1.0f, (float) bar.getHeight()));
    }

    g.setColour (clipLit ? juce::Colour (0xffe5534b) : juce::Colour (0xff3a2a2a));
    g.fillRoundedRectangle (lamp.toFloat(), 3.0f);
    g.setColour (clipLit ? juce::Colours::white : juce::Colour (0xff8a6d6d));
    g.setFont (juce::Font (11.0f, juce::Font::bold));
    g.drawText ("CLIP", lamp, juce::Justification::centred, false);
}
