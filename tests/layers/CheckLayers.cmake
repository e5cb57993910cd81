# Fails when a file under src/ includes a header of a folder its row of the table below does not
# name. Every folder under src/ is an include directory and headers are included by their bare
# file name, so a name stands for the one header of that name under src/ or res/; the check also
# fails when two headers share a name (the name would then be ambiguous) and when a folder under
# src/ has no row. Names found nowhere under src/ or res/ (the system's, Qt's, generated
# Verilator headers) are not ours and pass.
#   cmake -DSOURCE_DIR=<tree with src/> [-DPARTIAL_TREE=ON] -P CheckLayers.cmake
# PARTIAL_TREE lets a small tree (the fixtures) leave out folders the table names.
cmake_minimum_required(VERSION 3.22)
if(NOT SOURCE_DIR)
    message(FATAL_ERROR "SOURCE_DIR not set")
endif()

# What each folder may include besides its own headers. A folder's subfolders are its own
# (lnkutil's include/ and dialog/); "lnkutil/include" is liblnkutil's C interface alone; res is
# the string table and the generated Version.h.
set(folders core image board serial lnkutil transport memctl ops rtlboard boardpeer gui cli)
set(may_include_core "")
set(may_include_image core)
set(may_include_board core)
set(may_include_serial core)
set(may_include_lnkutil core board serial)
set(may_include_transport core serial lnkutil)
set(may_include_memctl core)
set(may_include_ops core image memctl transport res)
set(may_include_rtlboard core board boardpeer)
set(may_include_boardpeer core board serial res)
set(may_include_gui core image serial lnkutil/include transport memctl ops res)
set(may_include_cli core image serial lnkutil/include transport memctl ops res)

set(problems "")

# Every folder under src/ has a row; every row has its folder.
file(GLOB entries RELATIVE "${SOURCE_DIR}/src" "${SOURCE_DIR}/src/*")
set(present "")
foreach(entry ${entries})
    if(IS_DIRECTORY "${SOURCE_DIR}/src/${entry}")
        list(APPEND present "${entry}")
        if(NOT entry IN_LIST folders)
            list(APPEND problems "src/${entry}: folder not in the table of CheckLayers.cmake")
        endif()
    endif()
endforeach()
if(NOT PARTIAL_TREE)
    foreach(folder ${folders})
        if(NOT folder IN_LIST present)
            list(APPEND problems "src/${folder}: in the table but no such folder")
        endif()
    endforeach()
endif()

# Each header's name and where it lives ("gui/StatusArea.h", "res/Version.h").
file(GLOB_RECURSE headers RELATIVE "${SOURCE_DIR}/src" "${SOURCE_DIR}/src/*.h"
     "${SOURCE_DIR}/src/*.hpp")
file(GLOB_RECURSE resource_headers RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/res/*.h"
     "${SOURCE_DIR}/res/*.h.in")
foreach(header ${resource_headers})
    string(REGEX REPLACE "\\.in$" "" header "${header}")
    list(APPEND headers "${header}")
endforeach()
set(names "")
foreach(header ${headers})
    get_filename_component(name "${header}" NAME)
    string(MAKE_C_IDENTIFIER "${name}" key)
    if(DEFINED "header_${key}")
        list(APPEND problems "${name}: two headers of this name (${header_${key}}, ${header})")
        set("ambiguous_${key}" TRUE)
    else()
        set("header_${key}" "${header}")
    endif()
endforeach()

# The header an include line names, or nothing when it is not ours or is ambiguous (reported
# above). A name with a path must match the end of a header's path.
function(resolve target out)
    set(${out} "" PARENT_SCOPE)
    get_filename_component(name "${target}" NAME)
    string(MAKE_C_IDENTIFIER "${name}" key)
    if(NOT DEFINED "header_${key}" OR "${ambiguous_${key}}")
        return()
    endif()
    set(header "${header_${key}}")
    if(target STREQUAL name OR header MATCHES "(^|/)${target}$")
        set(${out} "${header}" PARENT_SCOPE)
    endif()
endfunction()

# Whether a folder's row lets it include a header.
function(allowed folder header out)
    set(${out} FALSE PARENT_SCOPE)
    foreach(entry "${folder}" ${may_include_${folder}})
        string(FIND "${header}" "${entry}/" at)
        if(at EQUAL 0)
            set(${out} TRUE PARENT_SCOPE)
        endif()
    endforeach()
endfunction()

foreach(folder ${present})
    if(NOT folder IN_LIST folders)
        continue()
    endif()
    file(GLOB_RECURSE sources "${SOURCE_DIR}/src/${folder}/*.h" "${SOURCE_DIR}/src/${folder}/*.hpp"
         "${SOURCE_DIR}/src/${folder}/*.c" "${SOURCE_DIR}/src/${folder}/*.cpp")
    foreach(source ${sources})
        file(STRINGS "${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<][^\">]+[\">]")
        foreach(line ${includes})
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[\"<]([^\">]+)[\">].*$" "\\1" target
                   "${line}")
            resolve("${target}" header)
            if(NOT header)
                continue()
            endif()
            allowed(${folder} "${header}" ok)
            if(NOT ok)
                file(RELATIVE_PATH shown "${SOURCE_DIR}" "${source}")
                list(APPEND problems "${shown}: includes ${header}, which ${folder} may not")
            endif()
        endforeach()
    endforeach()
endforeach()

if(problems)
    list(JOIN problems "\n  " text)
    message(FATAL_ERROR "Layers: includes outside the table:\n  ${text}")
endif()
message(STATUS "Layers: every include follows the table")
