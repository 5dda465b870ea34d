#pragma once

#include <stdexcept>
#include <string>

namespace kelm {

// Every error that reaches the user is shown in one error box; these are the kinds that
// the program raises itself.  The text of each is exactly what the box shows (before the
// full-stop rule of ErrorBoxText is applied).
class KelmError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A number text (real or integer) that cannot be read.
class ConvertError : public KelmError {
  public:
    using KelmError::KelmError;
};

// Division by zero in the chart computation.
class FloatDivByZeroError : public KelmError {
  public:
    FloatDivByZeroError() : KelmError("Floating point division by zero") {}
};

// 0/0 in the chart computation.
class FloatInvalidOpError : public KelmError {
  public:
    FloatInvalidOpError() : KelmError("Invalid floating point operation") {}
};

// A result too large for a double in the chart computation (it would otherwise put an
// infinity into the chart and wreck its scaling).
class FloatOverflowError : public KelmError {
  public:
    FloatOverflowError() : KelmError("Floating point overflow") {}
};

// An input/output failure that is reported with its code, e.g. "I/O error 103".
class InOutError : public KelmError {
  public:
    explicit InOutError(int code) : KelmError("I/O error " + std::to_string(code)), code_(code) {}
    int code() const { return code_; }

  private:
    int code_;
};

// Ends the current handler without any further message: the failure behind it (a file
// error) has already been reported to the user.
class SilentAbort : public std::exception {
  public:
    const char* what() const noexcept override { return "Operation aborted"; }
};

// The text of the error box: a full stop is appended when the last character comes after
// "." in character order (letters and digits do; "!" and ")" do not).  Bytes are compared
// unsigned, so a text ending in a Cyrillic letter gets its full stop too.
std::string ErrorBoxText(const std::string& message);

// Formats "'%s' is not a valid floating point value" and its integer twin.
std::string NotAFloatMessage(const std::string& text);
std::string NotAnIntegerMessage(const std::string& text);

}  // namespace kelm
