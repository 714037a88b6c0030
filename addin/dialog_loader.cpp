// RunDllForm: every dialog is opened through the library's own export
// "showform", reached by loading the library by its file name (which yields
// the library already loaded, its load count raised by one and dropped again).
#include <exception>
#include <stdexcept>

#include "form_dispatch.h"
#include "module_values.h"
#include "my_outlook_addin.h"
#include "platform/win/library_loader.h"
#include "platform/win/message_box.h"

namespace velmora {

namespace {

// One load of a library, freed however the call ends.
class LoadedLibrary {
 public:
  explicit LoadedLibrary(const std::string& file_name) : handle_(win::LoadLibrary(file_name)) {}
  ~LoadedLibrary() {
    if (handle_) win::FreeLibrary(handle_);
  }
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;
  win::HMODULE Handle() const { return handle_; }

 private:
  win::HMODULE handle_;
};

}  // namespace

void TMyOutLookAddIn::RunDllForm(const std::string& library, const std::string& form, const std::string& export_name) {
  LoadedLibrary loaded(library);
  if (!loaded.Handle()) {
    win::MessageBox(Gbk("没有找到") + library + Gbk("DLL文件！"), Gbk("加载DLL失败"), win::MB_OK);
    return;
  }
  auto show = reinterpret_cast<ShowFormProc>(win::GetProcAddress(loaded.Handle(), export_name));
  if (!show) return;
  try {
    show(form.c_str());  // its result is not looked at
  } catch (const std::exception& error) {
    ShowErrorText(error);
  } catch (...) {
    ShowErrorText(std::runtime_error("unknown error"));
  }
}

}  // namespace velmora
