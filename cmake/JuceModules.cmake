# The framework's modules, compiled once into one static library that the
# plug-in, the tools and the tests all link.
find_package(JUCE CONFIG REQUIRED)

# Debian's framework build decodes images with the system's libpng and
# libjpeg; every build of the modules (this one, the hosting one, the format
# wrappers') links them through this one target.
find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)
add_library(zephyrine_image_codecs INTERFACE)
target_link_libraries(zephyrine_image_codecs INTERFACE PNG::PNG JPEG::JPEG)

# zephyrine_juce_library(<name> MODULES <modules> DEFINITIONS <settings>)
# One static build of the framework's modules with the project's common
# settings plus the given ones. Consumers get the same settings and see the
# module headers as system headers, so that our own warning flags do not
# fire inside the framework.
function(zephyrine_juce_library name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "MODULES;DEFINITIONS")
    add_library(${name} STATIC)
    list(TRANSFORM arg_MODULES PREPEND juce::)
    target_link_libraries(${name} PRIVATE ${arg_MODULES})
    target_compile_definitions(${name}
        PUBLIC
            JUCE_GLOBAL_MODULE_SETTINGS_INCLUDED=1
            JUCE_USE_CURL=0
            JUCE_WEB_BROWSER=0
            JUCE_DISPLAY_SPLASH_SCREEN=0
            JUCE_USE_OGGVORBIS=0
            JUCE_USE_MP3AUDIOFORMAT=0
            JUCE_USE_LAME_AUDIO_FORMAT=0
            JUCE_USE_WINDOWS_MEDIA_FORMAT=0
            JUCE_GUI_BASICS_INCLUDE_XHEADERS=1
            JUCE_STRICT_REFCOUNTEDPOINTER=1
            ${arg_DEFINITIONS}
            $<$<CONFIG:Debug>:DEBUG=1 _DEBUG=1>
            $<$<NOT:$<CONFIG:Debug>>:NDEBUG=1>
        INTERFACE
            $<TARGET_PROPERTY:${name},COMPILE_DEFINITIONS>)
    target_include_directories(${name} SYSTEM
        INTERFACE
            $<TARGET_PROPERTY:${name},INCLUDE_DIRECTORIES>)
    # g++ 12 reports spurious -Wdangling-pointer and friends inside the framework.
    target_compile_options(${name} PRIVATE -w)
    target_link_libraries(${name} PUBLIC zephyrine_image_codecs)
endfunction()

zephyrine_juce_library(zephyrine_juce
    MODULES juce_core juce_events juce_data_structures juce_audio_basics juce_audio_formats
            juce_graphics juce_gui_basics
    DEFINITIONS JUCE_USE_FLAC=0)
