// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "EditorComponent.h"

#include "EditorLayout.h"
#include "LeftButtonOnly.h"
#include "engine/FloatRules.h"
#include "engine/ParameterBlock.h"
#include "plugin/JuceFilter.h"

#include <cmath>

namespace
{
    void place (juce::Component& component, const editorlayout::Box& box)
    {
        component.setBounds (box.x, box.y, box.w, box.h);
    }

    void drawText (juce::Graphics& g, const editorlayout::PaintedText& label, juce::Justification justification)
    {
        g.drawText (label.text, label.box.x, label.box.y, label.box.w, label.box.h, justification, true);
    }

    // JUCE 7 resolves every font through the process-wide default look, not
    // through the component's own, so the pin has to go there as well. It is
    // only made when the face is installed: a missing face would draw no text.
    void pinSansSerifTypeface (juce::LookAndFeel& ownLook)
    {
        static const bool installed = juce::Font::findAllTypefaceNames().contains (editorlayout::sansSerifTypeface);

        if (! installed)
            return;

        ownLook.setDefaultSansSerifTypefaceName (editorlayout::sansSerifTypeface);
        juce::LookAndFeel::getDefaultLookAndFeel().setDefaultSansSerifTypefaceName (editorlayout::sansSerifTypeface);
    }

    // Which of the editor's own controls reported, or -1 for a stranger.
    template <typename Control, size_t count>
    int indexOfControl (const std::array<std::unique_ptr<Control>, count>& controls, const juce::Component* reporter) noexcept
    {
        for (size_t i = 0; i < count; ++i)
            if (controls[i].get() == reporter)
                return (int) i;

        return -1;
    }

    // Shift or Ctrl held while dragging switches the bar from following the
    // pointer to JUCE's speed-scaled mode. These settings make that a fine
    // drag: from 1 to 50 pixels a motion event, the value moves a sixth to a
    // fourteenth as far as it does under a plain drag of the same distance.
    constexpr double fineDragSensitivity = 1.25;
    constexpr int fineDragThreshold = 0;
    constexpr double fineDragOffset = 0.03;
    constexpr auto fineDragModifiers = static_cast<juce::ModifierKeys::Flags> (juce::ModifierKeys::shiftModifier | juce::ModifierKeys::ctrlModifier);

    // A NaN would pass straight through the slider's own clamping.
    double sliderValueFor (float slotValue) noexcept
    {
        return floatrules::isNaN (slotValue) ? 0.0 : static_cast<double> (slotValue);
    }
}

EditorComponent::EditorComponent (JuceFilter* ownerFilter)
    : AudioFilterEditor (ownerFilter)
{
    jassert (ownerFilter != nullptr);

    pinSansSerifTypeface (lookAndFeel);
    setLookAndFeel (&lookAndFeel);

    for (auto& box : waveShapeBoxes)
    {
        box = std::make_unique<juce::ComboBox> ("new combo box");
        addAndMakeVisible (*box);
        box->setEditableText (false);
        box->setJustificationType (juce::Justification::centredLeft);
        box->setTextWhenNothingSelected ({});
        box->setTextWhenNoChoicesAvailable ("(no choices)");
        box->addItem ("Sin", 1);
        box->addItem ("Saw1", 2);
        box->addItem ("Saw2", 3);
        box->addItem ("Tri", 4);
        box->addItem ("Sqr", 5);
        box->addListener (this);
    }

    for (int slot = 0; slot < sliderCount; ++slot)
    {
        auto& slider = sliders[(size_t) slot];
        slider = std::make_unique<LeftButtonOnly<juce::Slider>> ("new slider");
        addAndMakeVisible (*slider);

        // Oct and Arp are three-way switches: 0, 0.5, 1. They always follow
        // the pointer (JUCE keeps a slider whose step is wider than a pixel
        // out of the speed-scaled mode).
        const bool stepped = slot == 2 || slot == 13;
        slider->setRange (0.0, 1.0, stepped ? 0.5 : 0.0);
        slider->setSliderStyle (juce::Slider::LinearBar);
        slider->setTextBoxStyle (juce::Slider::NoTextBox, true, 80, 20);
        slider->setPopupMenuEnabled (false);
        slider->setDoubleClickReturnValue (true, (double) ParameterBlock::defaultValue (slot), juce::ModifierKeys());
        slider->setVelocityModeParameters (fineDragSensitivity, fineDragThreshold, fineDragOffset, true, fineDragModifiers);
        slider->addListener (this);
    }

    const char* const toggleTexts[] { "Crush", "Filter" };

    for (size_t i = 0; i < toggles.size(); ++i)
    {
        auto& toggle = toggles[i];
        toggle = std::make_unique<LeftButtonOnly<juce::ToggleButton>> ("new toggle button");
        addAndMakeVisible (*toggle);
        toggle->setButtonText (toggleTexts[i]);
        toggle->addListener (this);
    }

    for (size_t i = 0; i < waveShapeBoxes.size(); ++i)
        place (*waveShapeBoxes[i], editorlayout::waveShapeBounds[i]);

    for (size_t i = 0; i < sliders.size(); ++i)
        place (*sliders[i], editorlayout::sliderBounds[i]);

    for (size_t i = 0; i < toggles.size(); ++i)
        place (*toggles[i], editorlayout::toggleBounds[i]);

    refreshControls();

    setSize (editorlayout::width, editorlayout::height);

    if (auto* filter = getFilter())
        filter->addChangeListener (this);
}

EditorComponent::~EditorComponent()
{
    if (auto* filter = getFilter())
        filter->removeChangeListener (this);

    setLookAndFeel (nullptr);

    for (auto& box : waveShapeBoxes)
        box.reset();

    for (auto& slider : sliders)
        slider.reset();

    for (auto& toggle : toggles)
        toggle.reset();
}

JuceFilter* EditorComponent::getFilter() const noexcept
{
    return static_cast<JuceFilter*> (owner);
}

//==============================================================================
void EditorComponent::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colour (editorlayout::backgroundColour));

    g.setColour (juce::Colour (editorlayout::inkColour));

    g.setFont (juce::Font (15.0f, juce::Font::plain));
    for (const auto& label : editorlayout::rowLabels)
        drawText (g, label, juce::Justification::centredRight);

    g.setFont (juce::Font (15.0f, juce::Font::bold));
    for (const auto& heading : editorlayout::headings)
        drawText (g, heading, juce::Justification::centred);

    g.setFont (juce::Font (20.0f, juce::Font::bold));
    drawText (g, editorlayout::title, juce::Justification::centred);

    for (const auto& line : editorlayout::separators)
        g.fillRect (line.x, line.y, line.w, line.h);
}

//==============================================================================
void EditorComponent::refreshControls()
{
    auto* filter = getFilter();

    if (filter == nullptr)
        return;

    const juce::ScopedLock sl (filter->callbackLock);

    for (int slot = 0; slot < sliderCount; ++slot)
        sliders[(size_t) slot]->setValue (sliderValueFor (filter->parameterValue (slot)), juce::dontSendNotification);

    // The selections made here are remembered, so that their notifications
    // (and a user's choice still pending behind them) are told apart from
    // the user's own in waveShapeChanged. An id with no item leaves the box
    // as it is (JUCE would otherwise blank it).
    for (size_t i = 0; i < waveShapeBoxes.size(); ++i)
    {
        auto& box = *waveShapeBoxes[i];
        const int id = floatrules::truncateToInt (filter->parameterValue (firstWaveShapeSlot + (int) i));

        if (box.indexOfItemId (id) >= 0 && box.getSelectedId() != id)
        {
            refreshedIds[i] = id;
            box.setSelectedId (id, juce::sendNotificationAsync);
        }
    }

    for (size_t i = 0; i < toggles.size(); ++i)
        toggles[i]->setToggleState (floatrules::isSwitchOn (filter->parameterValue (firstToggleSlot + (int) i)),
                                    juce::dontSendNotification);
}

void EditorComponent::sendToProcessor (int slot, float value)
{
    if (owner != nullptr)
        owner->setParameterAndInformHost (slot, value);
}

void EditorComponent::sliderChanged (juce::Slider* slider)
{
    if (const int i = indexOfControl (sliders, slider); i >= 0)
        sendToProcessor (i, static_cast<float> (slider->getValue()));
}

void EditorComponent::waveShapeChanged (juce::ComboBox* box)
{
    const int i = indexOfControl (waveShapeBoxes, box);

    if (i < 0)
        return;

    // A selection a refresh made is no choice of the user's. By the time its
    // notification arrives a newer state may be loading on the host's thread,
    // so it neither writes the slot nor tells the host anything: the host
    // already knows what it loaded.
    auto& refreshed = refreshedIds[(size_t) i];
    const bool fromRefresh = refreshed != 0 && box->getSelectedId() == refreshed;
    refreshed = 0;

    if (! fromRefresh)
        sendToProcessor (firstWaveShapeSlot + i, static_cast<float> (box->getSelectedId()));
}

void EditorComponent::buttonToggled (juce::Button* button)
{
    if (const int i = indexOfControl (toggles, button); i >= 0)
        sendToProcessor (firstToggleSlot + i, button->getToggleState() ? 1.0f : 0.0f);
}

// A drag is one gesture for hosts that record them; single clicks on boxes
// and toggles are wrapped into one by the host adapter.
void EditorComponent::sliderDragStarted (juce::Slider* slider)
{
    if (const int i = indexOfControl (sliders, slider); i >= 0 && owner != nullptr)
        owner->beginParameterGesture (i);
}

void EditorComponent::sliderDragEnded (juce::Slider* slider)
{
    if (const int i = indexOfControl (sliders, slider); i >= 0 && owner != nullptr)
        owner->endParameterGesture (i);
}

void EditorComponent::processorChanged (void* changedObject)
{
    auto* filter = getFilter();

    if (filter == nullptr || changedObject == nullptr)
        return;

    // The processor may be named by either of its bases.
    if (changedObject == static_cast<juce::ChangeBroadcaster*> (filter)
        || changedObject == static_cast<AudioFilterBase*> (filter))
        refreshControls();
}

//==============================================================================
void EditorComponent::sliderValueChanged (juce::Slider* slider) { sliderChanged (slider); }
void EditorComponent::comboBoxChanged (juce::ComboBox* box) { waveShapeChanged (box); }
void EditorComponent::buttonClicked (juce::Button* button) { buttonToggled (button); }
void EditorComponent::changeListenerCallback (juce::ChangeBroadcaster* source) { processorChanged (source); }
