#pragma once
// Type information: ITypeLib (a type library) and ITypeInfo (one type of it:
// an interface, a dispatch interface, a coclass or an enum), in the platform's
// slot order, with the descriptor structures they hand out; loading and
// registering type libraries; and the generic IDispatch over type information
// (DispGetIDsOfNames, DispInvoke) that an object with a dual interface uses
// so that it declares its interface only once.
//
// A type library is compiled at build time from its source (see
// platform/com/README.md) and embedded into its shared library as resource
// "TYPELIB" 1; LoadTypeLib(path of that library) reads it back.
#include <string>

#include "com/dispatch.h"
#include "com/unknown.h"

namespace com {

class ITypeLib;
class ITypeComp;  // not provided: GetTypeComp answers E_NOTIMPL

enum TYPEKIND : int {
  TKIND_ENUM = 0,
  TKIND_RECORD,
  TKIND_MODULE,
  TKIND_INTERFACE,
  TKIND_DISPATCH,
  TKIND_COCLASS,
  TKIND_ALIAS,
  TKIND_UNION,
};
enum SYSKIND : int { SYS_WIN16 = 0, SYS_WIN32, SYS_MAC, SYS_WIN64 };
enum FUNCKIND : int { FUNC_VIRTUAL = 0, FUNC_PUREVIRTUAL, FUNC_NONVIRTUAL, FUNC_STATIC, FUNC_DISPATCH };
enum INVOKEKIND : int { INVOKE_FUNC = 1, INVOKE_PROPERTYGET = 2, INVOKE_PROPERTYPUT = 4, INVOKE_PROPERTYPUTREF = 8 };
enum CALLCONV : int { CC_FASTCALL = 0, CC_CDECL = 1, CC_PASCAL = 2, CC_MACPASCAL = 3, CC_STDCALL = 4 };
enum VARKIND : int { VAR_PERINSTANCE = 0, VAR_STATIC, VAR_CONST, VAR_DISPATCH };
enum REGKIND : int { REGKIND_DEFAULT = 0, REGKIND_REGISTER, REGKIND_NONE };

using HREFTYPE = DWORD;

inline constexpr WORD TYPEFLAG_FAPPOBJECT = 0x1;
inline constexpr WORD TYPEFLAG_FCANCREATE = 0x2;
inline constexpr WORD TYPEFLAG_FLICENSED = 0x4;
inline constexpr WORD TYPEFLAG_FPREDECLID = 0x8;
inline constexpr WORD TYPEFLAG_FHIDDEN = 0x10;
inline constexpr WORD TYPEFLAG_FCONTROL = 0x20;
inline constexpr WORD TYPEFLAG_FDUAL = 0x40;
inline constexpr WORD TYPEFLAG_FNONEXTENSIBLE = 0x80;
inline constexpr WORD TYPEFLAG_FOLEAUTOMATION = 0x100;
inline constexpr WORD TYPEFLAG_FRESTRICTED = 0x200;
inline constexpr WORD TYPEFLAG_FAGGREGATABLE = 0x400;
inline constexpr WORD TYPEFLAG_FREPLACEABLE = 0x800;
inline constexpr WORD TYPEFLAG_FDISPATCHABLE = 0x1000;

inline constexpr int IMPLTYPEFLAG_FDEFAULT = 0x1;
inline constexpr int IMPLTYPEFLAG_FSOURCE = 0x2;
inline constexpr int IMPLTYPEFLAG_FRESTRICTED = 0x4;

inline constexpr USHORT PARAMFLAG_NONE = 0x0;
inline constexpr USHORT PARAMFLAG_FIN = 0x1;
inline constexpr USHORT PARAMFLAG_FOUT = 0x2;
inline constexpr USHORT PARAMFLAG_FLCID = 0x4;
inline constexpr USHORT PARAMFLAG_FRETVAL = 0x8;
inline constexpr USHORT PARAMFLAG_FOPT = 0x10;
inline constexpr USHORT PARAMFLAG_FHASDEFAULT = 0x20;

inline constexpr WORD FUNCFLAG_FRESTRICTED = 0x1;
inline constexpr WORD FUNCFLAG_FSOURCE = 0x2;
inline constexpr WORD FUNCFLAG_FHIDDEN = 0x40;

inline constexpr WORD LIBFLAG_FRESTRICTED = 0x1;
inline constexpr WORD LIBFLAG_FCONTROL = 0x2;
inline constexpr WORD LIBFLAG_FHIDDEN = 0x4;

inline constexpr MEMBERID MEMBERID_NIL = -1;

struct TYPEDESC {
  union {
    TYPEDESC* lptdesc;  // VT_PTR, VT_SAFEARRAY: the pointed-to / element type
    HREFTYPE hreftype;  // VT_USERDEFINED: for GetRefTypeInfo
  };
  VARTYPE vt;
};

struct PARAMDESCEX {
  ULONG cBytes;
  VARIANT varDefaultValue;
};

struct PARAMDESC {
  PARAMDESCEX* pparamdescex;  // set with PARAMFLAG_FHASDEFAULT
  USHORT wParamFlags;
};

struct ELEMDESC {
  TYPEDESC tdesc;
  PARAMDESC paramdesc;
};

struct FUNCDESC {
  MEMBERID memid;
  SCODE* lprgscode;
  ELEMDESC* lprgelemdescParam;
  FUNCKIND funckind;
  INVOKEKIND invkind;
  CALLCONV callconv;
  short cParams;
  short cParamsOpt;
  short oVft;  // byte offset of the vtable slot
  short cScodes;
  ELEMDESC elemdescFunc;
  WORD wFuncFlags;
};

struct VARDESC {
  MEMBERID memid;
  OLECHAR* lpstrSchema;
  union {
    ULONG oInst;
    VARIANT* lpvarValue;  // VAR_CONST: the constant of an enum
  };
  ELEMDESC elemdescVar;
  WORD wVarFlags;
  VARKIND varkind;
};

struct IDLDESC {
  std::uintptr_t dwReserved;
  USHORT wIDLFlags;
};

struct TYPEATTR {
  GUID guid;
  LCID lcid;
  DWORD dwReserved;
  MEMBERID memidConstructor;
  MEMBERID memidDestructor;
  OLECHAR* lpstrSchema;
  ULONG cbSizeInstance;
  TYPEKIND typekind;
  WORD cFuncs;
  WORD cVars;
  WORD cImplTypes;
  WORD cbSizeVft;
  WORD cbAlignment;
  WORD wTypeFlags;
  WORD wMajorVerNum;
  WORD wMinorVerNum;
  TYPEDESC tdescAlias;
  IDLDESC idldescType;
};

struct TLIBATTR {
  GUID guid;
  LCID lcid;
  SYSKIND syskind;
  WORD wMajorVerNum;
  WORD wMinorVerNum;
  WORD wLibFlags;
};

class ITypeInfo : public IUnknown {
 public:
  static constexpr IID iid = MakeGuid("{00020401-0000-0000-C000-000000000046}");
  using Base = IUnknown;
  virtual HRESULT GetTypeAttr(TYPEATTR** attr) = 0;
  virtual HRESULT GetTypeComp(ITypeComp** comp) = 0;
  virtual HRESULT GetFuncDesc(unsigned index, FUNCDESC** desc) = 0;
  virtual HRESULT GetVarDesc(unsigned index, VARDESC** desc) = 0;
  // names[0] is the member's name, then its parameters' names.
  virtual HRESULT GetNames(MEMBERID id, BSTR* names, unsigned max, unsigned* count) = 0;
  virtual HRESULT GetRefTypeOfImplType(unsigned index, HREFTYPE* ref) = 0;
  virtual HRESULT GetImplTypeFlags(unsigned index, int* flags) = 0;
  virtual HRESULT GetIDsOfNames(OLECHAR** names, unsigned count, MEMBERID* ids) = 0;
  virtual HRESULT Invoke(void* instance, MEMBERID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                         EXCEPINFO* excep_info, unsigned* arg_err) = 0;
  // MEMBERID_NIL documents the type itself. Any out pointer may be null.
  virtual HRESULT GetDocumentation(MEMBERID id, BSTR* name, BSTR* doc, DWORD* help_context, BSTR* help_file) = 0;
  virtual HRESULT GetDllEntry(MEMBERID id, INVOKEKIND kind, BSTR* dll, BSTR* name, WORD* ordinal) = 0;
  virtual HRESULT GetRefTypeInfo(HREFTYPE ref, ITypeInfo** info) = 0;
  virtual HRESULT AddressOfMember(MEMBERID id, INVOKEKIND kind, void** address) = 0;
  virtual HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) = 0;
  virtual HRESULT GetMops(MEMBERID id, BSTR* mops) = 0;
  virtual HRESULT GetContainingTypeLib(ITypeLib** lib, unsigned* index) = 0;
  virtual void ReleaseTypeAttr(TYPEATTR* attr) = 0;
  virtual void ReleaseFuncDesc(FUNCDESC* desc) = 0;
  virtual void ReleaseVarDesc(VARDESC* desc) = 0;

 protected:
  ~ITypeInfo() = default;
};

class ITypeLib : public IUnknown {
 public:
  static constexpr IID iid = MakeGuid("{00020402-0000-0000-C000-000000000046}");
  using Base = IUnknown;
  virtual unsigned GetTypeInfoCount() = 0;
  virtual HRESULT GetTypeInfo(unsigned index, ITypeInfo** info) = 0;
  virtual HRESULT GetTypeInfoType(unsigned index, TYPEKIND* kind) = 0;
  virtual HRESULT GetTypeInfoOfGuid(REFGUID guid, ITypeInfo** info) = 0;
  virtual HRESULT GetLibAttr(TLIBATTR** attr) = 0;
  virtual HRESULT GetTypeComp(ITypeComp** comp) = 0;
  // index -1 documents the library itself.
  virtual HRESULT GetDocumentation(int index, BSTR* name, BSTR* doc, DWORD* help_context, BSTR* help_file) = 0;
  virtual HRESULT IsName(OLECHAR* name, ULONG hash, int* found) = 0;
  virtual HRESULT FindName(OLECHAR* name, ULONG hash, ITypeInfo** infos, MEMBERID* ids, USHORT* found) = 0;
  virtual void ReleaseTLibAttr(TLIBATTR* attr) = 0;

 protected:
  ~ITypeLib() = default;
};

// IProvideClassInfo: the coclass type information of an object.
class IProvideClassInfo : public IUnknown {
 public:
  static constexpr IID iid = MakeGuid("{B196B283-BAB4-101A-B69C-00AA00341D07}");
  using Base = IUnknown;
  virtual HRESULT GetClassInfo(ITypeInfo** info) = 0;

 protected:
  ~IProvideClassInfo() = default;
};

// The proxy/stub class registered for automation interfaces.
inline constexpr CLSID CLSID_PSOAInterface = MakeGuid("{00020424-0000-0000-C000-000000000046}");

// Loads the type library of a file: a shared library carrying resource
// "TYPELIB" 1, or a compiled type library file. The path is the system's
// (GBK, "\" or "/"); a bare file name is looked for among the loaded
// libraries and beside the executable. TYPE_E_CANTLOADLIBRARY when the file
// is missing or carries no type library, TYPE_E_UNSUPFORMAT for a resource
// that is not a type library, TYPE_E_INVDATAREAD for a damaged one.
HRESULT LoadTypeLib(const OLECHAR* file, ITypeLib** lib);
HRESULT LoadTypeLibEx(const OLECHAR* file, REGKIND kind, ITypeLib** lib);
HRESULT LoadTypeLibFromFile(const std::string& ansi_path, ITypeLib** lib);
// From the compiled bytes themselves (as the compiler writes them).
HRESULT LoadTypeLibFromMemory(const void* data, std::size_t size, ITypeLib** lib);
// Through the registration TypeLib\{LIBID}\major.minor\locale\win32: the
// registered version with that major number and at least that minor number;
// locale lcid, then its primary language, then neutral (0).
// TYPE_E_LIBNOTREGISTERED when there is none.
HRESULT LoadRegTypeLib(REFGUID libid, WORD major, WORD minor, LCID lcid, ITypeLib** lib);
// Writes TypeLib\{LIBID}\major.minor (name), \locale\win32 (full_path),
// \FLAGS, \HELPDIR (help_dir or the folder of full_path), and
// Interface\{IID} for each interface and dispatch interface of the library.
HRESULT RegisterTypeLib(ITypeLib* lib, const OLECHAR* full_path, const OLECHAR* help_dir);
// Removes what RegisterTypeLib wrote for that version and locale (the
// interface keys of the library, then the version key, and the LIBID key
// when no other version is left).
HRESULT UnRegisterTypeLib(REFGUID libid, WORD major, WORD minor, LCID lcid, SYSKIND syskind);

// IDispatch::GetIDsOfNames over type information: names[0] is a member name
// (letter case ignored), further names its parameters (their positions).
HRESULT DispGetIDsOfNames(ITypeInfo* info, OLECHAR** names, unsigned count, DISPID* ids);
// IDispatch::Invoke over type information: finds the member, coerces each
// argument to its declared type with VariantChangeType, calls the vtable slot
// of instance (a pointer to the interface that info describes) and returns
// the retval in result. A member that fails leaves its HRESULT in
// excep_info->scode with the error information's source and description
// (which stay set for GetErrorInfo) and returns DISP_E_EXCEPTION; without
// excep_info the failure HRESULT itself is returned.
HRESULT DispInvoke(void* instance, ITypeInfo* info, DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* excep_info, unsigned* arg_err);

}  // namespace com
