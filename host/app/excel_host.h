#pragma once
// The spreadsheet host as the command line plays it: it starts COM, creates
// the Application with its Office command bars, and connects every COM
// add-in listed for the spreadsheet in the registry to load at start-up;
// closing disconnects them and lets their libraries go.
//
//   velmora::host::ExcelHost excel;               // started, add-ins connected
//   excel.CommandBars().Click("关于");
//   excel.Close();                                  // or at destruction
#include <memory>
#include <string>
#include <vector>

#include "addin_designer_tlb.h"
#include "com/com_ptr.h"
#include "excel/com/excel.h"
#include "office/command_bars.h"

namespace velmora::host {

// Where the COM add-ins of the spreadsheet are listed (under the current
// user): one key per ProgID with the DWORD value "LoadBehavior".
inline constexpr const char16_t* kAddInsKey = u"Software\\Microsoft\\Office\\Excel\\Addins";
// LoadBehavior: bit 0 connected, bit 1 load at start-up; 3 is both.
inline constexpr std::uint32_t kLoadAtStartup = 3;

// An add-in the host tried to load.
struct AddIn {
  std::string progid;  // UTF-8
  com::ComPtr<AddInDesignerObjects::IDTExtensibility2> object;  // empty when it failed
  std::string error;   // UTF-8: why it could not be loaded or connected
};

class ExcelHost {
 public:
  // Starts. Raises std::runtime_error when COM or the Application cannot be
  // started; an add-in that fails is recorded in AddIns() and left out.
  ExcelHost();
  ~ExcelHost();
  ExcelHost(const ExcelHost&) = delete;
  ExcelHost& operator=(const ExcelHost&) = delete;

  excel::_Application* Application() const { return application_.Get(); }
  office::CommandBarsHost& CommandBars() { return *bars_; }
  const std::vector<AddIn>& AddIns() const { return addins_; }

  // OnBeginShutdown and OnDisconnection for every add-in, the add-ins
  // released, the temporary bars gone, the unused libraries freed, COM ended.
  // Once; later calls do nothing.
  void Close();

 private:
  void LoadAddIns();

  bool open_ = false;
  std::unique_ptr<office::CommandBarsHost> bars_;
  com::ComPtr<excel::_Application> application_;
  std::vector<AddIn> addins_;
};

// The ProgIDs listed to load at start-up, in the registry's order.
std::vector<std::u16string> ListedAddIns();

}  // namespace velmora::host
