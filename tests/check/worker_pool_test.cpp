// The worker processes: every file reported once and in order whatever the
// number of workers and however often they are replaced; a worker that dies
// on a file costs that file only; a worker that cannot be set up ends the
// check with its reason.
#include <gtest/gtest.h>

#include <unistd.h>
#include <csignal>
#include <set>

#include "host/check/worker_pool.h"

namespace velmora::check {
namespace {

// Reports the file's name as its school code, with the worker's process id
// as its school name; dies on a file named "crash".
class EchoWorker : public Worker {
 public:
  ReturnReport Check(const std::string& file) override {
    if (file == "crash") raise(SIGKILL);
    ReturnReport report;
    report.file = file;
    report.school_code = file;
    report.school_name = std::to_string(getpid());
    report.verdict = Verdict::Passed;
    report.failures.push_back({"强制", "a \"quoted\"\nmessage", {{"基本情况", "G10"}}});
    return report;
  }
};

std::vector<std::string> Names(std::size_t n) {
  std::vector<std::string> names;
  for (std::size_t i = 0; i < n; ++i) names.push_back("f" + std::to_string(i));
  return names;
}

TEST(WorkerPool, EveryFileIsReportedOnceInOrder) {
  struct Case {
    int jobs;
    std::size_t files, per_worker;
  } cases[] = {{1, 5, 200}, {2, 23, 200}, {3, 23, 2}, {4, 2, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << c.jobs << " jobs, " << c.files << " files, " << c.per_worker << " per worker");
    const std::vector<std::string> files = Names(c.files);
    std::vector<std::size_t> progress;
    const std::vector<ReturnReport> reports = CheckInWorkers(
        files, {c.jobs, c.per_worker}, [] { return std::make_unique<EchoWorker>(); },
        [&](std::size_t done, std::size_t total) {
          EXPECT_EQ(total, c.files);
          progress.push_back(done);
        });
    ASSERT_EQ(reports.size(), files.size());
    std::set<std::string> processes;
    for (std::size_t i = 0; i < files.size(); ++i) {
      EXPECT_EQ(reports[i].school_code, files[i]);
      EXPECT_EQ(reports[i].verdict, Verdict::Passed);
      ASSERT_EQ(reports[i].failures.size(), 1u);
      EXPECT_EQ(reports[i].failures[0].message, "a \"quoted\"\nmessage");
      EXPECT_EQ(reports[i].failures[0].cells, (std::vector<CellRef>{{"基本情况", "G10"}}));
      processes.insert(reports[i].school_name);
      EXPECT_NE(reports[i].school_name, std::to_string(getpid()));
    }
    EXPECT_EQ(progress.size(), c.files);
    EXPECT_EQ(progress.back(), c.files);
    // A worker checks at most per_worker files, so at least this many took part.
    EXPECT_GE(processes.size(), (c.files + c.per_worker - 1) / c.per_worker);
  }
}

TEST(WorkerPool, AWorkerThatDiesCostsOnlyItsFile) {
  const std::vector<std::string> files = {"a", "crash", "b", "crash", "c", "d"};
  const std::vector<ReturnReport> reports = CheckInWorkers(
      files, {2, 200}, [] { return std::make_unique<EchoWorker>(); }, nullptr);
  ASSERT_EQ(reports.size(), files.size());
  for (std::size_t i = 0; i < files.size(); ++i) {
    SCOPED_TRACE(files[i]);
    EXPECT_EQ(reports[i].file, files[i]);
    if (files[i] == "crash") {
      EXPECT_EQ(reports[i].verdict, Verdict::Error);
      EXPECT_NE(reports[i].error.find("signal 9"), std::string::npos) << reports[i].error;
    } else {
      EXPECT_EQ(reports[i].verdict, Verdict::Passed);
    }
  }
}

TEST(WorkerPool, AWorkerThatCannotBeSetUpEndsTheCheckWithItsReason) {
  const WorkerFactory failing = []() -> std::unique_ptr<Worker> {
    throw std::runtime_error("no engine\nregistered");
  };
  try {
    CheckInWorkers(Names(10), {2, 200}, failing, nullptr);
    FAIL() << "no error";
  } catch (const WorkerSetupError& error) {
    EXPECT_STREQ(error.what(), "no engine registered");
  }
}

}  // namespace
}  // namespace velmora::check
