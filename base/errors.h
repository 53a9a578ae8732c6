// The exception classes every layer derives from. Each carries the message a user sees, which
// names what failed and, where there is one, the file.
#pragma once

#include <exception>
#include <string>

namespace ko {

// The base exception: a message and nothing else. Not a std::runtime_error: that one keeps its
// message in a second string implementation, which would add 65 KB to every Setup.exe.
class EKoError : public std::exception {
public:
    explicit EKoError(std::string message) : FMessage(std::move(message)) {}
    const char* what() const noexcept override { return FMessage.c_str(); }

private:
    std::string FMessage;
};

// A read, write or seek of a stream failed.
class EStreamError : public EKoError {
public:
    using EKoError::EKoError;
};

// A file could not be opened or created. Kept apart from other stream errors because start-up
// treats exactly this failure differently (it retries from a temporary copy).
class EFOpenError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

} // namespace ko
