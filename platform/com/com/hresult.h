#pragma once
// HRESULT: the 32-bit result of every COM call. Negative means failure.
// The values are the platform's own, so that they can be compared with what
// clients and documentation expect.
#include <string>

#include "com/types.h"

namespace com {

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }
constexpr HRESULT MakeHResult(std::uint32_t value) { return static_cast<HRESULT>(value); }
// A Win32 error code as an HRESULT (facility 7).
constexpr HRESULT HResultFromWin32(std::uint32_t error) {
  return error == 0 ? 0 : MakeHResult((error & 0xFFFF) | 0x80070000u);
}

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;

inline constexpr HRESULT E_NOTIMPL = MakeHResult(0x80004001);
inline constexpr HRESULT E_NOINTERFACE = MakeHResult(0x80004002);
inline constexpr HRESULT E_POINTER = MakeHResult(0x80004003);
inline constexpr HRESULT E_ABORT = MakeHResult(0x80004004);
inline constexpr HRESULT E_FAIL = MakeHResult(0x80004005);
inline constexpr HRESULT E_UNEXPECTED = MakeHResult(0x8000FFFF);
inline constexpr HRESULT E_ACCESSDENIED = MakeHResult(0x80070005);
inline constexpr HRESULT E_OUTOFMEMORY = MakeHResult(0x8007000E);
inline constexpr HRESULT E_INVALIDARG = MakeHResult(0x80070057);

inline constexpr std::uint32_t ERROR_FILE_NOT_FOUND = 2;
inline constexpr std::uint32_t ERROR_MOD_NOT_FOUND = 126;
inline constexpr std::uint32_t ERROR_PROC_NOT_FOUND = 127;
inline constexpr std::uint32_t ERROR_BADDB = 1009;
inline constexpr std::uint32_t ERROR_CANTWRITE = 1013;
inline constexpr std::uint32_t ERROR_DLL_INIT_FAILED = 1114;

inline constexpr HRESULT RPC_E_CHANGED_MODE = MakeHResult(0x80010106);
inline constexpr HRESULT RPC_E_WRONG_THREAD = MakeHResult(0x8001010E);

inline constexpr HRESULT DISP_E_UNKNOWNINTERFACE = MakeHResult(0x80020001);
inline constexpr HRESULT DISP_E_MEMBERNOTFOUND = MakeHResult(0x80020003);
inline constexpr HRESULT DISP_E_PARAMNOTFOUND = MakeHResult(0x80020004);
inline constexpr HRESULT DISP_E_TYPEMISMATCH = MakeHResult(0x80020005);
inline constexpr HRESULT DISP_E_UNKNOWNNAME = MakeHResult(0x80020006);
inline constexpr HRESULT DISP_E_NONAMEDARGS = MakeHResult(0x80020007);
inline constexpr HRESULT DISP_E_BADVARTYPE = MakeHResult(0x80020008);
inline constexpr HRESULT DISP_E_EXCEPTION = MakeHResult(0x80020009);
inline constexpr HRESULT DISP_E_OVERFLOW = MakeHResult(0x8002000A);
inline constexpr HRESULT DISP_E_BADINDEX = MakeHResult(0x8002000B);
inline constexpr HRESULT DISP_E_ARRAYISLOCKED = MakeHResult(0x8002000D);
inline constexpr HRESULT DISP_E_BADPARAMCOUNT = MakeHResult(0x8002000E);
inline constexpr HRESULT DISP_E_PARAMNOTOPTIONAL = MakeHResult(0x8002000F);
inline constexpr HRESULT DISP_E_NOTACOLLECTION = MakeHResult(0x80020011);
inline constexpr HRESULT DISP_E_DIVBYZERO = MakeHResult(0x80020012);

inline constexpr HRESULT TYPE_E_INVDATAREAD = MakeHResult(0x80028018);
inline constexpr HRESULT TYPE_E_UNSUPFORMAT = MakeHResult(0x80028019);
inline constexpr HRESULT TYPE_E_REGISTRYACCESS = MakeHResult(0x8002801C);
inline constexpr HRESULT TYPE_E_LIBNOTREGISTERED = MakeHResult(0x8002801D);
inline constexpr HRESULT TYPE_E_WRONGTYPEKIND = MakeHResult(0x8002802A);
inline constexpr HRESULT TYPE_E_ELEMENTNOTFOUND = MakeHResult(0x8002802B);
inline constexpr HRESULT TYPE_E_TYPEMISMATCH = MakeHResult(0x80028CA0);
inline constexpr HRESULT TYPE_E_OUTOFBOUNDS = MakeHResult(0x80028CA1);
inline constexpr HRESULT TYPE_E_IOERROR = MakeHResult(0x80028CA2);
inline constexpr HRESULT TYPE_E_CANTLOADLIBRARY = MakeHResult(0x80029C4A);
inline constexpr HRESULT TYPE_E_BADMODULEKIND = MakeHResult(0x800288BD);

inline constexpr HRESULT CLASS_E_NOAGGREGATION = MakeHResult(0x80040110);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = MakeHResult(0x80040111);
inline constexpr HRESULT REGDB_E_READREGDB = MakeHResult(0x80040150);
inline constexpr HRESULT REGDB_E_WRITEREGDB = MakeHResult(0x80040151);
inline constexpr HRESULT REGDB_E_KEYMISSING = MakeHResult(0x80040152);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = MakeHResult(0x80040154);
inline constexpr HRESULT REGDB_E_IIDNOTREG = MakeHResult(0x80040155);
inline constexpr HRESULT CONNECT_E_NOCONNECTION = MakeHResult(0x80040200);
inline constexpr HRESULT CONNECT_E_ADVISELIMIT = MakeHResult(0x80040201);
inline constexpr HRESULT CONNECT_E_CANNOTCONNECT = MakeHResult(0x80040202);
inline constexpr HRESULT SELFREG_E_TYPELIB = MakeHResult(0x80040200);
inline constexpr HRESULT SELFREG_E_CLASS = MakeHResult(0x80040201);
inline constexpr HRESULT CO_E_NOTINITIALIZED = MakeHResult(0x800401F0);
inline constexpr HRESULT CO_E_CLASSSTRING = MakeHResult(0x800401F3);
inline constexpr HRESULT CO_E_DLLNOTFOUND = MakeHResult(0x800401F8);
inline constexpr HRESULT CO_E_ERRORINDLL = MakeHResult(0x800401F9);

// Automation run-time errors (facility 10, the code of the Basic error).
inline constexpr HRESULT CTL_E_OVERFLOW = MakeHResult(0x800A0006);  // run-time error 6

// The HRESULT as an English message, as a tool reports it; for a value it
// does not know, "Unknown error 0x...".
std::string HResultMessage(HRESULT hr);
// "0x80004005".
std::string HResultHex(HRESULT hr);

}  // namespace com
