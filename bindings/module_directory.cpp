#include "bindings/module_directory.hpp"

#include <vector>

namespace qel {

std::string moduleDirectoryOf(const std::string& moduleFile, char separator) {
    std::vector<std::string> pieces;
    std::string::size_type start = 0;
    for (;;) {
        const std::string::size_type end = moduleFile.find(separator, start);
        if (end == std::string::npos) {
            pieces.push_back(moduleFile.substr(start));
            break;
        }
        pieces.push_back(moduleFile.substr(start, end - start));
        start = end + 1;
    }
    pieces.pop_back();
    std::string directory;
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) {
            directory += '/';
        }
        directory += pieces[i];
    }
    return directory;
}

std::string dataDirectoryOf(const std::string& moduleFile, char separator) {
    return moduleDirectoryOf(moduleFile, separator) + separator + "qelDataFiles";
}

}  // namespace qel
