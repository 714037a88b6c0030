#pragma once
// Returns checked by worker processes. The spreadsheet stand-in, the COM
// runtime and the validation keep process-wide state that is not made for
// threads (the fault counters of every spreadsheet call, the apartment, the
// registry cache, the UI driver), so each worker is a process of its own
// with its own application and script engines. The workers take the next
// unchecked file from a counter they share, one at a time, and hand each
// report back through a pipe; a worker is replaced after a number of files
// (so that what one process may gather stays bounded) and when it dies (the
// file it was on is reported as not checked, and the others go on).
//
//   std::vector<ReturnReport> reports = CheckInWorkers(files, {2, 200}, make_worker,
//                                                      [](std::size_t done, std::size_t total) {
//                                                      ... });
#include <cstddef>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/check/return_report.h"

namespace velmora::check {

// What a worker process checks with; made once in each worker.
class Worker {
 public:
  virtual ~Worker() = default;
  virtual ReturnReport Check(const std::string& file) = 0;
};
// Runs in the worker process. An exception is a failure no file can get
// past (the script engine not registered, say): the check ends with it.
using WorkerFactory = std::function<std::unique_ptr<Worker>()>;
using Progress = std::function<void(std::size_t done, std::size_t total)>;

struct PoolOptions {
  int jobs = 1;                        // worker processes at the same time
  std::size_t files_per_worker = 200;  // a worker ends after this many and another starts
};

// A worker could not be set up; what() is the reason it gave.
class WorkerSetupError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The reports in the order of files. Throws WorkerSetupError when the
// factory failed in a worker, std::system_error when no process or pipe can
// be made.
std::vector<ReturnReport> CheckInWorkers(const std::vector<std::string>& files,
                                         const PoolOptions& options,
                                         const WorkerFactory& make_worker,
                                         const Progress& progress);

}  // namespace velmora::check
