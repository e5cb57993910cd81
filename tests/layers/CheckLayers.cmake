# Fails when a file of a low layer includes a header of a higher one. The arrows point down only:
# core <- board, transport <- lnkutil <- memctl <- ops <- gui, cli, and image <- ops. Includes
# name headers by their file name (each layer's folder is an include directory), so a name counts
# as a higher layer's header when only a higher layer has a header of that name.
#   cmake -DSOURCE_DIR=<tree with src/> -P CheckLayers.cmake
if(NOT SOURCE_DIR)
    message(FATAL_ERROR "SOURCE_DIR not set")
endif()

set(low_layers core image board serial transport lnkutil memctl)
set(high_layers ops gui cli boardpeer app pages)

function(header_names out)
    set(names "")
    foreach(layer ${ARGN})
        file(GLOB_RECURSE headers "${SOURCE_DIR}/src/${layer}/*.h" "${SOURCE_DIR}/src/${layer}/*.hpp")
        foreach(header ${headers})
            get_filename_component(name "${header}" NAME)
            list(APPEND names "${name}")
        endforeach()
    endforeach()
    set(${out} "${names}" PARENT_SCOPE)
endfunction()

header_names(low_headers ${low_layers})
file(GLOB_RECURSE resource_headers "${SOURCE_DIR}/res/*.h")
foreach(header ${resource_headers})
    get_filename_component(name "${header}" NAME)
    list(APPEND low_headers "${name}")
endforeach()
header_names(high_headers ${high_layers})

set(violations "")
foreach(layer ${low_layers})
    file(GLOB_RECURSE sources "${SOURCE_DIR}/src/${layer}/*.h" "${SOURCE_DIR}/src/${layer}/*.cpp"
         "${SOURCE_DIR}/src/${layer}/*.hpp" "${SOURCE_DIR}/src/${layer}/*.c")
    foreach(source ${sources})
        file(STRINGS "${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<][^\">]+[\">]")
        foreach(line ${includes})
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[\"<]([^\">]+)[\">].*$" "\\1" target
                   "${line}")
            get_filename_component(name "${target}" NAME)
            set(bad FALSE)
            # A path into a higher layer's folder.
            foreach(high ${high_layers})
                if(target MATCHES "(^|/)${high}/")
                    set(bad TRUE)
                endif()
            endforeach()
            # A header only a higher layer has.
            list(FIND high_headers "${name}" in_high)
            list(FIND low_headers "${name}" in_low)
            if(in_high GREATER -1 AND in_low EQUAL -1)
                set(bad TRUE)
            endif()
            if(bad)
                file(RELATIVE_PATH shown "${SOURCE_DIR}" "${source}")
                list(APPEND violations "${shown}: ${line}")
            endif()
        endforeach()
    endforeach()
endforeach()

if(violations)
    list(JOIN violations "\n  " text)
    message(FATAL_ERROR "A low layer includes a header of a higher one:\n  ${text}")
endif()
message(STATUS "Layers: no low layer includes a higher one")
