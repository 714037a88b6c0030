// velmora eval EXPRESSION: evaluates one VBScript expression the way the
// validator does: creates "MSScriptControl.ScriptControl" by its ProgID, sets
// its Language to "VBScript" through IDispatch and calls Eval. Prints the
// result's text and exits 0, or prints "error N: description" and exits 1.
// Rule authors use it to try the rewritten form of a rule.
#include <iostream>
#include <string>

#include "../command_registry.h"
#include "com/activation.h"
#include "com/dispatch.h"
#include "com/error_info.h"
#include "platform/win/code_page.h"

namespace velmora::cli {
namespace {

constexpr char16_t kProgId[] = u"MSScriptControl.ScriptControl";

struct Failure {
  com::HRESULT hr;
  std::u16string description;
};

com::DISPID IdOf(com::IDispatch* object, const char16_t* name) {
  std::u16string member(name);
  com::OLECHAR* names[] = {member.data()};
  com::DISPID id = com::DISPID_UNKNOWN;
  com::ThrowIfFailed(object->GetIDsOfNames(com::IID_NULL, names, 1, com::LOCALE_USER_DEFAULT, &id));
  return id;
}

// Invokes a member with one argument; a failure comes back as the error the
// caller's EXCEPINFO (or the thread's error information) describes.
com::HRESULT Invoke(com::IDispatch* object, const char16_t* name, com::WORD flags,
                    com::Variant argument, com::Variant* result, Failure* failure) {
  com::DISPID put = com::DISPID_PROPERTYPUT;
  const bool is_put = flags == com::DISPATCH_PROPERTYPUT;
  com::DISPPARAMS params{&argument, is_put ? &put : nullptr, 1, is_put ? 1u : 0u};
  com::EXCEPINFO info;
  const com::HRESULT hr =
      object->Invoke(IdOf(object, name), com::IID_NULL, com::LOCALE_USER_DEFAULT, flags, &params,
                     result ? result->Put() : nullptr, &info, nullptr);
  if (hr == com::DISP_E_EXCEPTION) {
    *failure = {info.scode, std::u16string(com::BstrView(info.bstrDescription))};
    com::ClearExcepInfo(&info);
  } else if (com::FAILED(hr)) {
    const com::ComError error = com::ComError::FromLastCall(hr);
    *failure = {hr, error.Description()};
  }
  return hr;
}

// The number VBScript reports for an HRESULT: the low word of facility 0x0A.
long ErrorNumber(com::HRESULT hr) { return ((hr >> 16) & 0x1FFF) == 0x0A ? (hr & 0xFFFF) : hr; }

// The result as the validator reads it: "True"/"False" for Booleans, the
// general number form, the empty text for Empty.
std::string ResultText(com::Variant& value) {
  if (value.vt == com::VT_NULL) return "Null";
  if (com::FAILED(com::VariantChangeType(&value, &value, com::VARIANT_ALPHABOOL, com::VT_BSTR)))
    return "[object]";
  return value.ToUtf8();
}

int Eval(const std::string& expression) {
  com::CoInitialize(nullptr);
  int status = 1;
  try {
    com::ComPtr<com::IDispatch> engine;
    const com::HRESULT created =
        com::CreateInstanceByName(kProgId, com::IDispatch::iid, engine.PutVoid());
    if (com::FAILED(created)) {
      std::cerr << "velmora eval: MSScriptControl.ScriptControl cannot be created: "
                << com::HResultHex(created) << " " << com::HResultMessage(created)
                << " (has velmora install been run?)\n";
    } else {
      Failure failure{};
      com::Variant result;
      if (com::FAILED(Invoke(engine.Get(), u"Language", com::DISPATCH_PROPERTYPUT,
                             com::Variant(u"VBScript"), nullptr, &failure)) ||
          com::FAILED(Invoke(engine.Get(), u"Eval", com::DISPATCH_METHOD,
                             com::Variant(com::Bstr::FromUtf8(expression)), &result, &failure))) {
        std::cout << "error " << ErrorNumber(failure.hr) << ": "
                  << win::WideToUtf8(failure.description) << "\n";
      } else {
        std::cout << ResultText(result) << "\n";
        status = 0;
      }
    }
  } catch (const com::ComError& e) {
    std::cerr << "velmora eval: " << win::WideToUtf8(e.Description()) << "\n";
  }
  com::CoUninitialize();
  return status;
}

const Registration eval{
    "eval", [](CLI::App& app) {
      auto* cmd =
          app.add_subcommand("eval", "Evaluate a VBScript expression as the validator does");
      static std::string expression;
      cmd->add_option("expression", expression, "The expression, for example \"5+7=12\"")
          ->required();
      cmd->callback([] { SetExitStatus(Eval(expression)); });
    }};

}  // namespace
}  // namespace velmora::cli
