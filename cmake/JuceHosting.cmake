# A second build of the framework's modules for programs that load plug-ins
# (the renderer, the test hosts): it adds plug-in hosting for VST3 and LV2
# and the FLAC codec. A program links either this or zephyrine_juce, never
# both, so that each module is compiled into it once.
# Needs cmake/JuceModules.cmake, which the top level includes first.
include_guard(GLOBAL)

zephyrine_juce_library(zephyrine_juce_hosting
    MODULES juce_core juce_events juce_data_structures juce_audio_basics juce_audio_formats
            juce_audio_processors juce_graphics juce_gui_basics juce_gui_extra
    DEFINITIONS
        JUCE_USE_FLAC=1
        JUCE_PLUGINHOST_VST=0
        JUCE_PLUGINHOST_VST3=1
        JUCE_PLUGINHOST_LV2=1
        JUCE_PLUGINHOST_LADSPA=0)

# The system's libFLAC, which Debian's framework build uses for FLAC.
find_package(PkgConfig REQUIRED)
pkg_check_modules(FLAC REQUIRED IMPORTED_TARGET flac)
target_link_libraries(zephyrine_juce_hosting PUBLIC PkgConfig::FLAC)
