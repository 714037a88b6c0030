#pragma once
// Apartments and the creation of objects of in-process servers.
//
// A thread that uses COM objects calls CoInitialize first and CoUninitialize
// last; it is then a single-threaded apartment (the only kind offered).
// CoCreateInstance finds a class in the registry (CLSID\{clsid}\InprocServer32,
// the library's full path), loads the library with the system's loader (whose
// DllMain may refuse: the library's initialisation failure), asks its export
// DllGetClassObject for the class factory and has it create the object.
// CoFreeUnusedLibraries unloads every server whose DllCanUnloadNow says S_OK.
//
//   com::ComPtr<com::IDispatch> adder;
//   hr = com::CreateInstanceByName(u"Velmadd.Class1", com::IDispatch::iid, adder.PutVoid());
#include <string>
#include <string_view>

#include "com/guid.h"
#include "com/unknown.h"

namespace com {

inline constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
inline constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
inline constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
inline constexpr DWORD CLSCTX_REMOTE_SERVER = 0x10;
inline constexpr DWORD CLSCTX_SERVER = CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;
inline constexpr DWORD CLSCTX_ALL = CLSCTX_SERVER | CLSCTX_INPROC_HANDLER;

inline constexpr DWORD COINIT_MULTITHREADED = 0x0;
inline constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;

// S_OK the first time on a thread, S_FALSE again (each call wants its
// CoUninitialize). COINIT_MULTITHREADED is refused: RPC_E_CHANGED_MODE when
// the thread is an apartment already, E_NOTIMPL otherwise.
HRESULT CoInitialize(void* reserved);
HRESULT CoInitializeEx(void* reserved, DWORD coinit);
// Ends one CoInitialize; the last one frees the unused libraries.
void CoUninitialize();
bool IsApartmentThread();

// S_OK; CO_E_CLASSSTRING when the ProgID is not registered (or malformed).
HRESULT CLSIDFromProgID(const OLECHAR* progid, CLSID* clsid);
// The ProgID in memory from CoTaskMemAlloc; REGDB_E_CLASSNOTREG when none.
HRESULT ProgIDFromCLSID(REFCLSID clsid, OLECHAR** progid);
void* CoTaskMemAlloc(std::size_t size);
void CoTaskMemFree(void* p);

// CO_E_NOTINITIALIZED outside an apartment; REGDB_E_CLASSNOTREG when the
// class has no InprocServer32; HResultFromWin32(ERROR_MOD_NOT_FOUND) when the
// library cannot be loaded, HResultFromWin32(ERROR_DLL_INIT_FAILED) when it
// refuses to initialise, CO_E_ERRORINDLL when it has no DllGetClassObject;
// else what DllGetClassObject answers. Failures leave error information.
HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void* server_info, REFIID riid, void** object);
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid, void** object);
// By "{CLSID}" or ProgID.
HRESULT CreateInstanceByName(std::u16string_view name, REFIID riid, void** object);
void CoFreeUnusedLibraries();
// How many server libraries CoCreateInstance has loaded and not yet freed.
std::size_t LoadedServerCount();

}  // namespace com
