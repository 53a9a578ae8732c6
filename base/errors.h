// The exception classes every layer derives from. Each carries the message a user sees, which
// names what failed and, where there is one, the file.
#pragma once

#include <stdexcept>
#include <string>

namespace ko {

// The base exception: a message and nothing else.
class EKoError : public std::runtime_error {
public:
    explicit EKoError(const std::string& message) : std::runtime_error(message) {}
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
