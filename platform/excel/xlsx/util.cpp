// Small helpers of the .xlsx model: UTF conversions, base64, XML text.
#include <libxml/parser.h>

#include <cstring>

#include "excel/xlsx/internal.h"

namespace xlsx {

namespace {
// Decodes one UTF-8 character at s[i]; invalid bytes give U+FFFD.
char32_t NextCodePoint(std::string_view s, std::size_t& i) {
  auto b = static_cast<unsigned char>(s[i++]);
  if (b < 0x80) return b;
  int extra = b >= 0xF0 && b < 0xF5 ? 3 : b >= 0xE0 ? 2 : b >= 0xC2 && b < 0xE0 ? 1 : -1;
  if (extra < 0) return 0xFFFD;
  char32_t cp = b & (0x3F >> extra);
  for (int k = 0; k < extra; ++k) {
    if (i >= s.size() || (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return 0xFFFD;
    cp = (cp << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
  }
  if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
      (cp >= 0xD800 && cp <= 0xDFFF))
    return 0xFFFD;
  return cp;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool IsHex(char c) { return std::strchr("0123456789abcdefABCDEF", c) != nullptr && c != 0; }
}  // namespace

std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t cp = NextCodePoint(utf8, i);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size() * 3);
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    char32_t cp = utf16[i];
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] < 0xE000) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp < 0xE000) {
      cp = 0xFFFD;
    }
    AppendUtf8(out, cp);
  }
  return out;
}

static const char kB64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string Base64Encode(std::string_view bytes) {
  std::string out;
  std::size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    unsigned v = (static_cast<unsigned char>(bytes[i]) << 16) | (static_cast<unsigned char>(bytes[i + 1]) << 8) |
                 static_cast<unsigned char>(bytes[i + 2]);
    out += kB64[v >> 18];
    out += kB64[(v >> 12) & 63];
    out += kB64[(v >> 6) & 63];
    out += kB64[v & 63];
  }
  if (i < bytes.size()) {
    unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    out += kB64[v >> 18];
    out += kB64[(v >> 12) & 63];
    out += i + 1 < bytes.size() ? kB64[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

bool Base64Decode(std::string_view text, std::string& out) {
  out.clear();
  unsigned v = 0;
  int bits = 0;
  for (char c : text) {
    if (c == '=' || c == ' ' || c == '\n' || c == '\r' || c == '\t') continue;
    const char* p = std::strchr(kB64, c);
    if (!p || c == 0) return false;
    v = (v << 6) | static_cast<unsigned>(p - kB64);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out += static_cast<char>((v >> bits) & 0xFF);
    }
  }
  return true;
}

void AppendEscaped(std::string& out, std::string_view text, bool attribute) {
  for (std::size_t i = 0; i < text.size();) {
    std::size_t start = i;
    char32_t cp = NextCodePoint(text, i);
    switch (cp) {
      case '&': out += "&amp;"; continue;
      case '<': out += "&lt;"; continue;
      case '>': out += "&gt;"; continue;
      case '"':
        if (attribute) { out += "&quot;"; continue; }
        break;
      case '\t':
      case '\n':
        if (attribute) { out += cp == '\t' ? "&#9;" : "&#10;"; continue; }
        out += static_cast<char>(cp);
        continue;
      case '_':
        // A literal "_xHHHH_" would be read as an escape: escape its underscore.
        if (i + 5 < text.size() + 0 && text[i] == 'x' && IsHex(text[i + 1]) && IsHex(text[i + 2]) &&
            IsHex(text[i + 3]) && IsHex(text[i + 4]) && i + 5 < text.size() && text[i + 5] == '_') {
          out += "_x005F_";
          continue;
        }
        break;
      default: break;
    }
    if (cp < 0x20 || cp == 0xFFFE || cp == 0xFFFF) {
      char buf[10];
      std::snprintf(buf, sizeof buf, "_x%04X_", static_cast<unsigned>(cp));
      out += buf;
    } else if (cp == 0xFFFD && !(text.substr(start, i - start) == "\xEF\xBF\xBD")) {
      out += "\xEF\xBF\xBD";
    } else {
      out.append(text.data() + start, i - start);
    }
  }
}

std::string DecodeExcelEscapes(std::string_view text) {
  if (text.find("_x") == std::string_view::npos) return std::string(text);
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '_' && i + 6 < text.size() + 0 + 0 && text[i + 1] == 'x' && IsHex(text[i + 2]) &&
        IsHex(text[i + 3]) && IsHex(text[i + 4]) && IsHex(text[i + 5]) && text[i + 6] == '_') {
      char32_t cp = static_cast<char32_t>(std::strtoul(std::string(text.substr(i + 2, 4)).c_str(), nullptr, 16));
      if (cp >= 0xD800 && cp < 0xE000) cp = 0xFFFD;
      AppendUtf8(out, cp);
      i += 6;
    } else {
      out += text[i];
    }
  }
  return out;
}

const char* LocalName(const xmlNode* node) { return reinterpret_cast<const char*>(node->name); }

bool Is(const xmlNode* node, const char* local_name) {
  return node && node->type == XML_ELEMENT_NODE && std::strcmp(LocalName(node), local_name) == 0;
}

xmlNode* FirstChild(xmlNode* parent, const char* local_name) {
  if (!parent) return nullptr;
  for (xmlNode* c = parent->children; c; c = c->next)
    if (Is(c, local_name)) return c;
  return nullptr;
}

static xmlAttr* FindAttr(const xmlNode* node, const char* local_name) {
  if (!node || node->type != XML_ELEMENT_NODE) return nullptr;
  for (xmlAttr* a = node->properties; a; a = a->next)
    if (std::strcmp(reinterpret_cast<const char*>(a->name), local_name) == 0) return a;
  return nullptr;
}

std::string Attr(const xmlNode* node, const char* local_name) {
  xmlAttr* a = FindAttr(node, local_name);
  if (!a || !a->children) return {};
  std::string out;
  for (xmlNode* t = a->children; t; t = t->next)
    if (t->content) out += reinterpret_cast<const char*>(t->content);
  return out;
}

bool HasAttr(const xmlNode* node, const char* local_name) { return FindAttr(node, local_name) != nullptr; }

bool BoolAttr(const xmlNode* node, const char* local_name, bool fallback) {
  if (!HasAttr(node, local_name)) return fallback;
  std::string v = Attr(node, local_name);
  return v == "1" || v == "true" || v == "on";
}

std::string NodeText(const xmlNode* node) {
  std::string out;
  for (const xmlNode* c = node ? node->children : nullptr; c; c = c->next) {
    if (c->type == XML_TEXT_NODE || c->type == XML_CDATA_SECTION_NODE) {
      if (c->content) out += reinterpret_cast<const char*>(c->content);
    } else if (c->type == XML_ELEMENT_NODE) {
      out += NodeText(c);
    }
  }
  return out;
}

void AppendNode(std::string& out, xmlDoc* doc, xmlNode* node) {
  xmlBuffer* buf = xmlBufferCreate();
  xmlNodeDump(buf, doc, node, 0, 0);
  out.append(reinterpret_cast<const char*>(xmlBufferContent(buf)), static_cast<std::size_t>(xmlBufferLength(buf)));
  xmlBufferFree(buf);
}

xmlDoc* ParseXml(std::string_view bytes, const std::string& part_name) {
  if (bytes.size() > 0x7FFFFFFF) throw Error(ErrorKind::TooLarge, "The part " + part_name + " is too large.");
  xmlParserCtxt* ctxt = xmlNewParserCtxt();
  if (!ctxt) throw Error(ErrorKind::Io, "Out of memory while reading " + part_name + ".");
  xmlDoc* doc = xmlCtxtReadMemory(ctxt, bytes.data(), static_cast<int>(bytes.size()), part_name.c_str(), nullptr,
                                  XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_COMPACT);
  std::string message;
  if (!doc || !ctxt->wellFormed) {
    const xmlError* e = xmlCtxtGetLastError(ctxt);
    message = "The part " + part_name + " is not well-formed XML";
    if (e && e->message) {
      std::string m = e->message;
      while (!m.empty() && (m.back() == '\n' || m.back() == ' ')) m.pop_back();
      message += " (line " + std::to_string(e->line) + ": " + m + ")";
    }
    message += ".";
  } else if (doc->intSubset || doc->extSubset) {
    message = "The part " + part_name + " carries a document type declaration, which a workbook never has.";
  } else if (!xmlDocGetRootElement(doc)) {
    message = "The part " + part_name + " is empty.";
  }
  xmlFreeParserCtxt(ctxt);
  if (!message.empty()) {
    if (doc) xmlFreeDoc(doc);
    throw Error(ErrorKind::Malformed, message);
  }
  return doc;
}

}  // namespace xlsx
