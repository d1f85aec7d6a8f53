// What commands and records may ask of the main window besides drawing.
#pragma once

#include <string_view>

namespace mirokel {

class WindowServices {
public:
    virtual ~WindowServices() = default;
    // Sets the text of the one-line Tmin entry (child id 225) of the series parameters view.
    virtual void setTminEditText(std::string_view text) = 0;
};

} // namespace mirokel
