// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "JuceVSTWrapper.h"

#include "framework/x11/PluginX11.h"
#include "plugin/PluginIdentity.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace
{
    /** Set while an editor host is deleted, while effEditIdle dispatches and
        while the host's idle is called, for all instances of the process.
        Only touched with the message baton held. */
    bool guiBusy = false;

    constexpr double defaultSampleRate = 44100.0;
    constexpr int defaultBlockSize = 1024;
    constexpr int midiReserveBytes = 16384;   // ~1800 short messages before the buffer must grow
    constexpr juce::uint32 hostIdleIntervalMs = 20;

    /** Copies text into a host buffer of the given size, zero byte included,
        never splitting a character. */
    void copyToHost (const juce::String& text, char* destination, int bufferBytes)
    {
        text.copyToUTF8 (destination, (size_t) bufferBytes);
    }

    /** Shortens the exponent of printf's output: "1.2e-05" becomes "1.2e-5", "3e+38" "3e38". */
    void compactExponent (char* text)
    {
        auto* e = std::strchr (text, 'e');

        if (e == nullptr)
            return;

        auto* digits = e + 1;
        auto* out = digits;

        if (*digits == '-')
            *out++ = *digits++;
        else if (*digits == '+')
            ++digits;

        while (digits[0] == '0' && digits[1] != 0)
            ++digits;

        std::memmove (out, digits, std::strlen (digits) + 1);
    }

    /** The display text as it fits into maxChars characters: unchanged when it
        does, otherwise the same value rounded to as many significant digits as
        fit, so that a cut never drops an exponent or a sign. */
    juce::String fitDisplayText (const juce::String& fullText, float value, int maxChars)
    {
        if (fullText.length() <= maxChars)
            return fullText;

        char buffer[48];

        for (int digits = 8; digits >= 1; --digits)
        {
            for (bool exponentForm : { false, true })
            {
                if (exponentForm)
                    std::snprintf (buffer, sizeof (buffer), "%.*e", digits - 1, (double) value);
                else
                    std::snprintf (buffer, sizeof (buffer), "%.*g", digits, (double) value);

                compactExponent (buffer);

                if ((int) std::strlen (buffer) <= maxChars)
                    return juce::String (buffer);
            }
        }

        return fullText.substring (0, maxChars);
    }

    /** Reads a host string of at most maxBytes bytes, which may lack its zero
        byte, without reading past it or keeping a cut character. */
    juce::String readHostText (const char* text, size_t maxBytes)
    {
        char local[64] = {};
        maxBytes = juce::jmin (maxBytes, sizeof (local) - 1);

        auto length = ::strnlen (text, maxBytes);
        std::memcpy (local, text, length);

        if (length == maxBytes)
        {
            // Cut short: drop a character whose bytes did not all fit.
            auto start = length;

            while (start > 0 && length - start < 4 && ((unsigned char) local[start - 1] & 0xc0) == 0x80)
                --start;

            if (start > 0)
            {
                const auto lead = (unsigned char) local[start - 1];
                const size_t needed = lead >= 0xf0 ? 4 : lead >= 0xe0 ? 3
                                                     : lead >= 0xc0   ? 2
                                                                      : 1;

                if (length - (start - 1) < needed)
                    length = start - 1;
            }
        }

        local[length] = 0;
        return juce::String::fromUTF8 (local, (int) length);
    }
}

//==============================================================================
void VstFilterCallbacks::informHostOfParameterChange (int index, float newValue)
{
    wrapper.setParameterAutomated (index, newValue);
}

//==============================================================================
JuceVSTWrapper::JuceVSTWrapper (audioMasterCallback callback, std::unique_ptr<AudioFilterBase>&& processorToWrap)
    : AudioEffectX (callback, processorToWrap->programCount(), processorToWrap->parameterCount()),
      filter (std::move (processorToWrap))
{
    filter->setPlayConfigDetails (PluginIdentity::numInputs, PluginIdentity::numOutputs);
    filter->setNativeCallbacks (&nativeCallbacks);

    setFlag (vst::effFlagsHasEditor, PluginIdentity::hasEditor);
    setUniqueId (PluginIdentity::uniqueId);

    if (hasHostCallback())
        wantEvents();

    setNumInputs (filter->getNumInputChannels());
    setNumOutputs (filter->getNumOutputChannels());
    setInitialDelay (0);
    setFlag (vst::effFlagsCanReplacing, PluginIdentity::canReplacing);
    setFlag (vst::effFlagsProgramChunks, PluginIdentity::programChunks);
    setFlag (vst::effFlagsIsSynth, PluginIdentity::isSynth);
    setVersion (PluginIdentity::version);

    // The audio thread should not allocate for an ordinary block's events.
    pendingMidi.ensureSize (midiReserveBytes);
}

JuceVSTWrapper::~JuceVSTWrapper()
{
    {
        const PluginMessageLoop::ScopedBaton baton;
        adapterTimer.stopTimer();
        deleteEditorHost();
        filter->setNativeCallbacks (nullptr);
        filter.reset();
    }

    {
        const juce::ScopedLock sl (chunkLock);
        chunkBlock.reset();
    }

    pendingMidi.clear();
}

//==============================================================================
void JuceVSTWrapper::open()
{
    const PluginMessageLoop::ScopedBaton baton;
    adapterTimer.startTimer (timerPeriodMs);
}

void JuceVSTWrapper::close()
{
    const PluginMessageLoop::ScopedBaton baton;
    adapterTimer.stopTimer();
    deleteEditorHost();
}

//==============================================================================
void JuceVSTWrapper::prepareProcessor (bool keepPendingMidi)
{
    prepared = true;

    auto rate = (double) sampleRate;

    if (! (rate > 0.0) || ! std::isfinite (rate))
        rate = defaultSampleRate;

    const auto block = (blockSize > 0 && blockSize <= AudioFilterBase::largestPreparedBlock) ? (int) blockSize
                                                                                             : defaultBlockSize;
    filter->prepare (rate, block);

    if (! keepPendingMidi)
        pendingMidi.clear();

    wantEvents();
}

void JuceVSTWrapper::resume()
{
    prepareProcessor (false);
}

void JuceVSTWrapper::suspend()
{
    filter->releaseBuffers();
    pendingMidi.clear();
    prepared = false;
}

void JuceVSTWrapper::process (float** inputs, float** outputs, int numSamples)
{
    (void) inputs;   // no inputs are declared; whatever the host passes is never read
    processRoute (outputs, numSamples, true);
}

void JuceVSTWrapper::processReplacing (float** inputs, float** outputs, int numSamples)
{
    (void) inputs;
    processRoute (outputs, numSamples, false);
}

void JuceVSTWrapper::processRoute (float** outputs, int numSamples, bool accumulate)
{
    // The first block of a host that never resumed prepares the processor,
    // keeping whatever events it sent for this very block.
    if (! prepared)
        prepareProcessor (true);

    // A missing channel or a negative count plays as an empty block: the
    // events are still dispatched, nothing is written.
    float spare = 0.0f;
    float* channels[2] = { &spare, &spare };
    auto length = juce::jmax (0, numSamples);

    if (outputs != nullptr && outputs[0] != nullptr && outputs[1] != nullptr)
    {
        channels[0] = outputs[0];
        channels[1] = outputs[1];
    }
    else
    {
        length = 0;
    }

    float* noChannels[1] = { &spare };
    const juce::AudioBuffer<float> input (noChannels, 0, length);
    juce::AudioBuffer<float> output (channels, 2, length);

    {
        const juce::ScopedLock sl (filter->callbackLock);
        filter->process (input, output, accumulate, pendingMidi);
    }

    if (! pendingMidi.isEmpty())
        pendingMidi.clear();
}

namespace
{
    // The header declares the type as an enumeration, but a host may send any
    // number there; reading it as the enumeration would be undefined.
    std::int32_t eventType (const VstEvent& event) noexcept
    {
        std::int32_t type = 0;
        std::memcpy (&type, reinterpret_cast<const char*> (&event) + offsetof (VstEvent, type), sizeof (type));
        return type;
    }
}

int JuceVSTWrapper::processEvents (const VstEvents* events)
{
    if (events == nullptr)
        return 1;

    for (int i = 0; i < events->numEvents; ++i)
    {
        const auto* event = events->events[i];

        if (event == nullptr || eventType (*event) != (std::int32_t) vst::kVstMidiType)
            continue;

        const auto* midi = reinterpret_cast<const VstMidiEvent*> (event);

        // A position before the block start plays at its start.
        pendingMidi.addEvent (midi->midiData, (int) sizeof (midi->midiData), juce::jmax (0, midi->deltaFrames));
    }

    return 1;
}

//==============================================================================
void JuceVSTWrapper::setParameter (int index, float value)
{
    filter->setParameterValue (index, value);
}

float JuceVSTWrapper::getParameter (int index)
{
    return filter->parameterValue (index);
}

void JuceVSTWrapper::setParameterAutomated (int index, float value)
{
    setParameter (index, value);
    reportParameter (index, value);
}

void JuceVSTWrapper::reportParameter (int index, float value)
{
    // The host learns the slot that was written: the processor clamps the index.
    const auto slot = juce::jlimit (0, juce::jmax (0, filter->parameterCount() - 1), index);
    callHost (vst::audioMasterAutomate, slot, 0, nullptr, value);
}

//==============================================================================
void JuceVSTWrapper::setProgram (int program)
{
    filter->selectProgram (program);
}

int JuceVSTWrapper::getProgram()
{
    return filter->currentProgram();
}

void JuceVSTWrapper::setProgramName (const char* name)
{
    filter->renameProgram (filter->currentProgram(), readHostText (name, vst::maxProgramNameBytes - 1));
}

void JuceVSTWrapper::getProgramName (char* text)
{
    copyToHost (filter->programName (filter->currentProgram()), text, vst::maxProgramNameBytes);
}

bool JuceVSTWrapper::getProgramNameIndexed (int category, int index, char* text)
{
    (void) category;

    if (index < 0 || index >= filter->programCount())
        return false;

    copyToHost (filter->programName (index), text, vst::maxProgramNameBytes);
    return true;
}

void JuceVSTWrapper::getParameterLabel (int index, char* text)
{
    (void) index;
    text[0] = 0;
}

void JuceVSTWrapper::getParameterDisplay (int index, char* text)
{
    // Hosts are only promised 8 bytes here; some allocate just that.
    constexpr int maxChars = vst::maxParamStringBytes - 1;
    copyToHost (fitDisplayText (filter->parameterText (index), filter->parameterValue (index), maxChars),
                text, vst::maxParamStringBytes);
}

void JuceVSTWrapper::getParameterName (int index, char* text)
{
    copyToHost (filter->parameterName (index), text, vst::maxParamStringBytes);
}

bool JuceVSTWrapper::canParameterBeAutomated (int index)
{
    (void) index;
    return true;
}

bool JuceVSTWrapper::getEffectName (char* text)
{
    copyToHost (PluginIdentity::effectName, text, vst::maxEffectNameBytes);
    return true;
}

bool JuceVSTWrapper::getVendorString (char* text)
{
    copyToHost (PluginIdentity::vendorName, text, vst::maxVendorBytes);
    return true;
}

bool JuceVSTWrapper::getProductString (char* text)
{
    return getEffectName (text);
}

int JuceVSTWrapper::getVendorVersion()
{
    return PluginIdentity::vendorVersion;
}

int JuceVSTWrapper::canDo (const char* text)
{
    struct Capability
    {
        const char* name;
        int answer;
    };

    // "receiveVstMidiEvents" carries its final s on purpose; the usual
    // singular spelling is answered 0 like any unknown text.
    static constexpr Capability capabilities[] = {
        { "receiveVstEvents", 1 },
        { "receiveVstMidiEvents", 1 },
        { "receiveVstTimeInfo", 1 },
        { "conformsToWindowRules", 1 },
        { "sendVstEvents", -1 },
        { "sendVstMidiEvent", -1 },
    };

    for (const auto& c : capabilities)
        if (std::strncmp (text, c.name, std::strlen (c.name) + 1) == 0)
            return c.answer;

    return 0;
}

int JuceVSTWrapper::getPlugCategory()
{
    return vst::kPlugCategSynth;
}

bool JuceVSTWrapper::keysRequired()
{
    return true;
}

//==============================================================================
bool JuceVSTWrapper::isHoldingChunk() const
{
    const juce::ScopedLock sl (chunkLock);
    return ! chunkBlock.isEmpty();
}

vst::IntPtr JuceVSTWrapper::getChunk (void** data, bool isPreset)
{
    (void) isPreset;   // program and bank chunks carry the same state
    const juce::ScopedLock sl (chunkLock);

    // The previous block goes only now: the host may read a block it was
    // given until it asks for the next one (or closes the instance).
    chunkBlock.reset();
    filter->saveState (chunkBlock);

    *data = chunkBlock.getData();
    return (vst::IntPtr) chunkBlock.getSize();
}

void JuceVSTWrapper::setChunk (const void* data, vst::IntPtr size, bool isPreset)
{
    (void) isPreset;

    // The kept block stays: the host may hand back that very block, and may
    // still be reading it.
    const juce::ScopedLock sl (chunkLock);

    if (size > 0 && data != nullptr)
        filter->loadState (data, (int) juce::jmin (size, (vst::IntPtr) INT_MAX));
}

void JuceVSTWrapper::timerTick()
{
    const auto now = juce::Time::getMillisecondCounter();

    if (editorHost != nullptr && editorHost->isAttachedToHost() && ! guiBusy
        && juce::ModifierKeys::currentModifiers.isAnyMouseButtonDown()
        && now - lastHostIdleCall > hostIdleIntervalMs)
    {
        lastHostIdleCall = now;
        const juce::ScopedValueSetter<bool> busy (guiBusy, true);
        hostIdle();
    }
}

//==============================================================================
bool JuceVSTWrapper::createEditorHost()
{
    PluginX11::prepareWindowSystem();

    auto* editor = filter->createEditorIfNeeded();

    if (editor == nullptr)
        return false;

    editor->setOpaque (true);
    editor->setVisible (true);
    editorHost = std::make_unique<EditorCompWrapper> (editor);
    return true;
}

void JuceVSTWrapper::deleteEditorHost()
{
    if (editorHost == nullptr)
        return;

    const juce::ScopedValueSetter<bool> busy (guiBusy, true);
    const auto wasAttached = editorHost->isAttachedToHost();

    filter->editorBeingDeleted (editorHost->getEditor());
    editorHost.reset();

    if (wasAttached)
        PluginMessageLoop::editorDetached();
}

ERect* JuceVSTWrapper::getEditorRect()
{
    const PluginMessageLoop::ScopedBaton baton;

    if (editorHost == nullptr && ! createEditorHost())
        return nullptr;

    const auto* editor = editorHost->getEditor();
    editorRect.top = 0;
    editorRect.left = 0;
    editorRect.bottom = (short) editor->getHeight();
    editorRect.right = (short) editor->getWidth();
    return &editorRect;
}

bool JuceVSTWrapper::openEditor (void* parentWindow)
{
    // Without a window of the host's there is nothing to embed into.
    if (parentWindow == nullptr)
        return false;

    const PluginMessageLoop::ScopedBaton baton;

    deleteEditorHost();

    if (! createEditorHost())
        return false;

    if (! editorHost->attachToHost (parentWindow))
    {
        deleteEditorHost();
        return false;
    }

    PluginMessageLoop::editorAttached();
    return true;
}

void JuceVSTWrapper::closeEditor()
{
    const PluginMessageLoop::ScopedBaton baton;
    deleteEditorHost();
}

void JuceVSTWrapper::idleEditor()
{
    const PluginMessageLoop::ScopedBaton baton;

    if (guiBusy)
        return;

    const juce::ScopedValueSetter<bool> busy (guiBusy, true);
    PluginMessageLoop::dispatchForHost();
}
