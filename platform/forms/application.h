#pragma once
// The platform's handling of an error that reaches its message loop: an
// error escaping an event handler that the user's input started is shown in
// a message box (the error's text, the application's title as caption, OK
// only), and the form goes on.
#include <exception>
#include <string>

namespace forms {

void ShowException(const std::exception& error);

// The caption of those boxes (GBK); "velmora" unless set.
const std::string& ApplicationTitle();
void SetApplicationTitle(std::string title);

}  // namespace forms
