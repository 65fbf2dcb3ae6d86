// Creation as the system does it for a ProgID: the class id from the registry, an instance
// from any server kind (without remote servers where those are refused), then OleRun.
#include "platform/ole/system_objects.h"

#include <objbase.h>
#include <ole2.h>

#include <string>

#include "platform/object_access.h"

int32_t createSystemObject(std::u16string_view name, IUnknown** created) {
  const std::wstring text(name.begin(), name.end());
  CLSID classId;
  const HRESULT found = !text.empty() && text.front() == L'{' ? CLSIDFromString(text.c_str(), &classId)
                                                               : CLSIDFromProgID(text.c_str(), &classId);
  if (FAILED(found)) return ObjectClassNotRegistered;
  IUnknown* unknown = nullptr;
  constexpr DWORD kAnyServer = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER |
                               CLSCTX_REMOTE_SERVER;  // 0x17
  constexpr DWORD kThisMachine = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;  // 0x7
  HRESULT made = CoCreateInstance(classId, nullptr, kAnyServer, IID_IUnknown, reinterpret_cast<void**>(&unknown));
  if (made == E_INVALIDARG) {
    made = CoCreateInstance(classId, nullptr, kThisMachine, IID_IUnknown, reinterpret_cast<void**>(&unknown));
  }
  if (FAILED(made) || unknown == nullptr) return ObjectCreateFailed;
  if (FAILED(OleRun(unknown))) {
    unknown->Release();
    return ObjectCreateFailed;
  }
  *created = unknown;
  return ObjectOk;
}
