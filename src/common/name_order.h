#pragma once

#include <QString>

namespace shutterhand {

// Orders names as a list view of the user's locale does: letter case decides only between names that
// are otherwise equal. Negative, zero or positive like strcmp.
int compareNames(const QString& a, const QString& b);

}  // namespace shutterhand
