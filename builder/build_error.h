// The builder's errors. Each message names what failed and on which file; the command line
// prints it and turns the class into the exit code.
#pragma once

#include "base/errors.h"

namespace ko {

// Bad input: a manifest, a source file, a stub or a package. Exit code 1.
class EBuildError : public EKoError {
public:
    using EKoError::EKoError;
};

// A command line that cannot be run: unknown option, missing argument. Exit code 2.
class EUsageError : public EKoError {
public:
    using EKoError::EKoError;
};

} // namespace ko
