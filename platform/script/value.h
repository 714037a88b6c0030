#pragma once
// The VBScript Variant: one value of one of VBScript's subtypes. Strings are
// UTF-16, as VBScript's strings are; Currency is held as a whole number of
// ten-thousandths, a Date as the automation date (days since 30 December
// 1899, the time of day as the fraction).
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace vbs {

enum class Subtype : std::uint8_t {
  Empty,
  Null,
  Boolean,
  Byte,
  Integer,
  Long,
  Currency,
  Date,
  Double,
  String,
  Object,
};

class Value;

// An automation object as scripts see it. The COM server wraps IDispatch in
// one; the engine itself knows no COM.
class Object {
 public:
  virtual ~Object() = default;
  // obj.name(args) and obj.name: a method call or a property read, which
  // VBScript does not tell apart. Failures throw ScriptError.
  virtual Value Invoke(std::u16string_view name, std::span<const Value> args) = 0;
  // The object's default property, read where the object meets an operator.
  virtual Value DefaultValue() = 0;
  // Whether both refer to the same object (the Is operator).
  virtual bool Is(const Object& other) const { return this == &other; }
};
using ObjectRef = std::shared_ptr<Object>;

class Value {
 public:
  Value() = default;  // Empty

  static Value Null() { return Value(Subtype::Null); }
  static Value Boolean(bool b) {
    Value v(Subtype::Boolean);
    v.i_ = b ? -1 : 0;
    return v;
  }
  static Value Byte(std::uint8_t n) { return Whole(Subtype::Byte, n); }
  static Value Integer(std::int16_t n) { return Whole(Subtype::Integer, n); }
  static Value Long(std::int32_t n) { return Whole(Subtype::Long, n); }
  // `ten_thousandths` = the amount times 10,000.
  static Value Currency(std::int64_t ten_thousandths) {
    return Whole(Subtype::Currency, ten_thousandths);
  }
  static Value Date(double automation_date) {
    Value v(Subtype::Date);
    v.d_ = automation_date;
    return v;
  }
  static Value Double(double d) {
    Value v(Subtype::Double);
    v.d_ = d;
    return v;
  }
  static Value String(std::u16string s) {
    Value v(Subtype::String);
    v.s_ = std::move(s);
    return v;
  }
  // A null reference is Nothing.
  static Value Object(ObjectRef o) {
    Value v(Subtype::Object);
    v.o_ = std::move(o);
    return v;
  }

  Subtype type() const { return type_; }
  bool IsEmpty() const { return type_ == Subtype::Empty; }
  bool IsNull() const { return type_ == Subtype::Null; }
  bool IsString() const { return type_ == Subtype::String; }
  bool IsObject() const { return type_ == Subtype::Object; }
  bool IsNothing() const { return type_ == Subtype::Object && !o_; }
  // Boolean, Byte, Integer, Long or Currency: held as a whole number.
  bool IsWhole() const {
    return type_ == Subtype::Boolean || type_ == Subtype::Byte || type_ == Subtype::Integer ||
           type_ == Subtype::Long || type_ == Subtype::Currency;
  }
  // Boolean up to Double: the subtypes that are numbers (Date counts).
  bool IsNumber() const { return IsWhole() || type_ == Subtype::Date || type_ == Subtype::Double; }

  bool boolean() const { return i_ != 0; }
  // Boolean (-1/0), Byte, Integer, Long, or Currency in ten-thousandths.
  std::int64_t whole() const { return i_; }
  // Date or Double.
  double real() const { return d_; }
  const std::u16string& string() const { return s_; }
  const ObjectRef& object() const { return o_; }

 private:
  explicit Value(Subtype t) : type_(t) {}
  static Value Whole(Subtype t, std::int64_t n) {
    Value v(t);
    v.i_ = n;
    return v;
  }

  Subtype type_ = Subtype::Empty;
  union {
    std::int64_t i_ = 0;
    double d_;
  };
  std::u16string s_;
  ObjectRef o_;
};

}  // namespace vbs
