// velcom-tlc: the type-library compiler. Reads a type library source (an
// IDL-like text, described in platform/com/README.md) and writes
//   --tlb FILE      the compiled type library (the bytes of resource TYPELIB 1)
//   --cpp FILE      a C++ source that embeds those bytes in the library it is
//                   linked into, as resource "TYPELIB" 1 (ELF section .velres.TYPELIB.1)
//   --header FILE   C++ declarations: each interface as an abstract class in
//                   slot order with its IID, each coclass's CLSID, the LIBID
// Errors are reported as FILE:LINE: message, and the exit status is 1.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "com/typeinfo.h"
#include "typelib_model.h"

using namespace com;
using namespace com::tlb;

namespace {

struct CompileError : std::runtime_error {
  int line;
  CompileError(int l, const std::string& m) : std::runtime_error(m), line(l) {}
};

struct Token {
  enum Kind { End, Ident, Number, String, Punct } kind = End;
  std::string text;
  int line = 0;
};

class Lexer {
 public:
  explicit Lexer(std::string src) : s_(std::move(src)) {}

  Token Next() {
    SkipSpace();
    Token t;
    t.line = line_;
    if (i_ >= s_.size()) return t;
    char c = s_[i_];
    if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
      std::size_t b = i_;
      while (i_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[i_])) || s_[i_] == '_')) ++i_;
      t.kind = Token::Ident;
      t.text = s_.substr(b, i_ - b);
    } else if (std::isdigit(static_cast<unsigned char>(c)) || (c == '-' && i_ + 1 < s_.size() && std::isdigit(static_cast<unsigned char>(s_[i_ + 1])))) {
      std::size_t b = i_++;
      while (i_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[i_])) || s_[i_] == '.')) ++i_;
      t.kind = Token::Number;
      t.text = s_.substr(b, i_ - b);
    } else if (c == '"') {
      ++i_;
      while (i_ < s_.size() && s_[i_] != '"') {
        if (s_[i_] == '\n') throw CompileError(line_, "unterminated string");
        if (s_[i_] == '\\' && i_ + 1 < s_.size()) ++i_;
        t.text.push_back(s_[i_++]);
      }
      if (i_ >= s_.size()) throw CompileError(line_, "unterminated string");
      ++i_;
      t.kind = Token::String;
    } else {
      t.kind = Token::Punct;
      t.text = std::string(1, c);
      ++i_;
    }
    return t;
  }

  // The raw text up to (not including) the next ")" : for uuid(...).
  std::string RawUntilParen() {
    std::size_t b = i_;
    while (i_ < s_.size() && s_[i_] != ')' && s_[i_] != '\n') ++i_;
    std::string raw = s_.substr(b, i_ - b);
    while (!raw.empty() && std::isspace(static_cast<unsigned char>(raw.back()))) raw.pop_back();
    while (!raw.empty() && std::isspace(static_cast<unsigned char>(raw.front()))) raw.erase(0, 1);
    return raw;
  }

 private:
  void SkipSpace() {
    for (;;) {
      while (i_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[i_]))) {
        if (s_[i_] == '\n') ++line_;
        ++i_;
      }
      if (s_.compare(i_, 2, "//") == 0) {
        while (i_ < s_.size() && s_[i_] != '\n') ++i_;
      } else if (s_.compare(i_, 2, "/*") == 0) {
        std::size_t e = s_.find("*/", i_ + 2);
        if (e == std::string::npos) throw CompileError(line_, "unterminated comment");
        for (std::size_t k = i_; k < e; ++k)
          if (s_[k] == '\n') ++line_;
        i_ = e + 2;
      } else {
        return;
      }
    }
  }
  std::string s_;
  std::size_t i_ = 0;
  int line_ = 1;
};

struct Attribute {
  std::string name;
  std::string value;  // raw argument text; empty when none
  int line = 0;
};

// What the header generator needs beyond the library itself.
struct CxxParam {
  std::string cxx_type;
};

class Parser {
 public:
  explicit Parser(std::string src) : lex_(std::move(src)) { Advance(); }

  Library Parse() {
    auto attrs = Attributes();
    Expect("library");
    lib_.name = Ident();
    for (const auto& a : attrs) {
      if (a.name == "uuid") lib_.libid = Uuid(a);
      else if (a.name == "version") Version(a, &lib_.major, &lib_.minor);
      else if (a.name == "lcid") lib_.lcid = static_cast<std::uint32_t>(Integer(a.value, a.line));
      else if (a.name == "helpstring") lib_.help = String(a);
      else if (a.name == "hidden") lib_.flags |= LIBFLAG_FHIDDEN;
      else if (a.name == "restricted") lib_.flags |= LIBFLAG_FRESTRICTED;
      else if (a.name == "control") lib_.flags |= LIBFLAG_FCONTROL;
      else Unknown(a);
    }
    if (lib_.libid == GUID_NULL) throw CompileError(tok_.line, "library " + lib_.name + " needs a uuid");
    Expect("{");
    while (!Is("}")) Item();
    Expect("}");
    Accept(";");
    if (tok_.kind != Token::End) throw CompileError(tok_.line, "text after the library");
    ResolveNames();
    if (auto e = Validate(lib_); !e.empty()) throw CompileError(0, e);
    return lib_;
  }

 private:
  // -- tokens
  void Advance() { tok_ = lex_.Next(); }
  bool Is(const char* text) const { return tok_.kind != Token::String && tok_.text == text; }
  bool Accept(const char* text) {
    if (!Is(text)) return false;
    Advance();
    return true;
  }
  void Expect(const char* text) {
    if (!Accept(text)) throw CompileError(tok_.line, std::string("expected \"") + text + "\", found \"" + tok_.text + "\"");
  }
  std::string Ident() {
    if (tok_.kind != Token::Ident) throw CompileError(tok_.line, "expected a name, found \"" + tok_.text + "\"");
    std::string s = tok_.text;
    Advance();
    return s;
  }

  std::vector<Attribute> Attributes() {
    std::vector<Attribute> out;
    if (!Is("[")) return out;
    // Read by hand: uuid(...) holds text the lexer would cut up.
    Advance();
    for (;;) {
      Attribute a;
      a.line = tok_.line;
      a.name = Ident();
      if (Is("(")) {
        if (a.name == "uuid") {
          a.value = lex_.RawUntilParen();
          Advance();
        } else {
          Advance();
          int depth = 0;
          while (!(depth == 0 && Is(")"))) {
            if (tok_.kind == Token::End) throw CompileError(a.line, "unclosed attribute " + a.name);
            if (Is("(")) ++depth;
            if (Is(")")) --depth;
            a.value += tok_.kind == Token::String ? "\"" + tok_.text + "\"" : tok_.text;
            Advance();
          }
        }
        Expect(")");
      }
      out.push_back(a);
      if (Accept(",")) continue;
      Expect("]");
      return out;
    }
  }

  static void Unknown(const Attribute& a) { throw CompileError(a.line, "attribute \"" + a.name + "\" not allowed here"); }
  static GUID Uuid(const Attribute& a) {
    auto g = ParseGuid(a.value);
    if (!g) throw CompileError(a.line, "malformed uuid \"" + a.value + "\"");
    return *g;
  }
  static std::int64_t Integer(const std::string& text, int line) {
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(text.c_str(), &end, 0);
    if (text.empty() || *end || errno) {
      unsigned long long u = std::strtoull(text.c_str(), &end, 0);
      if (text.empty() || *end || errno) throw CompileError(line, "expected a number, found \"" + text + "\"");
      return static_cast<std::int64_t>(u);
    }
    return v;
  }
  static void Version(const Attribute& a, std::uint16_t* major, std::uint16_t* minor) {
    auto dot = a.value.find('.');
    *major = static_cast<std::uint16_t>(Integer(a.value.substr(0, dot), a.line));
    *minor = dot == std::string::npos ? 0 : static_cast<std::uint16_t>(Integer(a.value.substr(dot + 1), a.line));
  }
  static std::string String(const Attribute& a) {
    if (a.value.size() < 2 || a.value.front() != '"' || a.value.back() != '"')
      throw CompileError(a.line, "attribute " + a.name + " wants a string");
    return a.value.substr(1, a.value.size() - 2);
  }

  // -- library items
  void Item() {
    auto attrs = Attributes();
    int line = tok_.line;
    if (Accept("importlib")) return ImportLib(attrs, line);
    if (Accept("interface")) return Interface(attrs, TKIND_INTERFACE, line);
    if (Accept("dispinterface")) return Interface(attrs, TKIND_DISPATCH, line);
    if (Accept("coclass")) return Coclass(attrs, line);
    if (Accept("enum")) return Enum(attrs, line);
    throw CompileError(line, "expected importlib, interface, dispinterface, coclass or enum, found \"" + tok_.text + "\"");
  }

  void ImportLib(const std::vector<Attribute>& attrs, int line) {
    Import im;
    Expect("(");
    if (tok_.kind != Token::String) throw CompileError(tok_.line, "importlib wants a file name");
    im.file = tok_.text;
    Advance();
    Expect(")");
    for (const auto& a : attrs) {
      if (a.name == "uuid") im.libid = Uuid(a);
      else if (a.name == "version") Version(a, &im.major, &im.minor);
      else Unknown(a);
    }
    if (im.libid == GUID_NULL) throw CompileError(line, "importlib needs the imported library's uuid and version");
    int index = static_cast<int>(lib_.imports.size());
    lib_.imports.push_back(im);
    if (Accept("{")) {
      while (!Is("}")) {
        auto da = Attributes();
        int dl = tok_.line;
        std::uint16_t kind;
        if (Accept("interface")) kind = TKIND_INTERFACE;
        else if (Accept("dispinterface")) kind = TKIND_DISPATCH;
        else if (Accept("coclass")) kind = TKIND_COCLASS;
        else if (Accept("enum")) kind = TKIND_ENUM;
        else throw CompileError(dl, "an imported library declares interfaces, dispinterfaces, coclasses or enums");
        Reference ref;
        ref.kind = Reference::Imported;
        ref.index = index;
        ref.name = Ident();
        ref.kind_hint = kind;
        if (kind == TKIND_DISPATCH) ref.flags |= TYPEFLAG_FDISPATCHABLE;
        for (const auto& a : da) {
          if (a.name == "uuid") ref.guid = Uuid(a);
          else if (a.name == "dual") ref.flags |= TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE;
          else if (a.name == "dispatchable") ref.flags |= TYPEFLAG_FDISPATCHABLE;
          else Unknown(a);
        }
        if (ref.guid == GUID_NULL) throw CompileError(dl, "imported " + ref.name + " needs its uuid");
        Expect(";");
        Declare(ref.name, dl);
        names_[ref.name] = static_cast<int>(lib_.refs.size());
        lib_.refs.push_back(ref);
      }
      Expect("}");
    }
    Accept(";");
  }

  void Declare(const std::string& name, int line) {
    if (names_.count(name) || name == "IUnknown" || name == "IDispatch")
      throw CompileError(line, "\"" + name + "\" is declared twice");
  }

  int LocalRef(int type_index) {
    auto key = "#" + std::to_string(type_index);
    if (auto it = names_.find(key); it != names_.end()) return it->second;
    Reference ref;
    ref.kind = Reference::Local;
    ref.index = type_index;
    int r = static_cast<int>(lib_.refs.size());
    lib_.refs.push_back(ref);
    names_[key] = r;
    return r;
  }

  int StdRef(Reference::Kind kind) {
    auto key = kind == Reference::StdUnknown ? "#IUnknown" : "#IDispatch";
    if (auto it = names_.find(key); it != names_.end()) return it->second;
    Reference ref;
    ref.kind = kind;
    ref.name = kind == Reference::StdUnknown ? "IUnknown" : "IDispatch";
    ref.guid = kind == Reference::StdUnknown ? IUnknown::iid : IDispatch::iid;
    int r = static_cast<int>(lib_.refs.size());
    lib_.refs.push_back(ref);
    names_[key] = r;
    return r;
  }

  // A reference by name, resolved when the whole library has been read.
  int NamedRef(const std::string& name, int line) {
    if (name == "IUnknown") return StdRef(Reference::StdUnknown);
    if (name == "IDispatch") return StdRef(Reference::StdDispatch);
    if (auto it = names_.find(name); it != names_.end()) return it->second;
    Reference ref;
    ref.kind = Reference::Local;
    ref.name = name;  // index filled by ResolveNames
    int r = static_cast<int>(lib_.refs.size());
    lib_.refs.push_back(ref);
    names_[name] = r;
    pending_[r] = line;
    return r;
  }

  void ResolveNames() {
    for (auto [r, line] : pending_) {
      auto& ref = lib_.refs[r];
      auto it = local_.find(ref.name);
      if (it == local_.end()) throw CompileError(line, "unknown type \"" + ref.name + "\"");
      ref.index = it->second;
      ref.name.clear();
    }
    // Interfaces deriving from IDispatch (directly or not) are dispatchable.
    for (auto& t : lib_.types) {
      if (t.kind == TKIND_DISPATCH) t.flags |= TYPEFLAG_FDISPATCHABLE;
      if (t.kind != TKIND_INTERFACE) continue;
      int guard = 0;
      for (int ref = t.base; ref >= 0 && guard < 64; ++guard) {
        const auto& r = lib_.refs[ref];
        if (r.kind == Reference::StdDispatch || (r.kind == Reference::Imported && (r.flags & TYPEFLAG_FDISPATCHABLE))) {
          t.flags |= TYPEFLAG_FDISPATCHABLE;
          break;
        }
        if (r.kind != Reference::Local) break;
        ref = lib_.types[r.index].base;
      }
      if (guard >= 64) throw CompileError(0, "interface " + t.name + " derives from itself");
    }
  }

  int AddType(TypeInfo t, int line) {
    if (local_.count(t.name) || (names_.count(t.name) && !pending_.count(names_[t.name])))
      throw CompileError(line, "\"" + t.name + "\" is declared twice");
    int index = static_cast<int>(lib_.types.size());
    local_[t.name] = index;
    lib_.types.push_back(std::move(t));
    return index;
  }

  void Interface(const std::vector<Attribute>& attrs, std::uint16_t kind, int line) {
    TypeInfo t;
    t.kind = kind;
    t.name = Ident();
    for (const auto& a : attrs) {
      if (a.name == "uuid") t.guid = Uuid(a);
      else if (a.name == "version") Version(a, &t.major, &t.minor);
      else if (a.name == "helpstring") t.help = String(a);
      else if (a.name == "hidden") t.flags |= TYPEFLAG_FHIDDEN;
      else if (a.name == "dual") t.flags |= TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION;
      else if (a.name == "nonextensible") t.flags |= TYPEFLAG_FNONEXTENSIBLE;
      else if (a.name == "oleautomation") t.flags |= TYPEFLAG_FOLEAUTOMATION;
      else if (a.name == "restricted") t.flags |= TYPEFLAG_FRESTRICTED;
      else if (a.name == "object" || a.name == "odl") {}
      else Unknown(a);
    }
    if (t.guid == GUID_NULL) throw CompileError(line, t.name + " needs a uuid");
    if (kind == TKIND_DISPATCH) {
      t.base = StdRef(Reference::StdDispatch);
    } else if (Accept(":")) {
      int bl = tok_.line;
      t.base = NamedRef(Ident(), bl);
    } else {
      throw CompileError(line, "interface " + t.name + " needs a parent (IUnknown, IDispatch or another)");
    }
    Expect("{");
    if (kind == TKIND_DISPATCH) {
      if (Accept("properties")) Expect(":");
      if (Accept("methods")) Expect(":");
    }
    int level = Level(t.base);
    while (!Is("}")) t.functions.push_back(Method(kind, t, level));
    Expect("}");
    Accept(";");
    int index = AddType(std::move(t), line);
    LocalRef(index);
  }

  // Depth below IUnknown, for automatic DISPIDs 0x60000000 | level << 16 | n.
  int Level(int ref) {
    int level = 1;
    for (int guard = 0; ref >= 0 && guard < 64; ++guard, ++level) {
      const auto& r = lib_.refs[ref];
      if (r.kind == Reference::StdUnknown) return level;
      if (r.kind == Reference::StdDispatch) return level + 1;
      if (r.kind != Reference::Local || r.index < 0) return level + 1;
      ref = lib_.types[r.index].base;
    }
    return level;
  }

  Function Method(std::uint16_t kind, const TypeInfo& owner, int level) {
    auto attrs = Attributes();
    int line = tok_.line;
    Function f;
    f.result = TypeSpec();
    f.name = Ident();
    bool has_id = false;
    for (const auto& a : attrs) {
      if (a.name == "id") {
        f.memid = static_cast<std::int32_t>(Integer(a.value, a.line));
        has_id = true;
      } else if (a.name == "propget") f.invkind = INVOKE_PROPERTYGET;
      else if (a.name == "propput") f.invkind = INVOKE_PROPERTYPUT;
      else if (a.name == "propputref") f.invkind = INVOKE_PROPERTYPUTREF;
      else if (a.name == "helpstring") f.help = String(a);
      else if (a.name == "hidden") f.flags |= FUNCFLAG_FHIDDEN;
      else if (a.name == "restricted") f.flags |= FUNCFLAG_FRESTRICTED;
      else Unknown(a);
    }
    if (!has_id) {
      if (kind == TKIND_DISPATCH || (owner.flags & TYPEFLAG_FDUAL))
        throw CompileError(line, "member " + f.name + " of an automation interface needs an id");
      f.memid = static_cast<std::int32_t>(0x60000000u | (static_cast<unsigned>(level) << 16) | owner.functions.size());
    }
    for (const auto& g : owner.functions)
      if (g.memid == f.memid && (g.invkind == f.invkind || g.invkind == INVOKE_FUNC || f.invkind == INVOKE_FUNC))
        throw CompileError(line, "id of " + f.name + " is used by " + g.name + " already");
    Expect("(");
    if (!(Is("void") && Peekish())) {
      while (!Is(")")) {
        f.params.push_back(Parameter());
        if (!Accept(",")) break;
      }
    }
    Expect(")");
    Expect(";");
    if (kind == TKIND_INTERFACE && ((owner.flags & TYPEFLAG_FDUAL) || (owner.flags & TYPEFLAG_FOLEAUTOMATION)) &&
        !(f.result.chain.size() == 1 && f.result.chain[0] == VT_HRESULT))
      throw CompileError(line, "member " + f.name + " of an automation interface must return HRESULT");
    for (std::size_t i = 0; i < f.params.size(); ++i) {
      const auto& p = f.params[i];
      if (p.flags & PARAMFLAG_FRETVAL) {
        if (i + 1 != f.params.size()) throw CompileError(line, "retval must be the last parameter of " + f.name);
        if (!(p.flags & PARAMFLAG_FOUT) || p.type.chain[0] != VT_PTR)
          throw CompileError(line, "retval of " + f.name + " must be an [out] pointer");
      }
      if ((p.flags & PARAMFLAG_FOUT) && p.type.chain[0] != VT_PTR)
        throw CompileError(line, "[out] parameter " + p.name + " of " + f.name + " must be a pointer");
    }
    if ((f.invkind == INVOKE_PROPERTYPUT || f.invkind == INVOKE_PROPERTYPUTREF) && f.params.empty())
      throw CompileError(line, "property put " + f.name + " needs its value parameter");
    return f;
  }

  // "void" alone in a parameter list means none; void* is a type.
  bool Peekish() {
    Advance();
    if (Is(")")) return true;
    throw CompileError(tok_.line, "void is not a parameter type");
  }

  Param Parameter() {
    auto attrs = Attributes();
    Param p;
    for (const auto& a : attrs) {
      if (a.name == "in") p.flags |= PARAMFLAG_FIN;
      else if (a.name == "out") p.flags |= PARAMFLAG_FOUT;
      else if (a.name == "retval") p.flags |= PARAMFLAG_FRETVAL;
      else if (a.name == "optional") p.flags |= PARAMFLAG_FOPT;
      else if (a.name == "defaultvalue") {
        p.flags |= PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT;
        const std::string& v = a.value;
        if (v.size() >= 2 && v.front() == '"') {
          p.default_vt = VT_BSTR;
          p.default_text = v.substr(1, v.size() - 2);
        } else if (v == "true" || v == "TRUE") {
          p.default_vt = VT_BOOL;
          p.default_int = -1;
        } else if (v == "false" || v == "FALSE") {
          p.default_vt = VT_BOOL;
        } else if (v.find('.') != std::string::npos) {
          p.default_vt = VT_R8;
          p.default_real = std::strtod(v.c_str(), nullptr);
        } else {
          p.default_vt = VT_I4;
          p.default_int = Integer(v, a.line);
        }
      } else Unknown(a);
    }
    if (!(p.flags & (PARAMFLAG_FIN | PARAMFLAG_FOUT))) p.flags |= PARAMFLAG_FIN;
    p.type = TypeSpec();
    p.name = Ident();
    return p;
  }

  Type TypeSpec() {
    int line = tok_.line;
    Type inner;
    if (Accept("SAFEARRAY")) {
      Expect("(");
      Type element = TypeSpec();
      Expect(")");
      inner.chain.push_back(VT_SAFEARRAY);
      inner.chain.insert(inner.chain.end(), element.chain.begin(), element.chain.end());
      inner.ref = element.ref;
    } else {
      std::string name = Ident();
      if (name == "unsigned") {
        std::string what = Ident();
        if (what == "char") inner.chain = {VT_UI1};
        else if (what == "short") inner.chain = {VT_UI2};
        else if (what == "long" || what == "int") inner.chain = {VT_UI4};
        else throw CompileError(line, "unknown type unsigned " + what);
      } else {
        static const std::map<std::string, std::uint16_t> builtin = {
            {"long", VT_I4}, {"int", VT_I4}, {"short", VT_I2}, {"double", VT_R8}, {"float", VT_R4},
            {"BSTR", VT_BSTR}, {"VARIANT_BOOL", VT_BOOL}, {"VARIANT", VT_VARIANT}, {"HRESULT", VT_HRESULT},
            {"SCODE", VT_ERROR}, {"DATE", VT_DATE}, {"void", VT_VOID}, {"byte", VT_UI1}, {"char", VT_I1},
            {"hyper", VT_I8}, {"LONGLONG", VT_I8}, {"CURRENCY", VT_CY}, {"BOOL", VT_I4}};
        if (auto it = builtin.find(name); it != builtin.end()) {
          inner.chain = {it->second};
        } else if (name == "IDispatch" || name == "IUnknown") {
          // "IDispatch*" is VT_DISPATCH: the star belongs to it.
          Expect("*");
          inner.chain = {static_cast<std::uint16_t>(name == "IDispatch" ? VT_DISPATCH : VT_UNKNOWN)};
        } else {
          inner.chain = {VT_USERDEFINED};
          inner.ref = NamedRef(name, line);
        }
      }
    }
    while (Accept("*")) inner.chain.insert(inner.chain.begin(), VT_PTR);
    return inner;
  }

  void Coclass(const std::vector<Attribute>& attrs, int line) {
    TypeInfo t;
    t.kind = TKIND_COCLASS;
    t.name = Ident();
    t.flags = TYPEFLAG_FCANCREATE;
    for (const auto& a : attrs) {
      if (a.name == "uuid") t.guid = Uuid(a);
      else if (a.name == "version") Version(a, &t.major, &t.minor);
      else if (a.name == "helpstring") t.help = String(a);
      else if (a.name == "noncreatable") t.flags &= ~TYPEFLAG_FCANCREATE;
      else if (a.name == "appobject") t.flags |= TYPEFLAG_FAPPOBJECT;
      else if (a.name == "hidden") t.flags |= TYPEFLAG_FHIDDEN;
      else if (a.name == "control") t.flags |= TYPEFLAG_FCONTROL;
      else if (a.name == "aggregatable") t.flags |= TYPEFLAG_FAGGREGATABLE;
      else Unknown(a);
    }
    if (t.guid == GUID_NULL) throw CompileError(line, "coclass " + t.name + " needs a uuid");
    Expect("{");
    while (!Is("}")) {
      auto ia = Attributes();
      int il = tok_.line;
      if (!Accept("interface") && !Accept("dispinterface")) throw CompileError(il, "a coclass lists interfaces");
      ImplType im;
      im.ref = NamedRef(Ident(), il);
      for (const auto& a : ia) {
        if (a.name == "default") im.flags |= IMPLTYPEFLAG_FDEFAULT;
        else if (a.name == "source") im.flags |= IMPLTYPEFLAG_FSOURCE;
        else if (a.name == "restricted") im.flags |= IMPLTYPEFLAG_FRESTRICTED;
        else Unknown(a);
      }
      Expect(";");
      t.impls.push_back(im);
    }
    Expect("}");
    Accept(";");
    if (t.impls.empty()) throw CompileError(line, "coclass " + t.name + " implements nothing");
    AddType(std::move(t), line);
  }

  void Enum(const std::vector<Attribute>& attrs, int line) {
    TypeInfo t;
    t.kind = TKIND_ENUM;
    t.name = Ident();
    for (const auto& a : attrs) {
      if (a.name == "uuid") t.guid = Uuid(a);
      else if (a.name == "helpstring") t.help = String(a);
      else if (a.name == "hidden") t.flags |= TYPEFLAG_FHIDDEN;
      else Unknown(a);
    }
    Expect("{");
    std::int32_t next = 0;
    while (!Is("}")) {
      Constant c;
      c.name = Ident();
      if (Accept("=")) {
        if (tok_.kind != Token::Number) throw CompileError(tok_.line, "enum values are numbers");
        next = static_cast<std::int32_t>(Integer(tok_.text, tok_.line));
        Advance();
      }
      c.value = next++;
      t.constants.push_back(c);
      if (!Accept(",")) break;
    }
    Expect("}");
    Accept(";");
    int index = AddType(std::move(t), line);
    LocalRef(index);
  }

  Lexer lex_;
  Token tok_;
  Library lib_;
  std::map<std::string, int> names_;  // name -> refs index
  std::map<std::string, int> local_;  // name -> types index
  std::map<int, int> pending_;        // refs index -> line, resolved at the end
};

// ---- C++ header ----

std::string GuidLiteral(const GUID& g) { return "::com::MakeGuid(\"" + GuidToString(g) + "\")"; }

class HeaderWriter {
 public:
  explicit HeaderWriter(const Library& lib) : lib_(lib) {}

  std::string Write() {
    std::ostringstream o;
    o << "#pragma once\n// Generated by velcom-tlc from the type library " << lib_.name << ". Do not edit.\n"
      << "#include <cstdint>\n\n#include \"com/dispatch.h\"\n#include \"com/safearray.h\"\n\n"
      << "namespace " << lib_.name << " {\n\n"
      << "inline constexpr ::com::GUID LIBID_" << lib_.name << " = " << GuidLiteral(lib_.libid) << ";\n"
      << "inline constexpr unsigned short kMajorVersion = " << lib_.major << ", kMinorVersion = " << lib_.minor << ";\n\n";
    for (const auto& ref : lib_.refs)
      if (ref.kind == Reference::Imported && (ref.kind_hint == TKIND_INTERFACE || ref.kind_hint == TKIND_DISPATCH))
        o << "// Imported from " << lib_.imports[ref.index].file << "; declared by its own header.\n"
          << "inline constexpr ::com::IID IID_" << ref.name << " = " << GuidLiteral(ref.guid) << ";\n";
    for (const auto& t : lib_.types)
      if (t.kind == TKIND_INTERFACE || t.kind == TKIND_DISPATCH) o << "class " << t.name << ";\n";
    o << "\n";
    for (const auto& t : lib_.types) {
      if (t.kind == TKIND_ENUM) {
        o << "enum " << t.name << " : std::int32_t {\n";
        for (const auto& c : t.constants) o << "  " << c.name << " = " << c.value << ",\n";
        o << "};\n\n";
      }
    }
    for (const auto& t : lib_.types) {
      if (t.kind == TKIND_INTERFACE) Interface(o, t);
      if (t.kind == TKIND_DISPATCH)
        o << "// Dispatch interface: reached through IDispatch::Invoke only.\n"
          << "inline constexpr ::com::IID DIID_" << t.name << " = " << GuidLiteral(t.guid) << ";\n\n";
      if (t.kind == TKIND_COCLASS)
        o << "inline constexpr ::com::CLSID CLSID_" << t.name << " = " << GuidLiteral(t.guid) << ";\n\n";
    }
    o << "}  // namespace " << lib_.name << "\n";
    return o.str();
  }

 private:
  std::string RefName(int ref) const {
    const auto& r = lib_.refs[ref];
    switch (r.kind) {
      case Reference::StdUnknown: return "::com::IUnknown";
      case Reference::StdDispatch: return "::com::IDispatch";
      case Reference::Imported: return r.name;
      case Reference::Local: return lib_.types[r.index].name;
    }
    return "void";
  }

  std::string Cxx(const Type& t, std::size_t from = 0) const {
    std::uint16_t vt = t.chain[from];
    switch (vt) {
      case VT_PTR: return Cxx(t, from + 1) + "*";
      case VT_SAFEARRAY: return "::com::SAFEARRAY*";
      case VT_USERDEFINED: {
        const auto& r = lib_.refs[t.ref];
        if (r.kind == Reference::Local && lib_.types[r.index].kind == TKIND_ENUM) return lib_.types[r.index].name;
        if (r.kind == Reference::Imported && r.kind_hint == TKIND_ENUM) return "std::int32_t";
        return RefName(t.ref);
      }
      case VT_I1: return "std::int8_t";
      case VT_UI1: return "std::uint8_t";
      case VT_I2: return "std::int16_t";
      case VT_UI2: return "std::uint16_t";
      case VT_I4: case VT_INT: return "std::int32_t";
      case VT_UI4: case VT_UINT: return "std::uint32_t";
      case VT_I8: case VT_CY: return "std::int64_t";
      case VT_UI8: return "std::uint64_t";
      case VT_R4: return "float";
      case VT_R8: return "double";
      case VT_DATE: return "::com::DATE";
      case VT_BSTR: return "::com::BSTR";
      case VT_BOOL: return "::com::VARIANT_BOOL";
      case VT_VARIANT: return "::com::VARIANT";
      case VT_DISPATCH: return "::com::IDispatch*";
      case VT_UNKNOWN: return "::com::IUnknown*";
      case VT_ERROR: return "::com::SCODE";
      case VT_HRESULT: return "::com::HRESULT";
      case VT_VOID: return "void";
    }
    return "void";
  }

  static std::string Prefix(std::uint16_t invkind) {
    switch (invkind) {
      case INVOKE_PROPERTYGET: return "get_";
      case INVOKE_PROPERTYPUT: return "put_";
      case INVOKE_PROPERTYPUTREF: return "putref_";
    }
    return "";
  }

  void Interface(std::ostream& o, const TypeInfo& t) const {
    std::string base = RefName(t.base);
    if (!t.help.empty()) o << "// " << t.help << "\n";
    o << "class " << t.name << " : public " << base << " {\n public:\n"
      << "  static constexpr ::com::IID iid = " << GuidLiteral(t.guid) << ";\n"
      << "  using Base = " << base << ";\n";
    for (const auto& f : t.functions) {
      o << "  virtual " << Cxx(f.result) << " " << Prefix(f.invkind) << f.name << "(";
      for (std::size_t i = 0; i < f.params.size(); ++i)
        o << (i ? ", " : "") << Cxx(f.params[i].type) << " " << f.params[i].name;
      o << ") = 0;\n";
    }
    o << "\n protected:\n  ~" << t.name << "() = default;\n};\n"
      << "inline constexpr ::com::IID IID_" << t.name << " = " << t.name << "::iid;\n\n";
  }

  const Library& lib_;
};

// ---- the embedding source ----

std::string EmbeddingSource(const Library& lib, const std::vector<std::uint8_t>& bytes) {
  std::ostringstream o;
  o << "// Generated by velcom-tlc: the type library " << lib.name
    << " as resource \"TYPELIB\" 1 of the library this is linked into. Do not edit.\n"
    << "__attribute__((section(\".velres.TYPELIB.1\"), used, retain, aligned(8)))\n"
    << "extern const unsigned char velcom_typelib_resource_" << lib.name << "[" << bytes.size() << "] = {";
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i % 16 == 0) o << "\n ";
    o << " " << static_cast<unsigned>(bytes[i]) << ",";
  }
  o << "\n};\n";
  return o.str();
}

bool WriteFile(const std::string& path, const std::string& text) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f << text;
  return static_cast<bool>(f);
}

}  // namespace

int main(int argc, char** argv) {
  std::string input, tlb, cpp, header;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) {
        std::cerr << "velcom-tlc: " << a << " wants a file name\n";
        std::exit(2);
      }
      return argv[++i];
    };
    if (a == "--tlb") tlb = value();
    else if (a == "--cpp") cpp = value();
    else if (a == "--header") header = value();
    else if (!a.empty() && a[0] == '-') {
      std::cerr << "velcom-tlc: unknown option " << a << "\n";
      return 2;
    } else input = a;
  }
  if (input.empty()) {
    std::cerr << "usage: velcom-tlc SOURCE [--tlb FILE] [--cpp FILE] [--header FILE]\n";
    return 2;
  }
  std::ifstream in(input, std::ios::binary);
  if (!in) {
    std::cerr << input << ": cannot be read\n";
    return 1;
  }
  std::stringstream ss;
  ss << in.rdbuf();
  Library lib;
  try {
    lib = Parser(ss.str()).Parse();
  } catch (const CompileError& e) {
    std::cerr << input << ":" << e.line << ": " << e.what() << "\n";
    return 1;
  }
  auto bytes = Serialize(lib);
  bool ok = true;
  if (!tlb.empty()) ok &= WriteFile(tlb, std::string(bytes.begin(), bytes.end()));
  if (!cpp.empty()) ok &= WriteFile(cpp, EmbeddingSource(lib, bytes));
  if (!header.empty()) ok &= WriteFile(header, HeaderWriter(lib).Write());
  if (!ok) {
    std::cerr << "velcom-tlc: cannot write the output\n";
    return 1;
  }
  return 0;
}
