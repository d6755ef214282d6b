#pragma once
// Keys, mouse buttons and the cursor, by name.

#include <string>
#include <vector>

#include "platform/point2d.hpp"

namespace qel {

bool buttonDown(const std::string& name);
bool buttonComboDown(const std::vector<std::string>& names);
bool buttonClicked(const std::string& name);
Point2D getCursor();

}  // namespace qel
