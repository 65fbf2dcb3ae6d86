// The coercion every member access applies to its result, kept apart so the object system
// and its tests share one definition of which values convert to what.
#pragma once

#include "platform/object_access.h"

// Sets *toValue to `from` coerced to `to`; 0, or ObjectTypeMismatch with the zero value of `to`.
int32_t changeVariantType(const Variant& from, VariantType to, Variant* toValue);

// Empties a variant, releasing its object reference.
void clearVariant(Variant* value);
