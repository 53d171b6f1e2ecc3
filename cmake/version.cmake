# The one version of everything Tarnel ships: the version resource of every
# PE file, the setup program, the package and its Add/Remove Programs entry.
# Windows Installer compares the first three fields.
set(TARNEL_VERSION 1.5.0.0)
string(REPLACE "." ", " TARNEL_VERSION_COMMAS ${TARNEL_VERSION})
file(WRITE ${CMAKE_BINARY_DIR}/version "${TARNEL_VERSION}\n")

# tarnel_version_rc(OUT_VAR FILENAME DESCRIPTION): the version resource of
# the shipped file FILENAME (a DLL unless it ends in .exe), as a source to add.
function(tarnel_version_rc out filename description)
    get_filename_component(VERSION_INTERNAL ${filename} NAME_WE)
    set(VERSION_FILENAME ${filename})
    set(VERSION_DESCRIPTION ${description})
    if(filename MATCHES "\\.exe$")
        set(VERSION_FILETYPE VFT_APP)
    else()
        set(VERSION_FILETYPE VFT_DLL)
    endif()
    set(rc ${CMAKE_BINARY_DIR}/version-rc/${VERSION_INTERNAL}.rc)
    configure_file(${CMAKE_SOURCE_DIR}/resources/version.rc.in ${rc} @ONLY)
    set_source_files_properties(${rc} PROPERTIES INCLUDE_DIRECTORIES ${CMAKE_SOURCE_DIR})
    set(${out} ${rc} PARENT_SCOPE)
endfunction()
