# Runs the Windows test host under Wine: once beside the fake vendor
# library, once in a folder without any real library.
#   cmake -DWINE=... -DWINESERVER=... -DPREFIX=... -DFOLDER=... -P RunUnderWine.cmake
if(NOT WINE OR NOT EXISTS "${WINE}")
    message("SKIPPED: Wine is not installed (tools/setup.sh installs it)")
    return()
endif()

# A prefix of the build's own; its first start takes a while.
set(ENV{WINEPREFIX} "${PREFIX}")
set(ENV{WINEDEBUG} "-all")
# No installer prompts for Mono or Gecko, and no window.
set(ENV{WINEDLLOVERRIDES} "mscoree,mshtml=")
unset(ENV{DISPLAY})
unset(ENV{KESTCOM_TRACE_FILE})

set(status 0)
foreach(run IN ITEMS "${FOLDER}/TraceHost.exe" "${FOLDER}/missing/TraceHost.exe;missing")
    list(GET run 0 host)
    list(LENGTH run n)
    set(args)
    if(n GREATER 1)
        list(GET run 1 args)
    endif()
    execute_process(COMMAND "${WINE}" "${host}" ${args}
        RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 900)
    message("${host} ${args}: exit ${rc}\n${out}${err}")
    if(NOT rc EQUAL 0)
        set(status 1)
    endif()
endforeach()

if(WINESERVER AND EXISTS "${WINESERVER}")
    execute_process(COMMAND "${WINESERVER}" -w TIMEOUT 60)
endif()
if(status)
    message(FATAL_ERROR "the trace library failed under Wine")
endif()
