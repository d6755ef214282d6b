#include "vulkan/shader_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <system_error>

#include "spirv-tools/libspirv.hpp"
#include "vulkan/vk_check.hpp"

namespace orv {

namespace {

constexpr uint32_t kSpirvMagic = 0x07230203;
constexpr uint32_t kHeaderWords = 5;
constexpr uint32_t kOpEntryPoint = 15;

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_{fd} {}
    ~FileDescriptor() { ::close(fd_); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

std::string errnoText(int error) {
    return std::system_category().message(error);
}

struct Stage {
    VkShaderStageFlagBits stage;
    uint32_t executionModel;  // SPIR-V's number for the same stage
    const char* name;
};
constexpr Stage kStages[] = {
    {VK_SHADER_STAGE_VERTEX_BIT, 0, "vertex"},
    {VK_SHADER_STAGE_TESSELLATION_CONTROL_BIT, 1, "tessellation control"},
    {VK_SHADER_STAGE_TESSELLATION_EVALUATION_BIT, 2, "tessellation evaluation"},
    {VK_SHADER_STAGE_GEOMETRY_BIT, 3, "geometry"},
    {VK_SHADER_STAGE_FRAGMENT_BIT, 4, "fragment"},
    {VK_SHADER_STAGE_COMPUTE_BIT, 5, "compute"},
};

// Whether a valid module declares `name` as an entry point of the given execution model.
bool hasEntryPoint(const std::vector<uint32_t>& words, uint32_t executionModel, const char* name) {
    const size_t nameBytes = std::strlen(name) + 1;
    size_t at = kHeaderWords;
    while (at < words.size()) {
        const uint32_t wordCount = words[at] >> 16;
        if (wordCount == 0 || wordCount > words.size() - at) {
            return false;
        }
        // OpEntryPoint: model, function id, then the name as a nul-terminated literal.
        if ((words[at] & 0xFFFF) == kOpEntryPoint && wordCount >= 4 && words[at + 1] == executionModel) {
            const size_t literalBytes = (wordCount - 3) * sizeof(uint32_t);
            if (nameBytes <= literalBytes && std::memcmp(&words[at + 3], name, nameBytes) == 0) {
                return true;
            }
        }
        at += wordCount;
    }
    return false;
}

// The validator's message on one line, short enough for an exception: some messages run on
// with a disassembled instruction.
std::string oneLine(const char* message) {
    constexpr size_t kMaxLength = 240;
    std::string line;
    for (const char* c = message; *c != '\0' && line.size() < kMaxLength; ++c) {
        const bool space = *c == ' ' || *c == '\n' || *c == '\t';
        if (!space) {
            line += *c;
        } else if (!line.empty() && line.back() != ' ') {
            line += ' ';
        }
    }
    while (!line.empty() && (line.back() == ' ' || line.back() == '.')) {
        line.pop_back();
    }
    return line;
}

}  // namespace

std::vector<char> readShaderFile(const std::string& path) {
    const std::string failed = "failed to open file: " + path;
    // Non-blocking so a FIFO without a writer cannot hold the open; fstat on the descriptor
    // so what is checked is what gets read.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        throw std::runtime_error(failed);
    }
    const FileDescriptor file{fd};
    struct stat info{};
    if (::fstat(file.get(), &info) != 0) {
        throw std::runtime_error(failed + " could not be examined (" + errnoText(errno) + ")");
    }
    if (!S_ISREG(info.st_mode)) {
        throw std::runtime_error(failed + " is not a regular file");
    }
    if (info.st_size < 0 || static_cast<unsigned long long>(info.st_size) > kMaxShaderFileBytes) {
        throw std::runtime_error(failed + " is too large for a shader (" + std::to_string(info.st_size) +
                                 " bytes, at most " + std::to_string(kMaxShaderFileBytes) + ")");
    }
    std::vector<char> bytes(static_cast<size_t>(info.st_size));
    size_t filled = 0;
    while (filled < bytes.size()) {
        const ssize_t got = ::read(file.get(), bytes.data() + filled, bytes.size() - filled);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw std::runtime_error(failed + " could not be read (" + errnoText(errno) + ")");
        }
        if (got == 0) {
            break;  // shrank since fstat: what was read is checked like any other content
        }
        filled += static_cast<size_t>(got);
    }
    bytes.resize(filled);
    return bytes;
}

std::string spirvProblem(const std::vector<uint32_t>& words, VkShaderStageFlagBits stage,
                         const char* entryPoint) {
    const std::string invalid = "is not valid SPIR-V (";
    if (words.size() < kHeaderWords) {
        return invalid + std::to_string(words.size()) + " words, shorter than the header)";
    }
    // The validator reads either byte order; drivers take only the host's.
    if (words[0] != kSpirvMagic) {
        const bool swapped = words[0] == __builtin_bswap32(kSpirvMagic);
        return invalid + (swapped ? "words in the other byte order)" : "no SPIR-V magic number)");
    }
    spvtools::SpirvTools tools{SPV_ENV_VULKAN_1_0};
    std::string error;
    tools.SetMessageConsumer([&error](spv_message_level_t level, const char*, const spv_position_t&,
                                      const char* message) {
        if (error.empty() && level <= SPV_MSG_ERROR) {
            error = oneLine(message);
        }
    });
    if (!tools.Validate(words)) {
        return invalid + (error.empty() ? std::string{"rejected by the validator"} : error) + ")";
    }
    for (const Stage& known : kStages) {
        if (known.stage == stage) {
            if (!hasEntryPoint(words, known.executionModel, entryPoint)) {
                return std::string{"has no "} + known.name + " entry point named " + entryPoint;
            }
            return {};
        }
    }
    return "cannot be checked for a stage the engine does not use";
}

std::vector<uint32_t> loadSpirv(const std::string& path, VkShaderStageFlagBits stage, const char* entryPoint) {
    const std::vector<char> bytes = readShaderFile(path);
    const std::string failed = "failed to create shader module: " + path + " ";
    if (bytes.size() % sizeof(uint32_t) != 0) {
        throw std::runtime_error(failed + "is not valid SPIR-V (" + std::to_string(bytes.size()) +
                                 " bytes, not a whole number of 32-bit words)");
    }
    // Copied into word storage for alignment.
    std::vector<uint32_t> words(bytes.size() / sizeof(uint32_t));
    if (!bytes.empty()) {
        std::memcpy(words.data(), bytes.data(), bytes.size());
    }
    const std::string problem = spirvProblem(words, stage, entryPoint);
    if (!problem.empty()) {
        throw std::runtime_error(failed + problem);
    }
    return words;
}

VkHandle<VkShaderModule> loadShaderModule(VkDevice device, const std::string& path, VkShaderStageFlagBits stage) {
    const std::vector<uint32_t> code = loadSpirv(path, stage);
    VkShaderModuleCreateInfo info{};
    info.sType = VK_STRUCTURE_TYPE_SHADER_MODULE_CREATE_INFO;
    info.codeSize = code.size() * sizeof(uint32_t);
    info.pCode = code.data();
    VkShaderModule module = VK_NULL_HANDLE;
    const VkResult result = vkCreateShaderModule(device, &info, nullptr, &module);
    if (result != VK_SUCCESS) {
        throw vkError("failed to create shader module: " + path, result);
    }
    return VkHandle<VkShaderModule>{device, module, vkDestroyShaderModule};
}

}  // namespace orv
