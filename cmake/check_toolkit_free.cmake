# Fails when a source file of a toolkit-free folder includes a Qt header. Folders that hold a
# widget target keep their logic in a logic/ subfolder, which is checked too.
file(GLOB_RECURSE sources
    "${SOURCE_DIR}/gui/core/*.h" "${SOURCE_DIR}/gui/core/*.cpp"
    "${SOURCE_DIR}/gui/*/logic/*.h" "${SOURCE_DIR}/gui/*/logic/*.cpp"
    "${SOURCE_DIR}/tools/*.h" "${SOURCE_DIR}/tools/*.cpp"
    "${SOURCE_DIR}/engine_access/*.h" "${SOURCE_DIR}/engine_access/*.cpp"
    "${SOURCE_DIR}/tests/support/*.h" "${SOURCE_DIR}/tests/support/*.cpp")
set(offenders "")
foreach(source ${sources})
    file(STRINGS "${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]Q")
    if(includes)
        list(APPEND offenders "${source}")
    endif()
endforeach()
if(offenders)
    message(FATAL_ERROR "Qt headers included in toolkit-free sources:\n${offenders}")
endif()
list(LENGTH sources count)
message(STATUS "${count} toolkit-free sources include no Qt header")
