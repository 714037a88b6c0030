#pragma once
// Event properties of forms and controls. A handler is a bound method (an
// object and one of its member functions, see Bind) or any callable; an empty
// property means no handler.
#include <cstdint>
#include <functional>
#include <utility>

namespace forms {

class Component;
class ClientDataSet;

// The sender is the component whose event fires.
using NotifyEvent = std::function<void(Component& sender)>;
// The character typed, by reference: a handler sets it to '\0' to discard it.
using KeyPressEvent = std::function<void(Component& sender, char& key)>;

// Modifier keys held while a key went up or down.
enum ShiftState : unsigned { ssNone = 0, ssShift = 1, ssAlt = 2, ssCtrl = 4 };
// The virtual key code, by reference, as the platform passes it.
using KeyEvent = std::function<void(Component& sender, std::uint16_t& key, unsigned shift)>;

// A record of a filtered dataset is shown only when the handler leaves accept true.
using FilterRecordEvent = std::function<void(ClientDataSet& data_set, bool& accept)>;

// Virtual key codes the library itself produces.
inline constexpr std::uint16_t VK_BACK = 0x08;
inline constexpr std::uint16_t VK_RETURN = 0x0D;
inline constexpr std::uint16_t VK_ESCAPE = 0x1B;
inline constexpr std::uint16_t VK_DELETE = 0x2E;
inline constexpr std::uint16_t VK_PROCESSKEY = 0xE5;  // a character composed by the input method

// Binds a member function to its object: btnok.OnClick = Bind(*this, &Txxinfo::btnokClick).
// The object must outlive the property (a form's handlers live in the form).
template <class T, class R, class... Args>
std::function<R(Args...)> Bind(T& object, R (T::*method)(Args...)) {
  return [&object, method](Args... args) -> R { return (object.*method)(std::forward<Args>(args)...); };
}

}  // namespace forms
