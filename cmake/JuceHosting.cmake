# A second build of the framework's modules for programs that load plug-ins
# (the renderer, the test hosts): it adds plug-in hosting for VST3 and LV2
# and the FLAC codec. A program links either this or zephyrine_juce, never
# both, so that each module is compiled into it once.
include_guard(GLOBAL)
if(NOT COMMAND juce_add_module)
    find_package(JUCE CONFIG REQUIRED)
endif()

add_library(zephyrine_juce_hosting STATIC)
target_link_libraries(zephyrine_juce_hosting
    PRIVATE
        juce::juce_core
        juce::juce_events
        juce::juce_data_structures
        juce::juce_audio_basics
        juce::juce_audio_formats
        juce::juce_audio_processors
        juce::juce_graphics
        juce::juce_gui_basics
        juce::juce_gui_extra)

target_compile_definitions(zephyrine_juce_hosting
    PUBLIC
        JUCE_GLOBAL_MODULE_SETTINGS_INCLUDED=1
        JUCE_USE_CURL=0
        JUCE_WEB_BROWSER=0
        JUCE_DISPLAY_SPLASH_SCREEN=0
        JUCE_USE_FLAC=1
        JUCE_USE_OGGVORBIS=0
        JUCE_USE_MP3AUDIOFORMAT=0
        JUCE_USE_LAME_AUDIO_FORMAT=0
        JUCE_USE_WINDOWS_MEDIA_FORMAT=0
        JUCE_PLUGINHOST_VST=0
        JUCE_PLUGINHOST_VST3=1
        JUCE_PLUGINHOST_LV2=1
        JUCE_PLUGINHOST_LADSPA=0
        JUCE_GUI_BASICS_INCLUDE_XHEADERS=1
        JUCE_STRICT_REFCOUNTEDPOINTER=1
        $<$<CONFIG:Debug>:DEBUG=1 _DEBUG=1>
        $<$<NOT:$<CONFIG:Debug>>:NDEBUG=1>
    INTERFACE
        $<TARGET_PROPERTY:zephyrine_juce_hosting,COMPILE_DEFINITIONS>)

target_include_directories(zephyrine_juce_hosting SYSTEM
    INTERFACE
        $<TARGET_PROPERTY:zephyrine_juce_hosting,INCLUDE_DIRECTORIES>)

target_compile_options(zephyrine_juce_hosting PRIVATE -w)

# The system's libFLAC, which Debian's framework build uses for FLAC.
find_package(PkgConfig REQUIRED)
pkg_check_modules(FLAC REQUIRED IMPORTED_TARGET flac)
target_link_libraries(zephyrine_juce_hosting PUBLIC zephyrine_image_codecs PkgConfig::FLAC)
