#include "com/safearray.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "com/dispatch.h"

namespace com {

namespace {

// The element type is kept just before the descriptor, as FADF_HAVEVARTYPE says.
struct Block {
  VARTYPE vt;
  WORD pad[3];
  SAFEARRAY array;  // followed by cDims - 1 further bounds
};

std::size_t ElementSize(VARTYPE vt) {
  switch (vt) {
    case VT_VARIANT: return sizeof(VARIANT);
    case VT_BSTR: case VT_DISPATCH: case VT_UNKNOWN: return sizeof(void*);
    case VT_I2: case VT_BOOL: return 2;
    case VT_I4: case VT_ERROR: return 4;
    case VT_R8: return 8;
    case VT_UI1: return 1;
    default: return 0;
  }
}

Block* BlockOf(const SAFEARRAY* a) {
  return reinterpret_cast<Block*>(reinterpret_cast<char*>(const_cast<SAFEARRAY*>(a)) - offsetof(Block, array));
}

std::size_t ElementCount(const SAFEARRAY* a) {
  std::size_t n = 1;
  for (unsigned i = 0; i < a->cDims; ++i) n *= a->rgsabound[i].cElements;
  return n;
}

VARTYPE TypeOf(const SAFEARRAY* a) { return BlockOf(a)->vt; }

void ClearElement(VARTYPE vt, void* p) {
  switch (vt) {
    case VT_VARIANT: VariantClear(static_cast<VARIANT*>(p)); break;
    case VT_BSTR: SysFreeString(*static_cast<BSTR*>(p)); *static_cast<BSTR*>(p) = nullptr; break;
    case VT_DISPATCH: case VT_UNKNOWN: {
      auto** unk = static_cast<IUnknown**>(p);
      if (*unk) (*unk)->Release();
      *unk = nullptr;
      break;
    }
    default: break;
  }
}

HRESULT CopyElement(VARTYPE vt, void* dest, const void* src) {
  switch (vt) {
    case VT_VARIANT: return VariantCopy(static_cast<VARIANT*>(dest), static_cast<const VARIANT*>(src));
    case VT_BSTR: {
      BSTR s = *static_cast<const BSTR*>(src);
      BSTR copy = s ? SysAllocStringLen(s, SysStringLen(s)) : nullptr;
      if (s && !copy) return E_OUTOFMEMORY;
      SysFreeString(*static_cast<BSTR*>(dest));
      *static_cast<BSTR*>(dest) = copy;
      return S_OK;
    }
    case VT_DISPATCH: case VT_UNKNOWN: {
      IUnknown* unk = *static_cast<IUnknown* const*>(src);
      if (unk) unk->AddRef();
      ClearElement(vt, dest);
      *static_cast<IUnknown**>(dest) = unk;
      return S_OK;
    }
    default:
      std::memcpy(dest, src, ElementSize(vt));
      return S_OK;
  }
}

// Offset of the element at indices (leftmost first); DISP_E_BADINDEX when outside.
HRESULT Locate(const SAFEARRAY* a, const LONG* indices, void** where) {
  if (!a || !indices) return E_INVALIDARG;
  std::size_t offset = 0;
  for (unsigned d = 0; d < a->cDims; ++d) {
    // rgsabound is stored rightmost dimension first.
    const SAFEARRAYBOUND& b = a->rgsabound[a->cDims - 1 - d];
    long long i = static_cast<long long>(indices[d]) - b.lLbound;
    if (i < 0 || i >= static_cast<long long>(b.cElements)) return DISP_E_BADINDEX;
    offset = offset * b.cElements + static_cast<std::size_t>(i);
  }
  *where = static_cast<char*>(a->pvData) + offset * a->cbElements;
  return S_OK;
}

}  // namespace

SAFEARRAY* SafeArrayCreate(VARTYPE vt, unsigned dims, const SAFEARRAYBOUND* bounds) {
  std::size_t size = ElementSize(vt);
  if (!size || dims == 0 || dims > 60 || !bounds) return nullptr;
  std::size_t count = 1;
  for (unsigned i = 0; i < dims; ++i) {
    if (bounds[i].cElements && count > (1u << 28) / bounds[i].cElements) return nullptr;
    count *= bounds[i].cElements;
  }
  std::size_t header = sizeof(Block) + (dims - 1) * sizeof(SAFEARRAYBOUND);
  auto* block = static_cast<Block*>(std::calloc(1, header));
  if (!block) return nullptr;
  void* data = std::calloc(count ? count : 1, size);
  if (!data) {
    std::free(block);
    return nullptr;
  }
  block->vt = vt;
  SAFEARRAY* a = &block->array;
  a->cDims = static_cast<USHORT>(dims);
  a->cbElements = static_cast<ULONG>(size);
  a->fFeatures = FADF_HAVEVARTYPE | (vt == VT_VARIANT ? FADF_VARIANT
                                     : vt == VT_BSTR    ? FADF_BSTR
                                     : vt == VT_DISPATCH ? FADF_DISPATCH
                                     : vt == VT_UNKNOWN  ? FADF_UNKNOWN
                                                         : 0);
  a->pvData = data;
  // The caller's bounds are leftmost first; they are kept rightmost first.
  for (unsigned i = 0; i < dims; ++i) a->rgsabound[i] = bounds[dims - 1 - i];
  return a;
}

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lower_bound, ULONG elements) {
  SAFEARRAYBOUND bound{elements, lower_bound};
  return SafeArrayCreate(vt, 1, &bound);
}

HRESULT SafeArrayDestroy(SAFEARRAY* a) {
  if (!a) return S_OK;
  if (a->cLocks) return DISP_E_ARRAYISLOCKED;
  VARTYPE vt = TypeOf(a);
  std::size_t n = ElementCount(a);
  for (std::size_t i = 0; i < n; ++i) ClearElement(vt, static_cast<char*>(a->pvData) + i * a->cbElements);
  std::free(a->pvData);
  std::free(BlockOf(a));
  return S_OK;
}

HRESULT SafeArrayCopy(const SAFEARRAY* a, SAFEARRAY** copy) {
  if (!a || !copy) return E_INVALIDARG;
  *copy = nullptr;
  SAFEARRAYBOUND bounds[60];
  for (unsigned i = 0; i < a->cDims; ++i) bounds[i] = a->rgsabound[a->cDims - 1 - i];
  VARTYPE vt = TypeOf(a);
  SAFEARRAY* c = SafeArrayCreate(vt, a->cDims, bounds);
  if (!c) return E_OUTOFMEMORY;
  std::size_t n = ElementCount(a);
  for (std::size_t i = 0; i < n; ++i) {
    HRESULT hr = CopyElement(vt, static_cast<char*>(c->pvData) + i * c->cbElements,
                             static_cast<const char*>(a->pvData) + i * a->cbElements);
    if (FAILED(hr)) {
      SafeArrayDestroy(c);
      return hr;
    }
  }
  *copy = c;
  return S_OK;
}

unsigned SafeArrayGetDim(const SAFEARRAY* a) { return a ? a->cDims : 0; }

HRESULT SafeArrayGetVartype(const SAFEARRAY* a, VARTYPE* vt) {
  if (!a || !vt) return E_INVALIDARG;
  *vt = TypeOf(a);
  return S_OK;
}

HRESULT SafeArrayGetLBound(const SAFEARRAY* a, unsigned dim, LONG* bound) {
  if (!a || !bound) return E_INVALIDARG;
  if (dim < 1 || dim > a->cDims) return DISP_E_BADINDEX;
  *bound = a->rgsabound[a->cDims - dim].lLbound;
  return S_OK;
}

HRESULT SafeArrayGetUBound(const SAFEARRAY* a, unsigned dim, LONG* bound) {
  if (!a || !bound) return E_INVALIDARG;
  if (dim < 1 || dim > a->cDims) return DISP_E_BADINDEX;
  const SAFEARRAYBOUND& b = a->rgsabound[a->cDims - dim];
  *bound = static_cast<LONG>(b.lLbound + static_cast<long long>(b.cElements) - 1);
  return S_OK;
}

HRESULT SafeArrayPutElement(SAFEARRAY* a, const LONG* indices, const void* value) {
  if (!value) return E_INVALIDARG;
  void* where;
  HRESULT hr = Locate(a, indices, &where);
  if (FAILED(hr)) return hr;
  return CopyElement(TypeOf(a), where, value);
}

HRESULT SafeArrayGetElement(SAFEARRAY* a, const LONG* indices, void* value) {
  if (!value) return E_INVALIDARG;
  void* where;
  HRESULT hr = Locate(a, indices, &where);
  if (FAILED(hr)) return hr;
  VARTYPE vt = TypeOf(a);
  // The out slot is uninitialised storage: copy into a cleared one.
  if (vt == VT_VARIANT) VariantInit(static_cast<VARIANT*>(value));
  if (vt == VT_BSTR || vt == VT_DISPATCH || vt == VT_UNKNOWN) *static_cast<void**>(value) = nullptr;
  return CopyElement(vt, value, where);
}

HRESULT SafeArrayLock(SAFEARRAY* a) {
  if (!a) return E_INVALIDARG;
  ++a->cLocks;
  return S_OK;
}

HRESULT SafeArrayUnlock(SAFEARRAY* a) {
  if (!a) return E_INVALIDARG;
  if (a->cLocks == 0) return E_UNEXPECTED;
  --a->cLocks;
  return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* a, void** data) {
  if (!a || !data) return E_INVALIDARG;
  ++a->cLocks;
  *data = a->pvData;
  return S_OK;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* a) { return SafeArrayUnlock(a); }

}  // namespace com
