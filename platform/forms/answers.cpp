#include "answers.h"

#include <charconv>
#include <fstream>
#include <iterator>

namespace forms {
namespace {

struct Verb {
  std::string_view word;
  AnswerLine::Verb verb;
};
constexpr Verb kVerbs[] = {
    {"set", AnswerLine::Verb::Set},       {"type", AnswerLine::Verb::Type},   {"pick", AnswerLine::Verb::Pick},
    {"click", AnswerLine::Verb::Click},   {"dblclick", AnswerLine::Verb::DblClick},
    {"wheel", AnswerLine::Verb::Wheel},   {"close", AnswerLine::Verb::Close}, {"key", AnswerLine::Verb::Key},
    {"save", AnswerLine::Verb::Save},
    {"cancel", AnswerLine::Verb::Cancel}, {"box", AnswerLine::Verb::Box},
};

// The next word (up to a blank) and what follows the one blank after it.
std::string_view TakeWord(std::string_view& rest) {
  std::size_t blank = rest.find(' ');
  std::string_view word = rest.substr(0, blank);
  rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
  return word;
}

std::string Unquoted(std::string_view text) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') text = text.substr(1, text.size() - 2);
  return std::string(text);
}

bool ParseInt(std::string_view text, int& value) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

AnswerLine ParseLine(std::string_view source, int number) {
  auto fail = [&](const std::string& why) -> std::invalid_argument {
    return std::invalid_argument("answers line " + std::to_string(number) + " \"" + std::string(source) +
                                 "\": " + why);
  };
  std::string_view rest = source;
  std::string_view word = TakeWord(rest);
  AnswerLine answer{};
  answer.line = number;
  answer.source = std::string(source);
  bool known = false;
  for (const Verb& verb : kVerbs) {
    if (verb.word == word) {
      answer.verb = verb.verb;
      known = true;
    }
  }
  if (!known) throw fail("unknown answer \"" + std::string(word) + "\"");

  using V = AnswerLine::Verb;
  switch (answer.verb) {
    case V::Set:
    case V::Type:
    case V::Pick:
      answer.control = std::string(TakeWord(rest));
      answer.text = Unquoted(rest);
      break;
    case V::Click:
    case V::DblClick:
    case V::Wheel:
      answer.control = std::string(TakeWord(rest));
      if (answer.verb == V::Click && !rest.empty()) throw fail("click takes only the button's name");
      if (answer.verb == V::Wheel && !ParseInt(rest, answer.number)) throw fail("the wheel's turn must be a number");
      if (answer.verb == V::DblClick && !rest.empty() && (!ParseInt(rest, answer.number) || answer.number < 1)) {
        throw fail("the row must be a number from 1");
      }
      break;
    case V::Key:
      answer.text = std::string(rest);
      if (rest != "enter" && rest != "escape") throw fail("a key is enter or escape");
      break;
    case V::Save:
      answer.text = Unquoted(rest);
      break;
    case V::Box:
      answer.text = std::string(rest);
      if (rest != "ok" && rest != "cancel" && rest != "yes" && rest != "no" && rest != "abort" &&
          rest != "retry" && rest != "ignore") {
        throw fail("a box is answered with ok, cancel, yes, no, abort, retry or ignore");
      }
      break;
    case V::Close:
    case V::Cancel:
      if (!rest.empty()) throw fail(std::string(word) + " takes nothing more");
      break;
  }
  if (answer.ForForm() && answer.verb != V::Close && answer.verb != V::Key && answer.control.empty()) {
    throw fail("a control name is missing");
  }
  return answer;
}

}  // namespace

bool AnswerLine::ForForm() const { return !ForSaveDialog() && !ForMessageBox(); }

std::vector<AnswerLine> ParseAnswers(std::string_view text) {
  std::vector<AnswerLine> answers;
  int number = 0;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    ++number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string_view::npos || line[start] == '#') continue;
    line.remove_prefix(start);
    answers.push_back(ParseLine(line, number));
  }
  return answers;
}

std::vector<AnswerLine> ReadAnswersFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("cannot read the answers file " + path);
  std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  return ParseAnswers(text);
}

}  // namespace forms
