// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "HostedInstrument.h"

#include "RenderError.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <algorithm>

namespace
{
    class SongPlayHead final : public juce::AudioPlayHead
    {
    public:
        juce::Optional<PositionInfo> getPosition() const override
        {
            PositionInfo info;
            info.setTimeInSamples (static_cast<juce::int64> (transport.samplePosition));
            info.setTimeInSeconds (transport.samplePosition / sampleRate);
            info.setBpm (transport.bpm);
            info.setPpqPosition (transport.ppq);
            info.setIsPlaying (true);
            return info;
        }

        Transport transport;
        double sampleRate = 44100.0;
    };

    class HostedInstrument final : public Instrument
    {
    public:
        HostedInstrument (std::unique_ptr<juce::AudioPluginInstance> p, std::string format)
            : instance (std::move (p)), formatName (std::move (format))
        {
            instance->setPlayHead (&playHead);
            instance->enableAllBuses();
            for (auto* candidate : instance->getParameters())
                if (candidate != nullptr)
                    parameters.push_back (candidate);
        }

        ~HostedInstrument() override { close(); }

        std::string getName() override { return instance->getName().toStdString(); }
        std::string getFormatName() const override { return formatName; }
        int getNumParameters() override { return static_cast<int> (parameters.size()); }
        std::string getParameterName (int index) override { return parameter (index).getName (64).toStdString(); }
        std::string getParameterDisplay (int index) override { return parameter (index).getCurrentValueAsText().toStdString(); }
        float getParameter (int index) override { return parameter (index).getValue(); }
        void setParameter (int index, float value) override { parameter (index).setValue (std::clamp (value, 0.0f, 1.0f)); }
        bool keepsState() override { return true; }

        void prepare (double sampleRate, int blockSize) override
        {
            rate = sampleRate;
            maxBlock = blockSize;
            playHead.sampleRate = sampleRate;
            instance->setRateAndBufferSizeDetails (sampleRate, blockSize);

            // Prepared before the state and the settings go in: a plug-in may
            // be made afresh for a new rate, and would lose them.
            instance->setNonRealtime (true);
            instance->prepareToPlay (rate, maxBlock);
            const int channels = std::max ({ 2, instance->getTotalNumInputChannels(), instance->getTotalNumOutputChannels() });
            buffer.setSize (channels, maxBlock);
            midiBuffer.ensureSize (4096);
            started = true;
        }

        bool setState (const std::vector<uint8_t>& block) override
        {
            instance->setStateInformation (block.data(), static_cast<int> (block.size()));
            return true;
        }

        std::vector<uint8_t> getState() override
        {
            juce::MemoryBlock data;
            instance->getStateInformation (data);
            const auto* bytes = static_cast<const uint8_t*> (data.getData());
            return { bytes, bytes + data.getSize() };
        }

        void start() override {}

        void process (const std::vector<InstrumentMidi>& midi, float* left, float* right, int numSamples,
                      const Transport& transport) override
        {
            midiBuffer.clear();
            for (const auto& m : midi)
            {
                const int type = m.bytes[0] & 0xf0;
                const int size = (type == 0xc0 || type == 0xd0) ? 2 : 3;
                midiBuffer.addEvent (m.bytes, size, m.offset);
            }
            playHead.transport = transport;

            juce::AudioBuffer<float> block (buffer.getArrayOfWritePointers(), buffer.getNumChannels(), numSamples);
            block.clear();
            instance->processBlock (block, midiBuffer);

            const int outputs = instance->getTotalNumOutputChannels();
            std::copy (block.getReadPointer (0), block.getReadPointer (0) + numSamples, left);
            const float* r = block.getReadPointer (outputs > 1 ? 1 : 0);
            std::copy (r, r + numSamples, right);
        }

        void stop() override
        {
            if (started)
                instance->releaseResources();
            started = false;
        }

        void close() override
        {
            stop();
        }

    private:
        juce::AudioProcessorParameter& parameter (int index)
        {
            return *parameters.at (static_cast<size_t> (index));
        }

        std::unique_ptr<juce::AudioPluginInstance> instance;
        std::vector<juce::AudioProcessorParameter*> parameters;
        std::string formatName;
        SongPlayHead playHead;
        juce::AudioBuffer<float> buffer;
        juce::MidiBuffer midiBuffer;
        double rate = 44100.0;
        int maxBlock = 512;
        bool started = false;
    };

    juce::AudioPluginFormatManager& formats()
    {
        static juce::AudioPluginFormatManager manager;
        if (manager.getNumFormats() == 0)
            manager.addDefaultFormats();
        return manager;
    }

    juce::AudioPluginFormat* formatNamed (const juce::String& name)
    {
        for (auto* format : formats().getFormats())
            if (format->getName() == name)
                return format;
        return nullptr;
    }
}

std::unique_ptr<Instrument> loadHostedInstrument (bool lv2, const std::string& identifier, const std::string& bundle)
{
    const auto formatName = lv2 ? juce::String ("LV2") : juce::String ("VST3");
    auto* format = formatNamed (formatName);
    if (format == nullptr)
        throw RenderError ("this build cannot host " + formatName.toStdString() + " plug-ins");

    juce::OwnedArray<juce::PluginDescription> found;
    format->findAllTypesForFile (found, juce::String::fromUTF8 (identifier.c_str()));

    // A bundle outside the usual folders is made known by searching its folder.
    if (found.isEmpty() && lv2 && ! bundle.empty())
    {
        format->searchPathsForPlugins (juce::FileSearchPath (juce::File (bundle).getParentDirectory().getFullPathName()), false, false);
        format->findAllTypesForFile (found, juce::String::fromUTF8 (identifier.c_str()));
    }
    const juce::PluginDescription* chosen = nullptr;
    for (const auto* description : found)
        if (chosen == nullptr || (description->isInstrument && ! chosen->isInstrument))
            chosen = description;
    if (chosen == nullptr)
        throw RenderError ("plug-in '" + identifier + "' cannot be loaded: no " + formatName.toStdString() + " plug-in found there");

    juce::String error;
    auto instance = formats().createPluginInstance (*chosen, 44100.0, 512, error);
    if (instance == nullptr)
        throw RenderError ("plug-in '" + identifier + "' cannot be loaded: " + error.toStdString());
    if (instance->getTotalNumOutputChannels() < 1)
        throw RenderError ("plug-in '" + identifier + "' has no audio outputs");
    if (! chosen->isInstrument && ! instance->acceptsMidi())
        throw RenderError ("plug-in '" + identifier + "' is not an instrument (it takes no MIDI)");
    return std::make_unique<HostedInstrument> (std::move (instance), formatName.toStdString());
}
