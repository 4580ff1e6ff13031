// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "ControllerMap.h"

ControllerMap::ControllerMap()
{
    for (auto& cell : arrived)
        cell.store (-1, std::memory_order_relaxed);
    slotOfController.fill (-1);
}

void ControllerMap::handleIncomingMessage (const juce::MidiMessage& message) noexcept
{
    if (! message.isController())
        return;
    const auto controller = message.getControllerNumber();
    if (controller < 0 || controller >= controllerCount)
        return;
    arrived[(size_t) controller].store (juce::jlimit (0, 127, message.getControllerValue()), std::memory_order_release);
    arrivals.fetch_add (1, std::memory_order_release);
}

void ControllerMap::startLearning (int slot) noexcept
{
    learningSlot = (slot >= 0 && slot < slotCount) ? slot : -1;
    // Only a controller moved from now on counts: drop what came before.
    arrivalsSeen = arrivals.load (std::memory_order_acquire);
    for (auto& cell : arrived)
        cell.store (-1, std::memory_order_relaxed);
}

int ControllerMap::getControllerFor (int slot) const noexcept
{
    for (int controller = 0; controller < controllerCount; ++controller)
        if (slotOfController[(size_t) controller] == slot)
            return controller;
    return -1;
}

void ControllerMap::assign (int controller, int slot) noexcept
{
    if (controller < 0 || controller >= controllerCount || slot < 0 || slot >= slotCount)
        return;
    forgetSlot (slot);
    slotOfController[(size_t) controller] = slot;
}

void ControllerMap::forgetSlot (int slot) noexcept
{
    for (auto& mapped : slotOfController)
        if (mapped == slot)
            mapped = -1;
}

void ControllerMap::forgetAll() noexcept
{
    slotOfController.fill (-1);
    learningSlot = -1;
}

bool ControllerMap::isEmpty() const noexcept
{
    for (auto mapped : slotOfController)
        if (mapped >= 0)
            return false;
    return true;
}

bool ControllerMap::deliver (const std::function<void (int slot, float value)>& drive)
{
    const auto count = arrivals.load (std::memory_order_acquire);
    if (count == arrivalsSeen)
        return false;
    arrivalsSeen = count;

    bool learned = false;
    for (int controller = 0; controller < controllerCount; ++controller)
    {
        const auto value = arrived[(size_t) controller].exchange (-1, std::memory_order_acq_rel);
        if (value < 0)
            continue;

        if (learningSlot >= 0)
        {
            assign (controller, learningSlot);
            learningSlot = -1;
            learned = true;
        }

        const auto slot = slotOfController[(size_t) controller];
        if (slot >= 0 && drive)
            drive (slot, (float) value / 127.0f);
    }
    return learned;
}

juce::String ControllerMap::toText() const
{
    juce::StringArray pairs;
    for (int controller = 0; controller < controllerCount; ++controller)
        if (const auto slot = slotOfController[(size_t) controller]; slot >= 0)
            pairs.add (juce::String (controller) + "=" + juce::String (slot));
    return pairs.joinIntoString (" ");
}

void ControllerMap::fromText (const juce::String& text)
{
    slotOfController.fill (-1);
    for (const auto& pair : juce::StringArray::fromTokens (text, " ,;\t\r\n", ""))
    {
        const auto controllerText = pair.upToFirstOccurrenceOf ("=", false, false);
        const auto slotText = pair.fromFirstOccurrenceOf ("=", false, false);
        if (! pair.containsChar ('=') || ! controllerText.containsOnly ("0123456789")
            || ! slotText.containsOnly ("0123456789") || controllerText.isEmpty() || slotText.isEmpty()
            || controllerText.length() > 3 || slotText.length() > 2)
            continue;
        assign (controllerText.getIntValue(), slotText.getIntValue());
    }
}
