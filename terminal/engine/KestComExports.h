#pragma once
// The 25 operations declared from the program's own function-pointer types,
// so a definition that drifts from them fails to compile.

#include "link/KestComAbi.h"

#include <type_traits>

#define KESTCOM_SIM_DECLARE(op) KESTCOM_EXPORT std::remove_pointer_t<kestcom_abi::op> op;

extern "C" {
KESTCOM_SIM_DECLARE(SetPCName)
KESTCOM_SIM_DECLARE(SetConfirmationsTimeout)
KESTCOM_SIM_DECLARE(InitializeCommWithoutError)
KESTCOM_SIM_DECLARE(InitializeCommWithoutOpen)
KESTCOM_SIM_DECLARE(Reset_Message)
KESTCOM_SIM_DECLARE(TerminateComm)
KESTCOM_SIM_DECLARE(IO_Open)
KESTCOM_SIM_DECLARE(IO_Write)
KESTCOM_SIM_DECLARE(W_SendSeconds)
KESTCOM_SIM_DECLARE(W_ReadSeconds)
KESTCOM_SIM_DECLARE(W_AdjustSeconds)
KESTCOM_SIM_DECLARE(W_SendConfigurations)
KESTCOM_SIM_DECLARE(W_InsertEvent)
KESTCOM_SIM_DECLARE(W_SendMessage)
KESTCOM_SIM_DECLARE(W_ShowMessage)
KESTCOM_SIM_DECLARE(W_SendJustifications)
KESTCOM_SIM_DECLARE(W_InsertEntry)
KESTCOM_SIM_DECLARE(W_DeleteEntry)
KESTCOM_SIM_DECLARE(W_ReadPointers)
KESTCOM_SIM_DECLARE(W_SendReaderPointer)
KESTCOM_SIM_DECLARE(W_SendAllPointers)
KESTCOM_SIM_DECLARE(W_SendEmployerName)
KESTCOM_SIM_DECLARE(W_ClearEmployerName)
KESTCOM_SIM_DECLARE(W_Kill)
KESTCOM_SIM_DECLARE(W_ReceiveEntry)
}

#undef KESTCOM_SIM_DECLARE
