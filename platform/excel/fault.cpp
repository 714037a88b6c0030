#include "excel/fault.h"

#include <map>

namespace excel::fault {
namespace {
struct Armed {
  std::string operation;
  int at;          // the call number (of that operation, counted since arming) that fails
  int seen = 0;
  std::int32_t hr;
  std::string description;
  bool repeat;
};
struct State {
  std::vector<Armed> armed;
  std::map<std::string, int, std::less<>> calls;
  int total = 0;
  int fired = 0;
  std::vector<std::string> trace;
};
State& S() {
  static State s;
  return s;
}
}  // namespace

void Inject(std::string operation, int k, std::int32_t hr, std::string description, bool repeat) {
  S().armed.push_back({std::move(operation), k < 1 ? 1 : k, 0, hr, std::move(description), repeat});
}

void Clear() { S() = State{}; }

bool Check(std::string_view operation, std::int32_t& hr, std::string& description) {
  State& s = S();
  ++s.total;
  auto it = s.calls.find(operation);
  if (it == s.calls.end()) it = s.calls.emplace(std::string(operation), 0).first;
  ++it->second;
  if (s.trace.size() < 100000) s.trace.emplace_back(operation);
  bool fire = false;
  for (auto& a : s.armed) {
    if (a.operation != "*" && a.operation != operation) continue;
    ++a.seen;
    if (!fire && (a.seen == a.at || (a.repeat && a.seen > a.at))) {
      fire = true;
      hr = a.hr;
      description = a.description;
    }
  }
  if (fire) ++s.fired;
  return fire;
}

int Calls(std::string_view operation) {
  if (operation == "*") return S().total;
  auto it = S().calls.find(operation);
  return it == S().calls.end() ? 0 : it->second;
}

const std::vector<std::string>& Trace() { return S().trace; }
int Fired() { return S().fired; }

}  // namespace excel::fault
