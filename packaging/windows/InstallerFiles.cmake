# Writes the installer's file list from the Windows folder as it was laid
# out, so that the installer carries and the uninstaller removes exactly the
# files of the folder, and nothing a user put beside them:
#   cmake -DFOLDER=<the Windows folder> -DOUTPUT=<files.nsh> -P InstallerFiles.cmake
# The trace\ folder is its own component; KestCom.dll beside the program is
# handled by the installer itself (it may be the vendor's).
cmake_minimum_required(VERSION 3.25)
file(GLOB_RECURSE files RELATIVE "${FOLDER}" "${FOLDER}/*")
list(SORT files)
if(NOT "velmora.exe" IN_LIST files OR NOT "KestCom.dll" IN_LIST files)
    message(FATAL_ERROR "${FOLDER} is not a laid-out Windows folder")
endif()

function(nsis_path out path)
    string(REPLACE "/" "\\" path "${path}")
    string(REPLACE "$" "$$" path "${path}")
    set(${out} "${path}" PARENT_SCOPE)
endfunction()

set(program "!macro VelmoraProgramFiles\n")
set(trace "!macro VelmoraTraceFiles\n")
set(remove "!macro VelmoraRemoveFiles\n")
set(folders)
foreach(file IN LISTS files)
    if(file STREQUAL "KestCom.dll")
        continue()
    endif()
    get_filename_component(dir "${file}" DIRECTORY)
    nsis_path(target "${file}")
    nsis_path(target_dir "${dir}")
    if(dir STREQUAL "")
        set(out_path "$INSTDIR")
    else()
        set(out_path "$INSTDIR\\${target_dir}")
        while(NOT dir STREQUAL "")
            nsis_path(parent "${dir}")
            list(APPEND folders "${parent}")
            get_filename_component(dir "${dir}" DIRECTORY)
        endwhile()
    endif()
    set(lines "    SetOutPath \"${out_path}\"\n    File \"${FOLDER}/${file}\"\n")
    if(file MATCHES "^trace/")
        string(APPEND trace "${lines}")
    else()
        string(APPEND program "${lines}")
    endif()
    string(APPEND remove "    Delete \"$INSTDIR\\${target}\"\n")
endforeach()
# Deepest first; each only if empty.
list(REMOVE_DUPLICATES folders)
list(SORT folders ORDER DESCENDING)
foreach(dir IN LISTS folders)
    string(APPEND remove "    RMDir \"$INSTDIR\\${dir}\"\n")
endforeach()

file(WRITE "${OUTPUT}.new"
    "; Written by InstallerFiles.cmake from ${FOLDER}\n"
    "${program}!macroend\n${trace}!macroend\n${remove}!macroend\n")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
