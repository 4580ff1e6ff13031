// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "VstInstrument.h"

#include "RenderError.h"

#include <algorithm>

namespace
{
    constexpr int maxChannels = 64;
    constexpr int maxParameters = 100000;

    class VstInstrument final : public Instrument
    {
    public:
        explicit VstInstrument (std::unique_ptr<vsthost::Plugin> p) : plugin (std::move (p)) {}

        std::string getName() override { return plugin->getEffectName(); }
        std::string getFormatName() const override { return "VST 2"; }
        int getNumParameters() override { return plugin->getNumParameters(); }
        std::string getParameterName (int index) override { return plugin->getParameterName (index); }
        std::string getParameterDisplay (int index) override { return plugin->getParameterDisplay (index); }
        float getParameter (int index) override { return plugin->getParameter (index); }
        void setParameter (int index, float value) override { plugin->setParameter (index, value); }
        bool keepsState() override { return plugin->hasProgramChunks(); }

        void prepare (double sampleRate, int blockSize) override
        {
            plugin->open();
            plugin->setSampleRate (sampleRate);
            plugin->setBlockSize (blockSize);
            const auto outputs = static_cast<size_t> (std::max (1, plugin->getNumOutputs()));
            const auto inputs = static_cast<size_t> (std::max (1, plugin->getNumInputs()));
            outputBuffers.assign (outputs, std::vector<float> (static_cast<size_t> (blockSize)));
            inputBuffers.assign (inputs, std::vector<float> (static_cast<size_t> (blockSize)));
            outputPointers.clear();
            inputPointers.clear();
            for (auto& channel : outputBuffers)
                outputPointers.push_back (channel.data());
            for (auto& channel : inputBuffers)
                inputPointers.push_back (channel.data());
        }

        bool setState (const std::vector<uint8_t>& block) override
        {
            plugin->setChunk (block);
            return true;
        }
        std::vector<uint8_t> getState() override { return plugin->getChunk(); }
        void start() override { plugin->setActive (true); }
        void stop() override { plugin->setActive (false); }
        void close() override { plugin->close(); }

        void process (const std::vector<InstrumentMidi>& midi, float* left, float* right, int numSamples,
                      const Transport& transport) override
        {
            if (! midi.empty())
            {
                events.clear();
                for (const auto& m : midi)
                {
                    vsthost::MidiEvent e;
                    e.deltaFrames = m.offset;
                    std::copy (m.bytes, m.bytes + 3, e.data);
                    events.push_back (e);
                }
                plugin->sendMidi (events);
            }
            plugin->setTransport (transport.samplePosition, transport.bpm, transport.ppq, true);

            // Silent inputs, and outputs cleared in case a plug-in leaves some untouched.
            for (auto* channels : { &inputBuffers, &outputBuffers })
                for (auto& channel : *channels)
                    std::fill (channel.begin(), channel.begin() + numSamples, 0.0f);
            plugin->processReplacing (inputPointers.data(), outputPointers.data(), numSamples);

            const float* l = outputBuffers[0].data();
            const float* r = outputBuffers[outputBuffers.size() > 1 ? 1 : 0].data();
            std::copy (l, l + numSamples, left);
            std::copy (r, r + numSamples, right);
        }

    private:
        std::unique_ptr<vsthost::Plugin> plugin;
        std::vector<std::vector<float>> outputBuffers, inputBuffers;
        std::vector<float*> outputPointers, inputPointers;
        std::vector<vsthost::MidiEvent> events;
    };
}

std::unique_ptr<Instrument> loadVstInstrument (const std::string& path, const std::string& hostName)
{
    vsthost::HostOptions host;
    host.hostVersion = 2400;
    host.processLevel = kVstProcessLevelOffline;
    host.requireInstrument = true;
    host.productName = hostName;

    auto loaded = vsthost::Plugin::load (path, host);
    if (! loaded)
        throw RenderError ("plug-in " + loaded.message);
    auto& plugin = *loaded.plugin;
    if (plugin.getNumOutputs() < 1)
        throw RenderError ("plug-in '" + path + "' has no audio outputs");
    if (plugin.getNumOutputs() > maxChannels || plugin.getNumInputs() > maxChannels || plugin.getNumInputs() < 0)
        throw RenderError ("plug-in '" + path + "' declares an implausible number of channels");
    if (plugin.getNumParameters() < 0 || plugin.getNumParameters() > maxParameters)
        throw RenderError ("plug-in '" + path + "' declares an implausible number of parameters");
    return std::make_unique<VstInstrument> (std::move (loaded.plugin));
}
