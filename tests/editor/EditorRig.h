// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

// Before any framework header: the X11 headers that the framework pulls in
// define macros (Bool, None, ...) that clash with the test library's names.
#include <gtest/gtest.h>

#include "editor/EditorComponent.h"
#include "plugin/JuceFilter.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <utility>
#include <vector>

namespace juce
{
    // The framework's own step of its message loop (its Linux messaging code).
    // Used instead of runDispatchLoopUntil, which the shared framework build
    // leaves out.
    bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
}

namespace editortest
{
    /** Delivers every message already posted to the message thread, and any
        that those post in turn. */
    inline void deliverPendingMessages()
    {
        for (int i = 0; i < 1000 && juce::dispatchNextMessageOnSystemQueue (true); ++i)
        {
        }
    }

    /** Stands in for the host adapter's callbacks: records what the editor
        tells the host and stores edits in the processor, as the adapter does. */
    class HostRecorder : public FilterNativeCallbacks
    {
    public:
        explicit HostRecorder (JuceFilter& f) : filter (f) {}

        void informHostOfParameterChange (int index, float newValue) override
        {
            sent.emplace_back (index, newValue);
            filter.setParameterValue (index, newValue);
        }

        JuceFilter& filter;
        std::vector<std::pair<int, float>> sent;
    };

    using Sent = std::vector<std::pair<int, float>>;

    /** A processor with recording host callbacks and, on demand, its editor. */
    struct Rig
    {
        Rig() { filter.setNativeCallbacks (&host); }
        ~Rig()
        {
            closeEditor();
            filter.setNativeCallbacks (nullptr);
        }

        EditorComponent& openEditor()
        {
            editor.reset (dynamic_cast<EditorComponent*> (filter.createEditorIfNeeded()));
            EXPECT_NE (editor, nullptr);
            return *editor;
        }

        void closeEditor() { editor.reset(); }

        /** The box of slot 14 (index 0) or 15 (index 1). */
        juce::ComboBox& box (int index) const { return child<juce::ComboBox> (index); }
        /** The slider of slot 0 to 13. */
        juce::Slider& slider (int slot) const { return child<juce::Slider> (2 + slot); }
        /** The toggle of slot 16 (index 0) or 17 (index 1). */
        juce::ToggleButton& toggle (int index) const { return child<juce::ToggleButton> (16 + index); }

        template <typename Control>
        Control& child (int index) const
        {
            auto* c = dynamic_cast<Control*> (editor->getChildComponent (index));
            if (c == nullptr)
                throw std::runtime_error ("editor child has the wrong type");
            return *c;
        }

        JuceFilter filter;
        HostRecorder host { filter };
        std::unique_ptr<EditorComponent> editor;
    };
}
