// Randomized properties of path splitting over an alphabet with slashes, ASCII letters, a BMP
// character and a surrogate pair.

#include "arvex/utilities/fullpath.hpp"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

using arvex::utilities::fullpath::getComponentNames;
using arvex::utilities::fullpath::getNameWithEscCharacters;

std::vector<std::u16string> const kAlphabet{u"/", u"a", u"Z", u"q", u"\u00e9", u"\U0001F600"};

class Random {
  public:
    std::u16string text(int maxSymbols) {
        std::u16string s;
        for (int n = std::uniform_int_distribution<int>(0, maxSymbols)(rng_); n > 0; --n) {
            s += kAlphabet[std::uniform_int_distribution<std::size_t>(0,
                                                                      kAlphabet.size() - 1)(rng_)];
        }
        return s;
    }
    int between(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

  private:
    std::mt19937 rng_{20261205};
};

std::u16string escape(std::u16string const& name) {
    std::u16string out;
    for (char16_t c : name) {
        out += c;
        if (c == u'/') {
            out += u'/';
        }
    }
    return out;
}

// A separator is the unpaired last slash of a run of odd length.
std::size_t separatorCount(std::u16string const& path) {
    std::size_t count = 0;
    std::size_t run = 0;
    for (char16_t c : path) {
        if (c == u'/') {
            ++run;
        } else {
            count += run % 2;
            run = 0;
        }
    }
    return count + run % 2;
}

TEST(ComponentNamesProperty, OneMoreNameThanSeparators) {
    Random random;
    for (int round = 0; round < 5000; ++round) {
        auto const path = random.text(24);
        ASSERT_EQ(getComponentNames(path).size(), separatorCount(path) + 1);
    }
}

TEST(ComponentNamesProperty, EscapedJoinSplitsBackIntoTheSameNames) {
    Random random;
    for (int round = 0; round < 5000; ++round) {
        std::vector<std::u16string> names(static_cast<std::size_t>(random.between(1, 6)));
        for (std::size_t i = 0; i < names.size(); ++i) {
            names[i] = random.text(5);
            // Slashes pair from the left of a run, so a separator must not be followed by a
            // slash: "a" "/" "//b" is "a///b", read as "a/" and "b", and an empty name between
            // two separators makes them a pair. The join is exact only for names after the
            // first that do not start with a slash and, but for the last, are not empty.
            if (i > 0) {
                names[i].erase(0, names[i].find_first_not_of(u'/'));
                if (names[i].empty() && i + 1 < names.size()) {
                    names[i] = u"x";
                }
            }
        }
        std::u16string path;
        for (std::size_t i = 0; i < names.size(); ++i) {
            path += (i > 0 ? u"/" : u"") + escape(names[i]);
        }
        ASSERT_EQ(getComponentNames(path), names);
        for (auto const& name : names) {
            ASSERT_EQ(getNameWithEscCharacters(escape(name)), name);
        }
    }
}

}  // namespace
