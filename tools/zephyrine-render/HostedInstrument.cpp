// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "HostedInstrument.h"

#include "Lv2Bundle.h"
#include "RenderError.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <climits>
#include <cstdlib>
#include <algorithm>
#include <map>
#include <vector>

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

    /** A folder that holds nothing but a link to one bundle, for as long as
        the program runs: the plug-in may read its bundle after loading. */
    class BundleFolder
    {
    public:
        explicit BundleFolder (const juce::File& bundle)
            : folder (juce::File::getSpecialLocation (juce::File::tempDirectory)
                          .getNonexistentChildFile ("zephyrine-render-lv2-", {}, false))
        {
            if (! folder.createDirectory() || ! bundle.createSymbolicLink (folder.getChildFile (bundle.getFileName()), false))
                throw RenderError ("cannot make a temporary folder for the LV2 bundle '"
                                   + bundle.getFullPathName().toStdString() + "' in " + folder.getParentDirectory().getFullPathName().toStdString());
        }

        ~BundleFolder() { folder.deleteRecursively (false); }

        const juce::File& get() const noexcept { return folder; }

    private:
        juce::File folder;
        JUCE_DECLARE_NON_COPYABLE (BundleFolder)
    };

    std::string realPath (const juce::File& file)
    {
        char resolved[PATH_MAX];
        return ::realpath (file.getFullPathName().toRawUTF8(), resolved) != nullptr ? std::string (resolved) : std::string();
    }

    /** Whether the bundle is one that the format found in its usual folders
        when it started (directly or through a link there). */
    bool inUsualFolders (juce::AudioPluginFormat& format, const juce::File& bundle)
    {
        const auto path = realPath (bundle);
        const auto usual = format.getDefaultLocationsToSearch();
        for (int i = 0; i < usual.getNumPaths(); ++i)
            if (realPath (usual[i].getChildFile (bundle.getFileName())) == path)
                return true;
        return false;
    }

    /** The URIs of the plug-ins in an LV2 bundle folder, made known to the
        format. Its own discovery loads every entry of a folder on its search
        path as a bundle and complains of each one that is not (a bundle's
        neighbours), so it is shown a folder holding this bundle alone, once:
        a second search would load the bundle again. */
    juce::StringArray urisInBundle (juce::AudioPluginFormat& format, const std::string& bundlePath)
    {
        static std::map<std::string, juce::StringArray> searched;
        static std::vector<std::unique_ptr<BundleFolder>> folders;

        const juce::File bundle (juce::String::fromUTF8 (bundlePath.c_str()));
        const auto key = realPath (bundle);
        if (const auto known = searched.find (key); known != searched.end())
            return known->second;

        juce::StringArray uris;
        for (const auto& uri : lv2PluginUris (key))
            uris.add (juce::String::fromUTF8 (uri.c_str()));
        if (uris.isEmpty())
            throw RenderError ("plug-in '" + bundlePath + "': its manifest.ttl declares no LV2 plug-in");

        if (! inUsualFolders (format, bundle))
        {
            // The format knows one plug-in for each URI, the first it finds.
            for (const auto& uri : uris)
            {
                juce::OwnedArray<juce::PluginDescription> elsewhere;
                format.findAllTypesForFile (elsewhere, uri);
                if (! elsewhere.isEmpty())
                    throw RenderError ("plug-in '" + bundlePath + "' cannot be loaded from there: another bundle in "
                                       + format.getDefaultLocationsToSearch().toString().toStdString() + " holds <"
                                       + uri.toStdString() + "> and takes its place. Give the URI to use that one");
            }
            folders.push_back (std::make_unique<BundleFolder> (bundle));
            format.searchPathsForPlugins (juce::FileSearchPath (folders.back()->get().getFullPathName()), false, false);
        }
        return searched[key] = uris;
    }
}

std::unique_ptr<Instrument> loadHostedInstrument (bool lv2, const std::string& identifier, const std::string& bundle)
{
    const auto formatName = lv2 ? juce::String ("LV2") : juce::String ("VST3");
    auto* format = formatNamed (formatName);
    if (format == nullptr)
        throw RenderError ("this build cannot host " + formatName.toStdString() + " plug-ins");

    juce::OwnedArray<juce::PluginDescription> found;
    if (lv2 && ! bundle.empty())
    {
        for (const auto& uri : urisInBundle (*format, bundle))
            format->findAllTypesForFile (found, uri);
    }
    else
        format->findAllTypesForFile (found, juce::String::fromUTF8 (identifier.c_str()));

    const auto name = bundle.empty() ? identifier : bundle;
    const juce::PluginDescription* chosen = nullptr;
    for (const auto* description : found)
        if (chosen == nullptr || (description->isInstrument && ! chosen->isInstrument))
            chosen = description;
    if (chosen == nullptr)
        throw RenderError ("plug-in '" + name + "' cannot be loaded: no " + formatName.toStdString() + " plug-in found there");

    juce::String error;
    auto instance = formats().createPluginInstance (*chosen, 44100.0, 512, error);
    if (instance == nullptr)
        throw RenderError ("plug-in '" + name + "' cannot be loaded: " + error.toStdString());
    if (instance->getTotalNumOutputChannels() < 1)
        throw RenderError ("plug-in '" + name + "' has no audio outputs");
    if (! chosen->isInstrument && ! instance->acceptsMidi())
        throw RenderError ("plug-in '" + name + "' is not an instrument (it takes no MIDI)");
    return std::make_unique<HostedInstrument> (std::move (instance), formatName.toStdString());
}
