#include "excel_host.h"

#include <stdexcept>

#include "com/activation.h"
#include "com/error_info.h"
#include "com/registry.h"
#include "com/safearray.h"
#include "platform/win/code_page.h"

namespace velmora::host {

namespace {

using AddInDesignerObjects::IDTExtensibility2;

// The custom argument of the connection calls: an empty array of variants.
class CustomArray {
 public:
  CustomArray() : array_(com::SafeArrayCreateVector(com::VT_VARIANT, 0, 0)) {}
  ~CustomArray() {
    if (array_) com::SafeArrayDestroy(array_);
  }
  CustomArray(const CustomArray&) = delete;
  CustomArray& operator=(const CustomArray&) = delete;
  com::SAFEARRAY** Put() { return &array_; }

 private:
  com::SAFEARRAY* array_;
};

// The failure as a text: the error information the call left, or the HRESULT's message.
std::string Describe(com::HRESULT hr) {
  com::ComError error = com::ComError::FromLastCall(hr);
  return win::WideToUtf8(error.Description()) + " (" + com::HResultHex(hr) + ")";
}

}  // namespace

std::vector<std::u16string> ListedAddIns() {
  std::vector<std::u16string> listed;
  com::registry::Tree tree;
  if (com::FAILED(com::registry::Read(&tree))) return listed;
  const com::registry::Key* addins = tree.current_user.Find(kAddInsKey);
  if (!addins) return listed;
  for (const auto& [name, key] : addins->subkeys) {
    auto behavior = key->values.find(u"LoadBehavior");
    if (behavior == key->values.end() || behavior->second.type != com::registry::Value::Type::Dword) continue;
    if ((behavior->second.dword & kLoadAtStartup) == kLoadAtStartup) listed.push_back(key->name);
  }
  return listed;
}

ExcelHost::ExcelHost() {
  if (com::FAILED(com::CoInitialize(nullptr))) throw std::runtime_error("COM cannot be started on this thread");
  open_ = true;
  bars_ = std::make_unique<office::CommandBarsHost>();
  application_ = excel::CreateApplication();
  if (!application_ || com::FAILED(excel::SetCommandBars(application_.Get(), bars_->Bars().Get()))) {
    Close();
    throw std::runtime_error("the spreadsheet application cannot be created");
  }
  LoadAddIns();
}

ExcelHost::~ExcelHost() { Close(); }

void ExcelHost::LoadAddIns() {
  for (const std::u16string& progid : ListedAddIns()) {
    AddIn addin;
    addin.progid = win::WideToUtf8(progid);
    com::ComPtr<IDTExtensibility2> object;
    com::HRESULT hr = com::CreateInstanceByName(progid, IDTExtensibility2::iid, object.PutVoid());
    if (com::SUCCEEDED(hr)) {
      CustomArray custom;
      hr = object->OnConnection(application_.Get(), AddInDesignerObjects::ext_cm_Startup, nullptr, custom.Put());
    }
    if (com::SUCCEEDED(hr))
      addin.object = object;
    else
      addin.error = Describe(hr);
    addins_.push_back(std::move(addin));
  }
  for (auto& addin : addins_) {
    if (!addin.object) continue;
    CustomArray custom;
    addin.object->OnAddInsUpdate(custom.Put());
  }
  for (auto& addin : addins_) {
    if (!addin.object) continue;
    CustomArray custom;
    addin.object->OnStartupComplete(custom.Put());
  }
}

void ExcelHost::Close() {
  if (!open_) return;
  open_ = false;
  for (auto& addin : addins_) {
    if (!addin.object) continue;
    CustomArray custom;
    addin.object->OnBeginShutdown(custom.Put());
  }
  for (auto& addin : addins_) {
    if (!addin.object) continue;
    CustomArray custom;
    addin.object->OnDisconnection(AddInDesignerObjects::ext_dm_HostShutdown, custom.Put());
  }
  for (auto& addin : addins_) addin.object = nullptr;
  if (bars_) bars_->Close();
  if (application_) excel::SetCommandBars(application_.Get(), nullptr);
  application_ = nullptr;
  com::CoFreeUnusedLibraries();
  com::CoUninitialize();
}

}  // namespace velmora::host
