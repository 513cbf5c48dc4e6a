#include "suggest.h"

#include <algorithm>
#include <cctype>

namespace quenzel_tool {

namespace {

char Upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

// Edits (insert, delete, replace, swap of neighbours) between two words.
std::size_t Distance(const std::string& a, const std::string& b) {
  std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
  for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t cost = Upper(a[i - 1]) == Upper(b[j - 1]) ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
      if (i > 1 && j > 1 && Upper(a[i - 1]) == Upper(b[j - 2]) &&
          Upper(a[i - 2]) == Upper(b[j - 1]))
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  }
  return d[a.size()][b.size()];
}

}  // namespace

std::string Nearest(const std::string& word, const std::vector<std::string>& candidates) {
  constexpr std::size_t kLongestCompared = 64;  // longer words are no typing slips
  if (word.empty() || word.size() > kLongestCompared) return std::string();
  const std::size_t allowed = std::max<std::size_t>(1, word.size() / 3);
  std::string best;
  std::size_t bestDistance = allowed + 1;
  for (const std::string& candidate : candidates) {
    if (candidate.empty() || candidate.size() > kLongestCompared) continue;
    const std::size_t distance = Distance(word, candidate);
    if (distance < bestDistance) {
      best = candidate;
      bestDistance = distance;
    }
  }
  return best;
}

std::string DidYouMean(const std::string& word, const std::vector<std::string>& candidates) {
  const std::string nearest = Nearest(word, candidates);
  return nearest.empty() ? std::string() : " (did you mean " + nearest + "?)";
}

}  // namespace quenzel_tool
