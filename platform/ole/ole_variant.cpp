// Values between our Variant and the system's VARIANT. Coercion is VariantChangeType's:
// what it does with Empty, numbers and texts is what every caller of the object layer sees
// on Windows, so nothing here second-guesses it.
#include "platform/ole/ole_variant.h"

#include <utility>

#include "platform/ole/ole_status.h"

namespace {

VARTYPE systemType(VariantType type) {
  switch (type) {
    case VariantType::Empty: return VT_EMPTY;
    case VariantType::Null: return VT_NULL;
    case VariantType::Boolean: return VT_BOOL;
    case VariantType::Double: return VT_R8;
    case VariantType::Text: return VT_BSTR;
    case VariantType::Object: return VT_UNKNOWN;
  }
  return VT_EMPTY;
}

}  // namespace

void clearValue(Variant* value) {
  if (value->object != nullptr) unknownOf(value->object)->Release();
  value->object = nullptr;
  value->type = VariantType::Empty;
  value->boolean = false;
  value->number = 0;
  value->text.clear();
}

bool argumentToVariant(const Argument& argument, VARIANT* out) {
  VariantInit(out);
  switch (argument.type) {
    case VariantType::Empty: return true;
    case VariantType::Null: V_VT(out) = VT_NULL; return true;
    case VariantType::Boolean:
      V_VT(out) = VT_BOOL;
      V_BOOL(out) = argument.boolean ? VARIANT_TRUE : VARIANT_FALSE;
      return true;
    case VariantType::Double:
      V_VT(out) = VT_R8;
      V_R8(out) = argument.number;
      return true;
    case VariantType::Text: {
      BSTR text = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(argument.text.data()),
                                    static_cast<UINT>(argument.text.size()));
      if (text == nullptr) {
        reportRefusedMemory((argument.text.size() + 1) * sizeof(OLECHAR));
        return false;
      }
      V_VT(out) = VT_BSTR;
      V_BSTR(out) = text;
      return true;
    }
    case VariantType::Object: {
      IUnknown* unknown = unknownOf(argument.object);
      if (unknown == nullptr) return true;  // an empty object passes as Empty
      IDispatch* dispatch = nullptr;
      if (SUCCEEDED(unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)))) {
        V_VT(out) = VT_DISPATCH;
        V_DISPATCH(out) = dispatch;
      } else {
        unknown->AddRef();
        V_VT(out) = VT_UNKNOWN;
        V_UNKNOWN(out) = unknown;
      }
      return true;
    }
  }
  return false;
}

bool variantToValue(const VARIANT& value, Variant* out) {
  switch (V_VT(&value)) {
    case VT_EMPTY: out->type = VariantType::Empty; return true;
    case VT_NULL: out->type = VariantType::Null; return true;
    case VT_BOOL:
      out->type = VariantType::Boolean;
      out->boolean = V_BOOL(&value) != VARIANT_FALSE;
      return true;
    case VT_R8:
      out->type = VariantType::Double;
      out->number = V_R8(&value);
      return true;
    case VT_BSTR:
      out->type = VariantType::Text;
      out->text.assign(reinterpret_cast<const char16_t*>(V_BSTR(&value)), SysStringLen(V_BSTR(&value)));
      return true;
    case VT_DISPATCH:
    case VT_UNKNOWN: {
      // VT_DISPATCH's pointer is an IUnknown too; a null one is no object at all.
      IUnknown* unknown = V_VT(&value) == VT_DISPATCH ? V_DISPATCH(&value) : V_UNKNOWN(&value);
      if (unknown == nullptr) return false;
      unknown->AddRef();
      out->type = VariantType::Object;
      out->object = objectOf(unknown);
      return true;
    }
    default: {
      // Any other number the system hands over reads as a double.
      VARIANT number;
      VariantInit(&number);
      if (FAILED(VariantChangeType(&number, const_cast<VARIANT*>(&value), 0, VT_R8))) return false;
      out->type = VariantType::Double;
      out->number = V_R8(&number);
      return true;
    }
  }
}

void valueToVariant(Variant* value, VARIANT* out) {
  VariantInit(out);
  switch (value->type) {
    case VariantType::Empty: break;
    case VariantType::Null: V_VT(out) = VT_NULL; break;
    case VariantType::Boolean:
      V_VT(out) = VT_BOOL;
      V_BOOL(out) = value->boolean ? VARIANT_TRUE : VARIANT_FALSE;
      break;
    case VariantType::Double:
      V_VT(out) = VT_R8;
      V_R8(out) = value->number;
      break;
    case VariantType::Text: {
      BSTR text = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(value->text.data()),
                                    static_cast<UINT>(value->text.size()));
      if (text == nullptr) reportRefusedMemory((value->text.size() + 1) * sizeof(OLECHAR));
      if (text != nullptr) {
        V_VT(out) = VT_BSTR;
        V_BSTR(out) = text;
      }
      break;
    }
    case VariantType::Object: {
      IUnknown* unknown = unknownOf(std::exchange(value->object, nullptr));
      if (unknown == nullptr) break;
      IDispatch* dispatch = nullptr;
      if (SUCCEEDED(unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)))) {
        V_VT(out) = VT_DISPATCH;
        V_DISPATCH(out) = dispatch;
        unknown->Release();
      } else {
        V_VT(out) = VT_UNKNOWN;
        V_UNKNOWN(out) = unknown;
      }
      break;
    }
  }
  clearValue(value);
}

int32_t coerceVariant(const VARIANT& value, VariantType to, Variant* result) {
  result->type = to;
  if (to == VariantType::Empty) return ObjectOk;
  VARIANT changed;
  VariantInit(&changed);
  HRESULT outcome = VariantChangeType(&changed, const_cast<VARIANT*>(&value), 0, systemType(to));
  bool converted = SUCCEEDED(outcome) && variantToValue(changed, result) && result->type == to;
  VariantClear(&changed);
  if (converted) return ObjectOk;
  clearValue(result);
  result->type = to;
  return ObjectTypeMismatch;
}
