#include "automation.h"

#include <vector>

#include "com/activation.h"
#include "com/error_info.h"
#include "script/error.h"

namespace vbs::control {
namespace {

constexpr std::int32_t kUnsupportedAutomationType = 458;
constexpr com::HRESULT kFacilityControl = 0x0A;

// An automation object reached through its IDispatch.
class DispatchObject final : public Object {
 public:
  explicit DispatchObject(com::ComPtr<com::IDispatch> dispatch) : dispatch_(std::move(dispatch)) {}

  com::IDispatch* dispatch() const { return dispatch_.Get(); }

  Value Invoke(std::u16string_view name, std::span<const Value> args) override {
    std::u16string member(name);
    com::OLECHAR* names[] = {member.data()};
    com::DISPID id = 0;
    const com::HRESULT hr =
        dispatch_->GetIDsOfNames(com::IID_NULL, names, 1, com::LOCALE_USER_DEFAULT, &id);
    if (com::FAILED(hr)) ThrowRuntime(err::kNoSuchMember, name);
    return Call(id, com::DISPATCH_METHOD | com::DISPATCH_PROPERTYGET, args, name);
  }

  Value DefaultValue() override {
    return Call(com::DISPID_VALUE, com::DISPATCH_PROPERTYGET, {}, {});
  }

  bool Is(const Object& other) const override {
    const auto* o = dynamic_cast<const DispatchObject*>(&other);
    if (!o) return false;
    return com::QueryAs<com::IUnknown>(dispatch_.Get()).Get() ==
           com::QueryAs<com::IUnknown>(o->dispatch_.Get()).Get();
  }

 private:
  Value Call(com::DISPID id, com::WORD flags, std::span<const Value> args,
             std::u16string_view name) {
    std::vector<com::Variant> arguments;  // last first, as DISPPARAMS holds them
    arguments.reserve(args.size());
    for (auto a = args.rbegin(); a != args.rend(); ++a) arguments.push_back(ToVariant(*a));
    com::DISPPARAMS params{arguments.data(), nullptr, static_cast<unsigned>(arguments.size()), 0};
    com::Variant result;
    com::EXCEPINFO info;
    const com::HRESULT hr = dispatch_->Invoke(id, com::IID_NULL, com::LOCALE_USER_DEFAULT, flags,
                                              &params, result.Put(), &info, nullptr);
    if (com::FAILED(hr)) {
      if (id == com::DISPID_VALUE && hr == com::DISP_E_MEMBERNOTFOUND)
        ThrowRuntime(err::kNoSuchMember);
      ThrowAutomationError(hr, &info, name);
    }
    return FromVariant(result);
  }

  com::ComPtr<com::IDispatch> dispatch_;
};

// Owns the strings of an EXCEPINFO.
struct ExcepInfoGuard {
  com::EXCEPINFO* info;
  ~ExcepInfoGuard() {
    if (info) com::ClearExcepInfo(info);
  }
};

}  // namespace

com::Variant ToVariant(const Value& v) {
  com::Variant out;
  switch (v.type()) {
    case Subtype::Empty:
      break;
    case Subtype::Null:
      out = com::Variant::Null();
      break;
    case Subtype::Boolean:
      out = com::Variant(v.boolean());
      break;
    case Subtype::Byte:
      out.vt = com::VT_UI1;
      out.bVal = static_cast<std::uint8_t>(v.whole());
      break;
    case Subtype::Integer:
      out = com::Variant(static_cast<std::int16_t>(v.whole()));
      break;
    case Subtype::Long:
      out = com::Variant(static_cast<std::int32_t>(v.whole()));
      break;
    case Subtype::Currency:
      out.vt = com::VT_CY;
      out.llVal = v.whole();
      break;
    case Subtype::Date:
      out.vt = com::VT_DATE;
      out.date = v.real();
      break;
    case Subtype::Double:
      out = com::Variant(v.real());
      break;
    case Subtype::String:
      out = com::Variant(std::u16string_view(v.string()));
      break;
    case Subtype::Object: {
      const auto* d = dynamic_cast<const DispatchObject*>(v.object().get());
      out = com::Variant(d ? d->dispatch() : static_cast<com::IDispatch*>(nullptr));
      break;
    }
  }
  return out;
}

Value FromVariant(const com::VARIANT& v0) {
  const com::VARIANT* p = &v0;
  com::VARIANT deref;
  if (v0.vt & com::VT_BYREF) {
    if (v0.vt == (com::VT_BYREF | com::VT_VARIANT)) {
      p = v0.pvarVal;
    } else {
      deref = {};
      deref.vt = v0.vt & ~com::VT_BYREF;
      switch (deref.vt) {
        case com::VT_UI1:
          deref.bVal = *v0.pbVal;
          break;
        case com::VT_I2:
        case com::VT_BOOL:
          deref.iVal = *v0.piVal;
          break;
        case com::VT_I4:
        case com::VT_ERROR:
          deref.lVal = *v0.plVal;
          break;
        case com::VT_R4:
          deref.fltVal = *v0.pfltVal;
          break;
        case com::VT_R8:
        case com::VT_DATE:
          deref.dblVal = *v0.pdblVal;
          break;
        case com::VT_CY:
        case com::VT_I8:
          deref.llVal = *v0.pllVal;
          break;
        case com::VT_BSTR:
          deref.bstrVal = *v0.pbstrVal;
          break;
        case com::VT_DISPATCH:
        case com::VT_UNKNOWN:
          deref.punkVal = *v0.ppunkVal;
          break;
        default:
          ThrowRuntime(kUnsupportedAutomationType);
      }
      p = &deref;
    }
  }
  const com::VARIANT& v = *p;
  auto whole = [](std::int64_t n) {
    if (n >= INT32_MIN && n <= INT32_MAX) return Value::Long(static_cast<std::int32_t>(n));
    return Value::Double(static_cast<double>(n));
  };
  switch (v.vt) {
    case com::VT_EMPTY:
      return Value();
    case com::VT_NULL:
      return Value::Null();
    case com::VT_BOOL:
      return Value::Boolean(v.boolVal != 0);
    case com::VT_UI1:
      return Value::Byte(v.bVal);
    case com::VT_I1:
      return Value::Integer(v.cVal);
    case com::VT_I2:
      return Value::Integer(v.iVal);
    case com::VT_UI2:
      return Value::Long(v.uiVal);
    case com::VT_I4:
    case com::VT_INT:
      return Value::Long(v.lVal);
    case com::VT_ERROR:
      return Value::Long(v.scode);
    case com::VT_UI4:
    case com::VT_UINT:
      return whole(v.ulVal);
    case com::VT_I8:
      return whole(v.llVal);
    case com::VT_UI8:
      return v.ullVal <= INT32_MAX ? whole(static_cast<std::int64_t>(v.ullVal))
                                   : Value::Double(static_cast<double>(v.ullVal));
    case com::VT_R4:
      return Value::Double(v.fltVal);
    case com::VT_R8:
      return Value::Double(v.dblVal);
    case com::VT_CY:
      return Value::Currency(v.llVal);
    case com::VT_DATE:
      return Value::Date(v.date);
    case com::VT_BSTR:
      return Value::String(std::u16string(com::BstrView(v.bstrVal)));
    case com::VT_DISPATCH:
    case com::VT_UNKNOWN: {
      if (!v.punkVal) return Value::Object(nullptr);
      auto dispatch = com::QueryAs<com::IDispatch>(v.punkVal);
      if (!dispatch) ThrowRuntime(kUnsupportedAutomationType);
      return Value::Object(std::make_shared<DispatchObject>(std::move(dispatch)));
    }
    default:
      ThrowRuntime(kUnsupportedAutomationType);
  }
}

void ThrowAutomationError(com::HRESULT hr, com::EXCEPINFO* info, std::u16string_view member) {
  std::u16string description;
  const ExcepInfoGuard guard{info};
  if (hr == com::DISP_E_EXCEPTION && info) {
    if (info->pfnDeferredFillIn) info->pfnDeferredFillIn(info);
    hr = info->scode != 0
             ? info->scode
             : (info->wCode != 0 ? com::MakeHResult(0x800A0000u | info->wCode) : com::E_FAIL);
    description = std::u16string(com::BstrView(info->bstrDescription));
  } else {
    // A failure returned directly: its description, if any, is the thread's
    // error information.
    com::ComPtr<com::IErrorInfo> error;
    if (com::GetErrorInfo(0, error.Put()) == com::S_OK && error) {
      com::Bstr text;
      error->GetDescription(text.Put());
      description = text.ToWide();
    }
  }
  switch (hr) {
    case com::DISP_E_MEMBERNOTFOUND:
    case com::DISP_E_UNKNOWNNAME:
      ThrowRuntime(err::kNoSuchMember, member);
    case com::DISP_E_BADPARAMCOUNT:
      ThrowRuntime(err::kWrongArgumentCount, member);
    case com::DISP_E_TYPEMISMATCH:
      ThrowRuntime(err::kTypeMismatch, member);
    case com::DISP_E_OVERFLOW:
      ThrowRuntime(err::kOverflow, member);
    case com::DISP_E_DIVBYZERO:
      ThrowRuntime(err::kDivisionByZero, member);
    case com::DISP_E_PARAMNOTOPTIONAL:
      throw ScriptError(ErrorKind::Runtime, 449, u"Argument not optional");
    default:
      break;
  }
  const bool vbscript_number = ((hr >> 16) & 0x1FFF) == kFacilityControl;
  const std::int32_t number = vbscript_number ? (hr & 0xFFFF) : hr;
  if (description.empty()) description = std::u16string(ErrorDescription(number));
  if (description.empty()) {
    const std::string message = com::HResultMessage(hr);
    description.assign(message.begin(), message.end());
  }
  throw ScriptError(ErrorKind::Runtime, number, std::move(description));
}

ObjectRef CreateAutomationObject(std::u16string_view prog_id) {
  com::ComPtr<com::IDispatch> dispatch;
  if (com::FAILED(com::CreateInstanceByName(prog_id, com::IDispatch::iid, dispatch.PutVoid())) ||
      !dispatch)
    ThrowRuntime(err::kCannotCreateObject, prog_id);
  return std::make_shared<DispatchObject>(std::move(dispatch));
}

}  // namespace vbs::control
