// The library loader over the dynamic linker (dlopen and friends). The loader
// keeps its own table of the libraries loaded through it, with a load count
// per library, so that a library stays loaded until every LoadLibrary has its
// FreeLibrary and DllMain sees attach and detach exactly once per stay.
#include "library_loader.h"

#include <dlfcn.h>
#include <elf.h>
#include <link.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "code_page.h"
#include "last_error.h"
#include "path.h"

namespace win {
namespace {

struct Module {
  std::string path;  // UTF-8, absolute
  int count = 0;
  DllMainProc dll_main = nullptr;
};

// The table lives as long as the process (it is never destroyed), so that a
// FreeLibrary from another library's static destructor still finds it.
struct Loader {
  std::recursive_mutex mutex;
  std::map<HMODULE, Module> modules;
};

Loader& TheLoader() {
  static Loader* loader = new Loader;
  return *loader;
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

std::string BaseName(std::string_view path) {
  std::size_t slash = path.rfind('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string DirName(std::string_view path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash));
}

std::string CurrentDirectory() {
  std::vector<char> buffer(PATH_MAX);
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return {};
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

std::string Absolute(const std::string& path) {
  if (path.empty() || path.front() == '/') return path;
  std::string cwd = CurrentDirectory();
  return cwd.empty() ? path : cwd + "/" + path;
}

std::string ExecutablePath() {
  std::vector<char> buffer(PATH_MAX);
  for (;;) {
    ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return {};
    if (static_cast<std::size_t>(n) < buffer.size()) return std::string(buffer.data(), n);
    buffer.resize(buffer.size() * 2);
  }
}

link_map* LinkMapOf(HMODULE module) {
  link_map* map = nullptr;
  if (::dlinfo(module, RTLD_DI_LINKMAP, &map) != 0) return nullptr;
  return map;
}

// The object's DT_SONAME, or empty.
std::string SonameOf(const dl_phdr_info& info) {
  for (int i = 0; i < info.dlpi_phnum; ++i) {
    const ElfW(Phdr)& header = info.dlpi_phdr[i];
    if (header.p_type != PT_DYNAMIC) continue;
    const auto* entry = reinterpret_cast<const ElfW(Dyn)*>(
        info.dlpi_addr + header.p_vaddr);  // NOLINT(performance-no-int-to-ptr)
    ElfW(Addr) strings = 0;
    std::optional<ElfW(Xword)> soname;
    for (; entry->d_tag != DT_NULL; ++entry) {
      if (entry->d_tag == DT_STRTAB) strings = entry->d_un.d_ptr;
      if (entry->d_tag == DT_SONAME) soname = entry->d_un.d_val;
    }
    if (strings == 0 || !soname) return {};
    // The dynamic linker relocates these entries in place, except in objects
    // it did not relocate itself (the vDSO); those still hold link-time values.
    if (strings < info.dlpi_addr) strings += info.dlpi_addr;
    return reinterpret_cast<const char*>(strings + *soname);  // NOLINT(performance-no-int-to-ptr)
  }
  return {};
}

struct LoadedObject {
  std::string path;
  std::string soname;
};

std::vector<LoadedObject> LoadedObjects() {
  std::vector<LoadedObject> objects;
  ::dl_iterate_phdr(
      [](dl_phdr_info* info, std::size_t, void* data) {
        if (info->dlpi_name != nullptr && info->dlpi_name[0] != '\0') {
          static_cast<std::vector<LoadedObject>*>(data)->push_back(
              {info->dlpi_name, SonameOf(*info)});
        }
        return 0;
      },
      &objects);
  return objects;
}

// The names a bare name stands for: itself, and with ".dll" when it has no ".".
std::vector<std::string> CandidateNames(const std::string& bare) {
  std::vector<std::string> names{bare};
  if (bare.find('.') == std::string::npos) names.push_back(bare + ".dll");
  return names;
}

// Path of an already loaded library whose file name or soname is one of names.
std::optional<std::string> FindLoaded(const std::vector<std::string>& names) {
  for (const LoadedObject& object : LoadedObjects()) {
    for (const std::string& name : names) {
      if (EqualsIgnoringAsciiCase(BaseName(object.path), name) ||
          (!object.soname.empty() && EqualsIgnoringAsciiCase(object.soname, name))) {
        return object.path;
      }
    }
  }
  return std::nullopt;
}

std::string LoaderDirectory() {
  Dl_info info{};
  if (::dladdr(reinterpret_cast<const void*>(&LoaderDirectory), &info) == 0 ||
      info.dli_fname == nullptr) {
    return {};
  }
  return DirName(Absolute(info.dli_fname));
}

bool IsFile(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

// What to hand to dlopen for the name (UTF-8, "/"-separated).
std::string Resolve(const std::string& name) {
  if (name.find('/') != std::string::npos) return Absolute(name);
  const std::vector<std::string> names = CandidateNames(name);
  if (auto loaded = FindLoaded(names)) return *loaded;
  for (const std::string& dir :
       {DirName(ExecutablePath()), LoaderDirectory(), CurrentDirectory()}) {
    if (dir.empty()) continue;
    for (const std::string& candidate : names) {
      std::string path = dir;
      path += '/';
      path += candidate;
      if (IsFile(path)) return path;
    }
  }
  return name;  // the dynamic linker's own search path
}

// The export of the module itself, not of a library it depends on.
void* OwnExport(HMODULE module, const std::string& name) {
  ::dlerror();
  void* symbol = ::dlsym(module, name.c_str());
  if (symbol == nullptr) return nullptr;
  Dl_info info{};
  link_map* owner = nullptr;
  if (::dladdr1(symbol, &info, reinterpret_cast<void**>(&owner), RTLD_DL_LINKMAP) == 0)
    return nullptr;
  return owner == LinkMapOf(module) ? symbol : nullptr;
}

// True for a handle of a library the process has loaded, whether or not
// through this loader. Never dereferences an unknown pointer.
bool IsLiveHandle(HMODULE module) {
  if (module == nullptr) return false;
  if (TheLoader().modules.count(module) != 0) return true;
  for (const LoadedObject& object : LoadedObjects()) {
    void* handle = ::dlopen(object.path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
    if (handle == nullptr) continue;
    ::dlclose(handle);
    if (handle == module) return true;
  }
  return false;
}

int CallDllMain(DllMainProc dll_main, HMODULE module, unsigned reason) {
  try {
    return dll_main(module, reason, nullptr);
  } catch (...) {
    return 0;
  }
}

std::string ToAnsiPath(const std::string& path) { return FromSystemPath(path); }

}  // namespace

HMODULE LoadLibrary(const std::string& file_name) {
  if (file_name.empty()) {
    SetLastError(ERROR_MOD_NOT_FOUND, "empty library name");
    return nullptr;
  }
  Loader& loader = TheLoader();
  std::lock_guard lock(loader.mutex);
  const std::string path = Resolve(ToSystemPath(file_name));
  HMODULE module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) {
    const char* error = ::dlerror();
    SetLastError(ERROR_MOD_NOT_FOUND, error != nullptr ? error : "cannot load " + path);
    return nullptr;
  }
  if (auto found = loader.modules.find(module); found != loader.modules.end()) {
    ++found->second.count;
    ::dlclose(module);  // the table holds one reference of the dynamic linker per library
    SetLastError(ERROR_SUCCESS);
    return module;
  }
  Module entry;
  link_map* map = LinkMapOf(module);
  entry.path =
      Absolute(map != nullptr && map->l_name != nullptr && map->l_name[0] ? map->l_name : path);
  entry.count = 1;
  entry.dll_main = reinterpret_cast<DllMainProc>(OwnExport(module, "DllMain"));
  const DllMainProc dll_main = entry.dll_main;
  loader.modules.emplace(module, std::move(entry));
  if (dll_main != nullptr && CallDllMain(dll_main, module, DLL_PROCESS_ATTACH) == 0) {
    CallDllMain(dll_main, module, DLL_PROCESS_DETACH);
    loader.modules.erase(module);
    ::dlclose(module);
    SetLastError(ERROR_DLL_INIT_FAILED,
                 "DllMain of " + path + " refused to initialise the library");
    return nullptr;
  }
  SetLastError(ERROR_SUCCESS);
  return module;
}

void* GetProcAddress(HMODULE module, const std::string& export_name) {
  Loader& loader = TheLoader();
  std::lock_guard lock(loader.mutex);
  if (!IsLiveHandle(module)) {
    SetLastError(ERROR_INVALID_HANDLE, "not a loaded library");
    return nullptr;
  }
  void* symbol = export_name.empty() ? nullptr : OwnExport(module, export_name);
  if (symbol == nullptr) {
    SetLastError(ERROR_PROC_NOT_FOUND, "no export " + export_name);
    return nullptr;
  }
  SetLastError(ERROR_SUCCESS);
  return symbol;
}

bool FreeLibrary(HMODULE module) {
  Loader& loader = TheLoader();
  std::lock_guard lock(loader.mutex);
  auto found = loader.modules.find(module);
  if (found == loader.modules.end()) {
    SetLastError(ERROR_INVALID_HANDLE, "the library is not loaded");
    return false;
  }
  if (--found->second.count == 0) {
    const DllMainProc dll_main = found->second.dll_main;
    loader.modules.erase(found);
    if (dll_main != nullptr) CallDllMain(dll_main, module, DLL_PROCESS_DETACH);
    ::dlclose(module);
  }
  SetLastError(ERROR_SUCCESS);
  return true;
}

std::string GetModuleFileName(const void* address_in_module) {
  Dl_info info{};
  link_map* map = nullptr;
  if (address_in_module == nullptr ||
      ::dladdr1(address_in_module, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0) {
    return {};
  }
  if (map == nullptr || map->l_name == nullptr || map->l_name[0] == '\0')
    return ToAnsiPath(ExecutablePath());
  return ToAnsiPath(Absolute(map->l_name));
}

std::string GetModuleFileName(HMODULE module) {
  if (module == nullptr) return ToAnsiPath(ExecutablePath());
  Loader& loader = TheLoader();
  std::lock_guard lock(loader.mutex);
  if (auto found = loader.modules.find(module); found != loader.modules.end()) {
    return ToAnsiPath(found->second.path);
  }
  if (IsLiveHandle(module)) {
    link_map* map = LinkMapOf(module);
    if (map == nullptr || map->l_name == nullptr || map->l_name[0] == '\0')
      return ToAnsiPath(ExecutablePath());
    return ToAnsiPath(Absolute(map->l_name));
  }
  return GetModuleFileName(static_cast<const void*>(module));
}

HMODULE GetModuleHandle(const std::string& file_name) {
  if (file_name.empty()) return nullptr;
  const std::string name = ToSystemPath(file_name);
  std::string path;
  if (name.find('/') != std::string::npos) {
    path = Absolute(name);
  } else if (auto loaded = FindLoaded(CandidateNames(name))) {
    path = *loaded;
  } else {
    return nullptr;
  }
  HMODULE module = ::dlopen(path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
  if (module != nullptr) ::dlclose(module);
  return module;
}

int LoadCount(HMODULE module) {
  Loader& loader = TheLoader();
  std::lock_guard lock(loader.mutex);
  auto found = loader.modules.find(module);
  return found == loader.modules.end() ? 0 : found->second.count;
}

}  // namespace win
