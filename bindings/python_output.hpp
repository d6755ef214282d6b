#pragma once
// What qel prints goes to Python's sys.stdout, so redirect_stdout and test capture see it,
// or nowhere in quiet mode. The engine writes to std::cout, which collects the text; it
// reaches sys.stdout when a call hands control back to the script, never from inside the
// engine, where Python code (a custom sys.stdout) could re-enter it halfway.

#include <type_traits>
#include <utility>

namespace qel {

// Points std::cout at the collector; called once at module load.
void captureStandardOutput();

// Writes what was collected to sys.stdout and flushes it. A stream that fails is skipped;
// an interrupt raised in its write propagates.
void flushOutput();
// The same for a call that is already failing: nothing propagates.
void flushOutputQuietly() noexcept;

// Quiet mode drops the text instead.
void setQuiet(bool quiet);
bool isQuiet();

// Runs `call`, then hands what it printed to Python, whether it returned or threw.
template <typename Call>
auto withOutput(Call&& call) -> decltype(call()) {
    try {
        if constexpr (std::is_void_v<decltype(call())>) {
            call();
            flushOutput();
        } else {
            auto result = call();
            flushOutput();
            return result;
        }
    } catch (...) {
        flushOutputQuietly();
        throw;
    }
}

// A function of the module that prints, wrapped by withOutput with its signature kept.
template <typename Result, typename... Args>
auto printing(Result (*function)(Args...)) {
    return [function](Args... args) -> Result {
        return withOutput([&]() -> Result { return function(std::forward<Args>(args)...); });
    };
}

}  // namespace qel
