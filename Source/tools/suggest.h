// "Did you mean" suggestions: the known word nearest to a mistyped one.
#ifndef QUENZEL_TOOLS_SUGGEST_H_
#define QUENZEL_TOOLS_SUGGEST_H_

#include <string>
#include <vector>

namespace quenzel_tool {

// The candidate nearest to `word` (ignoring ASCII case), when it is close
// enough to be a likely typing slip: at most a third of the word's letters
// (and at least one) differ. Empty when none is.
std::string Nearest(const std::string& word, const std::vector<std::string>& candidates);

// " (did you mean X?)" for the nearest candidate, or nothing.
std::string DidYouMean(const std::string& word, const std::vector<std::string>& candidates);

}  // namespace quenzel_tool

#endif  // QUENZEL_TOOLS_SUGGEST_H_
