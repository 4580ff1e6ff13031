// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.

// One framework initialiser for the whole test binary: the main thread is
// the message thread, as the host's GUI thread is for the plug-in. Listing
// the tests (ctest discovery at build time) needs no display, so it skips it.

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <optional>

int main (int argc, char** argv)
{
    testing::InitGoogleTest (&argc, argv);

    std::optional<juce::ScopedJuceInitialiser_GUI> gui;

    if (! GTEST_FLAG_GET (list_tests))
        gui.emplace();

    return RUN_ALL_TESTS();
}
