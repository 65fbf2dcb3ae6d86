// Our Variant and Argument beside the system's VARIANT: the one place values cross between
// them, and the coercion every member access applies, which is the system's own
// VariantChangeType (no flags) rather than rules of ours.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include "platform/object_access.h"

// A PlatformObject is the object's IUnknown itself; its count is the object's own.
inline IUnknown* unknownOf(PlatformObject* object) { return reinterpret_cast<IUnknown*>(object); }
inline PlatformObject* objectOf(IUnknown* unknown) { return reinterpret_cast<PlatformObject*>(unknown); }

// Fills *out (uninitialised) with a copy of argument; false when it cannot be made (no memory).
bool argumentToVariant(const Argument& argument, VARIANT* out);

// Fills *out (already empty) from value: texts and object references are copied, an
// IDispatch or IUnknown gains a reference. False for a type the interface has no name for.
bool variantToValue(const VARIANT& value, Variant* out);

// Moves *value (emptied) into *out (uninitialised); the object reference moves with it.
void valueToVariant(Variant* value, VARIANT* out);

// Coerces value to `to` with VariantChangeType into *result (already emptied); 0, or
// ObjectTypeMismatch leaving the zero value of `to`.
int32_t coerceVariant(const VARIANT& value, VariantType to, Variant* result);

// Empties a variant, releasing its object reference.
void clearValue(Variant* value);
