// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include "framework/AudioFilterEditor.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <memory>

class JuceFilter;

/** The plug-in's fixed 500 x 200 window: fourteen sliders, two wave-shape
    boxes and two toggles over a painted background of labels and headings.

    Every user edit goes straight to the processor; the controls are copied
    back from the processor only when the editor is built and after the
    processor has loaded a state (its change message). Host automation is
    not shown while the editor is open.

    Only the left button edits. A double-click on a slider returns it to
    the default sound's value; Shift or Ctrl held while dragging gives fine
    control; the wheel nudges. */
class EditorComponent : public AudioFilterEditor,
                        public juce::ComboBox::Listener,
                        public juce::ChangeListener,
                        public juce::Slider::Listener,
                        public juce::Button::Listener
{
public:
    explicit EditorComponent (JuceFilter* ownerFilter);
    ~EditorComponent() override;

    void paint (juce::Graphics& g) override;

    /** Copies all eighteen slots into the controls, under callbackLock,
        without writing anything back. A wave-shape box whose selection
        changes reports the slot's value to the host once, a little later. */
    void refreshControls();

    void sliderChanged (juce::Slider* slider);
    void waveShapeChanged (juce::ComboBox* box);
    void buttonToggled (juce::Button* button);

    /** Refreshes when the changed object is this editor's processor. */
    void processorChanged (void* changedObject);

    static constexpr int sliderCount = 14;
    static constexpr int firstWaveShapeSlot = 14;
    static constexpr int firstToggleSlot = 16;

private:
    // The framework's listener callbacks, forwarded to the operations above.
    void sliderValueChanged (juce::Slider* slider) override;
    void sliderDragStarted (juce::Slider* slider) override;
    void sliderDragEnded (juce::Slider* slider) override;
    void comboBoxChanged (juce::ComboBox* box) override;
    void buttonClicked (juce::Button* button) override;
    void changeListenerCallback (juce::ChangeBroadcaster* source) override;

    JuceFilter* getFilter() const noexcept;
    void sendToProcessor (int slot, float value);

    // Declared before the controls so that it outlives them.
    juce::LookAndFeel_V2 lookAndFeel;

    std::array<std::unique_ptr<juce::ComboBox>, 2> waveShapeBoxes;
    std::array<std::unique_ptr<juce::Slider>, sliderCount> sliders;
    std::array<std::unique_ptr<juce::ToggleButton>, 2> toggles;

    // The id the last refresh selected in each box while its notification
    // is on its way, 0 when none is.
    std::array<int, 2> refreshedIds {};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (EditorComponent)
};
