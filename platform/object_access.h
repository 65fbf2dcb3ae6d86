// Automation objects as the JSON document needs them: per-thread initialisation, creation
// from a registered ProgID, counted references and member access by name with the result
// coerced to the type the caller asks for. Texts cross as UTF-16; callers convert.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct PlatformObject;  // opaque; counted, ends with its last reference

enum class VariantType : uint8_t { Empty, Null, Boolean, Double, Text, Object };

// A value handed back by an object. Owns its text and, for Object, one reference.
struct Variant {
  VariantType type = VariantType::Empty;
  bool boolean = false;
  double number = 0;
  std::u16string text;
  PlatformObject* object = nullptr;
};

// A value handed to an object; lent for the duration of the call.
struct Argument {
  VariantType type = VariantType::Empty;
  bool boolean = false;
  double number = 0;
  std::u16string_view text;
  PlatformObject* object = nullptr;
};

// How a member is reached, as bits so a class can accept several.
enum InvokeKind : uint32_t {
  InvokeMethod = 1,
  InvokePropertyGet = 2,
  InvokePropertyPut = 4,
  InvokePropertyPutRef = 8,
};

// What the caller wants to do; each tries invoke kinds in its own order until the member
// accepts one (get: property get, method; put: put, put by reference, method;
// call: method, property get, put, put by reference).
enum class MemberAccess : uint8_t { Get, Put, Call };

// Per-thread access status: 0 on success, one of these otherwise.
enum ObjectStatus : int32_t {
  ObjectOk = 0,
  ObjectNotInitialised = -1,
  ObjectClassNotRegistered = -2,
  ObjectCreateFailed = -3,
  ObjectNoObject = -4,
  ObjectUnknownMember = -5,
  ObjectBadArgumentCount = -6,
  ObjectBadArgumentType = -7,
  ObjectInvokeFailed = -8,
  ObjectTypeMismatch = -9,
};

// What a class implementation provides: the stand-in for its class factory and IDispatch.
// An instance is used only on the thread that created it.
struct ObjectClass {
  // Makes a new instance, or null when it cannot.
  void* (*create)();
  // Starts a created instance (may be null: nothing to start); 0 or a negative status.
  int32_t (*run)(void* instance);
  // Finds a member by name (case-insensitive); its id and the InvokeKind bits it accepts,
  // or -1 when the class has no such member.
  int32_t (*bindMember)(std::u16string_view name, uint32_t* invokeKinds);
  // Runs member `member` as `kind` with `count` arguments; fills result (already Empty).
  // Returns 0 or a negative status.
  int32_t (*invoke)(void* instance, int32_t member, InvokeKind kind, const Argument* arguments,
                    int32_t count, Variant* result);
  // Ends the instance; called once, when its last reference goes.
  void (*destroy)(void* instance);
};

struct ObjectSystem {
  // Initialises a worker thread for the objects it makes and uses itself (an apartment of its
  // own); 0 the first time, 1 when it was already initialised. Every call, of either kind,
  // needs one uninitialize.
  int32_t (*initialize)();
  // The main thread's start-up initialisation (OLE), counted like initialize.
  int32_t (*initializeMainThread)();
  // Undoes one initialize or initializeMainThread of the calling thread; extra calls do nothing.
  void (*uninitialize)();
  // How many initialisations the calling thread holds.
  int32_t (*initializationCount)();

  // Registers `objectClass` under progId and classId ("{...}"), replacing an entry of the
  // same ProgID. The class table must outlive the registration.
  void (*registerClass)(std::u16string_view progId, std::u16string_view classId,
                        const ObjectClass* objectClass);
  // Removes the class registered under progId; false when there was none.
  bool (*revokeClass)(std::u16string_view progId);

  // Creates and starts an object from a ProgID, or a "{...}" class id; on success stores the
  // new reference in *object and returns 0. Needs an initialised thread.
  int32_t (*create)(std::u16string_view progIdOrClassId, PlatformObject** object);
  // Wraps an instance a class made itself (a sub-object) as a new object with one reference.
  PlatformObject* (*wrap)(const ObjectClass* objectClass, void* instance);
  // Adds a reference; null is ignored.
  void (*addReference)(PlatformObject* object);
  // Drops a reference, ending the object with the last one; null is ignored.
  void (*release)(PlatformObject* object);

  // Reaches member `name` of object; the result is coerced to `want` (Empty: dropped).
  // result is first emptied (its old reference released); on any failure it holds the zero
  // value of `want`. Returns the status and records it for the calling thread.
  int32_t (*access)(PlatformObject* object, std::u16string_view name, MemberAccess access,
                    const Argument* arguments, int32_t count, VariantType want, Variant* result);
  // The status of the calling thread's last access.
  int32_t (*lastStatus)();
  // Coerces `from` to `to` into *toValue; 0, or ObjectTypeMismatch leaving the zero value.
  // Empty reads as false, 0 and ""; a number is true when non-zero; a text becomes a
  // boolean only when it reads as a number or as true/false.
  int32_t (*changeType)(const Variant& from, VariantType to, Variant* toValue);
};

// The backend chosen at build time.
const ObjectSystem& platformObjects();
