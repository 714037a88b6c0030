#include "my_outlook_addin.h"

#include <exception>
#include <stdexcept>

#include "addin/workbook/excel_ops.h"
#include "module_values.h"

namespace velmora {

TMyOutLookAddIn::TMyOutLookAddIn(std::shared_ptr<const com::AutoClass> cls) : AutoObject(std::move(cls)) {}

TMyOutLookAddIn::~TMyOutLookAddIn() = default;

com::HRESULT TMyOutLookAddIn::OnConnection(com::IDispatch* Application, AddInDesignerObjects::ext_ConnectMode,
                                           com::IDispatch*, com::SAFEARRAY**) {
  // One guard round both steps: what was built before a failure stays, the
  // failure is shown, and the host keeps the add-in connected.
  try {
    // The host's application, used through Excel's _Application interface.
    com::ComPtr<excel::_Application> application;
    if (Application) workbook::Check(com::ComPtr<com::IDispatch>(Application).As(&application));
    ExcelApp = application;
    BuildToolbarAndMenu();
  } catch (const std::exception& error) {
    ShowErrorText(error);
  }
  return com::S_OK;
}

com::HRESULT TMyOutLookAddIn::OnDisconnection(AddInDesignerObjects::ext_DisconnectMode, com::SAFEARRAY**) {
  return com::GuardCall(AddInDesignerObjects::IDTExtensibility2::iid, Class().source, [&] {
    if (TCommandbarbutton* sink = FButtonSink) {
      FButtonSink = nullptr;
      sink->Disconnect();
      std::erase_if(FSinks, [sink](const auto& owned) { return owned.get() == sink; });
    }
    return com::S_OK;
  });
}

com::HRESULT TMyOutLookAddIn::OnAddInsUpdate(com::SAFEARRAY**) { return com::S_OK; }
com::HRESULT TMyOutLookAddIn::OnStartupComplete(com::SAFEARRAY**) { return com::S_OK; }
com::HRESULT TMyOutLookAddIn::OnBeginShutdown(com::SAFEARRAY**) { return com::S_OK; }

}  // namespace velmora
