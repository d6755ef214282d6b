// Preloaded into a test process: makes chosen Vulkan calls fail, so tests can drive the
// engine's error paths on a working driver.
//
//   QEL_VK_FAULT="vkQueueSubmit:3,vkAllocateMemory:2+:VK_ERROR_OUT_OF_DEVICE_MEMORY"
//
// fails the 3rd vkQueueSubmit, and every vkAllocateMemory from the 2nd on with the result
// named (VK_ERROR_OUT_OF_HOST_MEMORY when none is). A failed call returns without reaching
// the loader and clears the handles it would have written; all other calls go through.
// Each fault is reported on stderr as "vk-fault: <function> call <n> -> <result>".
//
// A running script arms more with qel_vk_fault_arm("vkDeviceWaitIdle:1"), counting from the
// function's next call (ctypes.CDLL(None).qel_vk_fault_arm(b"...")): a failure at the Nth
// call after a chosen moment, whatever ran before it.

#include <vulkan/vulkan.h>

#include <dlfcn.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace {

struct Rule {
    std::string function;
    long call = 0;
    bool onward = false;
    VkResult result = VK_ERROR_OUT_OF_HOST_MEMORY;
};

struct ResultName {
    const char* name;
    VkResult value;
};

constexpr ResultName kResults[] = {
    {"VK_ERROR_OUT_OF_HOST_MEMORY", VK_ERROR_OUT_OF_HOST_MEMORY},
    {"VK_ERROR_OUT_OF_DEVICE_MEMORY", VK_ERROR_OUT_OF_DEVICE_MEMORY},
    {"VK_ERROR_INITIALIZATION_FAILED", VK_ERROR_INITIALIZATION_FAILED},
    {"VK_ERROR_DEVICE_LOST", VK_ERROR_DEVICE_LOST},
    {"VK_ERROR_TOO_MANY_OBJECTS", VK_ERROR_TOO_MANY_OBJECTS},
    {"VK_ERROR_UNKNOWN", VK_ERROR_UNKNOWN},
    {"VK_ERROR_SURFACE_LOST_KHR", VK_ERROR_SURFACE_LOST_KHR},
    {"VK_ERROR_NATIVE_WINDOW_IN_USE_KHR", VK_ERROR_NATIVE_WINDOW_IN_USE_KHR},
    {"VK_ERROR_OUT_OF_DATE_KHR", VK_ERROR_OUT_OF_DATE_KHR},
    {"VK_SUBOPTIMAL_KHR", VK_SUBOPTIMAL_KHR},
    {"VK_TIMEOUT", VK_TIMEOUT},
    {"VK_NOT_READY", VK_NOT_READY},
};

[[noreturn]] void refuse(const std::string& entry, const char* why) {
    std::fprintf(stderr, "vk-fault: QEL_VK_FAULT entry '%s': %s\n", entry.c_str(), why);
    std::_Exit(2);
}

const char* resultName(VkResult result) {
    for (const ResultName& known : kResults) {
        if (known.value == result) {
            return known.name;
        }
    }
    return "a result code";
}

// "function:N", "function:N+", either followed by ":RESULT" (a name or a number).
Rule parseRule(const std::string& entry) {
    Rule rule;
    const size_t colon = entry.find(':');
    if (colon == std::string::npos || colon == 0) {
        refuse(entry, "expected function:N");
    }
    rule.function = entry.substr(0, colon);
    const char* count = entry.c_str() + colon + 1;
    char* end = nullptr;
    rule.call = std::strtol(count, &end, 10);
    if (end == count || rule.call < 1) {
        refuse(entry, "the call number must be 1 or more");
    }
    if (*end == '+') {
        rule.onward = true;
        ++end;
    }
    if (*end == '\0') {
        return rule;
    }
    if (*end != ':' || end[1] == '\0') {
        refuse(entry, "expected function:N, function:N+ or either with :RESULT");
    }
    const char* result = end + 1;
    for (const ResultName& known : kResults) {
        if (std::strcmp(result, known.name) == 0) {
            rule.result = known.value;
            return rule;
        }
    }
    const long value = std::strtol(result, &end, 10);
    if (end == result || *end != '\0') {
        refuse(entry, "unknown result (give a VK_ name this library knows or a number)");
    }
    rule.result = static_cast<VkResult>(value);
    return rule;
}

std::vector<Rule>& rules() {
    static std::vector<Rule> parsed = [] {
        std::vector<Rule> list;
        const char* text = std::getenv("QEL_VK_FAULT");
        std::string spec = text != nullptr ? text : "";
        size_t start = 0;
        while (start <= spec.size()) {
            size_t comma = spec.find(',', start);
            if (comma == std::string::npos) {
                comma = spec.size();
            }
            const std::string entry = spec.substr(start, comma - start);
            if (!entry.empty()) {
                list.push_back(parseRule(entry));
            }
            start = comma + 1;
        }
        return list;
    }();
    return parsed;
}

// Rules armed by a script join the list while other threads may be making calls.
std::mutex& rulesMutex() {
    static std::mutex mutex;
    return mutex;
}

// One interposed function: counts its calls and decides which of them fail.
class Site;
std::vector<const Site*>& sites() {
    static std::vector<const Site*> all;
    return all;
}

class Site {
public:
    explicit Site(const char* functionName) : name{functionName} { sites().push_back(this); }

    // The result to fail this call with, or nothing to let it through.
    std::optional<VkResult> fault() {
        const long call = ++calls;
        const std::lock_guard<std::mutex> lock{rulesMutex()};
        for (const Rule& rule : rules()) {
            if (rule.function == name && (call == rule.call || (rule.onward && call > rule.call))) {
                std::fprintf(stderr, "vk-fault: %s call %ld -> %s (%d)\n", name, call, resultName(rule.result),
                             static_cast<int>(rule.result));
                return rule.result;
            }
        }
        return std::nullopt;
    }

    // The loader is usually loaded privately with the module, after this library, so
    // the real entry points are looked up in it directly.
    template <typename Fn>
    Fn real() const {
        static void* loader = dlopen("libvulkan.so.1", RTLD_NOW | RTLD_LOCAL);
        void* function = loader != nullptr ? dlsym(loader, name) : nullptr;
        if (function == nullptr) {
            std::fprintf(stderr, "vk-fault: cannot find %s in libvulkan.so.1\n", name);
            std::abort();
        }
        return reinterpret_cast<Fn>(function);
    }

    long count() const { return calls; }

    const char* const name;

private:
    std::atomic<long> calls{0};
};

}  // namespace

// One line a function: its parameters, the arguments to forward, and what a failed call
// writes to its outputs.
#define QEL_FAULT(function, params, args, clearOutputs)                        \
    namespace {                                                                \
    Site function##Site{#function};                                            \
    }                                                                          \
    extern "C" VKAPI_ATTR VkResult VKAPI_CALL function params {                \
        if (const std::optional<VkResult> failed = function##Site.fault()) {   \
            clearOutputs;                                                      \
            return *failed;                                                    \
        }                                                                      \
        static const auto real = function##Site.real<PFN_##function>();        \
        return real args;                                                      \
    }

// The common shape: device, create info, allocator, one handle out.
#define QEL_FAULT_CREATE(function, Info, Handle)                                                          \
    QEL_FAULT(function, (VkDevice d, const Info* info, const VkAllocationCallbacks* a, Handle* out), \
              (d, info, a, out), *out = VK_NULL_HANDLE)

#define QEL_FAULT_PIPELINES(function, Info)                                                                  \
    QEL_FAULT(function,                                                                                      \
              (VkDevice d, VkPipelineCache cache, uint32_t n, const Info* infos,                             \
               const VkAllocationCallbacks* a, VkPipeline* out),                                             \
              (d, cache, n, infos, a, out), for (uint32_t i = 0; i < n; ++i) out[i] = VK_NULL_HANDLE)

QEL_FAULT_CREATE(vkCreateSwapchainKHR, VkSwapchainCreateInfoKHR, VkSwapchainKHR)
QEL_FAULT_CREATE(vkAllocateMemory, VkMemoryAllocateInfo, VkDeviceMemory)
QEL_FAULT_CREATE(vkCreateBuffer, VkBufferCreateInfo, VkBuffer)
QEL_FAULT_CREATE(vkCreateImage, VkImageCreateInfo, VkImage)
QEL_FAULT_CREATE(vkCreateShaderModule, VkShaderModuleCreateInfo, VkShaderModule)
QEL_FAULT_PIPELINES(vkCreateGraphicsPipelines, VkGraphicsPipelineCreateInfo)
QEL_FAULT_PIPELINES(vkCreateComputePipelines, VkComputePipelineCreateInfo)
QEL_FAULT(vkAllocateCommandBuffers, (VkDevice d, const VkCommandBufferAllocateInfo* info, VkCommandBuffer* out),
          (d, info, out), for (uint32_t i = 0; i < info->commandBufferCount; ++i) out[i] = VK_NULL_HANDLE)
QEL_FAULT(vkQueueSubmit, (VkQueue q, uint32_t n, const VkSubmitInfo* submits, VkFence fence), (q, n, submits, fence), )
QEL_FAULT(vkWaitForFences, (VkDevice d, uint32_t n, const VkFence* fences, VkBool32 all, uint64_t timeout),
          (d, n, fences, all, timeout), )
QEL_FAULT(vkAcquireNextImageKHR,
          (VkDevice d, VkSwapchainKHR chain, uint64_t timeout, VkSemaphore s, VkFence f, uint32_t* index),
          (d, chain, timeout, s, f, index), )
QEL_FAULT(vkQueuePresentKHR, (VkQueue q, const VkPresentInfoKHR* info), (q, info), )
QEL_FAULT(vkDeviceWaitIdle, (VkDevice d), (d), )

namespace {

// A rule for a function that is not interposed would never fire; say so at once.
struct RuleCheck {
    RuleCheck() {
        for (const Rule& rule : rules()) {
            bool known = false;
            for (const Site* site : sites()) {
                known = known || rule.function == site->name;
            }
            if (!known) {
                refuse(rule.function, "this library does not interpose that function");
            }
        }
    }
} ruleCheck;

}  // namespace

// Arms one more rule, its call number counted from the function's next call. 0 when armed,
// -1 for a function this library does not interpose.
extern "C" __attribute__((visibility("default"))) int qel_vk_fault_arm(const char* entry) {
    Rule rule = parseRule(entry != nullptr ? entry : "");
    for (const Site* site : sites()) {
        if (rule.function == site->name) {
            rule.call += site->count();
            const std::lock_guard<std::mutex> lock{rulesMutex()};
            rules().push_back(rule);
            return 0;
        }
    }
    std::fprintf(stderr, "vk-fault: cannot arm '%s': this library does not interpose that function\n", entry);
    return -1;
}
