#pragma once

// Named points in the steps that must survive a crash. The program passes them without a
// trace; the tests install a handler that stops the program at one of them, to prove that
// a kill there leaves every file whole.

#include <string_view>

namespace vestran::faults {

using Handler = void (*)(std::string_view point);

// Installs the handler (nullptr removes it). For tests only.
void setHandler(Handler handler);

// Calls the handler, if any, with the point's name.
void reach(std::string_view point);

}  // namespace vestran::faults
