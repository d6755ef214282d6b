#pragma once
// Names for every key and mouse button the window system knows, as the keyboard and mouse
// queries take them: lower case ("space", "a", "f1", "left shift"), plus a few aliases.

#include <optional>
#include <string>
#include <vector>

namespace orv {

// A key is its window-system key code; a mouse button is kMouseCode + its number.
constexpr int kMouseCode = 1000;

// The codes a key name stands for: one key, or both sides of a modifier ("shift"). Empty
// for a name no key has. The ten names of the button queries ("W", "mouseLeft") work too.
std::vector<int> keyCodesNamed(const std::string& name);
// The same for "left", "right" and "middle".
std::optional<int> mouseCodeNamed(const std::string& name);

// The name keysDown reports for a key code; empty for a code with no name.
std::string keyName(int code);

// Every name keyCodesNamed knows, for suggesting close matches.
const std::vector<std::string>& allKeyNames();
const std::vector<std::string>& allMouseNames();

}  // namespace orv
