// The click handlers: a worksheet command or a dialog each. The clicked
// button and the cancel flag are not used.
#include "my_outlook_addin.h"

namespace velmora {

void TMyOutLookAddIn::ValidateClick(Office::_CommandBarButton*, com::VARIANT_BOOL&) { ValidateWorkbook(); }
void TMyOutLookAddIn::SwitchCellClick(Office::_CommandBarButton*, com::VARIANT_BOOL&) { SwitchCell(0); }
void TMyOutLookAddIn::PrintBaseTableClick(Office::_CommandBarButton*, com::VARIANT_BOOL&) { PrintBaseTable(); }
void TMyOutLookAddIn::ShowIndicatorClick(Office::_CommandBarButton*, com::VARIANT_BOOL&) { ShowIndicator(); }

void TMyOutLookAddIn::SchoolInfoClick(Office::_CommandBarButton*, com::VARIANT_BOOL&) {
  RunDllForm("velmora.dll", "xxinfo", "showform");
}
void TMyOutLookAddIn::AboutClick(Office::_CommandBarButton*, com::VARIANT_BOOL&) {
  RunDllForm("velmora.dll", "about", "showform");
}
void TMyOutLookAddIn::ProductInfoClick(Office::_CommandBarButton*, com::VARIANT_BOOL&) {
  RunDllForm("velmora.dll", "FrmZDYBBCX", "showform");
}

}  // namespace velmora
