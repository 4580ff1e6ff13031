// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

/** A MIDI channel message for the instrument, at a sample offset in a block. */
struct InstrumentMidi
{
    int offset = 0;
    uint8_t bytes[3] = {};
};

/** Where the song stands, for instruments that follow the host's tempo. */
struct Transport
{
    double samplePosition = 0.0;
    double bpm = 120.0;
    double ppq = 0.0;
};

/** An instrument plug-in as the renderer drives it, whatever its format:
    prepare, state and parameters, start, blocks, stop, state out, close. */
class Instrument
{
public:
    virtual ~Instrument() = default;

    virtual std::string getName() = 0;
    virtual std::string getFormatName() const = 0;   // "VST 2", "VST3", "LV2"

    virtual int getNumParameters() = 0;
    virtual std::string getParameterName (int index) = 0;
    virtual std::string getParameterDisplay (int index) = 0;
    virtual float getParameter (int index) = 0;
    virtual void setParameter (int index, float value) = 0;

    /** Whether the instrument hands out and takes a state block. */
    virtual bool keepsState() = 0;

    /** Opens the instrument for this rate and largest block. */
    virtual void prepare (double sampleRate, int blockSize) = 0;
    /** Hands over a state block; false when the instrument is known to have
        refused it. */
    virtual bool setState (const std::vector<uint8_t>& block) = 0;
    virtual std::vector<uint8_t> getState() = 0;

    virtual void start() = 0;
    /** One block: the events due in it, then numSamples into two channels. */
    virtual void process (const std::vector<InstrumentMidi>& midi, float* left, float* right, int numSamples,
                          const Transport& transport) = 0;
    virtual void stop() = 0;
    virtual void close() = 0;
};

/** Loads the plug-in at this location (from locatePlugin); throws RenderError. */
std::unique_ptr<Instrument> loadInstrument (const std::string& location);
