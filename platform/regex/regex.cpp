#define PCRE2_CODE_UNIT_WIDTH 8
#include "regex.h"

#include <pcre2.h>

#include <utility>

namespace regex {
namespace {

std::string ErrorMessage(int code) {
  PCRE2_UCHAR buffer[256];
  int length = pcre2_get_error_message(code, buffer, sizeof buffer);
  if (length < 0) return "PCRE2 error " + std::to_string(code);
  return std::string(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(length));
}

struct CodeDeleter {
  void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};
struct TablesDeleter {
  void operator()(const uint8_t* tables) const { pcre2_maketables_free(nullptr, tables); }
};
struct ContextDeleter {
  void operator()(pcre2_compile_context* context) const { pcre2_compile_context_free(context); }
};
struct MatchDataDeleter {
  void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};

}  // namespace

CompileError::CompileError(const std::string& message, std::size_t offset, std::string pattern)
    : std::runtime_error(message + " at offset " + std::to_string(offset) + " of \"" + pattern +
                         "\""),
      message_(message),
      offset_(offset),
      pattern_(std::move(pattern)) {}

// The character tables must live as long as the code compiled with them.
struct Regex::Compiled {
  std::unique_ptr<const uint8_t, TablesDeleter> tables;
  std::unique_ptr<pcre2_code, CodeDeleter> code;
};

Regex::Regex(std::string_view pattern, Options options)
    : pattern_(pattern), options_(options), compiled_(std::make_unique<Compiled>()) {
  compiled_->tables.reset(pcre2_maketables(nullptr));
  if (!compiled_->tables) throw std::bad_alloc();
  std::unique_ptr<pcre2_compile_context, ContextDeleter> context(
      pcre2_compile_context_create(nullptr));
  if (!context) throw std::bad_alloc();
  pcre2_set_character_tables(context.get(), compiled_->tables.get());
  int error = 0;
  PCRE2_SIZE error_offset = 0;
  uint32_t flags = options == Options::Caseless ? PCRE2_CASELESS : 0;
  compiled_->code.reset(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern_.data()),
                                      pattern_.size(), flags, &error, &error_offset,
                                      context.get()));
  if (!compiled_->code) throw CompileError(ErrorMessage(error), error_offset, pattern_);
}

Regex::~Regex() = default;
Regex::Regex(Regex&&) noexcept = default;
Regex& Regex::operator=(Regex&&) noexcept = default;

std::optional<Match> Regex::Find(std::string_view subject, std::size_t start) const {
  if (start > subject.size()) return std::nullopt;
  std::unique_ptr<pcre2_match_data, MatchDataDeleter> data(
      pcre2_match_data_create_from_pattern(compiled_->code.get(), nullptr));
  if (!data) throw std::bad_alloc();
  int rc = pcre2_match(compiled_->code.get(), reinterpret_cast<PCRE2_SPTR>(subject.data()),
                       subject.size(), start, 0, data.get(), nullptr);
  if (rc == PCRE2_ERROR_NOMATCH) return std::nullopt;
  if (rc < 0) throw MatchError(ErrorMessage(rc) + " while matching \"" + pattern_ + "\"");
  const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data.get());
  uint32_t pairs = pcre2_get_ovector_count(data.get());
  Match match;
  match.offset = ovector[0];
  // \K in a lookahead can put the end before the start; such a match is empty.
  match.length = ovector[1] > ovector[0] ? ovector[1] - ovector[0] : 0;
  match.text = std::string(subject.substr(match.offset, match.length));
  for (std::size_t i = 1; i < pairs; ++i) {
    const PCRE2_SIZE begin = ovector[2 * i];
    const PCRE2_SIZE end = ovector[2 * i + 1];
    if (begin == PCRE2_UNSET || end < begin) {
      match.groups.emplace_back();
    } else {
      match.groups.emplace_back(subject.substr(begin, end - begin));
    }
  }
  return match;
}

std::vector<Match> Regex::FindAll(std::string_view subject, std::size_t start) const {
  std::vector<Match> matches;
  while (auto match = Find(subject, start)) {
    start = match->offset + match->length + (match->length == 0 ? 1 : 0);
    matches.push_back(std::move(*match));
  }
  return matches;
}

std::string Regex::ReplaceAll(std::string_view subject, std::string_view replacement) const {
  std::string result(subject);
  std::size_t start = 0;
  while (auto match = Find(result, start)) {
    result.replace(match->offset, match->length, replacement);
    start = match->offset + replacement.size() + (match->length == 0 ? 1 : 0);
  }
  return result;
}

std::string ReplaceAll(std::string_view subject, std::string_view pattern,
                       std::string_view replacement, Options options) {
  return Regex(pattern, options).ReplaceAll(subject, replacement);
}

}  // namespace regex
