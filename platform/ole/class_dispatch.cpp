// An ObjectClass instance behind IDispatch, with just enough type information (ITypeInfo
// answering GetTypeComp and ReleaseFuncDesc, ITypeComp answering Bind) for the access path
// that binds names before invoking. The class binds names itself, so the type information
// is made from its bindMember, not from a type library.
#include "platform/ole/class_dispatch.h"

#include <oleauto.h>

#include <atomic>
#include <string_view>
#include <vector>

#include "platform/ole/ole_status.h"
#include "platform/ole/ole_variant.h"

namespace {

std::u16string_view nameOf(const OLECHAR* name) {
  return name != nullptr ? std::u16string_view(reinterpret_cast<const char16_t*>(name)) : std::u16string_view();
}

// The lowest kind bit of wanted (any kind when 0) that the member accepts; 0 when none.
uint32_t chosenKind(uint32_t accepted, uint32_t wanted) {
  const uint32_t both = accepted & (wanted != 0 ? wanted : 0xF);
  return both & (~both + 1);
}

// Shared IUnknown counting for the three small objects here.
template <typename Self>
ULONG addReference(Self* self) {
  return ++self->references;
}

template <typename Self>
ULONG dropReference(Self* self) {
  const ULONG left = --self->references;
  if (left == 0) delete self;
  return left;
}

// The type information of one class: ITypeInfo and ITypeComp over its bindMember.
class ClassType final : public ITypeInfo, public ITypeComp {
 public:
  explicit ClassType(const ObjectClass* objectClass) : objectClass_(objectClass) {}
  std::atomic<ULONG> references{1};

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_ITypeInfo)) {
      *out = static_cast<ITypeInfo*>(this);
    } else if (IsEqualIID(iid, IID_ITypeComp)) {
      *out = static_cast<ITypeComp*>(this);
    } else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return addReference(this); }
  ULONG STDMETHODCALLTYPE Release() override { return dropReference(this); }

  // ITypeComp: a member binds when the class knows the name and accepts one of wFlags.
  HRESULT STDMETHODCALLTYPE Bind(LPOLESTR name, ULONG, WORD wFlags, ITypeInfo** typeInfo, DESCKIND* kind,
                                 BINDPTR* bound) override {
    if (typeInfo == nullptr || kind == nullptr || bound == nullptr) return E_POINTER;
    *typeInfo = nullptr;
    *kind = DESCKIND_NONE;
    bound->lpfuncdesc = nullptr;
    uint32_t accepted = 0;
    const int32_t member = objectClass_->bindMember(nameOf(name), &accepted);
    if (member < 0) return S_OK;
    const uint32_t invokeKind = chosenKind(accepted, wFlags);
    if (invokeKind == 0) return TYPE_E_TYPEMISMATCH;  // the name is known, not for this kind
    auto* function = static_cast<FUNCDESC*>(CoTaskMemAlloc(sizeof(FUNCDESC)));
    if (function == nullptr) return E_OUTOFMEMORY;
    *function = FUNCDESC{};
    function->memid = member;
    function->funckind = FUNC_DISPATCH;
    function->invkind = static_cast<INVOKEKIND>(invokeKind);
    function->callconv = CC_STDCALL;
    function->elemdescFunc.tdesc.vt = VT_VARIANT;
    AddRef();
    *typeInfo = this;
    *kind = DESCKIND_FUNCDESC;
    bound->lpfuncdesc = function;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE BindType(LPOLESTR, ULONG, ITypeInfo** typeInfo, ITypeComp** typeComp) override {
    if (typeInfo != nullptr) *typeInfo = nullptr;
    if (typeComp != nullptr) *typeComp = nullptr;
    return S_OK;
  }

  // ITypeInfo: the type's binder and the release of what Bind handed out; nothing else.
  HRESULT STDMETHODCALLTYPE GetTypeComp(ITypeComp** typeComp) override {
    if (typeComp == nullptr) return E_POINTER;
    AddRef();
    *typeComp = this;
    return S_OK;
  }
  void STDMETHODCALLTYPE ReleaseFuncDesc(FUNCDESC* function) override { CoTaskMemFree(function); }
  void STDMETHODCALLTYPE ReleaseVarDesc(VARDESC*) override {}
  void STDMETHODCALLTYPE ReleaseTypeAttr(TYPEATTR*) override {}
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(LPOLESTR* names, UINT count, MEMBERID* ids) override {
    if (names == nullptr || ids == nullptr || count == 0) return E_INVALIDARG;
    uint32_t accepted = 0;
    ids[0] = objectClass_->bindMember(nameOf(names[0]), &accepted);
    for (UINT i = 1; i < count; ++i) ids[i] = MEMBERID_NIL;  // members take no named arguments
    return ids[0] < 0 || count > 1 ? DISP_E_UNKNOWNNAME : S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeAttr(TYPEATTR**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetFuncDesc(UINT, FUNCDESC**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetVarDesc(UINT, VARDESC**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetNames(MEMBERID, BSTR*, UINT, UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetRefTypeOfImplType(UINT, HREFTYPE*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetImplTypeFlags(UINT, INT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(PVOID, MEMBERID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetDocumentation(MEMBERID, BSTR*, BSTR*, DWORD*, BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetDllEntry(MEMBERID, INVOKEKIND, BSTR*, BSTR*, WORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetRefTypeInfo(HREFTYPE, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE AddressOfMember(MEMBERID, INVOKEKIND, PVOID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID, PVOID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMops(MEMBERID, BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetContainingTypeLib(ITypeLib**, UINT*) override { return E_NOTIMPL; }

 private:
  const ObjectClass* objectClass_;
};

// Arguments arrive last first; they are handed to the class first first, borrowed from
// copies that live for the call.
class CallArguments {
 public:
  HRESULT read(const DISPPARAMS* parameters) {
    const UINT count = parameters != nullptr ? parameters->cArgs : 0;
    copies_.resize(count);
    values_.resize(count);
    arguments_.resize(count);
    for (UINT i = 0; i < count; ++i) {
      VARIANT& copy = copies_[i];
      VariantInit(&copy);
      if (FAILED(VariantCopyInd(&copy, &parameters->rgvarg[count - 1 - i]))) return DISP_E_TYPEMISMATCH;
      if (V_VT(&copy) == VT_ERROR) continue;  // an omitted optional argument stays Empty
      if (!variantToValue(copy, &values_[i])) return DISP_E_TYPEMISMATCH;
      const Variant& value = values_[i];
      arguments_[i] = Argument{value.type, value.boolean, value.number, value.text, value.object};
    }
    return S_OK;
  }
  ~CallArguments() {
    for (VARIANT& copy : copies_) VariantClear(&copy);
    for (Variant& value : values_) clearValue(&value);
  }
  const Argument* data() const { return arguments_.data(); }
  int32_t count() const { return static_cast<int32_t>(arguments_.size()); }

 private:
  std::vector<VARIANT> copies_;
  std::vector<Variant> values_;
  std::vector<Argument> arguments_;
};

class ClassDispatch final : public IDispatch {
 public:
  // One type for the object's life, so the object layer binds each name once, not at every call.
  ClassDispatch(const ObjectClass* objectClass, void* instance)
      : objectClass_(objectClass), instance_(instance), type_(new ClassType(objectClass)) {}
  ~ClassDispatch() {
    type_->Release();
    objectClass_->destroy(instance_);
  }
  std::atomic<ULONG> references{1};

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDispatch)) {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    *out = static_cast<IDispatch*>(this);
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return addReference(this); }
  ULONG STDMETHODCALLTYPE Release() override { return dropReference(this); }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** typeInfo) override {
    if (typeInfo == nullptr) return E_POINTER;
    *typeInfo = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    type_->AddRef();
    *typeInfo = type_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    ClassType type(objectClass_);
    return type.GetIDsOfNames(names, count, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                                   EXCEPINFO*, UINT*) override {
    CallArguments arguments;
    if (const HRESULT read = arguments.read(parameters); FAILED(read)) return read;
    // Invoke names the kind but not the member's other kinds; the lowest bit asked wins.
    const auto kind = static_cast<InvokeKind>(chosenKind(flags, 0xF));
    if (kind == 0) return DISP_E_MEMBERNOTFOUND;
    Variant answer;
    const int32_t status = objectClass_->invoke(instance_, member, kind, arguments.data(), arguments.count(), &answer);
    if (result != nullptr) {
      valueToVariant(&answer, result);
    } else {
      clearValue(&answer);
    }
    return resultOfStatus(status);
  }

 private:
  const ObjectClass* objectClass_;
  void* instance_;
  ClassType* type_;
};

}  // namespace

IUnknown* newClassDispatch(const ObjectClass* objectClass, void* instance) {
  return new ClassDispatch(objectClass, instance);
}
