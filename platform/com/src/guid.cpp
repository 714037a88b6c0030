#include "com/guid.h"

#include <cstdio>

namespace com {

std::string GuidToString(const GUID& g) {
  char text[39];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1, g.Data2, g.Data3,
                g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  return text;
}

std::u16string GuidToWide(const GUID& guid) {
  std::string text = GuidToString(guid);
  return std::u16string(text.begin(), text.end());
}

HRESULT CLSIDFromString(const OLECHAR* text, CLSID* clsid) {
  if (!text || !clsid) return E_POINTER;
  std::u16string_view wide(text);
  std::string narrow;
  for (char16_t c : wide) {
    if (c > 0x7F) return CO_E_CLASSSTRING;
    narrow.push_back(static_cast<char>(c));
  }
  // The platform's call wants the braces.
  if (narrow.size() != 38) return CO_E_CLASSSTRING;
  auto guid = ParseGuid(narrow);
  if (!guid) return CO_E_CLASSSTRING;
  *clsid = *guid;
  return S_OK;
}

HRESULT IIDFromString(const OLECHAR* text, IID* iid) {
  HRESULT hr = CLSIDFromString(text, iid);
  return hr == CO_E_CLASSSTRING ? E_INVALIDARG : hr;
}

int StringFromGUID2(const GUID& guid, OLECHAR* buffer, int max) {
  if (!buffer || max < 39) return 0;
  std::u16string text = GuidToWide(guid);
  for (int i = 0; i < 38; ++i) buffer[i] = text[i];
  buffer[38] = 0;
  return 39;
}

}  // namespace com
