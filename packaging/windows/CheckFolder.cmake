# Checks a Windows folder without running anything in it, for the arch this
# machine cannot start: every program and DLL is of that arch, every DLL it
# imports is part of Windows or lies in the folder, the program looks up the
# 25 operations by name, and the simulated terminal and the trace export them
# as the program looks them up.
#   cmake -DOBJDUMP=... -DNM=... -DFOLDER=... -DFORMAT=pei-i386 -DSTDCALL=ON
#         -DCHECK_EXPORTS=<trace's CheckExports.cmake> -P CheckFolder.cmake
cmake_minimum_required(VERSION 3.25)
if(NOT EXISTS "${FOLDER}/velmora.exe")
    message(FATAL_ERROR "${FOLDER} holds no velmora.exe (build it with tools/windows.sh)")
endif()

# DLLs every Windows has.
set(system_dlls
    advapi32 authz comctl32 comdlg32 crypt32 d3d11 d3d12 d3d9 dwmapi dwrite dxgi gdi32 imm32
    kernel32 mpr msvcrt netapi32 ntdll ole32 oleaut32 setupapi shell32 shcore shlwapi user32
    userenv uxtheme version winmm ws2_32 wtsapi32 dxguid)

file(GLOB_RECURSE binaries "${FOLDER}/*.exe" "${FOLDER}/*.dll")
foreach(binary IN LISTS binaries)
    execute_process(COMMAND "${OBJDUMP}" -p "${binary}" RESULT_VARIABLE rc OUTPUT_VARIABLE dump)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "${OBJDUMP} -p ${binary} failed")
    endif()
    if(NOT dump MATCHES "file format ${FORMAT}\n")
        message(FATAL_ERROR "${binary} is not ${FORMAT}")
    endif()
    string(REGEX MATCHALL "DLL Name: [^\n]*" imports "${dump}")
    foreach(import IN LISTS imports)
        string(REGEX REPLACE "DLL Name: " "" dll "${import}")
        string(TOLOWER "${dll}" lower)
        string(REGEX REPLACE "\\.dll$" "" base "${lower}")
        if(base IN_LIST system_dlls OR base MATCHES "^api-ms-win-")
            continue()
        endif()
        if(NOT EXISTS "${FOLDER}/${dll}")
            message(FATAL_ERROR "${binary} needs ${dll}, which is neither part of Windows nor in ${FOLDER}")
        endif()
    endforeach()
    list(LENGTH imports n)
    file(RELATIVE_PATH name "${FOLDER}" "${binary}")
    message("${name}: ${FORMAT}, ${n} imports found")
endforeach()

# The operations the program resolves by name.
set(operations
    SetPCName SetConfirmationsTimeout InitializeCommWithoutError InitializeCommWithoutOpen
    Reset_Message TerminateComm IO_Open IO_Write W_SendSeconds W_ReadSeconds W_AdjustSeconds
    W_SendConfigurations W_InsertEvent W_SendMessage W_ShowMessage W_SendJustifications
    W_InsertEntry W_DeleteEntry W_ReadPointers W_SendReaderPointer W_SendAllPointers
    W_SendEmployerName W_ClearEmployerName W_Kill W_ReceiveEntry)
file(STRINGS "${FOLDER}/velmora.exe" names REGEX "^[A-Za-z_]+$")
foreach(op IN LISTS operations)
    if(NOT op IN_LIST names)
        message(FATAL_ERROR "velmora.exe does not look up ${op}")
    endif()
endforeach()

# The simulated terminal: every operation under its plain name, as the
# program looks it up (32-bit: __stdcall inside).
execute_process(COMMAND "${OBJDUMP}" -p "${FOLDER}/KestCom.dll" OUTPUT_VARIABLE dump)
foreach(op IN LISTS operations)
    if(NOT dump MATCHES "\\] ${op}\n")
        message(FATAL_ERROR "KestCom.dll does not export ${op} undecorated")
    endif()
endforeach()
if(STDCALL)
    execute_process(COMMAND "${NM}" "${FOLDER}/KestCom.dll" OUTPUT_VARIABLE symbols)
    foreach(op IN LISTS operations)
        if(NOT symbols MATCHES " T _${op}@[0-9]+\n")
            message(FATAL_ERROR "${op} is not __stdcall in KestCom.dll")
        endif()
    endforeach()
endif()

# The trace, with the trace's own check.
execute_process(COMMAND "${CMAKE_COMMAND}" -DOBJDUMP=${OBJDUMP} -DNM=${NM}
    -DDLL=${FOLDER}/trace/KestCom.dll -DSTDCALL=${STDCALL} -P "${CHECK_EXPORTS}"
    RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "the trace library in ${FOLDER}/trace is not as the program needs it")
endif()
message("${FOLDER}: whole")
