# Our own code builds warning-free; the framework's sources are left alone.
set(ZEPHYRINE_WARNING_FLAGS -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                            -Wcast-align -Wunused -Woverloaded-virtual -Wnull-dereference
                            -Wformat=2 -Wimplicit-fallthrough -Werror)
if(ZEPHYRINE_SANITIZE AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # The sanitizers' instrumentation makes g++ 12 see uninitialised
    # values and null dereferences that are not there.
    list(APPEND ZEPHYRINE_WARNING_FLAGS -Wno-maybe-uninitialized -Wno-null-dereference)
endif()
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    # clang's -Wshadow also counts a class's enumerators that share a name
    # with a C library function (ParameterBlock's rand); g++'s does not.
    list(APPEND ZEPHYRINE_WARNING_FLAGS -Wno-shadow)
endif()

function(zephyrine_warnings target)
    target_compile_options(${target} PRIVATE ${ZEPHYRINE_WARNING_FLAGS})
endfunction()

# For our files inside a target that also compiles the framework's sources.
function(zephyrine_source_warnings)
    set_source_files_properties(${ARGN} PROPERTIES COMPILE_OPTIONS "${ZEPHYRINE_WARNING_FLAGS}")
endfunction()
