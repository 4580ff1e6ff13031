// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include "AudioEffectX.h"
#include "EditorCompWrapper.h"
#include "PluginMessageLoop.h"
#include "framework/AudioFilterBase.h"

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_events/juce_events.h>

#include <atomic>
#include <functional>
#include <memory>

class JuceVSTWrapper;

/** What the wrapper attaches to its processor: the editor's edits become the
    wrapper's automated parameter writes. */
class VstFilterCallbacks : public FilterNativeCallbacks
{
public:
    explicit VstFilterCallbacks (JuceVSTWrapper& owner) : wrapper (owner) {}
    void informHostOfParameterChange (int index, float newValue) override;

private:
    JuceVSTWrapper& wrapper;
};

/** The host adapter of one plug-in instance: owns the processor and maps
    every host call onto it, hosts its editor in the host's window, and keeps
    the MIDI and state blocks that travel between host and processor. */
class JuceVSTWrapper : public AudioEffectX
{
public:
    /** Takes ownership of the processor. The framework must be initialised
        and the caller must hold the message baton. */
    JuceVSTWrapper (audioMasterCallback hostCallback, std::unique_ptr<AudioFilterBase>&& processorToWrap);
    ~JuceVSTWrapper() override;

    // Processing and parameters.
    void process (float** inputs, float** outputs, int numSamples) override;
    void processReplacing (float** inputs, float** outputs, int numSamples) override;
    void setParameter (int index, float value) override;
    float getParameter (int index) override;
    int processEvents (const VstEvents* events) override;
    void resume() override;
    void suspend() override;

    /** The editor's edit: the processor stores the value, then the host is told. */
    void setParameterAutomated (int index, float value);

    /** Tells the host what a slot holds, as automation, storing nothing. */
    void reportParameter (int index, float value);

    // Lifecycle, programs, texts.
    void open() override;
    void close() override;
    void setProgram (int program) override;
    int getProgram() override;
    void setProgramName (const char* name) override;
    void getProgramName (char* text) override;
    bool getProgramNameIndexed (int category, int index, char* text) override;
    void getParameterLabel (int index, char* text) override;
    void getParameterDisplay (int index, char* text) override;
    void getParameterName (int index, char* text) override;
    bool canParameterBeAutomated (int index) override;
    bool getEffectName (char* text) override;
    bool getVendorString (char* text) override;
    bool getProductString (char* text) override;
    int getVendorVersion() override;
    int canDo (const char* text) override;
    int getPlugCategory() override;
    bool keysRequired() override;

    // State.
    vst::IntPtr getChunk (void** data, bool isPreset) override;
    void setChunk (const void* data, vst::IntPtr size, bool isPreset) override;

    // Editor.
    ERect* getEditorRect() override;
    bool openEditor (void* parentWindow) override;
    void closeEditor() override;
    void idleEditor() override;

    AudioFilterBase* getFilter() const noexcept { return filter.get(); }
    EditorCompWrapper* getEditorHost() const noexcept { return editorHost.get(); }
    /** True while a block handed out by getChunk is kept for the host. */
    bool isHoldingChunk() const;

    static constexpr int timerPeriodMs = 250;

private:
    class AdapterTimer : public juce::Timer
    {
    public:
        explicit AdapterTimer (std::function<void()> tick) : onTick (std::move (tick)) {}
        ~AdapterTimer() override { stopTimer(); }
        void timerCallback() override { onTick(); }

    private:
        std::function<void()> onTick;
    };

    // Declared first so that it outlives every framework object below.
    PluginMessageLoop::Reference messageLoop;

    std::unique_ptr<AudioFilterBase> filter;
    VstFilterCallbacks nativeCallbacks { *this };
    std::atomic<bool> prepared { false };
    juce::MidiBuffer pendingMidi;

    // The block last handed to the host; it stays until the next getChunk
    // or the instance's end. The lock is for hosts that save and load on
    // different threads.
    juce::CriticalSection chunkLock;
    juce::MemoryBlock chunkBlock;

    std::unique_ptr<EditorCompWrapper> editorHost;   // baton held for every use
    ERect editorRect {};
    juce::uint32 lastHostIdleCall = 0;

    AdapterTimer adapterTimer { [this] { timerTick(); } };

    void processRoute (float** outputs, int numSamples, bool accumulate);
    void prepareProcessor (bool keepPendingMidi);
    void timerTick();
    bool createEditorHost();
    void deleteEditorHost();

    JUCE_DECLARE_NON_COPYABLE (JuceVSTWrapper)
};
