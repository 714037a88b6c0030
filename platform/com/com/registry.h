#pragma once
// The registry: a tree of keys under two roots (the classes root and the
// current user), each key holding named values (strings or DWORDs; the
// value named "" is the key's default value). Key names are compared without
// regard to letter case and keep the case they were created with. Texts are
// UTF-16 here and UTF-8 in the file.
//
// The registry lives in one file per user: $VELMORA_REGISTRY when set, else
// $XDG_CONFIG_HOME/velmora/registry.xml (~/.config/velmora/registry.xml).
// Every change is made under a lock on "<file>.lock", by reading the file,
// changing it and writing it to a temporary file renamed over it, so the file
// is always either the old or the new whole registry. A missing file is an
// empty registry. A file that cannot be read as a registry gives
// HResultFromWin32(ERROR_BADDB) with error information naming the file and
// the fault, and is never overwritten.
//
//   com::registry::SetString(Root::ClassesRoot, u"Velmadd.Class1\\Clsid", u"", clsid_text);
//   std::u16string path;
//   hr = com::registry::GetString(Root::ClassesRoot, u"CLSID\\{...}\\InprocServer32", u"", &path);
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "com/hresult.h"

namespace com::registry {

enum class Root { ClassesRoot, CurrentUser };

struct Value {
  enum class Type { String, Dword } type = Type::String;
  std::u16string text;
  std::uint32_t dword = 0;
  friend bool operator==(const Value&, const Value&) = default;
};

// Comparison of key and value names: letter case ignored (ASCII).
// Transparent, so that lookups need no std::u16string.
struct NoCaseLess {
  using is_transparent = void;
  bool operator()(std::u16string_view a, std::u16string_view b) const;
};

struct Key {
  std::u16string name;  // as created
  std::map<std::u16string, Value, NoCaseLess> values;
  std::map<std::u16string, std::unique_ptr<Key>, NoCaseLess> subkeys;

  Key* Find(std::u16string_view path);
  const Key* Find(std::u16string_view path) const;
  Key& Create(std::u16string_view path);  // with every missing key on the way
  // Removes the key at path with everything below it; then every parent left
  // without values or subkeys, up to (not including) this key. False when
  // there was no such key.
  bool DeleteTree(std::u16string_view path);
  bool Empty() const { return values.empty() && subkeys.empty(); }
  friend bool operator==(const Key& a, const Key& b);
};

struct Tree {
  Key classes_root;
  Key current_user;
  Key& RootKey(Root root) { return root == Root::ClassesRoot ? classes_root : current_user; }
  const Key& RootKey(Root root) const { return root == Root::ClassesRoot ? classes_root : current_user; }
  friend bool operator==(const Tree& a, const Tree& b) { return a.classes_root == b.classes_root && a.current_user == b.current_user; }
};

// The registry file in use (UTF-8 path of the file system).
std::string FilePath();

// Calls view with the registry as it is now and returns what view returns,
// or ERROR_BADDB. The file is parsed again only when it changed since the
// last read; the tree is valid during the call only, and the registry must
// not be used from inside view (it holds the process's registry lock).
HRESULT View(const std::function<HRESULT(const Tree&)>& view);
// Reads the registry. S_OK (also for a missing file) or ERROR_BADDB.
HRESULT Read(Tree* tree);
// Reads, lets edit change the tree, and writes it back when edit succeeded
// (only then). Returns edit's HRESULT, or the read or write failure.
HRESULT Modify(const std::function<HRESULT(Tree&)>& edit);

// The text form of the file, and back (for tools and tests).
std::string ToXml(const Tree& tree);
// S_OK or ERROR_BADDB with *error telling what is wrong.
HRESULT FromXml(std::string_view xml, Tree* tree, std::string* error);

// Single operations, each one read (and write) of the file.
HRESULT SetString(Root root, std::u16string_view key, std::u16string_view name, std::u16string_view value);
HRESULT SetDword(Root root, std::u16string_view key, std::u16string_view name, std::uint32_t value);
// S_OK; REGDB_E_KEYMISSING when the key or value does not exist (or is not a
// string / DWORD); ERROR_BADDB.
HRESULT GetString(Root root, std::u16string_view key, std::u16string_view name, std::u16string* value);
HRESULT GetDword(Root root, std::u16string_view key, std::u16string_view name, std::uint32_t* value);
// S_OK, S_FALSE when there was no such key, or the failure.
HRESULT DeleteTree(Root root, std::u16string_view key);
bool KeyExists(Root root, std::u16string_view key);

}  // namespace com::registry
