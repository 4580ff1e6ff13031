// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
//
// Sends MIDI controller messages into a JACK MIDI port, the way a knob on a
// controller would, for the app's MIDI learn check:
//   jack-send-controller <destination port> <controller> <value> [<value> ...]
// Each value goes out in a process cycle of its own, then the client leaves.
#include <jack/jack.h>
#include <jack/midiport.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace
{
    struct Sender
    {
        jack_port_t* port = nullptr;
        unsigned char controller = 0;
        std::vector<unsigned char> values;
        std::atomic<bool> connected { false };
        std::atomic<size_t> sent { 0 };
    };

    int process (jack_nframes_t frames, void* arg)
    {
        auto& sender = *static_cast<Sender*> (arg);
        void* buffer = jack_port_get_buffer (sender.port, frames);
        jack_midi_clear_buffer (buffer);
        const auto next = sender.sent.load();
        if (sender.connected.load() && next < sender.values.size())
        {
            const unsigned char message[3] { 0xb0, sender.controller, sender.values[next] };
            if (jack_midi_event_write (buffer, 0, message, 3) == 0)
                sender.sent.store (next + 1);
        }
        return 0;
    }
}

int main (int argc, char** argv)
{
    if (argc < 4)
    {
        std::fprintf (stderr, "usage: %s <destination port> <controller> <value>...\n", argv[0]);
        return 2;
    }

    Sender sender;
    sender.controller = (unsigned char) (std::atoi (argv[2]) & 0x7f);
    for (int i = 3; i < argc; ++i)
        sender.values.push_back ((unsigned char) (std::atoi (argv[i]) & 0x7f));

    jack_client_t* client = jack_client_open ("controller-sender", JackNoStartServer, nullptr);
    if (client == nullptr)
    {
        std::fprintf (stderr, "no JACK server\n");
        return 1;
    }
    sender.port = jack_port_register (client, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    if (sender.port == nullptr || jack_set_process_callback (client, process, &sender) != 0
        || jack_activate (client) != 0)
    {
        std::fprintf (stderr, "could not start the JACK client\n");
        jack_client_close (client);
        return 1;
    }
    if (jack_connect (client, jack_port_name (sender.port), argv[1]) != 0)
    {
        std::fprintf (stderr, "could not connect to %s\n", argv[1]);
        jack_client_close (client);
        return 1;
    }

    // Values start going out a little after the connection stands (the
    // server may take a cycle to route it); give up after 10 s.
    std::this_thread::sleep_for (std::chrono::milliseconds (50));
    sender.connected.store (true);
    for (int waited = 0; sender.sent.load() < sender.values.size() && waited < 1000; ++waited)
        std::this_thread::sleep_for (std::chrono::milliseconds (10));
    std::this_thread::sleep_for (std::chrono::milliseconds (100));   // let the last cycle reach the port
    const bool allSent = sender.sent.load() == sender.values.size();
    jack_client_close (client);
    return allSent ? 0 : 1;
}
