#include "bindings/input_functions.hpp"

#include "bindings/module_state.hpp"
#include "engine/orv_app.hpp"
#include "input/key_tables.hpp"

namespace qel {

bool buttonDown(const std::string& name) {
    return orv::isButtonDown(name);
}

bool buttonComboDown(const std::vector<std::string>& names) {
    return orv::isComboDown(names);
}

bool buttonClicked(const std::string& name) {
    return orv::takeButtonClicked(name);
}

Point2D getCursor() {
    return requireEngine().cursor();
}

}  // namespace qel
