#include "command_bar_button.h"

#include <algorithm>
#include <exception>
#include <stdexcept>

#include "com/connection_point.h"
#include "com/object.h"
#include "module_values.h"

namespace velmora {

namespace {

std::vector<TCommandbarbutton*>& Sinks() {
  static std::vector<TCommandbarbutton*> sinks;
  return sinks;
}

// Writes value through a by-reference argument of the caller (the types an
// event passes by reference); other types are left alone.
void AssignThrough(com::VARIANT& target, const com::VARIANT& value) {
  if (!(target.vt & com::VT_BYREF)) return;
  if ((value.vt & com::VT_BYREF) && value.byref == target.byref) return;  // the caller's own storage
  com::VARTYPE type = target.vt & ~com::VT_BYREF;
  if (type == com::VT_VARIANT) {
    com::VariantCopyInd(target.pvarVal, &value);
    return;
  }
  com::Variant converted;
  if (com::FAILED(com::VariantChangeType(&converted, &value, 0, type))) return;
  switch (type) {
    case com::VT_BOOL: *target.pboolVal = converted.boolVal; break;
    case com::VT_I2: *target.piVal = converted.iVal; break;
    case com::VT_I4: *target.plVal = converted.lVal; break;
    case com::VT_R8: *target.pdblVal = converted.dblVal; break;
    case com::VT_BSTR:
      com::SysFreeString(*target.pbstrVal);
      *target.pbstrVal = converted.Detach().bstrVal;
      break;
    default: break;
  }
}

}  // namespace

// The dispatcher: answers IUnknown, IDispatch, and the event interface with
// its IDispatch. It has no type information.
class CommandbarButtonEventDispatch final : public com::Object<com::IDispatch> {
 public:
  explicit CommandbarButtonEventDispatch(TCommandbarbutton* server) : FServer(server) {}
  void ClearServer() { FServer = nullptr; }

  com::HRESULT GetTypeInfoCount(unsigned* count) override {
    if (!count) return com::E_POINTER;
    *count = 0;
    return com::S_OK;
  }
  com::HRESULT GetTypeInfo(unsigned, com::LCID, com::ITypeInfo** info) override {
    if (info) *info = nullptr;
    return com::E_NOTIMPL;
  }
  com::HRESULT GetIDsOfNames(const com::IID&, com::OLECHAR**, unsigned, com::LCID, com::DISPID*) override {
    return com::E_NOTIMPL;
  }

  com::HRESULT Invoke(com::DISPID id, const com::IID&, com::LCID, com::WORD, com::DISPPARAMS* params, com::VARIANT*,
                      com::EXCEPINFO*, unsigned*) override {
    com::ComPtr<CommandbarButtonEventDispatch> hold(this);  // a handler may destroy the sink meanwhile
    unsigned count = params ? params->cArgs : 0;
    unsigned named = params ? std::min(params->cNamedArgs, count) : 0;
    std::vector<com::Variant> args(count);
    // Positional arguments arrive last-first; named ones go where their DISPIDs say.
    for (unsigned i = named; i < count; ++i) com::VariantCopy(&args[count - 1 - (i - named)], &params->rgvarg[i]);
    for (unsigned i = 0; i < named; ++i) {
      com::DISPID at = params->rgdispidNamedArgs[i];
      if (at >= 0 && static_cast<unsigned>(at) < count) com::VariantCopy(&args[at], &params->rgvarg[i]);
    }
    if (FServer) FServer->InvokeEvent(id, args);
    for (unsigned i = named; i < count; ++i) AssignThrough(params->rgvarg[i], args[count - 1 - (i - named)]);
    for (unsigned i = 0; i < named; ++i) {
      com::DISPID at = params->rgdispidNamedArgs[i];
      if (at >= 0 && static_cast<unsigned>(at) < count) AssignThrough(params->rgvarg[i], args[at]);
    }
    return com::S_OK;
  }

 protected:
  void* QueryExtra(const com::IID& iid) override {
    return iid == Office::DIID__CommandBarButtonEvents ? static_cast<com::IDispatch*>(this) : nullptr;
  }

 private:
  TCommandbarbutton* FServer;
};

TCommandbarbutton::TCommandbarbutton(void* owner)
    : FOwner(owner),
      Server(std::make_unique<TCommandbarButtonEventsProperties>(this)),
      FEventDispatch(com::MakeObject<CommandbarButtonEventDispatch>(this).Detach()) {
  Sinks().push_back(this);
}

TCommandbarbutton::~TCommandbarbutton() {
  Server.reset();
  Disconnect();
  if (FEventDispatch) {
    FEventDispatch->ClearServer();
    FEventDispatch->Release();
  }
  std::erase(Sinks(), this);
}

const std::vector<TCommandbarbutton*>& TCommandbarbutton::LiveSinks() { return Sinks(); }

void TCommandbarbutton::ConnectTo(Office::_CommandBarButton* button) {
  Disconnect();
  DefaultInterface = button;
  Subscribe();
}

void TCommandbarbutton::Disconnect() {
  if (!DefaultInterface) return;
  Unsubscribe();
  DefaultInterface = nullptr;
}

void TCommandbarbutton::Subscribe() {
  if (!DefaultInterface || !FEventDispatch) return;
  auto container = com::QueryAs<com::IConnectionPointContainer>(DefaultInterface.Get());
  if (!container) return;
  com::ComPtr<com::IConnectionPoint> point;
  if (com::FAILED(container->FindConnectionPoint(Office::DIID__CommandBarButtonEvents, point.Put())) || !point) return;
  com::DWORD cookie = 0;
  if (com::SUCCEEDED(point->Advise(static_cast<com::IDispatch*>(FEventDispatch), &cookie))) FConnectionCookie = cookie;
}

void TCommandbarbutton::Unsubscribe() {
  if (FConnectionCookie == 0) return;
  auto container = com::QueryAs<com::IConnectionPointContainer>(DefaultInterface.Get());
  if (!container) return;
  com::ComPtr<com::IConnectionPoint> point;
  if (com::FAILED(container->FindConnectionPoint(Office::DIID__CommandBarButtonEvents, point.Put())) || !point) return;
  if (com::SUCCEEDED(point->Unadvise(FConnectionCookie))) FConnectionCookie = 0;
}

void TCommandbarbutton::InvokeEvent(com::DISPID id, std::vector<com::Variant>&) {
  if (id != 1 || !OnClick) return;  // only Click (DISPID 1); DISPID -1 and the rest are ignored
  // What Office sent is not read: the button is the sink's own, the cancel
  // flag a local one that does not go back.
  TCommandbarbuttonEvent handler = OnClick;  // the handler may destroy this sink
  com::ComPtr<Office::_CommandBarButton> button = DefaultInterface;
  com::VARIANT_BOOL cancel = com::VARIANT_FALSE;
  try {
    handler(button.Get(), cancel);
  } catch (const std::exception& error) {
    ShowErrorText(error);
  } catch (...) {
    ShowErrorText(std::runtime_error("unknown error"));
  }
}

}  // namespace velmora
