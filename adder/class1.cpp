#include "class1.h"

namespace velmadd {

com::HRESULT Class1::MyAdd(std::int32_t a, std::int32_t b, std::int32_t* result) {
  if (!OnOwnerThread()) return com::RPC_E_WRONG_THREAD;
  // The object is kept alive for the length of the call.
  com::ComPtr<Class1> hold(this);
  if (!result) return com::E_POINTER;
  std::int32_t sum;
  if (__builtin_add_overflow(a, b, &sum)) return Fail(com::CTL_E_OVERFLOW, u"Overflow");
  *result = sum;
  return com::S_OK;
}

}  // namespace velmadd
