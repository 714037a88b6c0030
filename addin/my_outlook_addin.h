#pragma once
// TMyOutLookAddIn: the add-in object the spreadsheet host creates through
// the class factory of velmora.dll. Towards the host it is the add-in
// connection interface IDTExtensibility2 (with IDispatch over its type
// information, ISupportErrorInfo and IProvideClassInfo). On connection it
// keeps the host's application in ExcelApp and builds the toolbar "Kelvara"
// and the menu "Vostrel软件"; its click handlers, the dialog loader and the
// worksheet commands are its operations too.
#include <memory>
#include <string>
#include <vector>

#include "addin_designer_tlb.h"
#include "com/auto_object.h"
#include "command_bar_button.h"
#include "office_tlb.h"

namespace velmora {

class TMyOutLookAddIn final : public com::AutoObject<AddInDesignerObjects::IDTExtensibility2> {
 public:
  explicit TMyOutLookAddIn(std::shared_ptr<const com::AutoClass> cls);
  ~TMyOutLookAddIn() override;

  // IDTExtensibility2
  com::HRESULT OnConnection(com::IDispatch* Application, AddInDesignerObjects::ext_ConnectMode ConnectMode,
                            com::IDispatch* AddInInst, com::SAFEARRAY** custom) override;
  com::HRESULT OnDisconnection(AddInDesignerObjects::ext_DisconnectMode RemoveMode, com::SAFEARRAY** custom) override;
  com::HRESULT OnAddInsUpdate(com::SAFEARRAY** custom) override;
  com::HRESULT OnStartupComplete(com::SAFEARRAY** custom) override;
  com::HRESULT OnBeginShutdown(com::SAFEARRAY** custom) override;

  // Click handlers of the toolbar and menu entries.
  void ValidateClick(Office::_CommandBarButton* Ctrl, com::VARIANT_BOOL& CancelDefault);
  void SwitchCellClick(Office::_CommandBarButton* Ctrl, com::VARIANT_BOOL& CancelDefault);
  void PrintBaseTableClick(Office::_CommandBarButton* Ctrl, com::VARIANT_BOOL& CancelDefault);
  void ShowIndicatorClick(Office::_CommandBarButton* Ctrl, com::VARIANT_BOOL& CancelDefault);
  void SchoolInfoClick(Office::_CommandBarButton* Ctrl, com::VARIANT_BOOL& CancelDefault);
  void AboutClick(Office::_CommandBarButton* Ctrl, com::VARIANT_BOOL& CancelDefault);
  void ProductInfoClick(Office::_CommandBarButton* Ctrl, com::VARIANT_BOOL& CancelDefault);

  // The dialog loader: loads library (GBK file name), calls its export with
  // the form name, frees it again.
  void RunDllForm(const std::string& library, const std::string& form, const std::string& export_name);

  // The worksheet commands.
  void ValidateWorkbook();
  void SwitchCell(int start);
  void PrintBaseTable();
  void ShowIndicator();
  // Their steps (tools/): the entry of F40 for a counter; the print command
  // with its notes; the indicator lookup for FSheetCode, FIndicatorCode.
  std::string GetSwitchEntry(int index);
  void PrintJiBiao();
  void WriteJiBiao1Notes();
  void WriteJiBiao2Notes();
  void WriteJiBiao3Notes();
  std::string ReadNoteValue(int worksheet, int row, int column);
  std::string FindIndicatorNumber();
  void LoadIndicatorExplanation();

  // The sink created last while building (the one of the last menu entry).
  TCommandbarbutton* ButtonSink() const { return FButtonSink; }

 private:
  using Handler = void (TMyOutLookAddIn::*)(Office::_CommandBarButton*, com::VARIANT_BOOL&);
  struct Entry;
  void BuildToolbarAndMenu();
  void AddButton(Office::CommandBarControls* controls, const Entry& entry);

  std::string FSheetCode;
  std::string FIndicatorCode;
  TCommandbarbutton* FButtonSink = nullptr;
  // Every sink this object created; destroyed with the object, so that no
  // click reaches it once it is gone.
  std::vector<std::unique_ptr<TCommandbarbutton>> FSinks;
};

}  // namespace velmora
