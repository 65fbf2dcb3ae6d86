// Our access statuses beside the HRESULTs that carry them through IDispatch::Invoke, so a
// class of our own fails the way a system object does and the caller reads it back.
#pragma once

#include <windows.h>

#include <cstddef>

#include "platform/object_access.h"
#include "platform/out_of_memory.h"

inline HRESULT resultOfStatus(int32_t status) {
  switch (status) {
    case ObjectOk: return S_OK;
    case ObjectUnknownMember: return DISP_E_MEMBERNOTFOUND;
    case ObjectBadArgumentCount: return DISP_E_BADPARAMCOUNT;
    case ObjectBadArgumentType:
    case ObjectTypeMismatch: return DISP_E_TYPEMISMATCH;
    default: return DISP_E_EXCEPTION;
  }
}

// What a failed Invoke means to our callers; a script error arrives as an exception.
inline int32_t statusOfInvoke(HRESULT result) {
  if (SUCCEEDED(result)) return ObjectOk;
  switch (result) {
    case DISP_E_MEMBERNOTFOUND:
    case DISP_E_UNKNOWNNAME: return ObjectUnknownMember;
    case DISP_E_BADPARAMCOUNT: return ObjectBadArgumentCount;
    case DISP_E_TYPEMISMATCH:
    case DISP_E_PARAMNOTOPTIONAL:
    case DISP_E_BADVARTYPE: return ObjectBadArgumentType;
    default: return ObjectInvokeFailed;
  }
}

// Whether a call failed for want of memory: the system's own code, or the script language's
// "Out of memory" (its error 7) inside a control-facility HRESULT.
inline bool isOutOfMemory(HRESULT result) {
  return result == E_OUTOFMEMORY || result == static_cast<HRESULT>(0x800A0007);
}

// The status of a call's result. A call the system refused for want of memory ends the
// program its own way first, naming the size of what the call carried (the system does not
// say what it could not get).
inline int32_t statusOfCall(HRESULT result, std::size_t carried) {
  if (isOutOfMemory(result)) reportRefusedMemory(carried);
  return statusOfInvoke(result);
}
