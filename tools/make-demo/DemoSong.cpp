// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "DemoSong.h"

#include <cmath>
#include <initializer_list>

namespace
{
    constexpr int ticksPerQuarter = 480;
    constexpr double songBeats = 64.0;

    // Tempo: 120 bpm, slowing to 100 at beat 56 and to 80 at beat 60.
    struct TempoChange
    {
        double beat;
        double bpm;
    };
    constexpr TempoChange tempi[] = { { 0.0, 120.0 }, { 56.0, 100.0 }, { 60.0, 80.0 } };

    double ticks (double beat) { return std::round (beat * ticksPerQuarter); }

    /** Writes onto one track with positions in beats (quarter notes). */
    class TrackWriter
    {
    public:
        explicit TrackWriter (const char* name, int midiChannel = 1) : channel (midiChannel)
        {
            add (0.0, juce::MidiMessage::textMetaEvent (3, name));
        }

        void note (double beat, double length, int noteNumber, int velocity = 100)
        {
            add (beat, juce::MidiMessage::noteOn (channel, noteNumber, static_cast<juce::uint8> (velocity)));
            add (beat + length, juce::MidiMessage::noteOff (channel, noteNumber));
        }

        void chord (double beat, double length, std::initializer_list<int> notes, int velocity = 96)
        {
            for (int n : notes)
                note (beat, length, n, velocity);
        }

        /** A sound change for the renderer: "Zephyrine: NAME=VALUE ...". */
        void sound (double beat, const char* settings)
        {
            add (beat, juce::MidiMessage::textMetaEvent (1, juce::String ("Zephyrine: ") + settings));
        }

        /** Pitch wheel in semitones (the instrument bends two each way). */
        void bend (double beat, double semitones)
        {
            const int value = juce::jlimit (0, 16383, static_cast<int> (std::lround (8192.0 + semitones / 2.0 * 8192.0)));
            add (beat, juce::MidiMessage::pitchWheel (channel, value));
        }

        /** A bend that glides from one depth to another in small steps. */
        void glide (double fromBeat, double toBeat, double fromSemitones, double toSemitones)
        {
            constexpr double step = 1.0 / 32.0;
            for (double b = fromBeat; b < toBeat - 1.0e-9; b += step)
                bend (b, fromSemitones + (toSemitones - fromSemitones) * (b - fromBeat) / (toBeat - fromBeat));
            bend (toBeat, toSemitones);
        }

        void add (double beat, juce::MidiMessage message)
        {
            message.setTimeStamp (ticks (beat));
            sequence.addEvent (message);
        }

        juce::MidiMessageSequence sequence;

    private:
        int channel;
    };

    void writeConductor (TrackWriter& t)
    {
        t.add (0.0, juce::MidiMessage::timeSignatureMetaEvent (4, 4));
        for (const auto& change : tempi)
            t.add (change.beat, juce::MidiMessage::tempoMetaEvent (static_cast<int> (std::lround (60.0e6 / change.bpm))));
        t.add (songBeats, juce::MidiMessage::endOfTrack());
    }

    // Broken chords in eighths over a bar: root, third, fifth, octave and back.
    void brokenChord (TrackWriter& t, double bar, int root, int third, int fifth)
    {
        const int pattern[] = { root, third, fifth, root + 12, fifth, third, root, third };
        for (int i = 0; i < 8; ++i)
            t.note (bar * 4.0 + i * 0.5, 0.45, pattern[i], i == 0 ? 110 : 92);
    }

    void writeSound (TrackWriter& t)
    {
        // Bars 1-4: the default patch, plucked. Bars 5-8: square and triangle
        // halves with some sustain, for the big chords; the quantiser off from bar 7.
        t.sound (16.0, "Wave1=Sqr Wave2=Tri Amp.S=0.45 Amp.R=0.15");
        t.sound (24.0, "Crush=0");
        // Bars 9-10: saw against sine, quantiser on again, long notes for the bends.
        t.sound (32.0, "Crush=1 Wave1=Saw1 Wave2=Sin Amp.S=0.6 Amp.R=0.3");
        // Bars 11-12: the two arpeggio modes.
        t.sound (40.0, "Arp=0.5 Wave2=Saw2");
        t.sound (44.0, "Arp=1");
        // Bars 13-16: back to the plucked default, with more asymmetry.
        t.sound (48.0, "Arp=0 Wave1=Saw1 Wave2=Saw1 Amp.S=0 Amp.R=0.032 Disp=0.6");
        t.sound (56.0, "Amp.S=0.35 Amp.R=0.2");
        t.sound (60.0, "Amp.S=0.5 Amp.R=0.4 Crush=0 Disp=0.33");
    }

    void writeChords (TrackWriter& t)
    {
        // Bars 1-4: Am, F, C, G broken.
        brokenChord (t, 0, 57, 60, 64);
        brokenChord (t, 1, 53, 57, 60);
        brokenChord (t, 2, 60, 64, 67);
        brokenChord (t, 3, 55, 59, 62);

        // Bars 5-8: ten- and eleven-note chords, twice a bar; eight voices cannot hold them.
        const std::initializer_list<int> big[] = {
            { 45, 52, 57, 60, 64, 67, 69, 71, 72, 76 },       // Am add9
            { 41, 48, 53, 57, 60, 64, 65, 69, 72, 77 },       // Fmaj7
            { 48, 55, 60, 64, 67, 71, 72, 74, 76, 79 },       // Cmaj9
            { 43, 50, 55, 59, 62, 65, 67, 69, 71, 74, 79 },   // G9
        };
        for (int bar = 0; bar < 4; ++bar)
        {
            const double beat = 16.0 + bar * 4.0;
            t.chord (beat, 1.75, big[bar]);
            t.chord (beat + 2.0, 1.25, big[bar], 84);
            t.chord (beat + 3.5, 0.4, big[bar], 76);
        }

        // Bars 11-12: held chords for the arpeggio: Dm, then E.
        t.chord (40.0, 3.9, { 50, 53, 57, 62 });
        t.chord (44.0, 3.9, { 52, 56, 59, 64 });

        // Bars 13-14: the opening again, plucked.
        brokenChord (t, 12, 57, 60, 64);
        brokenChord (t, 13, 53, 57, 60);

        // Bar 15, slowing: Dm, then E7.
        t.chord (56.0, 1.9, { 50, 57, 62, 65, 69 });
        t.chord (58.0, 1.9, { 52, 56, 59, 62, 64, 68 });

        // Bar 16: the last chord, twelve notes, diving down at the end.
        t.chord (60.0, 3.5, { 33, 45, 52, 57, 60, 64, 69, 72, 76, 81, 84, 88 }, 100);
    }

    void writeBass (TrackWriter& t)
    {
        const int roots[] = { 45, 41, 48, 43 };
        for (int bar = 0; bar < 4; ++bar)
        {
            t.note (bar * 4.0, 1.5, roots[bar] - 12, 110);
            t.note (bar * 4.0 + 2.0, 1.5, roots[bar], 100);
        }
        // Bars 9-10: a low pad under the lead.
        t.chord (32.0, 7.75, { 45, 52, 57 }, 80);

        t.note (48.0, 3.5, 33, 110);
        t.note (52.0, 3.5, 29, 110);
    }

    void writeLead (TrackWriter& t)
    {
        // Bars 9-10: one long E, bent up a whole tone and back, a dip, then a shake.
        t.note (32.0, 7.9, 76, 110);
        t.glide (33.0, 34.0, 0.0, 2.0);
        t.glide (35.0, 36.0, 2.0, 0.0);
        t.glide (37.0, 37.5, 0.0, -2.0);
        t.glide (37.5, 38.0, -2.0, 0.0);
        for (int i = 0; i < 32; ++i)
        {
            const double beat = 38.0 + i / 16.0;
            t.bend (beat, 0.4 * std::sin (i * 3.14159265358979 / 4.0));
        }
        t.bend (40.0, 0.0);

        // Bars 11-12: a few notes above the arpeggios.
        t.note (41.0, 0.9, 69);
        t.note (42.0, 0.9, 72);
        t.note (43.0, 0.9, 74);
        t.note (45.0, 2.9, 71);

        // Bar 16: the dive.
        t.glide (62.0, 63.5, 0.0, -2.0);
        t.bend (64.0, 0.0);
    }
}

juce::MidiFile createDemoSong()
{
    TrackWriter conductor ("Zephyrine demo");
    TrackWriter sound ("Sound changes");
    TrackWriter chords ("Chords");
    TrackWriter bass ("Bass", 2);
    TrackWriter lead ("Lead", 1);

    writeConductor (conductor);
    writeSound (sound);
    writeChords (chords);
    writeBass (bass);
    writeLead (lead);

    juce::MidiFile file;
    file.setTicksPerQuarterNote (ticksPerQuarter);
    for (auto* track : { &conductor, &sound, &chords, &bass, &lead })
        file.addTrack (track->sequence);
    return file;
}

double demoSongLengthSeconds()
{
    double seconds = 0.0;
    for (size_t i = 0; i < std::size (tempi); ++i)
    {
        const double end = i + 1 < std::size (tempi) ? tempi[i + 1].beat : songBeats;
        seconds += (end - tempi[i].beat) * 60.0 / tempi[i].bpm;
    }
    return seconds;
}
