#include <cstring>

#include "com/typeinfo.h"
#include "typelib_model.h"

namespace com::tlb {

namespace {

class Writer {
 public:
  void U8(std::uint8_t v) { out_.push_back(v); }
  void U16(std::uint16_t v) { Raw(&v, 2); }
  void U32(std::uint32_t v) { Raw(&v, 4); }
  void I32(std::int32_t v) { Raw(&v, 4); }
  void I64(std::int64_t v) { Raw(&v, 8); }
  void F64(double v) { Raw(&v, 8); }
  void Str(const std::string& s) {
    U32(static_cast<std::uint32_t>(s.size()));
    Raw(s.data(), s.size());
  }
  void Guid(const GUID& g) {
    U32(g.Data1);
    U16(g.Data2);
    U16(g.Data3);
    Raw(g.Data4, 8);
  }
  void Raw(const void* p, std::size_t n) {
    // Little endian is the only byte order this system runs on.
    const auto* b = static_cast<const std::uint8_t*>(p);
    out_.insert(out_.end(), b, b + n);
  }
  std::vector<std::uint8_t>& Bytes() { return out_; }

 private:
  std::vector<std::uint8_t> out_;
};

class Reader {
 public:
  Reader(const std::uint8_t* p, std::size_t n) : p_(p), end_(p + n) {}
  bool ok() const { return ok_; }
  bool AtEnd() const { return p_ == end_; }
  std::uint8_t U8() { std::uint8_t v = 0; Raw(&v, 1); return v; }
  std::uint16_t U16() { std::uint16_t v = 0; Raw(&v, 2); return v; }
  std::uint32_t U32() { std::uint32_t v = 0; Raw(&v, 4); return v; }
  std::int32_t I32() { std::int32_t v = 0; Raw(&v, 4); return v; }
  std::int64_t I64() { std::int64_t v = 0; Raw(&v, 8); return v; }
  double F64() { double v = 0; Raw(&v, 8); return v; }
  std::string Str() {
    std::uint32_t n = U32();
    if (!ok_ || n > Left()) return Fail(), std::string();
    std::string s(reinterpret_cast<const char*>(p_), n);
    p_ += n;
    return s;
  }
  GUID Guid() {
    GUID g;
    g.Data1 = U32();
    g.Data2 = U16();
    g.Data3 = U16();
    Raw(g.Data4, 8);
    return g;
  }
  // A list count, refused when it could not possibly fit what is left.
  std::uint32_t Count(std::size_t min_item) {
    std::uint32_t n = U32();
    if (ok_ && min_item && n > Left() / min_item) Fail();
    return ok_ ? n : 0;
  }
  void Fail() { ok_ = false; p_ = end_; }

 private:
  std::size_t Left() const { return static_cast<std::size_t>(end_ - p_); }
  void Raw(void* out, std::size_t n) {
    if (!ok_ || n > Left()) return Fail();
    std::memcpy(out, p_, n);
    p_ += n;
  }
  const std::uint8_t* p_;
  const std::uint8_t* end_;
  bool ok_ = true;
};

void WriteType(Writer& w, const Type& t) {
  w.U32(static_cast<std::uint32_t>(t.chain.size()));
  for (auto vt : t.chain) w.U16(vt);
  w.I32(t.ref);
}

Type ReadType(Reader& r) {
  Type t;
  std::uint32_t n = r.Count(2);
  if (n > 8) r.Fail();
  for (std::uint32_t i = 0; i < n && r.ok(); ++i) t.chain.push_back(r.U16());
  t.ref = r.I32();
  return t;
}

}  // namespace

std::vector<std::uint8_t> Serialize(const Library& lib) {
  Writer w;
  w.Str(lib.name);
  w.Guid(lib.libid);
  w.U16(lib.major);
  w.U16(lib.minor);
  w.U32(lib.lcid);
  w.U16(lib.flags);
  w.Str(lib.help);
  w.U32(static_cast<std::uint32_t>(lib.imports.size()));
  for (const auto& im : lib.imports) {
    w.Guid(im.libid);
    w.U16(im.major);
    w.U16(im.minor);
    w.Str(im.file);
  }
  w.U32(static_cast<std::uint32_t>(lib.refs.size()));
  for (const auto& ref : lib.refs) {
    w.U8(ref.kind);
    w.I32(ref.index);
    w.Str(ref.name);
    w.Guid(ref.guid);
    w.U16(ref.flags);
    w.U16(ref.kind_hint);
  }
  w.U32(static_cast<std::uint32_t>(lib.types.size()));
  for (const auto& t : lib.types) {
    w.Str(t.name);
    w.Guid(t.guid);
    w.U16(t.kind);
    w.U16(t.flags);
    w.U16(t.major);
    w.U16(t.minor);
    w.Str(t.help);
    w.I32(t.base);
    w.U32(static_cast<std::uint32_t>(t.functions.size()));
    for (const auto& f : t.functions) {
      w.Str(f.name);
      w.I32(f.memid);
      w.U16(f.invkind);
      w.U16(f.flags);
      w.Str(f.help);
      WriteType(w, f.result);
      w.U32(static_cast<std::uint32_t>(f.params.size()));
      for (const auto& p : f.params) {
        w.Str(p.name);
        w.U16(p.flags);
        WriteType(w, p.type);
        w.U16(p.default_vt);
        w.I64(p.default_int);
        w.F64(p.default_real);
        w.Str(p.default_text);
      }
    }
    w.U32(static_cast<std::uint32_t>(t.constants.size()));
    for (const auto& c : t.constants) {
      w.Str(c.name);
      w.I32(c.value);
    }
    w.U32(static_cast<std::uint32_t>(t.impls.size()));
    for (const auto& im : t.impls) {
      w.I32(im.ref);
      w.U16(im.flags);
    }
  }
  std::vector<std::uint8_t> payload = std::move(w.Bytes());
  Writer head;
  head.Raw(kMagic, 4);
  head.U16(kFormatVersion);
  head.U32(static_cast<std::uint32_t>(payload.size()));
  head.Raw(payload.data(), payload.size());
  return std::move(head.Bytes());
}

HRESULT Deserialize(const std::uint8_t* data, std::size_t size, Library* out) {
  if (!data || !out) return E_POINTER;
  if (size < 10 || std::memcmp(data, kMagic, 4) != 0) return TYPE_E_UNSUPFORMAT;
  Reader head(data + 4, 6);
  std::uint16_t version = head.U16();
  std::uint32_t length = head.U32();
  if (version != kFormatVersion) return TYPE_E_UNSUPFORMAT;
  if (length > size - 10) return TYPE_E_INVDATAREAD;
  Reader r(data + 10, length);
  Library lib;
  lib.name = r.Str();
  lib.libid = r.Guid();
  lib.major = r.U16();
  lib.minor = r.U16();
  lib.lcid = r.U32();
  lib.flags = r.U16();
  lib.help = r.Str();
  for (std::uint32_t i = 0, n = r.Count(24); i < n && r.ok(); ++i) {
    Import im;
    im.libid = r.Guid();
    im.major = r.U16();
    im.minor = r.U16();
    im.file = r.Str();
    lib.imports.push_back(std::move(im));
  }
  for (std::uint32_t i = 0, n = r.Count(29); i < n && r.ok(); ++i) {
    Reference ref;
    std::uint8_t kind = r.U8();
    if (kind > Reference::StdDispatch) r.Fail();
    ref.kind = static_cast<Reference::Kind>(kind);
    ref.index = r.I32();
    ref.name = r.Str();
    ref.guid = r.Guid();
    ref.flags = r.U16();
    ref.kind_hint = r.U16();
    lib.refs.push_back(std::move(ref));
  }
  for (std::uint32_t i = 0, n = r.Count(40); i < n && r.ok(); ++i) {
    TypeInfo t;
    t.name = r.Str();
    t.guid = r.Guid();
    t.kind = r.U16();
    t.flags = r.U16();
    t.major = r.U16();
    t.minor = r.U16();
    t.help = r.Str();
    t.base = r.I32();
    for (std::uint32_t j = 0, nf = r.Count(20); j < nf && r.ok(); ++j) {
      Function f;
      f.name = r.Str();
      f.memid = r.I32();
      f.invkind = r.U16();
      f.flags = r.U16();
      f.help = r.Str();
      f.result = ReadType(r);
      for (std::uint32_t k = 0, np = r.Count(30); k < np && r.ok(); ++k) {
        Param p;
        p.name = r.Str();
        p.flags = r.U16();
        p.type = ReadType(r);
        p.default_vt = r.U16();
        p.default_int = r.I64();
        p.default_real = r.F64();
        p.default_text = r.Str();
        f.params.push_back(std::move(p));
      }
      t.functions.push_back(std::move(f));
    }
    for (std::uint32_t j = 0, nc = r.Count(8); j < nc && r.ok(); ++j) {
      Constant c;
      c.name = r.Str();
      c.value = r.I32();
      t.constants.push_back(std::move(c));
    }
    for (std::uint32_t j = 0, ni = r.Count(6); j < ni && r.ok(); ++j) {
      ImplType im;
      im.ref = r.I32();
      im.flags = r.U16();
      t.impls.push_back(im);
    }
    lib.types.push_back(std::move(t));
  }
  if (!r.ok() || !r.AtEnd()) return TYPE_E_INVDATAREAD;
  if (!Validate(lib).empty()) return TYPE_E_INVDATAREAD;
  *out = std::move(lib);
  return S_OK;
}

namespace {

bool IsScalar(std::uint16_t vt) {
  switch (vt) {
    case VT_I2: case VT_I4: case VT_R4: case VT_R8: case VT_DATE: case VT_BSTR: case VT_DISPATCH: case VT_ERROR:
    case VT_BOOL: case VT_VARIANT: case VT_UNKNOWN: case VT_I1: case VT_UI1: case VT_UI2: case VT_UI4: case VT_I8:
    case VT_UI8: case VT_INT: case VT_UINT: case VT_VOID: case VT_HRESULT: case VT_CY:
      return true;
    default:
      return false;
  }
}

std::string CheckType(const Library& lib, const Type& t, bool is_result) {
  if (t.chain.empty() || t.chain.size() > 8) return "a type of impossible depth";
  for (std::size_t i = 0; i < t.chain.size(); ++i) {
    std::uint16_t vt = t.chain[i];
    bool last = i + 1 == t.chain.size();
    if (vt == VT_PTR || vt == VT_SAFEARRAY) {
      if (last) return "a pointer to nothing";
      if (vt == VT_SAFEARRAY && (t.chain[i + 1] == VT_PTR || t.chain[i + 1] == VT_VOID)) return "a bad array element";
    } else if (vt == VT_USERDEFINED) {
      if (!last) return "a user-defined type inside another";
      if (t.ref < 0 || static_cast<std::size_t>(t.ref) >= lib.refs.size()) return "a reference out of range";
    } else if (!IsScalar(vt) || !last) {
      return "an unknown type";
    } else if (vt == VT_VOID && !(is_result || i > 0)) {
      return "a void parameter";
    }
  }
  return {};
}

}  // namespace

std::string Validate(const Library& lib) {
  auto ref_ok = [&](std::int32_t ref) { return ref >= 0 && static_cast<std::size_t>(ref) < lib.refs.size(); };
  for (const auto& ref : lib.refs) {
    if (ref.kind == Reference::Local && (ref.index < 0 || static_cast<std::size_t>(ref.index) >= lib.types.size()))
      return "a local reference out of range";
    if (ref.kind == Reference::Imported && (ref.index < 0 || static_cast<std::size_t>(ref.index) >= lib.imports.size()))
      return "an imported reference out of range";
  }
  for (const auto& t : lib.types) {
    if (t.kind > TKIND_UNION) return "type " + t.name + " of unknown kind";
    if (t.kind == TKIND_INTERFACE || t.kind == TKIND_DISPATCH) {
      if (!ref_ok(t.base)) return "interface " + t.name + " without a parent";
      // The parents end in IUnknown, IDispatch or an imported interface, never in a loop.
      std::int32_t ref = t.base;
      for (std::size_t steps = 0;; ++steps) {
        if (steps > lib.types.size()) return "interface " + t.name + " derives from itself";
        const Reference& r = lib.refs[ref];
        if (r.kind != Reference::Local) break;
        const TypeInfo& parent = lib.types[r.index];
        if (parent.kind != TKIND_INTERFACE && parent.kind != TKIND_DISPATCH)
          return "interface " + t.name + " derives from a type that is no interface";
        if (!ref_ok(parent.base)) return "interface " + parent.name + " without a parent";
        ref = parent.base;
      }
    } else if (t.base != -1 || !t.functions.empty()) {
      return "type " + t.name + " with members it cannot have";
    }
    if (t.functions.size() > 1000) return "too many members in " + t.name;
    for (const auto& f : t.functions) {
      if (f.invkind != 1 && f.invkind != 2 && f.invkind != 4 && f.invkind != 8) return "member " + f.name + " of unknown kind";
      if (f.params.size() > 64) return "too many parameters in " + f.name;
      if (auto e = CheckType(lib, f.result, true); !e.empty()) return "member " + f.name + ": " + e;
      for (const auto& p : f.params) {
        if (auto e = CheckType(lib, p.type, false); !e.empty()) return "parameter " + p.name + " of " + f.name + ": " + e;
        if ((p.flags & PARAMFLAG_FHASDEFAULT) && p.default_vt != VT_I4 && p.default_vt != VT_R8 &&
            p.default_vt != VT_BOOL && p.default_vt != VT_BSTR)
          return "parameter " + p.name + " with a bad default";
      }
    }
    for (const auto& im : t.impls)
      if (!ref_ok(im.ref)) return "coclass " + t.name + " implementing a reference out of range";
  }
  return {};
}

}  // namespace com::tlb
