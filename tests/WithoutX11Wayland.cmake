# Builds the editor with X11 and Wayland both switched off, into a folder of
# its own, and starts it: every part that speaks to a display server must
# have its stand-in, and the program must run on them.
# cmake -DSOURCE=<checkout> -DBINARY=<folder> -DBUILD_TYPE=<type>
#       -DQSCINTILLA=<prefix> -DLAUNCHER=<compiler cache> -P WithoutX11Wayland.cmake
cmake_minimum_required(VERSION 3.25)

# The compiler cache keys on paths relative to the checkout, so a second run
# recompiles nothing it has seen.
set(ENV{CCACHE_BASEDIR} ${SOURCE})
set(ENV{CCACHE_NOHASHDIR} 1)

function(run what)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${what} failed (${status}):\n${out}")
    endif()
    set(output "${out}" PARENT_SCOPE)
endfunction()

run("Configuring" ${CMAKE_COMMAND} -S ${SOURCE} -B ${BINARY} -DCMAKE_BUILD_TYPE=${BUILD_TYPE}
    -DCMAKE_CXX_COMPILER_LAUNCHER=${LAUNCHER} -DTARNWICK_QSCINTILLA_PREFIX=${QSCINTILLA}
    -DTARNWICK_X11=OFF -DTARNWICK_WAYLAND=OFF -DBUILD_TESTING=OFF)
run("Building" ${CMAKE_COMMAND} --build ${BINARY} --target tarnwick -j2)

# Neither library may be linked: the options took effect.
set(program ${BINARY}/bin/tarnwick)
run("Reading the program's libraries" readelf -d ${program})
if(output MATCHES "libX11|libwayland-client")
    message(FATAL_ERROR "Built without X11 and Wayland, but linked:\n${output}")
endif()

# Started, it must still be running after an instant; the time-out ends it.
execute_process(COMMAND ${program} -platform offscreen TIMEOUT 2 RESULT_VARIABLE status
                OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT status MATCHES "timeout")
    message(FATAL_ERROR "The editor built without X11 and Wayland ended at once (${status}):\n${out}")
endif()
message(STATUS "Built without X11 and Wayland, and started")
