// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "JackMidiInput.h"

#include "AppAudio.h"

#include <jack/midiport.h>

JackMidiInput::JackMidiInput (AppAudio& destination)
    : audio (destination)
{
    // Never starts a server of its own: without one there is simply no port.
    client = jack_client_open ("Zephyrine MIDI", JackNoStartServer, nullptr);
    if (client == nullptr)
        return;

    port = jack_port_register (client, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    if (port == nullptr
        || jack_set_process_callback (client, processCallback, this) != 0
        || jack_activate (client) != 0)
    {
        jack_client_close (client);
        client = nullptr;
    }
}

JackMidiInput::~JackMidiInput()
{
    if (client != nullptr)
        jack_client_close (client);   // stops the callback before returning
}

int JackMidiInput::processCallback (jack_nframes_t numFrames, void* self)
{
    auto& input = *static_cast<JackMidiInput*> (self);
    void* buffer = jack_port_get_buffer (input.port, numFrames);
    const auto now = juce::Time::getMillisecondCounterHiRes() * 0.001;

    const auto count = jack_midi_get_event_count (buffer);
    for (jack_nframes_t i = 0; i < count; ++i)
    {
        jack_midi_event_t event;
        // Only short messages: the synthesizer acts on nothing longer, and
        // these fit in the message without an allocation.
        if (jack_midi_event_get (&event, buffer, i) == 0 && event.size > 0 && event.size <= 3)
            input.audio.handleExternalMidi (juce::MidiMessage (event.buffer, (int) event.size, now));
    }
    return 0;
}
