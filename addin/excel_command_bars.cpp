#include "excel_command_bars.h"

#include "com/error_info.h"
#include "module_values.h"

namespace velmora {

com::ComPtr<Office::CommandBars> CommandBarsOf(com::IDispatch* application) {
  if (!application) throw com::ComError(com::E_POINTER, u"There is no application to add the toolbar to.");
  const com::OLECHAR* name = u"CommandBars";
  com::DISPID id = 0;
  com::ThrowIfFailed(application->GetIDsOfNames(com::IID_NULL, const_cast<com::OLECHAR**>(&name), 1,
                                                com::LOCALE_USER_DEFAULT, &id));
  com::DISPPARAMS none;
  com::Variant result;
  com::EXCEPINFO info;
  com::HRESULT hr = application->Invoke(id, com::IID_NULL, com::LOCALE_USER_DEFAULT, com::DISPATCH_PROPERTYGET, &none,
                                        result.Put(), &info, nullptr);
  if (hr == com::DISP_E_EXCEPTION) {
    com::HRESULT cause = info.scode ? info.scode : com::E_FAIL;
    std::u16string description(com::BstrView(info.bstrDescription));
    com::ClearExcepInfo(&info);
    throw com::ComError(cause, description);
  }
  com::ThrowIfFailed(hr);
  if (result.Type() != com::VT_DISPATCH && result.Type() != com::VT_UNKNOWN)
    throw com::ComError(com::DISP_E_TYPEMISMATCH, u"Application.CommandBars is no object.");
  com::ComPtr<Office::CommandBars> bars;
  com::ThrowIfFailed(result.punkVal ? result.punkVal->QueryInterface(Office::CommandBars::iid, bars.PutVoid())
                                    : com::E_POINTER);
  return bars;
}

}  // namespace velmora
