#pragma once
// Regular expressions over PCRE2, as the validation engine uses them: a
// pattern compiled with default options or caseless, character tables built
// for the current locale, every match found left to right from a start
// position, and replace-all. Subjects and patterns are byte strings (GBK);
// offsets and lengths count bytes. "\w" matches ASCII letters, digits and "_"
// (the locale's tables give no byte above 0x7F a letter class in the locales
// this system runs in).
#include <cstddef>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace regex {

enum class Options { Default, Caseless };

// The pattern does not compile: PCRE2's message and the offset in the pattern
// at which it stopped.
class CompileError : public std::runtime_error {
 public:
  CompileError(const std::string& message, std::size_t offset, std::string pattern);
  const std::string& Message() const { return message_; }
  std::size_t Offset() const { return offset_; }
  const std::string& Pattern() const { return pattern_; }

 private:
  std::string message_;
  std::size_t offset_;
  std::string pattern_;
};

// Matching stopped for another reason than "no match" (for example PCRE2's
// match limit).
class MatchError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Match {
  std::size_t offset = 0;  // of the match in the subject
  std::size_t length = 0;
  std::string text;                 // the matched bytes
  std::vector<std::string> groups;  // capture groups 1.., empty when unset
};

class Regex {
 public:
  // Throws CompileError.
  explicit Regex(std::string_view pattern, Options options = Options::Default);
  ~Regex();
  Regex(Regex&&) noexcept;
  Regex& operator=(Regex&&) noexcept;

  const std::string& Pattern() const { return pattern_; }
  Options GetOptions() const { return options_; }

  // The first match at or after start; none when start lies beyond the end.
  std::optional<Match> Find(std::string_view subject, std::size_t start = 0) const;
  // Every match, left to right, from start: each search begins where the
  // previous match ended; after an empty match it begins one byte further,
  // so no position yields two matches.
  std::vector<Match> FindAll(std::string_view subject, std::size_t start = 0) const;
  bool IsMatch(std::string_view subject) const { return Find(subject).has_value(); }

  // Finds the first match, replaces it by replacement, and goes on searching
  // from the end of the inserted text, until no match is left (after an
  // empty match one byte further). The replacement is inserted unchanged
  // ("$" and "\" have no meaning in it).
  std::string ReplaceAll(std::string_view subject, std::string_view replacement) const;

 private:
  struct Compiled;
  std::string pattern_;
  Options options_;
  std::unique_ptr<Compiled> compiled_;
};

// The first match of pattern, replaced everywhere: Regex(pattern, options).ReplaceAll(...).
std::string ReplaceAll(std::string_view subject, std::string_view pattern,
                       std::string_view replacement, Options options = Options::Default);

}  // namespace regex
