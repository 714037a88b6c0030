#include "validation/lint/finding.h"

namespace velmora::lint {

std::string_view KindName(FindingKind kind) {
  switch (kind) {
    case FindingKind::Items: return "items";
    case FindingKind::Quotes: return "quotes";
    case FindingKind::Framing: return "framing";
    case FindingKind::NoPosition: return "no-position";
    case FindingKind::LooseMatch: return "loose-match";
    case FindingKind::BadPosition: return "bad-position";
    case FindingKind::NotInput: return "not-input";
    case FindingKind::Syntax: return "syntax";
    case FindingKind::UnknownName: return "unknown-name";
  }
  return "?";
}

std::string FormatFinding(const Finding& finding) {
  return finding.file + ":" + std::to_string(finding.line) + ": " + std::string(KindName(finding.kind)) + ": " +
         finding.explanation;
}

}  // namespace velmora::lint
