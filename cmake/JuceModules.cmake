# The framework's modules, compiled once into one static library that the
# plug-in, the tools and the tests all link.
find_package(JUCE CONFIG REQUIRED)

add_library(zephyrine_juce STATIC)
target_link_libraries(zephyrine_juce
    PRIVATE
        juce::juce_core
        juce::juce_events
        juce::juce_data_structures
        juce::juce_audio_basics
        juce::juce_audio_formats
        juce::juce_graphics
        juce::juce_gui_basics)

target_compile_definitions(zephyrine_juce
    PUBLIC
        JUCE_GLOBAL_MODULE_SETTINGS_INCLUDED=1
        JUCE_USE_CURL=0
        JUCE_WEB_BROWSER=0
        JUCE_DISPLAY_SPLASH_SCREEN=0
        JUCE_USE_FLAC=0
        JUCE_USE_OGGVORBIS=0
        JUCE_USE_MP3AUDIOFORMAT=0
        JUCE_USE_LAME_AUDIO_FORMAT=0
        JUCE_USE_WINDOWS_MEDIA_FORMAT=0
        JUCE_GUI_BASICS_INCLUDE_XHEADERS=1
        JUCE_STRICT_REFCOUNTEDPOINTER=1
        $<$<CONFIG:Debug>:DEBUG=1 _DEBUG=1>
        $<$<NOT:$<CONFIG:Debug>>:NDEBUG=1>
    INTERFACE
        $<TARGET_PROPERTY:zephyrine_juce,COMPILE_DEFINITIONS>)

# Consumers see the module headers as system headers, so that our own
# warning flags do not fire inside the framework.
target_include_directories(zephyrine_juce SYSTEM
    INTERFACE
        $<TARGET_PROPERTY:zephyrine_juce,INCLUDE_DIRECTORIES>)

# g++ 12 reports spurious -Wdangling-pointer and friends inside the framework.
target_compile_options(zephyrine_juce PRIVATE -w)

# Debian's framework build decodes images with the system's libpng and
# libjpeg; every build of the modules (this one, the hosting one, the format
# wrappers') links them through this one target.
find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)
add_library(zephyrine_image_codecs INTERFACE)
target_link_libraries(zephyrine_image_codecs INTERFACE PNG::PNG JPEG::JPEG)
target_link_libraries(zephyrine_juce PUBLIC zephyrine_image_codecs)
