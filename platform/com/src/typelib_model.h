#pragma once
// The contents of a type library as the compiler builds them and the loader
// reads them back, and their binary form (the bytes of resource "TYPELIB" 1).
//
// Binary form, little endian: "VLTB", u16 format version, u32 payload length,
// then the payload: strings as u32 length + UTF-8 bytes, lists as u32 count +
// items, in the field order of the structures below.
#include <cstdint>
#include <string>
#include <vector>

#include "com/guid.h"
#include "com/hresult.h"

namespace com::tlb {

inline constexpr char kMagic[4] = {'V', 'L', 'T', 'B'};
inline constexpr std::uint16_t kFormatVersion = 1;

// A type: a chain of VARTYPEs from the outside in, for example
// {VT_PTR, VT_I4} for "long*", {VT_PTR, VT_SAFEARRAY, VT_VARIANT} for
// "SAFEARRAY(VARIANT)*", {VT_PTR, VT_USERDEFINED} with ref for "_Class1*".
struct Type {
  std::vector<std::uint16_t> chain;
  std::int32_t ref = -1;  // index into Library::refs for VT_USERDEFINED
};

struct Param {
  std::string name;
  std::uint16_t flags = 0;  // PARAMFLAG_*
  Type type;
  // With PARAMFLAG_FHASDEFAULT: the default as VT_I4, VT_R8, VT_BOOL or VT_BSTR.
  std::uint16_t default_vt = 0;
  std::int64_t default_int = 0;
  double default_real = 0;
  std::string default_text;
};

struct Function {
  std::string name;
  std::int32_t memid = 0;
  std::uint16_t invkind = 1;  // INVOKE_*
  std::uint16_t flags = 0;    // FUNCFLAG_*
  std::string help;
  Type result;
  std::vector<Param> params;
};

struct Constant {
  std::string name;
  std::int32_t value = 0;
};

struct ImplType {
  std::int32_t ref = -1;
  std::uint16_t flags = 0;  // IMPLTYPEFLAG_*
};

struct TypeInfo {
  std::string name;
  GUID guid;
  std::uint16_t kind = 0;   // TKIND_*
  std::uint16_t flags = 0;  // TYPEFLAG_*
  std::uint16_t major = 0, minor = 0;
  std::string help;
  std::int32_t base = -1;         // interfaces: ref of the parent interface
  std::vector<Function> functions;  // interfaces: own members only, slot order
  std::vector<Constant> constants;  // enums
  std::vector<ImplType> impls;      // coclasses
};

struct Import {
  GUID libid;
  std::uint16_t major = 0, minor = 0;
  std::string file;
};

// What VT_USERDEFINED, a parent interface or an implemented interface names.
struct Reference {
  enum Kind : std::uint8_t { Local = 0, Imported = 1, StdUnknown = 2, StdDispatch = 3 };
  Kind kind = Local;
  std::int32_t index = -1;  // Local: types index; Imported: imports index
  std::string name;         // Imported: the type's name
  GUID guid;                // Imported: the type's GUID
  std::uint16_t flags = 0;  // Imported: what the declaration says (TYPEFLAG_FDUAL, FDISPATCHABLE)
  std::uint16_t kind_hint = 0;  // Imported: TKIND_* of the declaration
};

struct Library {
  std::string name;
  GUID libid;
  std::uint16_t major = 0, minor = 0;
  std::uint32_t lcid = 0;
  std::uint16_t flags = 0;  // LIBFLAG_*
  std::string help;
  std::vector<Import> imports;
  std::vector<Reference> refs;
  std::vector<TypeInfo> types;
};

std::vector<std::uint8_t> Serialize(const Library& lib);
// S_OK, TYPE_E_UNSUPFORMAT (not this format) or TYPE_E_INVDATAREAD (damaged:
// truncated, out-of-range references, impossible types).
HRESULT Deserialize(const std::uint8_t* data, std::size_t size, Library* lib);
// The consistency rules both sides apply; empty when lib is sound.
std::string Validate(const Library& lib);

}  // namespace com::tlb
