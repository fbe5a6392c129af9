// The checks a skin must pass before it is packed: mistakes the model would take silently
// (a picture it cannot find, a frame count that does not divide the picture, magenta where it
// would show or be keyed by accident, ini lines it would read differently than they look).
#pragma once

#include <string>
#include <vector>

#include "archive_builder.h"

namespace skinpack {

enum class Severity { Error, Warning };

struct Finding {
    Severity severity;
    std::string where;  // a member name or an ini section, or empty for the package
    std::string what;
};

struct LintReport {
    std::vector<Finding> findings;
    int Errors() const;
    int Warnings() const;
};

// members in archive order, the ini among them (first, for a sound package).
LintReport LintSkin(const std::vector<Member>& members);

std::string FormatFinding(const Finding& finding);

}  // namespace skinpack
