#include "com/error_info.h"

#include <new>

#include "com/object.h"
#include "platform/win/code_page.h"

namespace com {

namespace {

class ErrorObject final : public Object<IErrorInfo, ICreateErrorInfo> {
 public:
  HRESULT GetGUID(GUID* guid) override {
    if (!guid) return E_INVALIDARG;
    *guid = guid_;
    return S_OK;
  }
  HRESULT GetSource(BSTR* out) override { return Give(source_, out); }
  HRESULT GetDescription(BSTR* out) override { return Give(description_, out); }
  HRESULT GetHelpFile(BSTR* out) override { return Give(help_file_, out); }
  HRESULT GetHelpContext(DWORD* out) override {
    if (!out) return E_INVALIDARG;
    *out = help_context_;
    return S_OK;
  }
  HRESULT SetGUID(REFGUID guid) override {
    guid_ = guid;
    return S_OK;
  }
  HRESULT SetSource(const OLECHAR* text) override { return Take(text, &source_); }
  HRESULT SetDescription(const OLECHAR* text) override { return Take(text, &description_); }
  HRESULT SetHelpFile(const OLECHAR* text) override { return Take(text, &help_file_); }
  HRESULT SetHelpContext(DWORD context) override {
    help_context_ = context;
    return S_OK;
  }

 private:
  static HRESULT Give(const std::u16string& text, BSTR* out) {
    if (!out) return E_INVALIDARG;
    *out = Bstr(text).Detach();
    return S_OK;
  }
  static HRESULT Take(const OLECHAR* text, std::u16string* into) {
    *into = text ? std::u16string(text) : std::u16string();
    return S_OK;
  }
  GUID guid_;
  std::u16string source_, description_, help_file_;
  DWORD help_context_ = 0;
};

thread_local IErrorInfo* thread_error = nullptr;

// Releases the thread's error object when the thread ends.
struct ThreadErrorHolder {
  ~ThreadErrorHolder() {
    if (thread_error) thread_error->Release();
    thread_error = nullptr;
  }
};
thread_local ThreadErrorHolder holder;

}  // namespace

HRESULT SetErrorInfo(ULONG, IErrorInfo* info) {
  (void)&holder;
  if (info) info->AddRef();
  IErrorInfo* old = thread_error;
  thread_error = info;
  if (old) old->Release();
  return S_OK;
}

HRESULT GetErrorInfo(ULONG, IErrorInfo** info) {
  if (!info) return E_INVALIDARG;
  *info = thread_error;
  thread_error = nullptr;
  return *info ? S_OK : S_FALSE;
}

HRESULT CreateErrorInfo(ICreateErrorInfo** info) {
  if (!info) return E_INVALIDARG;
  auto object = MakeObject<ErrorObject>();
  if (!object) return E_OUTOFMEMORY;
  return object->QueryInterface(ICreateErrorInfo::iid, reinterpret_cast<void**>(info));
}

HRESULT ReportError(HRESULT hr, REFGUID guid, std::u16string_view source, std::u16string_view description) {
  ComPtr<ICreateErrorInfo> create;
  if (FAILED(CreateErrorInfo(create.Put()))) return hr;
  std::u16string s(source), d(description);
  create->SetGUID(guid);
  create->SetSource(s.c_str());
  create->SetDescription(d.c_str());
  if (auto info = QueryAs<IErrorInfo>(create.Get())) SetErrorInfo(0, info.Get());
  return hr;
}

namespace {
std::string MessageOf(HRESULT hr, const std::u16string& description) {
  if (!description.empty()) return win::WideToAnsi(description);
  return HResultMessage(hr);
}
}  // namespace

ComError::ComError(HRESULT hr, std::u16string description, std::u16string source)
    : std::runtime_error(MessageOf(hr, description)),
      hr_(hr),
      description_(std::move(description)),
      source_(std::move(source)) {}

ComError ComError::FromLastCall(HRESULT hr) {
  ComPtr<IErrorInfo> info;
  GetErrorInfo(0, info.Put());
  std::u16string description, source;
  if (info) {
    Bstr d, s;
    info->GetDescription(d.Put());
    info->GetSource(s.Put());
    description = d.ToWide();
    source = s.ToWide();
  }
  return ComError(hr, description, source);
}

HRESULT ReportException(REFGUID guid, std::u16string_view source) noexcept {
  try {
    throw;
  } catch (const ComError& e) {
    std::u16string description = e.Description();
    if (description.empty()) description = win::AnsiToWide(e.what());
    return ReportError(e.Result(), guid, e.Source().empty() ? source : e.Source(), description);
  } catch (const std::bad_alloc&) {
    return ReportError(E_OUTOFMEMORY, guid, source, win::AnsiToWide(HResultMessage(E_OUTOFMEMORY)));
  } catch (const std::exception& e) {
    return ReportError(E_FAIL, guid, source, win::AnsiToWide(e.what()));
  } catch (...) {
    return ReportError(E_FAIL, guid, source, win::AnsiToWide(HResultMessage(E_FAIL)));
  }
}

}  // namespace com
