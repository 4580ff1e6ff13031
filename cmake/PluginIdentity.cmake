# The plug-in's identity, written once. juce_add_plugin takes these values for
# the LV2, VST3 and standalone builds (framework/formats/CMakeLists.txt), and
# plugin/PluginIdentity.h, which the processor and the VST 2 adapter read, is
# generated from them (template plugin/PluginIdentity.h.in).
include_guard(GLOBAL)

set(ZEPHYRINE_PRODUCT_NAME "Zephyrine")
set(ZEPHYRINE_COMPANY_NAME "Tin Whistlers")
# The framework's four-character codes for the LV2/VST3 builds.
set(ZEPHYRINE_MANUFACTURER_CODE TiWh)
set(ZEPHYRINE_PLUGIN_CODE Zeph)

# The VST 2 library's released identity: hosts file projects and presets
# under it, so it does not follow the project version.
set(ZEPHYRINE_VST2_UNIQUE_ID TiWh)
set(ZEPHYRINE_VST2_VERSION 1)
set(ZEPHYRINE_VST2_VENDOR_VERSION 1000)

set(ZEPHYRINE_GENERATED_DIR "${PROJECT_BINARY_DIR}/generated")
configure_file("${PROJECT_SOURCE_DIR}/plugin/PluginIdentity.h.in"
               "${ZEPHYRINE_GENERATED_DIR}/plugin/PluginIdentity.h" @ONLY)
