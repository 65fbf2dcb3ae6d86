// Classes of our own as automation objects: an instance made by an ObjectClass answers
// IDispatch, GetTypeInfo and ITypeComp::Bind like a system object, so member access reaches
// it by the same road as the script control.
#pragma once

#include <windows.h>

#include "platform/object_access.h"

// An IDispatch over instance, holding one reference; destroy runs with the last Release.
IUnknown* newClassDispatch(const ObjectClass* objectClass, void* instance);
