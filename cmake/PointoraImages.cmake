# Pictures are drawn as SVG sources in the repository and rasterised at build time into the PNG
# (and ICO) files that the program's resources hold.
#
# pointora_images(OUT_QRC_VAR MANIFEST file SOURCE_DIR dir)
#   Each manifest line: "<path>.svg <width> <height>" gives <path>.png at width x height and
#   <path>@2x.png at twice that; "<path>.svg ico" gives <path>.ico with 16, 24, 32, 48, 64 and
#   256 pixel images. Blank lines and lines starting with # are ignored. The generated .qrc lists
#   every output at its path relative to SOURCE_DIR, under the resource root.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
find_package(Python3 REQUIRED COMPONENTS Interpreter)

function(pointora_images out_qrc)
    cmake_parse_arguments(I "" "MANIFEST;SOURCE_DIR;NAME" "" ${ARGN})
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${I_MANIFEST})
    file(STRINGS ${I_MANIFEST} lines)
    set(out_dir ${CMAKE_CURRENT_BINARY_DIR}/${I_NAME})
    set(outputs)
    set(qrc_files)
    foreach(line IN LISTS lines)
        string(STRIP "${line}" line)
        if(line STREQUAL "" OR line MATCHES "^#")
            continue()
        endif()
        string(REPLACE " " ";" fields "${line}")
        list(GET fields 0 svg)
        string(REGEX REPLACE "\\.svg$" "" stem "${svg}")
        get_filename_component(sub_dir "${out_dir}/${stem}" DIRECTORY)
        list(GET fields 1 kind)
        if(kind STREQUAL "ico")
            set(pngs)
            foreach(size 16 24 32 48 64 256)
                set(png ${out_dir}/${stem}-${size}.png)
                add_custom_command(OUTPUT ${png}
                    COMMAND ${CMAKE_COMMAND} -E make_directory ${sub_dir}
                    COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${I_SOURCE_DIR}/${svg}
                    DEPENDS ${I_SOURCE_DIR}/${svg} VERBATIM)
                list(APPEND pngs ${png})
            endforeach()
            add_custom_command(OUTPUT ${out_dir}/${stem}.ico
                COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/scripts/png2ico.py
                        ${out_dir}/${stem}.ico ${pngs}
                DEPENDS ${pngs} ${PROJECT_SOURCE_DIR}/scripts/png2ico.py VERBATIM)
            list(APPEND outputs ${out_dir}/${stem}.ico)
            list(APPEND qrc_files "${stem}.ico")
        else()
            list(GET fields 2 height)
            set(width ${kind})
            math(EXPR width2 "${width} * 2")
            math(EXPR height2 "${height} * 2")
            add_custom_command(OUTPUT ${out_dir}/${stem}.png ${out_dir}/${stem}@2x.png
                COMMAND ${CMAKE_COMMAND} -E make_directory ${sub_dir}
                COMMAND ${RSVG_CONVERT} -w ${width} -h ${height} -o ${out_dir}/${stem}.png
                        ${I_SOURCE_DIR}/${svg}
                COMMAND ${RSVG_CONVERT} -w ${width2} -h ${height2} -o ${out_dir}/${stem}@2x.png
                        ${I_SOURCE_DIR}/${svg}
                DEPENDS ${I_SOURCE_DIR}/${svg} VERBATIM)
            list(APPEND outputs ${out_dir}/${stem}.png ${out_dir}/${stem}@2x.png)
            list(APPEND qrc_files "${stem}.png" "${stem}@2x.png")
        endif()
    endforeach()
    set(qrc "<RCC>\n    <qresource prefix=\"/\">\n")
    foreach(f IN LISTS qrc_files)
        string(APPEND qrc "        <file>${f}</file>\n")
    endforeach()
    string(APPEND qrc "    </qresource>\n</RCC>\n")
    # Written at configure time so that the resource compiler's rule knows every picture it needs.
    file(MAKE_DIRECTORY ${out_dir})
    if(EXISTS ${out_dir}/${I_NAME}.qrc)
        file(READ ${out_dir}/${I_NAME}.qrc old_qrc)
    endif()
    if(NOT "${old_qrc}" STREQUAL "${qrc}")
        file(WRITE ${out_dir}/${I_NAME}.qrc "${qrc}")
    endif()
    set_source_files_properties(${out_dir}/${I_NAME}.qrc PROPERTIES SKIP_AUTORCC ON)
    qt5_add_resources(sources ${out_dir}/${I_NAME}.qrc)
    set(${out_qrc} ${sources} PARENT_SCOPE)
endfunction()
