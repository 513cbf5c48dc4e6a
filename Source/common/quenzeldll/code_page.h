// The library's seam to ICU: text between a definition's code page and
// UTF-8. ICU status codes stop here. Not installed.
#ifndef QUENZEL_CODE_PAGE_H_
#define QUENZEL_CODE_PAGE_H_

#include <string>

namespace quenzel {
namespace detail {

// Converts `text` from the code page `codePage` (an ICU converter name such
// as "cp-1252") to UTF-8. The whole text is converted, however many bytes
// its characters need. An unknown code page gives the empty text;
// characters the conversion cannot map become the substitution character.
std::string CodePageToUtf8(const std::string& text, const std::string& codePage);

// CodePageToUtf8 into `out`, whose memory is reused where it suffices.
void AssignCodePageToUtf8(std::string& out, const std::string& text, const std::string& codePage);

// Converts UTF-8 `text` to the code page `codePage`, with the same rules.
std::string Utf8ToCodePage(const std::string& text, const std::string& codePage);

}  // namespace detail
}  // namespace quenzel

#endif  // QUENZEL_CODE_PAGE_H_
