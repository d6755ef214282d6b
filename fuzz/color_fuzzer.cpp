// libFuzzer target for colour text: parseColor must return or throw one of its two
// documented exceptions, print "0x" + the lower-cased rest, and agree with a slow,
// obviously-correct reading of the leading hex digits.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <string>

#include "bindings/color.hpp"

namespace {

enum class Outcome { Value, InvalidArgument, OutOfRange };

struct Expected {
    Outcome outcome;
    std::uint32_t value;
};

[[noreturn]] void fail(const char* what, const std::string& text) {
    std::fprintf(stderr, "color_fuzzer: %s (input of %zu bytes)\n", what, text.size());
    std::abort();
}

std::string asciiLower(std::string s) {
    for (char& ch : s) {
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch + ('a' - 'A'));
    }
    return s;
}

int digitOf(char ch) {
    const std::string digits = "0123456789abcdef";
    const std::size_t pos = digits.find(asciiLower(std::string(1, ch))[0]);
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

// The reference: collect the leading hex digits as text, drop leading zeros, and decide
// overflow by counting what is left, so no arithmetic can wrap.
Expected reference(const std::string& text) {
    if (text.empty()) return {Outcome::OutOfRange, 0};
    std::string run;
    for (std::size_t i = 1; i < text.size() && digitOf(text[i]) >= 0; ++i) run += text[i];
    if (run.empty()) return {Outcome::InvalidArgument, 0};
    const std::size_t firstNonZero = run.find_first_not_of('0');
    const std::string significant = firstNonZero == std::string::npos ? "" : run.substr(firstNonZero);
    if (significant.size() > 8) return {Outcome::OutOfRange, 0};
    std::uint32_t value = 0;
    for (char ch : significant) value = value * 16u + static_cast<std::uint32_t>(digitOf(ch));
    return {Outcome::Value, value};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const Expected expected = reference(text);

    std::ostringstream sink;
    Outcome got = Outcome::Value;
    std::int32_t value = 0;
    try {
        value = orv::parseColor(text, sink);
    } catch (const std::invalid_argument&) {
        got = Outcome::InvalidArgument;
    } catch (const std::out_of_range&) {
        got = Outcome::OutOfRange;
    } catch (...) {
        fail("unexpected exception type", text);
    }

    // The line is printed before the digits are read, so it is there whatever happened.
    const std::string expectedLine = text.empty() ? "" : "0x" + asciiLower(text.substr(1)) + "\n";
    if (sink.str() != expectedLine) fail("printed line differs", text);

    if (got != expected.outcome) fail("outcome differs from the reference", text);
    if (got == Outcome::Value && static_cast<std::uint32_t>(value) != expected.value) {
        fail("value differs from the reference", text);
    }
    return 0;
}
