// The kit checker's wording: names in quotes, a section as the maker writes
// it, and "did you mean" for a name that is a slip away from a known one.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vandrel::kit {

std::string inQuotes(std::string_view text);

// "[section]", or the top of the manifest for the empty section.
std::string sectionLabel(std::string_view section);

// "; did you mean "x"?" naming the closest candidate, or nothing when none is
// close enough to be a slip.
std::string didYouMean(std::string_view word, const std::vector<std::string>& candidates);

// The number of single-character edits between a and b, for "did you mean".
size_t editDistance(std::string_view a, std::string_view b);

} // namespace vandrel::kit
