// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.

// A VST 2 "instrument" for testing the renderer: it plays back what it was
// told instead of making sound. The left channel carries parameter 0 plus a
// one-sample impulse of velocity/127 at every note-on's sample, the right
// channel parameter 1. So a render shows exactly where each event and each
// parameter write landed. With PROBE_LOG set in the environment it writes the
// host's calls, in order, to that file when it is closed. Built in variants
// (PROBE_VARIANT) that misbehave.

#include "FstInterface.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#define PROBE_NORMAL 0
#define PROBE_NAN 1          // one NaN sample at position 1000
#define PROBE_NULL_ENTRY 2   // the entry point declines
#define PROBE_CRASH 3        // aborts while processing

#ifndef PROBE_VARIANT
#define PROBE_VARIANT PROBE_NORMAL
#endif

namespace
{
    constexpr int numParameters = 2;
    constexpr int maxImpulses = 4096;

    struct Probe
    {
        AEffect effect {};
        float parameters[numParameters] = { 0.0f, 0.0f };
        int impulseFrames[maxImpulses] = {};
        float impulseLevels[maxImpulses] = {};
        int numImpulses = 0;
        long long samplesDone = 0;
        float chunk[numParameters] = {};
        std::string log;
        bool loggedEvents = false, loggedProcess = false;

        void note (const std::string& call) { log += (log.empty() ? "" : " ") + call; }
    };

    std::string number (double value)
    {
        char text[32];
        std::snprintf (text, sizeof (text), "%g", value);
        return text;
    }

    void writeLog (const Probe& probe)
    {
        if (const char* path = std::getenv ("PROBE_LOG"))
            if (FILE* file = std::fopen (path, "w"))
            {
                std::fprintf (file, "%s\n", probe.log.c_str());
                std::fclose (file);
            }
    }

    Probe* probeOf (AEffect* effect) { return static_cast<Probe*> (effect->object); }

    void copyText (void* destination, const char* text)
    {
        std::strcpy (static_cast<char*> (destination), text);
    }

    VstIntPtr dispatch (AEffect* effect, int opcode, int index, VstIntPtr value, void* ptr, float opt)
    {
        Probe& probe = *probeOf (effect);
        switch (opcode)
        {
            case effOpen: probe.note ("open"); return 0;
            case effSetSampleRate: probe.note ("rate=" + number (opt)); return 0;
            case effSetBlockSize: probe.note ("block=" + number (static_cast<double> (value))); return 0;
            case effMainsChanged: probe.note ("mains=" + number (static_cast<double> (value))); return 0;
            case effClose:
                probe.note ("close");
                writeLog (probe);
                delete &probe;
                return 1;
            case effGetParamName:
                // Both are called "Level": the renderer must tell them apart.
                copyText (ptr, index >= 0 && index < numParameters ? "Level" : "");
                return 0;
            case effGetParamDisplay:
                copyText (ptr, "-");
                return 0;
            case effGetEffectName:
                copyText (ptr, "Probe");
                return 1;
            case effGetVstVersion:
                return 2400;
            case effProcessEvents:
            {
                if (! probe.loggedEvents)
                    probe.note ("events");
                probe.loggedEvents = true;
                const auto* events = static_cast<const VstEvents*> (ptr);
                for (int i = 0; i < events->numEvents; ++i)
                {
                    const auto* event = events->events[i];
                    if (event->type != kVstMidiType)
                        continue;
                    const auto* midi = reinterpret_cast<const VstMidiEvent*> (event);
                    if ((midi->midiData[0] & 0xf0) == 0x90 && midi->midiData[2] > 0 && probe.numImpulses < maxImpulses)
                    {
                        probe.impulseFrames[probe.numImpulses] = midi->deltaFrames;
                        probe.impulseLevels[probe.numImpulses++] = static_cast<float> (midi->midiData[2]) / 127.0f;
                    }
                }
                return 1;
            }
            case effGetChunk:
                probe.note ("getchunk");
                std::memcpy (probe.chunk, probe.parameters, sizeof (probe.chunk));
                *static_cast<void**> (ptr) = probe.chunk;
                return sizeof (probe.chunk);
            case effSetChunk:
                probe.note ("setchunk");
                if (value == sizeof (probe.parameters) && ptr != nullptr)
                    std::memcpy (probe.parameters, ptr, sizeof (probe.parameters));
                return 0;
            default:
                return 0;
        }
    }

    void processReplacing (AEffect* effect, float**, float** outputs, int numSamples)
    {
        Probe& probe = *probeOf (effect);
        if (PROBE_VARIANT == PROBE_CRASH && probe.samplesDone > 0)
            std::abort();
        if (! probe.loggedProcess)
            probe.note ("process");
        probe.loggedProcess = true;
        for (int i = 0; i < numSamples; ++i)
        {
            outputs[0][i] = probe.parameters[0];
            outputs[1][i] = probe.parameters[1];
        }
        for (int i = 0; i < probe.numImpulses; ++i)
            if (probe.impulseFrames[i] >= 0 && probe.impulseFrames[i] < numSamples)
                outputs[0][probe.impulseFrames[i]] += probe.impulseLevels[i];
        probe.numImpulses = 0;

        if (PROBE_VARIANT == PROBE_NAN && probe.samplesDone <= 1000 && 1000 < probe.samplesDone + numSamples)
            outputs[0][1000 - probe.samplesDone] = std::numeric_limits<float>::quiet_NaN();
        probe.samplesDone += numSamples;
    }

    void setParameter (AEffect* effect, int index, float value)
    {
        probeOf (effect)->note ("set" + std::to_string (index) + "=" + number (value));
        if (index >= 0 && index < numParameters)
            probeOf (effect)->parameters[index] = value;
    }

    float getParameter (AEffect* effect, int index)
    {
        return index >= 0 && index < numParameters ? probeOf (effect)->parameters[index] : 0.0f;
    }
}

extern "C" __attribute__ ((visibility ("default"))) AEffect* VSTPluginMain (audioMasterCallback host)
{
    const VstIntPtr hostVersion = host != nullptr ? host (nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) : 0;
    if (hostVersion == 0)
        return nullptr;
    if (PROBE_VARIANT == PROBE_NULL_ENTRY)
        return nullptr;

    auto* probe = new Probe();
    AEffect& e = probe->effect;
    e.magic = kEffectMagic;
    e.dispatcher = dispatch;
    e.setParameter = setParameter;
    e.getParameter = getParameter;
    e.processReplacing = processReplacing;
    e.numPrograms = 1;
    e.numParams = numParameters;
    e.numInputs = 0;
    e.numOutputs = 2;
    e.flags = effFlagsIsSynth | effFlagsCanReplacing | effFlagsProgramChunks;
    e.object = probe;
    e.uniqueID = CCONST ('P', 'r', 'b', 'e');
    e.version = 1;
    probe->note ("version=" + number (static_cast<double> (hostVersion)));
    return &e;
}
