// Objects the system itself registers, made without looking at the classes of our own: the
// object layer falls back on these, and a class of ours that stands in for a system class
// makes the system's object it works over here.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string_view>

// Creates and starts the system's object registered under a ProgID or a "{...}" class id;
// on success *created holds its IUnknown (one reference) and the result is 0.
int32_t createSystemObject(std::u16string_view progIdOrClassId, IUnknown** created);
