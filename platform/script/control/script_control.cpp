#include "script_control.h"

#include <memory>
#include <string>

#include "com/error_info.h"
#include "com/object.h"
#include "script/control/automation.h"
#include "script/engine.h"

namespace vbs::control {
namespace {

constexpr std::u16string_view kRuntimeSource = u"Microsoft VBScript runtime error";
constexpr std::u16string_view kCompilationSource = u"Microsoft VBScript compilation error";
constexpr std::u16string_view kControlSource = u"ScriptControl";

struct LastError {
  std::int32_t number = 0;
  std::u16string description;
  std::u16string source;
};

// A VBScript error number as the HRESULT automation reports it with.
com::HRESULT ErrorHResult(std::int32_t number) {
  if (number > 0 && number <= 0xFFFF)
    return com::MakeHResult(0x800A0000u | static_cast<std::uint32_t>(number));
  return number < 0 ? number : com::E_FAIL;
}

// Fails an Invoke the way automation expects: DISP_E_EXCEPTION with the
// error in `excep_info`, or the error's own HRESULT when the caller gave no
// EXCEPINFO; the thread's error information is set either way.
com::HRESULT Fail(com::EXCEPINFO* excep_info, com::HRESULT scode, std::u16string_view source,
                  std::u16string_view description) {
  com::ReportError(scode, com::IDispatch::iid, source, description);
  if (!excep_info) return scode;
  *excep_info = {};
  excep_info->bstrSource = com::Bstr(source).Detach();
  excep_info->bstrDescription = com::Bstr(description).Detach();
  excep_info->scode = scode;
  return com::DISP_E_EXCEPTION;
}

bool SameNoCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char16_t x = a[i], y = b[i];
    if (x >= u'a' && x <= u'z') x -= 0x20;
    if (y >= u'a' && y <= u'z') y -= 0x20;
    if (x != y) return false;
  }
  return true;
}

struct Member {
  std::u16string_view name;
  com::DISPID id;
};

// GetIDsOfNames over a table of member names (any letter case); names after
// the first (parameter names) are not known.
template <std::size_t N>
com::HRESULT IdsOfNames(const Member (&members)[N], com::OLECHAR** names, unsigned count,
                        com::DISPID* ids) {
  if (!names || !ids || count == 0) return com::E_INVALIDARG;
  com::HRESULT hr = com::S_OK;
  for (unsigned i = 0; i < count; ++i) ids[i] = com::DISPID_UNKNOWN;
  for (const Member& m : members)
    if (names[0] && SameNoCase(names[0], m.name)) ids[0] = m.id;
  if (ids[0] == com::DISPID_UNKNOWN || count > 1) hr = com::DISP_E_UNKNOWNNAME;
  return hr;
}

// The one argument of a call as text, or null when it cannot be one.
bool ArgumentText(const com::DISPPARAMS* params, std::u16string& text) {
  if (!params || params->cArgs != 1) return false;
  com::Variant value;
  if (com::FAILED(com::VariantCopyInd(&value, &params->rgvarg[0]))) return false;
  if (value.vt != com::VT_BSTR && com::FAILED(value.ChangeType(com::VT_BSTR))) return false;
  text.assign(com::BstrView(value.bstrVal));
  return true;
}

// Base of the two small classes here: type information is not offered.
class LateBound : public com::Object<com::IDispatch, com::ISupportErrorInfo> {
 public:
  com::HRESULT GetTypeInfoCount(unsigned* count) override {
    if (!count) return com::E_POINTER;
    *count = 0;
    return com::S_OK;
  }
  com::HRESULT GetTypeInfo(unsigned, com::LCID, com::ITypeInfo** info) override {
    if (info) *info = nullptr;
    return com::E_NOTIMPL;
  }
  com::HRESULT InterfaceSupportsErrorInfo(com::REFIID riid) override {
    return riid == com::IDispatch::iid ? com::S_OK : com::S_FALSE;
  }
};

// The Error property's object: a view of the control's last error.
class ErrorObject final : public LateBound {
 public:
  explicit ErrorObject(std::shared_ptr<LastError> last) : last_(std::move(last)) {}

  com::HRESULT GetIDsOfNames(com::REFIID, com::OLECHAR** names, unsigned count, com::LCID,
                             com::DISPID* ids) override {
    return IdsOfNames(kMembers, names, count, ids);
  }

  com::HRESULT Invoke(com::DISPID id, com::REFIID, com::LCID, com::WORD flags,
                      com::DISPPARAMS* params, com::VARIANT* result, com::EXCEPINFO*,
                      unsigned*) override {
    const unsigned argc = params ? params->cArgs : 0;
    if (argc != 0) return com::DISP_E_BADPARAMCOUNT;
    com::Variant value;
    switch (id) {
      case kNumber:
        value = com::Variant(last_->number);
        break;
      case com::DISPID_VALUE:
      case kDescription:
        value = com::Variant(std::u16string_view(last_->description));
        break;
      case kSource:
        value = com::Variant(std::u16string_view(last_->source));
        break;
      case kClear:
        if (!(flags & com::DISPATCH_METHOD)) return com::DISP_E_MEMBERNOTFOUND;
        *last_ = {};
        break;
      default:
        return com::DISP_E_MEMBERNOTFOUND;
    }
    if (id != kClear && !(flags & com::DISPATCH_PROPERTYGET)) return com::DISP_E_MEMBERNOTFOUND;
    if (result) *result = value.Detach();
    return com::S_OK;
  }

 private:
  static constexpr com::DISPID kNumber = 1, kDescription = 2, kSource = 3, kClear = 4;
  static constexpr Member kMembers[] = {{u"Number", kNumber},
                                        {u"Description", kDescription},
                                        {u"Source", kSource},
                                        {u"Clear", kClear}};
  std::shared_ptr<LastError> last_;
};

class ScriptControl final : public LateBound {
 public:
  com::HRESULT GetIDsOfNames(com::REFIID, com::OLECHAR** names, unsigned count, com::LCID,
                             com::DISPID* ids) override {
    return IdsOfNames(kMembers, names, count, ids);
  }

  com::HRESULT Invoke(com::DISPID id, com::REFIID, com::LCID, com::WORD flags,
                      com::DISPPARAMS* params, com::VARIANT* result, com::EXCEPINFO* excep_info,
                      unsigned*) override {
    switch (id) {
      case kLanguage:
        if (flags & (com::DISPATCH_PROPERTYPUT | com::DISPATCH_PROPERTYPUTREF))
          return PutLanguage(params, excep_info);
        if (!(flags & com::DISPATCH_PROPERTYGET)) return com::DISP_E_MEMBERNOTFOUND;
        if (params && params->cArgs != 0) return com::DISP_E_BADPARAMCOUNT;
        if (result) *result = com::Variant(std::u16string_view(language_)).Detach();
        return com::S_OK;
      case kEval:
        if (!(flags & (com::DISPATCH_METHOD | com::DISPATCH_PROPERTYGET)))
          return com::DISP_E_MEMBERNOTFOUND;
        return Eval(params, result, excep_info);
      case kError: {
        if (!(flags & com::DISPATCH_PROPERTYGET)) return com::DISP_E_MEMBERNOTFOUND;
        if (params && params->cArgs != 0) return com::DISP_E_BADPARAMCOUNT;
        auto error = com::MakeObject<ErrorObject>(last_error_);
        if (!error) return com::E_OUTOFMEMORY;
        if (result) *result = com::Variant(static_cast<com::IDispatch*>(error.Get())).Detach();
        return com::S_OK;
      }
      default:
        return com::DISP_E_MEMBERNOTFOUND;
    }
  }

 private:
  com::HRESULT PutLanguage(com::DISPPARAMS* params, com::EXCEPINFO* excep_info) {
    std::u16string language;
    if (!ArgumentText(params, language))
      return params && params->cArgs == 1 ? com::DISP_E_TYPEMISMATCH : com::DISP_E_BADPARAMCOUNT;
    if (!SameNoCase(language, u"VBScript")) {
      // 380: the control's "Invalid property value".
      return Fail(excep_info, ErrorHResult(380), kControlSource,
                  u"The language '" + language +
                      u"' is not supported: this script control runs VBScript only");
    }
    language_ = std::move(language);
    return com::S_OK;
  }

  com::HRESULT Eval(com::DISPPARAMS* params, com::VARIANT* result, com::EXCEPINFO* excep_info) {
    if (!params || params->cArgs != 1) return com::DISP_E_BADPARAMCOUNT;
    if (language_.empty()) {
      return Fail(excep_info, com::E_UNEXPECTED, kControlSource,
                  u"The Language property is not set: set it to \"VBScript\" before Eval");
    }
    const com::VARIANT& arg = params->rgvarg[0];
    std::u16string copied;
    std::u16string_view expression;
    if (arg.vt == com::VT_BSTR) {
      expression = com::BstrView(arg.bstrVal);
    } else if (ArgumentText(params, copied)) {
      expression = copied;
    } else {
      return com::DISP_E_TYPEMISMATCH;
    }
    *last_error_ = {};
    try {
      com::Variant value = ToVariant(engine_.Eval(expression));
      if (result) *result = value.Detach();
      return com::S_OK;
    } catch (const ScriptError& e) {
      last_error_->number = e.number();
      last_error_->description = e.description();
      last_error_->source =
          e.kind() == ErrorKind::Compilation ? kCompilationSource : kRuntimeSource;
      return Fail(excep_info, ErrorHResult(e.number()), last_error_->source, e.description());
    } catch (const std::bad_alloc&) {
      return Fail(excep_info, com::E_OUTOFMEMORY, kRuntimeSource, u"Out of memory");
    }
  }

  static constexpr com::DISPID kLanguage = 1, kEval = 2, kError = 3;
  static constexpr Member kMembers[] = {
      {u"Language", kLanguage}, {u"Eval", kEval}, {u"Error", kError}};

  std::u16string language_;
  Engine engine_{CreateAutomationObject};
  std::shared_ptr<LastError> last_error_ = std::make_shared<LastError>();
};

}  // namespace

com::ComPtr<com::IDispatch> MakeScriptControl() { return com::MakeObject<ScriptControl>(); }

}  // namespace vbs::control
