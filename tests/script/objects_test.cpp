// CreateObject and member calls through the engine's object interface, with
// an object of the test's own in place of an automation server.
#include <gtest/gtest.h>

#include <climits>
#include <memory>

#include "script/convert.h"
#include "script_test_util.h"

namespace vbs::testing {
namespace {

// Adds two Longs, raising Overflow as an automation server reports it.
class Adder : public Object {
 public:
  Value Invoke(std::u16string_view name, std::span<const Value> args) override {
    if (name == u"MyAdd" || name == u"myadd") {
      if (args.size() != 2) ThrowRuntime(err::kWrongArgumentCount, name);
      const std::int64_t sum = std::int64_t{ToLong(args[0])} + ToLong(args[1]);
      if (sum > INT32_MAX || sum < INT32_MIN)
        throw ScriptError(ErrorKind::Runtime, err::kOverflow, u"Overflow in MyAdd");
      return Value::Long(static_cast<std::int32_t>(sum));
    }
    if (name == u"Self") return Value::Object(self.lock());
    ThrowRuntime(err::kNoSuchMember, name);
  }
  Value DefaultValue() override { return Value::Long(10); }
  std::weak_ptr<Adder> self;
};

class Objects : public ::testing::Test {
 protected:
  Engine engine{[](std::u16string_view prog_id) -> ObjectRef {
    if (prog_id != u"Test.Adder") ThrowRuntime(err::kCannotCreateObject, prog_id);
    auto adder = std::make_shared<Adder>();
    adder->self = adder;
    return adder;
  }};
};

TEST_F(Objects, MethodCallsReachTheObject) {
  EXPECT_EQ(Evaluate(engine, "CreateObject(\"Test.Adder\").MyAdd(2, 3)").text, "5");
  EXPECT_EQ(Evaluate(engine, "CreateObject(\"Test.Adder\").MyAdd(2, 3) = 5").text, "True");
  EXPECT_EQ(Evaluate(engine, "CreateObject(\"Test.Adder\").Self.MyAdd(-7, 7)").text, "0");
  EXPECT_EQ(Evaluate(engine, "(CreateObject(\"Test.Adder\")).MyAdd(1, 1)").text, "2");
}

TEST_F(Objects, ErrorsOfTheObjectSurfaceWithTheirOwnDescription) {
  try {
    engine.Eval(u"CreateObject(\"Test.Adder\").MyAdd(2147483647, 1)");
    FAIL();
  } catch (const ScriptError& e) {
    EXPECT_EQ(e.number(), err::kOverflow);
    EXPECT_EQ(e.description(), u"Overflow in MyAdd");
  }
  EXPECT_EQ(Evaluate(engine, "CreateObject(\"Test.Adder\").Nope").text, "error 438");
  EXPECT_EQ(Evaluate(engine, "CreateObject(\"Other.Class\")").text, "error 429");
}

TEST_F(Objects, ObjectsMeetOperatorsThroughTheirDefaultValue) {
  EXPECT_EQ(Evaluate(engine, "CreateObject(\"Test.Adder\") + 1").text, "11");
  EXPECT_EQ(Evaluate(engine, "CreateObject(\"Test.Adder\") & \"\"").text, "10");
  EXPECT_EQ(Evaluate(engine, "CreateObject(\"Test.Adder\")").type_name, "Object");
}

TEST_F(Objects, IsComparesReferences) {
  EXPECT_EQ(Evaluate(engine, "CreateObject(\"Test.Adder\") Is CreateObject(\"Test.Adder\")").text,
            "False");
  EXPECT_EQ(Evaluate(engine, "CreateObject(\"Test.Adder\") Is Nothing").text, "False");
  EXPECT_EQ(Evaluate(engine, "Nothing + 1").text, "error 91");
}

TEST_F(Objects, MembersOfWhatIsNoObjectAreAnError) {
  EXPECT_EQ(Evaluate(engine, "x.MyAdd(1, 2)").text, "error 424");
  EXPECT_EQ(Evaluate(engine, "Nothing.MyAdd(1, 2)").text, "error 424");
  EXPECT_EQ(Evaluate(engine, "(1).MyAdd").text, "error 424");
}

}  // namespace
}  // namespace vbs::testing
