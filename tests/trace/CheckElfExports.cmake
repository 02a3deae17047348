# The Linux trace library exports the 25 operations and no other symbol.
#   cmake -DNM=... -DLIBRARY=... -P CheckElfExports.cmake
set(wanted
    IO_Open IO_Write InitializeCommWithoutError InitializeCommWithoutOpen Reset_Message
    SetConfirmationsTimeout SetPCName TerminateComm W_AdjustSeconds W_ClearEmployerName
    W_DeleteEntry W_InsertEntry W_InsertEvent W_Kill W_ReadPointers W_ReadSeconds
    W_ReceiveEntry W_SendAllPointers W_SendConfigurations W_SendEmployerName
    W_SendJustifications W_SendMessage W_SendReaderPointer W_SendSeconds W_ShowMessage)
execute_process(COMMAND "${NM}" -D --defined-only --format=posix "${LIBRARY}"
    RESULT_VARIABLE rc OUTPUT_VARIABLE symbols)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${NM} -D ${LIBRARY} failed")
endif()
string(REGEX MATCHALL "(^|\n)[^ \n]+" names "${symbols}")
set(exported)
foreach(name IN LISTS names)
    string(STRIP "${name}" name)
    list(APPEND exported "${name}")
endforeach()
list(SORT exported)
list(SORT wanted)
if(NOT exported STREQUAL wanted)
    message(FATAL_ERROR "${LIBRARY} exports\n  ${exported}\nnot\n  ${wanted}")
endif()
message("${LIBRARY}: the 25 operations and nothing else")
