#pragma once
// Where the module's data files live: beside the module file.

#include <string>

namespace qel {

// Splits `moduleFile` at every `separator` (keeping empty pieces), drops the file name
// and joins the rest with '/'. A path without a separator gives "".
std::string moduleDirectoryOf(const std::string& moduleFile, char separator);

// The module directory followed by the separator and "qelDataFiles".
std::string dataDirectoryOf(const std::string& moduleFile, char separator);

}  // namespace qel
