#include "validation/script_engine.h"

#include "com/activation.h"
#include "com/error_info.h"
#include "platform/win/code_page.h"

namespace velmora {

namespace {

constexpr char16_t kProgId[] = u"MSScriptControl.ScriptControl";

com::DISPID IdOf(com::IDispatch* object, std::u16string member) {
  com::OLECHAR* names[] = {member.data()};
  com::DISPID id = com::DISPID_UNKNOWN;
  com::ThrowIfFailed(object->GetIDsOfNames(com::IID_NULL, names, 1, com::LOCALE_USER_DEFAULT, &id));
  return id;
}

// The description of a failed Invoke: the EXCEPINFO of DISP_E_EXCEPTION, or
// the error information the call left.
std::u16string FailureDescription(com::HRESULT hr, com::EXCEPINFO& info) {
  if (hr == com::DISP_E_EXCEPTION) {
    std::u16string description(com::BstrView(info.bstrDescription));
    com::ClearExcepInfo(&info);
    return description;
  }
  return com::ComError::FromLastCall(hr).Description();
}

}  // namespace

ScriptEngine::ScriptEngine() {
  com::ThrowIfFailed(com::CreateInstanceByName(kProgId, com::IDispatch::iid, control_.PutVoid()));
  SetLanguage();
}

ScriptEngine::ScriptEngine(com::IClassFactory& factory) {
  com::ThrowIfFailed(factory.CreateInstance(nullptr, com::IDispatch::iid, control_.PutVoid()));
  SetLanguage();
}

void ScriptEngine::SetLanguage() {
  com::Variant language(u"VBScript");
  com::DISPID put = com::DISPID_PROPERTYPUT;
  com::DISPPARAMS params{&language, &put, 1, 1};
  com::EXCEPINFO info;
  const com::HRESULT hr = control_->Invoke(IdOf(control_.Get(), u"Language"), com::IID_NULL,
                                           com::LOCALE_USER_DEFAULT, com::DISPATCH_PROPERTYPUT, &params, nullptr,
                                           &info, nullptr);
  if (com::FAILED(hr)) throw com::ComError(hr, FailureDescription(hr, info));
  eval_id_ = IdOf(control_.Get(), u"Eval");
}

std::string ScriptEngine::Eval(std::string_view expression) const {
  com::Variant argument = com::Variant::FromAnsi(expression);
  com::DISPPARAMS params{&argument, nullptr, 1, 0};
  com::Variant result;
  com::EXCEPINFO info;
  const com::HRESULT hr = control_->Invoke(eval_id_, com::IID_NULL, com::LOCALE_USER_DEFAULT, com::DISPATCH_METHOD,
                                           &params, result.Put(), &info, nullptr);
  if (com::FAILED(hr)) throw ScriptFailure(win::WideToAnsi(FailureDescription(hr, info)));
  if (result.vt == com::VT_EMPTY || result.vt == com::VT_NULL) return {};
  com::Variant text;
  if (com::FAILED(com::VariantChangeType(&text, &result, com::VARIANT_ALPHABOOL, com::VT_BSTR)))
    throw ScriptFailure("Type mismatch");
  return win::WideToAnsi(com::BstrView(text.bstrVal));
}

ScriptEngine ScriptEngines::New() {
  if (!factory_) {
    com::CLSID clsid;
    com::ThrowIfFailed(com::CLSIDFromProgID(kProgId, &clsid));
    com::ThrowIfFailed(com::CoGetClassObject(clsid, com::CLSCTX_INPROC_SERVER, nullptr, com::IClassFactory::iid,
                                             factory_.PutVoid()));
  }
  return ScriptEngine(*factory_);
}

}  // namespace velmora
