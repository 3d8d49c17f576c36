#pragma once

// What the fuzz harnesses share: a failed check that libFuzzer reports as a crash, and the
// decoding of fuzz input into UTF-16 text.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace arvex_fuzz {

/// Stops the run with `what` when `condition` does not hold; libFuzzer then saves the input.
inline void require(bool condition, char const* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

/// UTF-16 text from the rest of the input. A byte below 0xF0 is a code unit of `alphabet`
/// (which the harness chooses so that the interesting units come up often); a byte from 0xF0
/// on takes the next two bytes as any 16-bit code unit, surrogates included.
template <std::size_t N>
std::u16string decodeText(FuzzedDataProvider& input, char16_t const (&alphabet)[N]) {
    std::u16string text;
    while (input.remaining_bytes() > 0) {
        auto const byte = input.ConsumeIntegral<std::uint8_t>();
        if (byte < 0xF0) {
            text += alphabet[byte % N];
        } else {
            text += input.ConsumeIntegral<char16_t>();
        }
    }
    return text;
}

}  // namespace arvex_fuzz
