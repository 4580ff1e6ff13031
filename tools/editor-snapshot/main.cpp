// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.

// editor-snapshot OUT.png [SCALE]
// Renders a new instance's editor, as the host would first show it, to a PNG.

#include "editor/EditorComponent.h"
#include "plugin/JuceFilter.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <iostream>

namespace
{
    int usage()
    {
        std::cerr << "usage: editor-snapshot OUT.png [SCALE]\n"
                     "  writes the default editor (500 x 200 at scale 1) to OUT.png\n";
        return 2;
    }

    bool writePng (const juce::Image& image, const juce::File& file)
    {
        file.deleteFile();
        juce::FileOutputStream out (file);
        return out.openedOk() && juce::PNGImageFormat().writeImageToStream (image, out);
    }
}

int main (int argc, char* argv[])
{
    if (argc < 2 || argc > 3)
        return usage();

    const float scale = argc == 3 ? juce::String (argv[2]).getFloatValue() : 1.0f;

    if (! (scale > 0.0f && scale <= 8.0f))
        return usage();

    const juce::ScopedJuceInitialiser_GUI gui;
    const auto file = juce::File::getCurrentWorkingDirectory().getChildFile (juce::String::fromUTF8 (argv[1]));

    bool written = false;
    {
        JuceFilter filter;
        std::unique_ptr<AudioFilterEditor> editor (filter.createEditorIfNeeded());

        if (editor != nullptr)
            written = writePng (editor->createComponentSnapshot (editor->getLocalBounds(), true, scale), file);
    }

    if (! written)
    {
        std::cerr << "editor-snapshot: could not write " << file.getFullPathName() << "\n";
        return 1;
    }

    std::cout << file.getFullPathName() << "\n";
    return 0;
}
