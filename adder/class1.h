#pragma once
// Class1, the one creatable class of Velmadd: MyAdd adds two 32-bit signed
// integers. The object holds nothing besides its reference count.
#include "com/auto_object.h"
#include "velmadd_tlb.h"

namespace velmadd {

class Class1 final : public com::AutoObject<Velmadd::_Class1> {
 public:
  using AutoObject::AutoObject;
  // *result = a + b; on signed overflow *result is left as it is and the call
  // fails with the automation overflow error (run-time error 6).
  com::HRESULT MyAdd(std::int32_t a, std::int32_t b, std::int32_t* result) override;
};

}  // namespace velmadd
