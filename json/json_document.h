// JsonDocument: one JSON value (normally an object) kept in the global "da" of a private
// script engine, read and changed by member paths ("row", "test[2].column", "[0]"). Every
// operation builds a script text and evaluates it; failures answer false, "", 0 or nothing.
#pragma once

#include <cstdint>

#include "json/com_object.h"
#include "runtime/array_value.h"
#include "runtime/text_value.h"

// What parse reports of the engine's last script error; texts are GBK.
struct ScriptErrorInfo {
  int32_t Number = 0;
  TextValue Source;
  TextValue Description;
  TextValue HelpFile;
  int32_t HelpContext = 0;
  TextValue Text;
  int32_t Line = 0;
  int32_t Column = 0;
};

class JsonDocument;

// The operation table, in its fixed order. Paths are resolved on a copy (see resolvePath);
// texts given and returned are GBK, returned ones owned by the caller.
struct JsonDocumentOperations {
  // Releases the engine reference and the calling thread's COM initialisation; idempotent.
  void (*destroy)(JsonDocument& self);
  // A new document sharing this one's engine (its own name copy and COM initialisation).
  JsonDocument (*copy)(const JsonDocument& self);
  // Initialises COM (once per object) and makes a fresh engine holding the library and "da = {}".
  void (*createEngine)(JsonDocument& self);
  // Replaces the engine and makes text the document (direct: as a literal, else via eval).
  bool (*parse)(JsonDocument& self, const char* text, bool direct, ScriptErrorInfo* errorInfo);
  // Empties the document ("da = {}"); false without an engine.
  bool (*clear)(JsonDocument& self);
  // The whole document as JSON text.
  TextValue (*toJson)(JsonDocument& self);
  // Stores value at path: as plain text, or evaluated (merging into an existing object). A
  // plain text is escaped into one string literal, byte by byte: a GBK character (a lead byte
  // and its trail byte) is copied whole, so a trail byte that looks like a backslash stays
  // part of it; quotes, backslashes, CR and LF are escaped; a lead byte with no trail byte
  // after it becomes U+FFFD, as the code page reads it, and a lone lead byte at the end is
  // dropped. True when the stored value reads as true (a text that is no number reads false).
  bool (*setValue)(JsonDocument& self, const char* path, const char* value, bool asExpression);
  // Stores what expression evaluates to at path (no merging); true when it reads as true.
  bool (*setExpression)(JsonDocument& self, const char* path, const char* expression);
  // Turns path into an expression starting with the name; true when it denotes a value. A
  // path already starting with the name is kept only when it denotes a value ("da.row" with
  // no such value becomes "da.da.row"); "" becomes "da", "[0]" becomes "da[0]", and anything
  // else "da." followed by the path.
  bool (*resolvePath)(JsonDocument& self, TextValue& path);
  // True when path denotes a value that is neither null nor undefined.
  bool (*exists)(JsonDocument& self, const char* path);
  // 0 missing or null, 1 boolean, 2 number, 4 object, 5 array, 6 text, -1 anything else.
  int32_t (*typeOf)(JsonDocument& self, const char* path);
  // The value as plain text, or as JSON text.
  TextValue (*getValue)(JsonDocument& self, const char* path, bool asJson);
  // Replaces names with the object's member names; their number (0 for non-objects).
  int32_t (*memberNames)(JsonDocument& self, ArrayValue& names, const char* path);
  // The array's length; 0 for anything else.
  int32_t (*count)(JsonDocument& self, const char* path);
  // A new document holding a copy of the value at path.
  JsonDocument (*getDocument)(JsonDocument& self, const char* path);
  // Pushes (or, atFront, unshifts) value onto the array at path, making it an array first.
  bool (*append)(JsonDocument& self, const char* value, const char* path, bool asExpression, bool atFront);
  // A new document holding a copy of element index (from 0) of the array at path.
  JsonDocument (*getElementDocument)(JsonDocument& self, int32_t index, const char* path);
  // Element index (from 0) of the array at path; without asJson only text elements read.
  TextValue (*getElement)(JsonDocument& self, int32_t index, const char* path, bool asJson);
  // Stores value as element index (from 0) of the array at path, escaped as setValue escapes
  // a plain text, or evaluated; true when the stored value reads as true.
  bool (*setElement)(JsonDocument& self, int32_t index, const char* path, const char* value, bool asExpression);
  // Takes element index (from 0) out of the array at path, closing the gap.
  bool (*removeElement)(JsonDocument& self, int32_t index, const char* path);
  // Deletes the member at path; true when the script language says it is gone.
  bool (*remove)(JsonDocument& self, const char* path);
  // Stores number at path, written as the program writes numbers.
  bool (*setNumber)(JsonDocument& self, const char* path, double number);
  // The value at path as a number; 0 when it reads as none.
  double (*getNumber)(JsonDocument& self, const char* path);
  // The value at path as JSON text, backslashes as the JSON escape.
  TextValue (*getJson)(JsonDocument& self, const char* path);
  // A further reference to the engine.
  ComObject (*getEngine)(const JsonDocument& self);
  // Replaces values with the leaf values (texts, numbers, booleans) in stored form; their number.
  int32_t (*allValues)(JsonDocument& self, ArrayValue& values, const char* path, bool recursive);
};

// The table every document uses.
const JsonDocumentOperations& jsonDocumentOperations();

class JsonDocument {
 public:
  // Names the document "da" and creates its engine on the calling thread; a document whose
  // engine cannot be made answers every operation with its zero value.
  JsonDocument();
  // Runs destroy unless it has run already.
  ~JsonDocument();
  JsonDocument(JsonDocument&& other) noexcept;
  JsonDocument& operator=(JsonDocument&& other) noexcept;
  // Sharing an engine is explicit: use copy().
  JsonDocument(const JsonDocument&) = delete;
  JsonDocument& operator=(const JsonDocument&) = delete;

  void destroy() { operations_->destroy(*this); }
  JsonDocument copy() const { return operations_->copy(*this); }
  void createEngine() { operations_->createEngine(*this); }
  bool parse(const char* text, bool direct = false, ScriptErrorInfo* errorInfo = nullptr) {
    return operations_->parse(*this, text, direct, errorInfo);
  }
  bool clear() { return operations_->clear(*this); }
  TextValue toJson() { return operations_->toJson(*this); }
  bool setValue(const char* path, const char* value, bool asExpression = false) {
    return operations_->setValue(*this, path, value, asExpression);
  }
  bool setExpression(const char* path, const char* expression) {
    return operations_->setExpression(*this, path, expression);
  }
  bool resolvePath(TextValue& path) { return operations_->resolvePath(*this, path); }
  bool exists(const char* path) { return operations_->exists(*this, path); }
  int32_t typeOf(const char* path) { return operations_->typeOf(*this, path); }
  TextValue getValue(const char* path, bool asJson = false) { return operations_->getValue(*this, path, asJson); }
  int32_t memberNames(ArrayValue& names, const char* path) { return operations_->memberNames(*this, names, path); }
  int32_t count(const char* path) { return operations_->count(*this, path); }
  JsonDocument getDocument(const char* path) { return operations_->getDocument(*this, path); }
  bool append(const char* value, const char* path, bool asExpression = false, bool atFront = false) {
    return operations_->append(*this, value, path, asExpression, atFront);
  }
  JsonDocument getElementDocument(int32_t index, const char* path) {
    return operations_->getElementDocument(*this, index, path);
  }
  TextValue getElement(int32_t index, const char* path, bool asJson = false) {
    return operations_->getElement(*this, index, path, asJson);
  }
  bool setElement(int32_t index, const char* path, const char* value, bool asExpression = false) {
    return operations_->setElement(*this, index, path, value, asExpression);
  }
  bool removeElement(int32_t index, const char* path) { return operations_->removeElement(*this, index, path); }
  bool remove(const char* path) { return operations_->remove(*this, path); }
  bool setNumber(const char* path, double number) { return operations_->setNumber(*this, path, number); }
  double getNumber(const char* path) { return operations_->getNumber(*this, path); }
  TextValue getJson(const char* path) { return operations_->getJson(*this, path); }
  ComObject getEngine() const { return operations_->getEngine(*this); }
  int32_t allValues(ArrayValue& values, const char* path, bool recursive = false) {
    return operations_->allValues(*this, values, path, recursive);
  }

  const TextValue& name() const { return name_; }
  const ComObject& engine() const { return engine_; }

 private:
  friend struct JsonDocumentAccess;
  struct Uninitialised {};
  explicit JsonDocument(Uninitialised) {}

  const JsonDocumentOperations* operations_ = &jsonDocumentOperations();
  TextValue name_;
  ComObject engine_;
  bool holdsComInitialisation_ = false;  // each object pairs one initialisation with its destroy
};
