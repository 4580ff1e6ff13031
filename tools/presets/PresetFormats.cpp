// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "PresetFormats.h"

#include "plugin/PluginIdentity.h"

namespace
{
    void writeFourCC (juce::MemoryOutputStream& out, const char* code)
    {
        out.write (code, 4);
    }

    // The VST3 build's plug-in code (framework/formats/CMakeLists.txt).
    constexpr char vst3PluginCode[5] = "Zeph";

    juce::String hex32 (juce::uint32 value)
    {
        return juce::String::toHexString ((juce::int64) value).paddedLeft ('0', 8).toUpperCase();
    }
}

juce::MemoryBlock presetformats::fxp (const juce::MemoryBlock& stateBlock, const juce::String& programName)
{
    constexpr int headerAfterSize = 52;   // from fxMagic through chunkSize
    juce::MemoryOutputStream out;
    writeFourCC (out, "CcnK");
    out.writeIntBigEndian (headerAfterSize + (int) stateBlock.getSize());
    writeFourCC (out, "FPCh");
    out.writeIntBigEndian (1);   // format version
    out.writeIntBigEndian ((int) PluginIdentity::uniqueId);
    out.writeIntBigEndian (PluginIdentity::version);
    out.writeIntBigEndian (1);   // programs

    char name[28] {};
    programName.copyToUTF8 (name, sizeof (name));   // terminated, at most 27 bytes
    out.write (name, sizeof (name));

    out.writeIntBigEndian ((int) stateBlock.getSize());
    out.write (stateBlock.getData(), stateBlock.getSize());
    return out.getMemoryBlock();
}

juce::String presetformats::vst3ComponentClassId()
{
    return hex32 (0xABCDEF01u) + hex32 (0x9182FAEBu) + hex32 ((juce::uint32) PluginIdentity::uniqueId)
           + hex32 ((juce::uint32) fourCharacterCode (vst3PluginCode));
}

juce::MemoryBlock presetformats::vstPreset (const juce::MemoryBlock& stateBlock, const juce::String& presetName)
{
    constexpr juce::int64 headerSize = 48;
    const auto classId = vst3ComponentClassId();
    jassert (classId.length() == 32);

    const auto info = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<MetaInfo>\n"
                      "  <Attr id=\"MediaType\" value=\"VstPreset\" type=\"string\" flags=\"writeProtected\"/>\n"
                      "  <Attr id=\"PlugInName\" value=\"Zephyrine\" type=\"string\" flags=\"writeProtected\"/>\n"
                      "  <Attr id=\"PlugInCategory\" value=\"Instrument|Synth\" type=\"string\" flags=\"writeProtected\"/>\n"
                      "  <Attr id=\"Name\" value=\""
                      + presetName + "\" type=\"string\" flags=\"\"/>\n</MetaInfo>\n";
    const juce::MemoryBlock infoBytes (info.toRawUTF8(), info.getNumBytesAsUTF8());

    const auto componentOffset = headerSize;
    const auto componentSize = (juce::int64) stateBlock.getSize();
    const auto infoOffset = componentOffset + componentSize;
    const auto infoSize = (juce::int64) infoBytes.getSize();
    const auto listOffset = infoOffset + infoSize;

    juce::MemoryOutputStream out;
    writeFourCC (out, "VST3");
    out.writeInt (1);   // format version
    out.write (classId.toRawUTF8(), 32);
    out.writeInt64 (listOffset);
    out.write (stateBlock.getData(), stateBlock.getSize());
    out.write (infoBytes.getData(), infoBytes.getSize());

    writeFourCC (out, "List");
    out.writeInt (2);
    writeFourCC (out, "Comp");
    out.writeInt64 (componentOffset);
    out.writeInt64 (componentSize);
    writeFourCC (out, "Info");
    out.writeInt64 (infoOffset);
    out.writeInt64 (infoSize);
    return out.getMemoryBlock();
}
