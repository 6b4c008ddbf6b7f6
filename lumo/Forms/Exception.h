#pragma once
// The framework's exception type. Framework code throws it where a caller's request cannot be
// carried out (a picture file that does not open, a broken image, a misuse of a form); the
// window procedures and the program entry catch it and show it with the application's
// standard exception display. It never crosses from one part of the program into another.
#include <stdexcept>
#include <string>

namespace lumo {

class Exception : public std::runtime_error
{
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    const char* Message() const { return what(); }
};

// A file could not be opened.
class EFOpenError : public Exception
{
public:
    using Exception::Exception;
};

// Image data could not be read (not a bitmap, truncated, unsupported format).
class EInvalidGraphic : public Exception
{
public:
    using Exception::Exception;
};

// A request that is not valid in the object's current state.
class EInvalidOperation : public Exception
{
public:
    using Exception::Exception;
};

// A system call that the framework depends on failed (window or GDI object creation).
class EOutOfResources : public Exception
{
public:
    using Exception::Exception;
};

} // namespace lumo
