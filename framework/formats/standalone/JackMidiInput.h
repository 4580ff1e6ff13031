// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <juce_audio_devices/juce_audio_devices.h>

#include <jack/jack.h>

class AppAudio;

/** A JACK MIDI input for the app: the framework plays through JACK but
    takes MIDI only from ALSA, which a JACK-only machine may not have. When a
    JACK server runs, this client offers a port "Zephyrine MIDI:in" and hands
    every message arriving there to the app's sound (the player and the
    MIDI learn table). Without a server it
    does nothing. */
class JackMidiInput
{
public:
    explicit JackMidiInput (AppAudio& destination);
    ~JackMidiInput();

    bool isConnectedToServer() const noexcept { return client != nullptr; }

private:
    static int processCallback (jack_nframes_t numFrames, void* self);

    AppAudio& audio;
    jack_client_t* client = nullptr;
    jack_port_t* port = nullptr;

    JUCE_DECLARE_NON_COPYABLE (JackMidiInput)
};
