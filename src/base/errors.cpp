#include "base/errors.h"

namespace kelm {

std::string ErrorBoxText(const std::string& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') {
        return message + '.';
    }
    return message;
}

std::string NotAFloatMessage(const std::string& text) {
    return "'" + text + "' is not a valid floating point value";
}

std::string NotAnIntegerMessage(const std::string& text) {
    return "'" + text + "' is not a valid integer value";
}

}  // namespace kelm
