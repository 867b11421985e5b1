#pragma once
// The run-time library's exception classes that the system's code raises and
// catches. Messages are code-page byte strings like every text of the system.
#include <exception>
#include <string>

class Exception : public std::exception {
public:
    explicit Exception(std::string msg) : Message(std::move(msg)) {}
    const char *what() const noexcept override { return Message.c_str(); }
    std::string Message;
};

class EMathError : public Exception { using Exception::Exception; };
class EInvalidOp : public EMathError { using EMathError::EMathError; };
class EZeroDivide : public EMathError { using EMathError::EMathError; };
class EOverflow : public EMathError { using EMathError::EMathError; };
class EConvertError : public Exception { using Exception::Exception; };
