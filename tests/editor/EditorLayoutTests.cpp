// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "EditorRig.h"

#include <algorithm>
#include <climits>

using namespace editortest;

namespace
{
    const juce::Colour cream (0xfff0eedd);
    const juce::Colour black (0xff000000);

    bool isInk (juce::Colour c) { return c.getPerceivedBrightness() < 0.5f; }

    struct Painted
    {
        const char* text;
        juce::Rectangle<int> box;
    };

    // What the window promises to paint, written out independently of the editor's tables.
    const Painted rowLabels[] {
        { "P1", { 12, 24, 24, 24 } },
        { "P2", { 12, 56, 24, 24 } },
        { "Disp", { -4, 88, 40, 16 } },
        { "Rand", { -4, 112, 40, 16 } },
        { "Oct", { 4, 136, 32, 16 } },
        { "Arp", { 4, 160, 32, 16 } },
        { "A", { 164, 24, 32, 16 } },
        { "D", { 168, 48, 28, 16 } },
        { "S", { 168, 72, 28, 16 } },
        { "R", { 168, 96, 28, 16 } },
        { "Amt", { 168, 136, 28, 16 } },
        { "A", { 328, 24, 28, 16 } },
        { "D", { 328, 48, 28, 16 } },
        { "S", { 328, 72, 28, 16 } },
        { "R", { 328, 96, 28, 16 } },
        { "Vol", { 328, 136, 28, 16 } },
    };

    const Painted centredTexts[] {
        { "OSC", { 40, 0, 96, 24 } },
        { "OSC Env", { 200, 0, 96, 24 } },
        { "AMP Env", { 360, 0, 96, 24 } },
        { "The Zephyrine", { 156, 176, 160, 30 } },
    };

    // Children in creation order: P1, P2, sliders of slots 0 to 13, Crush, Filter.
    const juce::Rectangle<int> childBounds[] {
        { 40, 24, 96, 24 },
        { 40, 56, 96, 24 },
        { 40, 88, 96, 16 },
        { 40, 112, 96, 16 },
        { 40, 136, 96, 16 },
        { 200, 24, 96, 16 },
        { 200, 48, 96, 16 },
        { 200, 72, 96, 16 },
        { 200, 96, 96, 16 },
        { 200, 136, 96, 16 },
        { 360, 25, 96, 16 },
        { 360, 49, 96, 16 },
        { 360, 73, 96, 16 },
        { 360, 97, 96, 16 },
        { 360, 136, 96, 16 },
        { 40, 160, 96, 16 },
        { 340, 164, 64, 24 },
        { 416, 164, 64, 24 },
    };

    /** The ink inside a rectangle of the picture, leaving out the two
        separator columns: its bounding box, empty when there is none. */
    juce::Rectangle<int> inkWithin (const juce::Image& image, juce::Rectangle<int> area)
    {
        area = area.getIntersection (image.getBounds());
        int left = INT_MAX, right = INT_MIN, top = INT_MAX, bottom = INT_MIN;

        for (int y = area.getY(); y < area.getBottom(); ++y)
            for (int x = area.getX(); x < area.getRight(); ++x)
                if (x != 152 && x != 312 && isInk (image.getPixelAt (x, y)))
                {
                    left = std::min (left, x);
                    right = std::max (right, x + 1);
                    top = std::min (top, y);
                    bottom = std::max (bottom, y + 1);
                }

        return left == INT_MAX ? juce::Rectangle<int>() : juce::Rectangle<int>::leftTopRightBottom (left, top, right, bottom);
    }

    juce::Image snapshotOf (juce::Component& c)
    {
        return c.createComponentSnapshot (c.getLocalBounds(), true, 1.0f).convertedToFormat (juce::Image::ARGB);
    }
}

TEST (EditorLayout, ChildrenAreTheEighteenControlsInCreationOrderWithTheirSettings)
{
    Rig rig;
    auto& editor = rig.openEditor();
    ASSERT_EQ (editor.getNumChildComponents(), 18);

    for (int i = 0; i < 18; ++i)
    {
        auto* child = editor.getChildComponent (i);
        EXPECT_EQ (child->getBounds(), childBounds[i]) << "child " << i;
        EXPECT_TRUE (child->isVisible());
        EXPECT_EQ (child->getName(), i < 2 ? "new combo box" : (i < 16 ? "new slider" : "new toggle button"));

        // The classic flat look, not JUCE 7's dark one.
        EXPECT_NE (dynamic_cast<juce::LookAndFeel_V2*> (&child->getLookAndFeel()), nullptr);
        EXPECT_EQ (dynamic_cast<juce::LookAndFeel_V3*> (&child->getLookAndFeel()), nullptr);
    }

    const char* const shapes[] { "Sin", "Saw1", "Saw2", "Tri", "Sqr" };
    for (int b = 0; b < 2; ++b)
    {
        auto& box = rig.box (b);
        EXPECT_FALSE (box.isTextEditable());
        EXPECT_EQ (box.getJustificationType(), juce::Justification (juce::Justification::centredLeft));
        EXPECT_EQ (box.getTextWhenNothingSelected(), "");
        EXPECT_EQ (box.getTextWhenNoChoicesAvailable(), "(no choices)");
        ASSERT_EQ (box.getNumItems(), 5);
        for (int i = 0; i < 5; ++i)
        {
            EXPECT_EQ (box.getItemText (i), shapes[i]);
            EXPECT_EQ (box.getItemId (i), i + 1);
        }
    }

    for (int slot = 0; slot < 14; ++slot)
    {
        auto& s = rig.slider (slot);
        EXPECT_EQ (s.getMinimum(), 0.0);
        EXPECT_EQ (s.getMaximum(), 1.0);
        EXPECT_EQ (s.getInterval(), slot == 2 || slot == 13 ? 0.5 : 0.0) << "slot " << slot;
        EXPECT_EQ (s.getSliderStyle(), juce::Slider::LinearBar);
        EXPECT_EQ (s.getTextBoxPosition(), juce::Slider::NoTextBox);
        EXPECT_FALSE (s.isTextBoxEditable());
        EXPECT_EQ (s.getTextBoxWidth(), 80);
        EXPECT_EQ (s.getTextBoxHeight(), 20);
        EXPECT_EQ (s.getNumChildComponents(), 0);   // no number anywhere
    }

    EXPECT_EQ (rig.toggle (0).getButtonText(), "Crush");
    EXPECT_EQ (rig.toggle (1).getButtonText(), "Filter");
    EXPECT_TRUE (rig.toggle (0).getClickingTogglesState());
    EXPECT_TRUE (rig.toggle (1).getClickingTogglesState());
}

TEST (EditorLayout, PictureHasItsBackgroundLinesAndTextsWhereTheyBelongAndNothingElse)
{
    Rig rig;
    auto& editor = rig.openEditor();
    const auto image = snapshotOf (editor);
    ASSERT_EQ (image.getWidth(), 500);
    ASSERT_EQ (image.getHeight(), 200);

    // The artefact, for people to look at.
    {
        const juce::File file (ZEPHYRINE_EDITOR_TEST_OUTPUT "/editor-test-snapshot.png");
        file.deleteFile();
        juce::FileOutputStream out (file);
        EXPECT_TRUE (out.openedOk() && juce::PNGImageFormat().writeImageToStream (image, out));
    }

    // The pinned face draws the painted texts and the controls' texts.
    EXPECT_EQ (juce::Font (15.0f).getTypefacePtr()->getName(), "DejaVu Sans");
    EXPECT_EQ (juce::Font (15.0f, juce::Font::bold).getTypefacePtr()->getStyle(), "Bold");

    for (int y = 0; y < 200; ++y)
    {
        EXPECT_EQ (image.getPixelAt (152, y), black) << y;
        EXPECT_EQ (image.getPixelAt (312, y), black) << y;
        for (int x : { 151, 153, 311, 313 })
            EXPECT_EQ (image.getPixelAt (x, y), cream) << x << "," << y;
    }

    // Row labels: right-aligned, ending just left of x 36, 196 and 356.
    for (const auto& label : rowLabels)
    {
        const auto ink = inkWithin (image, label.box.expanded (2));
        ASSERT_FALSE (ink.isEmpty()) << label.text;
        EXPECT_GE (ink.getRight(), label.box.getRight() - 2) << label.text;
        EXPECT_LE (ink.getRight(), label.box.getRight()) << label.text;
        EXPECT_NEAR (ink.getCentreY(), label.box.getCentreY(), 2) << label.text;
    }

    // "Disp" and "Rand" start outside the window and still end at 36 like "Oct".
    EXPECT_GT (inkWithin (image, { 0, 88, 36, 16 }).getWidth(), inkWithin (image, { 4, 136, 32, 16 }).getWidth());

    for (const auto& text : centredTexts)
    {
        const auto ink = inkWithin (image, text.box.expanded (2));
        ASSERT_FALSE (ink.isEmpty()) << text.text;
        EXPECT_NEAR (ink.getCentreX(), text.box.getCentreX(), 2) << text.text;
        EXPECT_GT (ink.getWidth(), text.box.getWidth() / 4) << text.text;
    }

    // The title is the only 20-pixel text: taller ink than a heading's.
    EXPECT_GT (inkWithin (image, { 156, 176, 160, 24 }).getHeight(), inkWithin (image, { 40, 0, 96, 24 }).getHeight());

    // Everywhere else is plain background.
    juce::RectangleList<int> drawn;
    for (const auto& label : rowLabels)
        drawn.add (label.box.expanded (1));
    for (const auto& text : centredTexts)
        drawn.add (text.box.expanded (1));
    for (const auto& bounds : childBounds)
        drawn.add (bounds);
    drawn.add ({ 152, 0, 1, 200 });
    drawn.add ({ 312, 0, 1, 200 });

    int stray = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 500; ++x)
            if (! drawn.containsPoint ({ x, y }) && image.getPixelAt (x, y) != cream)
                ++stray;

    EXPECT_EQ (stray, 0);

    // Every control draws something of its own.
    for (int i = 0; i < 18; ++i)
    {
        int marked = 0;
        for (int y = childBounds[i].getY(); y < childBounds[i].getBottom(); ++y)
            for (int x = childBounds[i].getX(); x < childBounds[i].getRight(); ++x)
                marked += image.getPixelAt (x, y) != cream ? 1 : 0;

        EXPECT_GT (marked, 40) << "child " << i;
    }
}

TEST (EditorLayout, ResizingFromOutsideMovesNothing)
{
    Rig rig;
    auto& editor = rig.openEditor();
    editor.setSize (640, 260);

    for (int i = 0; i < 18; ++i)
        EXPECT_EQ (editor.getChildComponent (i)->getBounds(), childBounds[i]) << "child " << i;

    const auto image = snapshotOf (editor);
    EXPECT_EQ (image.getPixelAt (152, 150), black);
    EXPECT_EQ (image.getPixelAt (312, 150), black);
    EXPECT_EQ (image.getPixelAt (152, 230), cream);
    EXPECT_EQ (image.getPixelAt (639, 259), cream);
    EXPECT_EQ (image.getPixelAt (600, 100), cream);

    editor.setSize (300, 100);
    const auto small = snapshotOf (editor);
    EXPECT_EQ (small.getPixelAt (152, 99), black);
    EXPECT_EQ (small.getPixelAt (299, 99), cream);
}
