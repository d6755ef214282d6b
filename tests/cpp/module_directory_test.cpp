#include "bindings/module_directory.hpp"

#include <gtest/gtest.h>

#include <string>

namespace qel {
namespace {

struct DirectoryCase {
    std::string moduleFile;
    char separator;
    std::string directory;
    std::string dataDirectory;
};

const DirectoryCase kCases[] = {
    {"C:\\a\\b\\qel.pyd", '\\', "C:/a/b", "C:/a/b\\qelDataFiles"},
    {"\\\\srv\\share\\qel.pyd", '\\', "//srv/share", "//srv/share\\qelDataFiles"},
    {"C:\\a\\\\b\\qel.pyd", '\\', "C:/a//b", "C:/a//b\\qelDataFiles"},
    {"qel.pyd", '\\', "", "\\qelDataFiles"},
    {"", '\\', "", "\\qelDataFiles"},
    // The other platform's separator is just part of a name.
    {"C:/a/b/qel.pyd", '\\', "", "\\qelDataFiles"},
    {"/usr/lib/py/qel.cpython-311-x86_64-linux-gnu.so", '/', "/usr/lib/py",
     "/usr/lib/py/qelDataFiles"},
    {"/qel.so", '/', "", "/qelDataFiles"},
    {"build/qel.so", '/', "build", "build/qelDataFiles"},
};

TEST(ModuleDirectory, SplitsAtSeparatorAndJoinsWithSlash) {
    for (const DirectoryCase& c : kCases) {
        SCOPED_TRACE("file: \"" + c.moduleFile + "\" separator '" + c.separator + "'");
        EXPECT_EQ(moduleDirectoryOf(c.moduleFile, c.separator), c.directory);
        EXPECT_EQ(dataDirectoryOf(c.moduleFile, c.separator), c.dataDirectory);
    }
}

}  // namespace
}  // namespace qel
