#pragma once
// Reads a PDF file back with poppler's command-line tools: the page count and
// size (pdfinfo) and the words with their boxes (pdftotext -bbox).
#include <regex>
#include <string>
#include <vector>

#include "tests/support/run_command.h"

namespace velmora::testing {

// What the command printed (stdout and stderr).
inline std::string Output(const std::string& command) { return RunCommand(command).out; }

struct PdfInfo {
  int pages = 0;
  double width = 0, height = 0;  // points, of the first page
};

inline PdfInfo ReadPdfInfo(const std::string& pdf) {
  const std::string out = Output("pdfinfo '" + pdf + "'");
  PdfInfo info;
  std::smatch m;
  if (std::regex_search(out, m, std::regex(R"(Pages:\s+(\d+))"))) info.pages = std::stoi(m[1]);
  if (std::regex_search(out, m, std::regex(R"(Page size:\s+([\d.]+) x ([\d.]+) pts)")))
    info.width = std::stod(m[1]), info.height = std::stod(m[2]);
  return info;
}

struct Word {
  std::string text;
  double x_min, y_min, x_max, y_max;
};

// The words of page `page` (1-based).
inline std::vector<Word> ReadWords(const std::string& pdf, int page) {
  const std::string p = std::to_string(page);
  const std::string out = Output("pdftotext -bbox -f " + p + " -l " + p + " '" + pdf + "' -");
  static const std::regex word(
      R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
  std::vector<Word> words;
  for (auto it = std::sregex_iterator(out.begin(), out.end(), word); it != std::sregex_iterator(); ++it)
    words.push_back({(*it)[5], std::stod((*it)[1]), std::stod((*it)[2]), std::stod((*it)[3]), std::stod((*it)[4])});
  return words;
}

}  // namespace velmora::testing
