#include "vulkan/shader_file.hpp"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdlib>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "render/draw_list.hpp"

namespace orv {
namespace {

// An empty compute shader "main", as spirv-as writes it for Vulkan 1.0.
const std::vector<uint32_t> kCompute = {
    0x07230203, 0x00010000, 0x00070000, 0x00000005, 0x00000000, 0x00020011, 0x00000001,
    0x0003000e, 0x00000000, 0x00000001, 0x0005000f, 0x00000005, 0x00000001, 0x6e69616d,
    0x00000000, 0x00060010, 0x00000001, 0x00000011, 0x00000001, 0x00000001, 0x00000001,
    0x00020013, 0x00000002, 0x00030021, 0x00000003, 0x00000002, 0x00050036, 0x00000002,
    0x00000001, 0x00000000, 0x00000003, 0x000200f8, 0x00000004, 0x000100fd, 0x00010038,
};
constexpr size_t kOpTypeVoid = 21;

std::vector<uint32_t> with(size_t at, uint32_t word) {
    std::vector<uint32_t> words = kCompute;
    words[at] = word;
    return words;
}

TEST(SpirvProblem, AcceptsOnlyValidModulesWithTheWantedEntryPoint) {
    const std::string invalid = "is not valid SPIR-V (";
    struct Case {
        const char* name;
        std::vector<uint32_t> words;
        VkShaderStageFlagBits stage;
        const char* entryPoint;
        std::string problem;  // a prefix; "" = accepted
    };
    const Case cases[] = {
        {"valid", kCompute, VK_SHADER_STAGE_COMPUTE_BIT, "main", ""},
        {"other stage", kCompute, VK_SHADER_STAGE_FRAGMENT_BIT, "main", "has no fragment entry point named main"},
        {"other name", kCompute, VK_SHADER_STAGE_COMPUTE_BIT, "mai", "has no compute entry point named mai"},
        {"cut inside an instruction", std::vector<uint32_t>(kCompute.begin(), kCompute.begin() + 12),
         VK_SHADER_STAGE_COMPUTE_BIT, "main", invalid + "End of input"},
        {"cut at an instruction", std::vector<uint32_t>(kCompute.begin(), kCompute.end() - 1),
         VK_SHADER_STAGE_COMPUTE_BIT, "main", invalid},
        {"word count zero", with(kOpTypeVoid, 0x00000013), VK_SHADER_STAGE_COMPUTE_BIT, "main", invalid},
        {"last word count past the end", with(kCompute.size() - 1, 0x00050038), VK_SHADER_STAGE_COMPUTE_BIT,
         "main", invalid},
        {"no magic", with(0, 0xdeadbeef), VK_SHADER_STAGE_COMPUTE_BIT, "main", invalid + "no SPIR-V magic"},
        {"other byte order", with(0, 0x03022307), VK_SHADER_STAGE_COMPUTE_BIT, "main",
         invalid + "words in the other byte order"},
        {"shorter than a header", {0x07230203, 0x00010000}, VK_SHADER_STAGE_COMPUTE_BIT, "main", invalid},
        {"empty", {}, VK_SHADER_STAGE_COMPUTE_BIT, "main", invalid},
    };
    for (const Case& c : cases) {
        const std::string problem = spirvProblem(c.words, c.stage, c.entryPoint);
        if (c.problem.empty()) {
            EXPECT_EQ(problem, "") << c.name;
        } else {
            EXPECT_EQ(problem.rfind(c.problem, 0), 0u) << c.name << ": " << problem;
        }
    }
}

TEST(ReadShaderFile, ReadsRegularFilesUpToTheLimit) {
    char dir[] = "/tmp/qel-shader-file-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string path = std::string{dir} + "/s.spv";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "abcd", 4), 4);
    EXPECT_EQ(readShaderFile(path), (std::vector<char>{'a', 'b', 'c', 'd'}));
    // Sparse: the limit costs no disk.
    ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(kMaxShaderFileBytes)), 0);
    EXPECT_EQ(readShaderFile(path).size(), kMaxShaderFileBytes);
    ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(kMaxShaderFileBytes) + 1), 0);
    ::close(fd);
    try {
        readShaderFile(path);
        ADD_FAILURE() << "a file past the limit was read";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string{e.what()}.rfind("failed to open file: " + path + " is too large", 0), 0u) << e.what();
    }
    ::unlink(path.c_str());
    ::rmdir(dir);
}

}  // namespace
}  // namespace orv

namespace orv {
namespace {

// The compute shader reads each field at the byte offset draw_layout.h gives it.
TEST(SharedLayout, CppWritesPrimitivesAtTheOffsetsTheComputeShaderReads) {
    const std::vector<uint32_t> cpp = {
        offsetof(Primitive, p0),     offsetof(Primitive, p1),     offsetof(Primitive, p2),
        offsetof(Primitive, color),  offsetof(Primitive, kind),   offsetof(Primitive, source),
        offsetof(Primitive, inverse)};
    EXPECT_EQ(cpp, (std::vector<uint32_t>{kOffsetP0, kOffsetP1, kOffsetP2, kOffsetColor, kOffsetKind, kOffsetSource,
                                          kOffsetInverse}));
}

}  // namespace
}  // namespace orv
