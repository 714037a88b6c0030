#include "com/registry.h"

#include <fcntl.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>

#include "com/error_info.h"
#include "platform/win/code_page.h"

namespace com::registry {

namespace {

char16_t Fold(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

std::vector<std::u16string_view> SplitPath(std::u16string_view path) {
  std::vector<std::u16string_view> parts;
  std::size_t b = 0;
  while (b <= path.size()) {
    std::size_t e = path.find(u'\\', b);
    if (e == std::u16string_view::npos) e = path.size();
    if (e > b) parts.push_back(path.substr(b, e - b));
    b = e + 1;
  }
  return parts;
}

HRESULT BadDb(const std::string& file, const std::string& what) {
  std::string text = "The registry file " + file + " is damaged: " + what;
  return ReportError(HResultFromWin32(ERROR_BADDB), GUID_NULL, u"Registry", win::Utf8ToWide(text));
}

}  // namespace

bool NoCaseLess::operator()(std::u16string_view a, std::u16string_view b) const {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    char16_t x = Fold(a[i]), y = Fold(b[i]);
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

Key* Key::Find(std::u16string_view path) {
  Key* k = this;
  for (auto part : SplitPath(path)) {
    auto it = k->subkeys.find(part);
    if (it == k->subkeys.end()) return nullptr;
    k = it->second.get();
  }
  return k;
}

const Key* Key::Find(std::u16string_view path) const { return const_cast<Key*>(this)->Find(path); }

Key& Key::Create(std::u16string_view path) {
  Key* k = this;
  for (auto part : SplitPath(path)) {
    auto& slot = k->subkeys[std::u16string(part)];
    if (!slot) {
      slot = std::make_unique<Key>();
      slot->name = std::u16string(part);
    }
    k = slot.get();
  }
  return *k;
}

bool Key::DeleteTree(std::u16string_view path) {
  auto parts = SplitPath(path);
  if (parts.empty()) return false;
  std::vector<Key*> chain{this};
  for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
    auto it = chain.back()->subkeys.find(std::u16string(parts[i]));
    if (it == chain.back()->subkeys.end()) return false;
    chain.push_back(it->second.get());
  }
  if (chain.back()->subkeys.erase(std::u16string(parts.back())) == 0) return false;
  for (std::size_t i = chain.size() - 1; i > 0 && chain[i]->Empty(); --i)
    chain[i - 1]->subkeys.erase(std::u16string(parts[i - 1]));
  return true;
}

bool operator==(const Key& a, const Key& b) {
  if (a.values.size() != b.values.size() || a.subkeys.size() != b.subkeys.size()) return false;
  for (auto ia = a.values.begin(), ib = b.values.begin(); ia != a.values.end(); ++ia, ++ib)
    if (ia->first != ib->first || !(ia->second == ib->second)) return false;
  for (auto ia = a.subkeys.begin(), ib = b.subkeys.begin(); ia != a.subkeys.end(); ++ia, ++ib)
    if (ia->second->name != ib->second->name || !(*ia->second == *ib->second)) return false;
  return true;
}

std::string FilePath() {
  if (const char* env = std::getenv("VELMORA_REGISTRY"); env && *env) return env;
  std::string base;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
    base = xdg;
  else if (const char* home = std::getenv("HOME"); home && *home)
    base = std::string(home) + "/.config";
  else
    base = ".";
  return base + "/velmora/registry.xml";
}

// ---- XML ----

namespace {

void WriteKey(std::ostringstream& o, const Key& key, int depth) {
  auto esc = [](const std::u16string& s) {
    std::string u = win::WideToUtf8(s), out;
    for (char c : u) {
      switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\n': out += "&#10;"; break;
        case '\r': out += "&#13;"; break;
        case '\t': out += "&#9;"; break;
        default: out += c;
      }
    }
    return out;
  };
  std::string pad(static_cast<std::size_t>(depth) * 2, ' ');
  for (const auto& [name, v] : key.values) {
    o << pad << "<value";
    if (!name.empty()) o << " name=\"" << esc(name) << "\"";
    if (v.type == Value::Type::Dword)
      o << " type=\"dword\">" << v.dword << "</value>\n";
    else
      o << " type=\"string\">" << esc(v.text) << "</value>\n";
  }
  for (const auto& [name, sub] : key.subkeys) {
    o << pad << "<key name=\"" << esc(sub->name) << "\"";
    if (sub->Empty()) {
      o << "/>\n";
      continue;
    }
    o << ">\n";
    WriteKey(o, *sub, depth + 1);
    o << pad << "</key>\n";
  }
}

std::string Attr(xmlNode* node, const char* name, bool* present) {
  xmlChar* v = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
  *present = v != nullptr;
  std::string s = v ? reinterpret_cast<const char*>(v) : "";
  xmlFree(v);
  return s;
}

std::string Content(xmlNode* node) {
  xmlChar* v = xmlNodeGetContent(node);
  std::string s = v ? reinterpret_cast<const char*>(v) : "";
  xmlFree(v);
  return s;
}

bool IsElement(xmlNode* n, const char* name) {
  return n->type == XML_ELEMENT_NODE && std::strcmp(reinterpret_cast<const char*>(n->name), name) == 0;
}

bool Blank(xmlNode* n) {
  if (n->type == XML_COMMENT_NODE) return true;
  if (n->type != XML_TEXT_NODE) return false;
  for (const xmlChar* c = n->content; c && *c; ++c)
    if (!std::isspace(*c)) return false;
  return true;
}

bool ReadKey(xmlNode* node, Key* key, std::string* error, int depth) {
  if (depth > 64) return *error = "keys nested too deeply", false;
  for (xmlNode* c = node->children; c; c = c->next) {
    if (Blank(c)) continue;
    std::string where = " (line " + std::to_string(c->line) + ")";
    bool has_name = false, has_type = false;
    if (IsElement(c, "key")) {
      std::string name = Attr(c, "name", &has_name);
      if (!has_name || name.empty() || name.find('\\') != std::string::npos)
        return *error = "a key without a proper name" + where, false;
      std::u16string wname = win::Utf8ToWide(name);
      if (key->subkeys.count(wname)) return *error = "key \"" + name + "\" twice" + where, false;
      auto sub = std::make_unique<Key>();
      sub->name = wname;
      if (!ReadKey(c, sub.get(), error, depth + 1)) return false;
      key->subkeys[wname] = std::move(sub);
    } else if (IsElement(c, "value")) {
      std::string name = Attr(c, "name", &has_name);
      std::string type = Attr(c, "type", &has_type);
      for (xmlNode* g = c->children; g; g = g->next)
        if (g->type == XML_ELEMENT_NODE) return *error = "markup inside a value" + where, false;
      Value v;
      std::string text = Content(c);
      if (type == "dword") {
        char* end = nullptr;
        errno = 0;
        unsigned long long d = std::strtoull(text.c_str(), &end, 10);
        if (text.empty() || *end || errno || d > 0xFFFFFFFFull || text[0] == '-')
          return *error = "a dword value that is no number: \"" + text + "\"" + where, false;
        v.type = Value::Type::Dword;
        v.dword = static_cast<std::uint32_t>(d);
      } else if (type == "string" || !has_type) {
        v.text = win::Utf8ToWide(text);
      } else {
        return *error = "a value of unknown type \"" + type + "\"" + where, false;
      }
      std::u16string wname = win::Utf8ToWide(name);
      if (key->values.count(wname)) return *error = "value \"" + name + "\" twice" + where, false;
      key->values[wname] = v;
    } else {
      return *error = "unexpected content" + where, false;
    }
  }
  return true;
}

}  // namespace

std::string ToXml(const Tree& tree) {
  std::ostringstream o;
  o << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<registry>\n";
  const std::pair<const char*, const Key*> roots[] = {{"HKEY_CLASSES_ROOT", &tree.classes_root},
                                                      {"HKEY_CURRENT_USER", &tree.current_user}};
  for (auto [name, key] : roots) {
    o << "  <root name=\"" << name << "\">\n";
    WriteKey(o, *key, 2);
    o << "  </root>\n";
  }
  o << "</registry>\n";
  return o.str();
}

HRESULT FromXml(std::string_view xml, Tree* tree, std::string* error) {
  Tree result;
  std::string err;
  xmlDoc* doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "registry.xml", "UTF-8",
                              XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (!doc) {
    const xmlError* e = xmlGetLastError();
    err = "not well-formed XML";
    if (e && e->message) {
      std::string m = e->message;
      while (!m.empty() && m.back() == '\n') m.pop_back();
      err += " (line " + std::to_string(e->line) + ": " + m + ")";
    }
  } else {
    xmlNode* root = xmlDocGetRootElement(doc);
    if (!root || !IsElement(root, "registry")) {
      err = "the document is no <registry>";
    } else {
      bool seen_cr = false, seen_cu = false;
      for (xmlNode* c = root->children; c && err.empty(); c = c->next) {
        if (Blank(c)) continue;
        bool has = false;
        std::string name = IsElement(c, "root") ? Attr(c, "name", &has) : "";
        bool* seen = name == "HKEY_CLASSES_ROOT" ? &seen_cr : name == "HKEY_CURRENT_USER" ? &seen_cu : nullptr;
        if (!seen || *seen) {
          err = "unexpected content (line " + std::to_string(c->line) + ")";
          break;
        }
        *seen = true;
        Key& key = name == "HKEY_CLASSES_ROOT" ? result.classes_root : result.current_user;
        ReadKey(c, &key, &err, 0);
      }
    }
    xmlFreeDoc(doc);
  }
  if (!err.empty()) {
    if (error) *error = err;
    return HResultFromWin32(ERROR_BADDB);
  }
  *tree = std::move(result);
  return S_OK;
}

// ---- the file ----

namespace {

std::mutex process_lock;  // flock is per open file: threads of one process queue here first

class FileLock {
 public:
  explicit FileLock(const std::string& path) {
    fd_ = ::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ >= 0) ::flock(fd_, LOCK_EX);
  }
  ~FileLock() {
    if (fd_ >= 0) ::close(fd_);  // releases the lock
  }

 private:
  int fd_ = -1;
};

void MakeParents(const std::string& path) {
  for (std::size_t i = 1; i < path.size(); ++i)
    if (path[i] == '/') ::mkdir(path.substr(0, i).c_str(), 0700);
}

HRESULT ReadFile(const std::string& path, Tree* tree) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 && errno == ENOENT) {
    *tree = Tree();
    return S_OK;
  }
  std::ifstream f(path, std::ios::binary);
  if (!f || S_ISDIR(st.st_mode))
    return ReportError(REGDB_E_READREGDB, GUID_NULL, u"Registry",
                       win::Utf8ToWide("The registry file " + path + " cannot be read"));
  std::stringstream ss;
  ss << f.rdbuf();
  std::string error;
  HRESULT hr = FromXml(ss.str(), tree, &error);
  if (FAILED(hr)) return BadDb(path, error);
  return S_OK;
}

HRESULT WriteFile(const std::string& path, const Tree& tree) {
  std::string text = ToXml(tree);
  std::string tmp = path + ".tmp." + std::to_string(::getpid());
  int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  bool ok = fd >= 0;
  for (std::size_t done = 0; ok && done < text.size();) {
    ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) done += static_cast<std::size_t>(n);
  }
  if (ok) ok = ::fsync(fd) == 0;
  if (fd >= 0) ok = ::close(fd) == 0 && ok;
  if (ok) ok = ::rename(tmp.c_str(), path.c_str()) == 0;
  if (!ok) {
    ::unlink(tmp.c_str());
    return ReportError(HResultFromWin32(ERROR_CANTWRITE), GUID_NULL, u"Registry",
                       win::Utf8ToWide("The registry file " + path + " cannot be written: " + std::strerror(errno)));
  }
  std::string dir = path.substr(0, path.rfind('/') == std::string::npos ? 0 : path.rfind('/'));
  if (!dir.empty()) {
    int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
      ::fsync(dfd);
      ::close(dfd);
    }
  }
  return S_OK;
}

}  // namespace

namespace {

// The parsed registry of the last read, reused while the file is the same
// file (a write renames a new file over it, so its identity changes). Reads
// are frequent (every creation by ProgID), writes rare (registration).
struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{};
  timespec changed{};
  friend bool operator==(const FileIdentity& a, const FileIdentity& b) {
    return a.device == b.device && a.inode == b.inode && a.size == b.size &&
           a.modified.tv_sec == b.modified.tv_sec && a.modified.tv_nsec == b.modified.tv_nsec &&
           a.changed.tv_sec == b.changed.tv_sec && a.changed.tv_nsec == b.changed.tv_nsec;
  }
};

FileIdentity IdentityOf(const struct stat& st) {
  return {st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
}

struct ReadCache {
  bool valid = false;
  std::string path;
  FileIdentity identity;
  Tree tree;
};
ReadCache read_cache;  // guarded by process_lock

}  // namespace

// The parsed file is kept while the file is the same (same identity); the
// process lock is held while use runs.
HRESULT View(const std::function<HRESULT(const Tree&)>& use) {
  std::string path = FilePath();
  std::lock_guard guard(process_lock);
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 && errno == ENOENT) {
    static const Tree empty;
    return use(empty);
  }
  if (read_cache.valid && read_cache.path == path && read_cache.identity == IdentityOf(st))
    return use(read_cache.tree);
  FileLock lock(path);
  Tree tree;
  HRESULT hr = ReadFile(path, &tree);
  if (FAILED(hr)) return hr;
  // The identity is taken again under the file lock: the file read is the one it names.
  read_cache.valid = ::stat(path.c_str(), &st) == 0;
  read_cache.path = path;
  read_cache.identity = IdentityOf(st);
  read_cache.tree = std::move(tree);
  return use(read_cache.tree);
}

HRESULT Read(Tree* tree) {
  if (!tree) return E_POINTER;
  std::string path = FilePath();
  std::lock_guard guard(process_lock);
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 && errno == ENOENT) {
    *tree = Tree();
    return S_OK;
  }
  FileLock lock(path);
  return ReadFile(path, tree);
}

HRESULT Modify(const std::function<HRESULT(Tree&)>& edit) {
  std::string path = FilePath();
  std::lock_guard guard(process_lock);
  MakeParents(path);
  FileLock lock(path);
  Tree tree;
  HRESULT hr = ReadFile(path, &tree);
  if (FAILED(hr)) return hr;
  hr = edit(tree);
  if (FAILED(hr)) return hr;
  read_cache.valid = false;
  HRESULT written = WriteFile(path, tree);
  return FAILED(written) ? written : hr;
}

HRESULT SetString(Root root, std::u16string_view key, std::u16string_view name, std::u16string_view value) {
  return Modify([&](Tree& t) {
    Value v;
    v.text = std::u16string(value);
    t.RootKey(root).Create(key).values[std::u16string(name)] = v;
    return S_OK;
  });
}

HRESULT SetDword(Root root, std::u16string_view key, std::u16string_view name, std::uint32_t value) {
  return Modify([&](Tree& t) {
    Value v;
    v.type = Value::Type::Dword;
    v.dword = value;
    t.RootKey(root).Create(key).values[std::u16string(name)] = v;
    return S_OK;
  });
}

namespace {
HRESULT GetValue(Root root, std::u16string_view key, std::u16string_view name, Value* out) {
  return View([&](const Tree& t) {
    const Key* k = t.RootKey(root).Find(key);
    if (!k) return REGDB_E_KEYMISSING;
    auto it = k->values.find(name);
    if (it == k->values.end()) return REGDB_E_KEYMISSING;
    *out = it->second;
    return S_OK;
  });
}
}  // namespace

HRESULT GetString(Root root, std::u16string_view key, std::u16string_view name, std::u16string* value) {
  if (!value) return E_POINTER;
  Value v;
  HRESULT hr = GetValue(root, key, name, &v);
  if (FAILED(hr)) return hr;
  if (v.type != Value::Type::String) return REGDB_E_KEYMISSING;
  *value = v.text;
  return S_OK;
}

HRESULT GetDword(Root root, std::u16string_view key, std::u16string_view name, std::uint32_t* value) {
  if (!value) return E_POINTER;
  Value v;
  HRESULT hr = GetValue(root, key, name, &v);
  if (FAILED(hr)) return hr;
  if (v.type != Value::Type::Dword) return REGDB_E_KEYMISSING;
  *value = v.dword;
  return S_OK;
}

HRESULT DeleteTree(Root root, std::u16string_view key) {
  bool found = false;
  HRESULT hr = Modify([&](Tree& t) {
    found = t.RootKey(root).DeleteTree(key);
    return found ? S_OK : S_FALSE;
  });
  return hr;
}

bool KeyExists(Root root, std::u16string_view key) {
  return View([&](const Tree& t) {
           return t.RootKey(root).Find(key) ? S_OK : S_FALSE;
         }) == S_OK;
}

}  // namespace com::registry
