// A tiny library for the loader's tests. Built several times: with a DllMain
// that accepts (DLLMAIN_RESULT 1) or refuses (0) to initialise. DllMain
// reports every call to the test program's hook, when the program has one.
#include <dlfcn.h>

extern "C" {

__attribute__((visibility("default"))) int velmora_test_value() { return 42; }

__attribute__((visibility("default"))) int DllMain(void* module, unsigned reason,
                                                   void* /*reserved*/) {
  using Hook = void (*)(const char* library, void* module, unsigned reason);
  if (auto hook = reinterpret_cast<Hook>(dlsym(RTLD_DEFAULT, "velmora_test_dllmain_hook"))) {
    hook(LIBRARY_NAME, module, reason);
  }
  return DLLMAIN_RESULT;
}

}  // extern "C"
