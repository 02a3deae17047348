# Checks a Windows build of the trace library without running it: exactly
# the 25 operations exported under their plain names, no MinGW runtime DLL
# imported, and (32-bit) each operation __stdcall with its argument bytes.
#   cmake -DOBJDUMP=... -DNM=... -DDLL=... -DSTDCALL=ON|OFF -P CheckExports.cmake

# Each operation with the number of its 4-byte arguments.
set(operations
    SetPCName:1 SetConfirmationsTimeout:2 InitializeCommWithoutError:2
    InitializeCommWithoutOpen:1 Reset_Message:1 TerminateComm:1 IO_Open:2 IO_Write:3
    W_SendSeconds:2 W_ReadSeconds:1 W_AdjustSeconds:2 W_SendConfigurations:10
    W_InsertEvent:8 W_SendMessage:4 W_ShowMessage:3 W_SendJustifications:2
    W_InsertEntry:7 W_DeleteEntry:2 W_ReadPointers:4 W_SendReaderPointer:2
    W_SendAllPointers:4 W_SendEmployerName:5 W_ClearEmployerName:2 W_Kill:1
    W_ReceiveEntry:9)

execute_process(COMMAND "${OBJDUMP}" -p "${DLL}" RESULT_VARIABLE rc OUTPUT_VARIABLE dump)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} -p ${DLL} failed")
endif()

# The export name table: "\t[   0] IO_Open" lines after its heading.
string(FIND "${dump}" "[Ordinal/Name Pointer] Table" at)
if(at LESS 0)
    message(FATAL_ERROR "${DLL} has no export name table")
endif()
string(SUBSTRING "${dump}" ${at} -1 table)
string(REGEX MATCH "Table\n(\t\\[ *[0-9]+\\] [^\n]*\n)*" table "${table}")
# Brackets would confuse CMake's lists: keep only the names, one a line.
string(REGEX REPLACE "^Table\n" "" table "${table}")
string(REGEX REPLACE "\t\\[ *[0-9]+\\] " "" table "${table}")
string(STRIP "${table}" table)
string(REPLACE "\n" ";" exported "${table}")

set(wanted)
foreach(op IN LISTS operations)
    string(REGEX REPLACE ":.*" "" name "${op}")
    list(APPEND wanted "${name}")
endforeach()
list(SORT exported)
list(SORT wanted)
if(NOT exported STREQUAL wanted)
    message(FATAL_ERROR "${DLL} exports\n  ${exported}\nnot\n  ${wanted}")
endif()

string(REGEX MATCHALL "DLL Name: [^\n]*" imports "${dump}")
foreach(import IN LISTS imports)
    string(TOLOWER "${import}" import)
    if(NOT import MATCHES "dll name: (kernel32|msvcrt)\\.dll")
        message(FATAL_ERROR "${DLL} needs ${import}, which is not part of Windows")
    endif()
endforeach()

if(STDCALL)
    execute_process(COMMAND "${NM}" "${DLL}" RESULT_VARIABLE rc OUTPUT_VARIABLE symbols)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "${NM} ${DLL} failed")
    endif()
    foreach(op IN LISTS operations)
        string(REPLACE ":" ";" pair "${op}")
        list(GET pair 0 name)
        list(GET pair 1 count)
        math(EXPR bytes "${count} * 4")
        if(NOT symbols MATCHES " T _${name}@${bytes}\n")
            message(FATAL_ERROR "${name} is not __stdcall with ${bytes} argument bytes in ${DLL}")
        endif()
    endforeach()
endif()
list(LENGTH exported n)
message("${DLL}: ${n} operations exported undecorated")
