// The click handlers: a worksheet command or a dialog each. The clicked
// button and the cancel flag are not used.
#include "click_observer.h"
#include "my_outlook_addin.h"

namespace velmora {

void TMyOutLookAddIn::ValidateClick(Office::_CommandBarButton*, com::VARIANT_BOOL&) {
  NotifyClick("ValidateClick");
  ValidateWorkbook();
}

void TMyOutLookAddIn::SwitchCellClick(Office::_CommandBarButton*, com::VARIANT_BOOL&) {
  NotifyClick("SwitchCellClick");
  SwitchCell(0);
}

void TMyOutLookAddIn::PrintBaseTableClick(Office::_CommandBarButton*, com::VARIANT_BOOL&) {
  NotifyClick("PrintBaseTableClick");
  PrintBaseTable();
}

void TMyOutLookAddIn::ShowIndicatorClick(Office::_CommandBarButton*, com::VARIANT_BOOL&) {
  NotifyClick("ShowIndicatorClick");
  ShowIndicator();
}

void TMyOutLookAddIn::SchoolInfoClick(Office::_CommandBarButton*, com::VARIANT_BOOL&) {
  NotifyClick("SchoolInfoClick");
  RunDllForm("velmora.dll", "xxinfo", "showform");
}

void TMyOutLookAddIn::AboutClick(Office::_CommandBarButton*, com::VARIANT_BOOL&) {
  NotifyClick("AboutClick");
  RunDllForm("velmora.dll", "about", "showform");
}

void TMyOutLookAddIn::ProductInfoClick(Office::_CommandBarButton*, com::VARIANT_BOOL&) {
  NotifyClick("ProductInfoClick");
  RunDllForm("velmora.dll", "FrmZDYBBCX", "showform");
}

}  // namespace velmora
