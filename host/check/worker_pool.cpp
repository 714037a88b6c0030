#include "host/check/worker_pool.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <new>
#include <optional>
#include <system_error>

namespace velmora::check {

namespace {

[[noreturn]] void ThrowErrno(const char* what) {
  throw std::system_error(errno, std::generic_category(), what);
}

// The index of the next file to check, in memory shared with the workers.
class SharedCounter {
 public:
  using Value = std::atomic<std::size_t>;
  static_assert(Value::is_always_lock_free);

  SharedCounter() {
    void* memory =
        mmap(nullptr, sizeof(Value), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) ThrowErrno("mmap");
    value_ = new (memory) Value(0);
  }
  ~SharedCounter() { munmap(value_, sizeof(Value)); }
  SharedCounter(const SharedCounter&) = delete;
  SharedCounter& operator=(const SharedCounter&) = delete;

  std::size_t Take() { return value_->fetch_add(1); }
  std::size_t Taken() const { return value_->load(); }

 private:
  Value* value_;
};

// The worker's side of its pipe. Lines: "S i" (file i taken), "D i json"
// (its report), "F text" (the worker could not be set up).
void WriteAll(int fd, const std::string& text) {
  for (std::size_t written = 0; written < text.size();) {
    const ssize_t n = write(fd, text.data() + written, text.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) _exit(4);  // the parent is gone
    written += static_cast<std::size_t>(n);
  }
}

std::string OneLine(std::string text) {
  for (char& c : text)
    if (c == '\n' || c == '\r') c = ' ';
  return text;
}

[[noreturn]] void RunWorker(int out, SharedCounter& next, const std::vector<std::string>& files,
                            const PoolOptions& options, const WorkerFactory& make_worker) {
  std::unique_ptr<Worker> worker;
  try {
    worker = make_worker();
  } catch (const std::exception& error) {
    WriteAll(out, "F " + OneLine(error.what()) + "\n");
    _exit(3);
  }
  for (std::size_t count = 0; count < options.files_per_worker; ++count) {
    const std::size_t i = next.Take();
    if (i >= files.size()) break;
    WriteAll(out, "S " + std::to_string(i) + "\n");
    ReturnReport report;
    try {
      report = worker->Check(files[i]);
    } catch (const std::exception& error) {
      report.file = files[i];
      report.error = error.what();
    }
    const nlohmann::json line = report;
    WriteAll(out, "D " + std::to_string(i) + " " +
                      line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n");
  }
  worker.reset();
  _exit(0);
}

struct Child {
  pid_t pid;
  int fd;
  std::string buffer;
  std::optional<std::size_t> current;  // the file it took and has not reported yet
};

std::string HowItEnded(int status) {
  if (WIFSIGNALED(status)) return "signal " + std::to_string(WTERMSIG(status));
  return "exit status " + std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
}

class Pool {
 public:
  Pool(const std::vector<std::string>& files, const PoolOptions& options,
       const WorkerFactory& make_worker, const Progress& progress)
      : files_(files),
        options_(options),
        make_worker_(make_worker),
        progress_(progress),
        reports_(files.size()) {}

  ~Pool() {
    for (Child& child : children_) {
      kill(child.pid, SIGTERM);
      close(child.fd);
      waitpid(child.pid, nullptr, 0);
    }
  }

  std::vector<ReturnReport> Run() {
    const std::size_t jobs = static_cast<std::size_t>(options_.jobs < 1 ? 1 : options_.jobs);
    for (std::size_t i = 0; i < jobs && i < files_.size(); ++i) Spawn();
    while (!children_.empty()) Wait();
    if (!fatal_.empty()) throw WorkerSetupError(fatal_);
    std::vector<ReturnReport> reports;
    for (std::size_t i = 0; i < files_.size(); ++i) {
      if (reports_[i]) {
        reports.push_back(std::move(*reports_[i]));
      } else {
        reports.push_back({});
        reports.back().file = files_[i];
        reports.back().error = "not checked";
      }
    }
    return reports;
  }

 private:
  void Spawn() {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) ThrowErrno("pipe");
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0) {
      close(fds[0]);
      close(fds[1]);
      ThrowErrno("fork");
    }
    if (pid == 0) {
      close(fds[0]);
      for (const Child& child : children_) close(child.fd);
      RunWorker(fds[1], next_, files_, options_, make_worker_);
    }
    close(fds[1]);
    children_.push_back({pid, fds[0], {}, std::nullopt});
  }

  void Wait() {
    std::vector<pollfd> polls;
    for (const Child& child : children_) polls.push_back({child.fd, POLLIN, 0});
    if (poll(polls.data(), polls.size(), -1) < 0) {
      if (errno == EINTR) return;
      ThrowErrno("poll");
    }
    for (std::size_t i = polls.size(); i-- > 0;) {
      if (!polls[i].revents) continue;
      char chunk[65536];
      const ssize_t n = read(children_[i].fd, chunk, sizeof chunk);
      if (n < 0 && errno == EINTR) continue;
      if (n > 0) {
        Receive(children_[i], std::string_view(chunk, static_cast<std::size_t>(n)));
      } else {
        End(i);
      }
    }
  }

  void Receive(Child& child, std::string_view data) {
    child.buffer.append(data);
    std::size_t start = 0;
    for (std::size_t end; (end = child.buffer.find('\n', start)) != std::string::npos;
         start = end + 1)
      Line(child, std::string_view(child.buffer).substr(start, end - start));
    child.buffer.erase(0, start);
  }

  void Line(Child& child, std::string_view line) {
    if (line.size() < 2) return;
    const std::string_view rest = line.substr(2);
    if (line[0] == 'F') {
      if (fatal_.empty()) fatal_ = rest;
      for (const Child& other : children_) kill(other.pid, SIGTERM);
      return;
    }
    const std::size_t space = rest.find(' ');
    const std::size_t index = std::stoul(std::string(rest.substr(0, space)));
    if (index >= files_.size()) return;
    if (line[0] == 'S') {
      child.current = index;
    } else if (line[0] == 'D' && space != std::string_view::npos) {
      Deliver(index, nlohmann::json::parse(rest.substr(space + 1)).get<ReturnReport>());
      child.current.reset();
    }
  }

  void Deliver(std::size_t index, ReturnReport report) {
    if (reports_[index]) return;
    reports_[index] = std::move(report);
    if (progress_) progress_(++received_, files_.size());
  }

  void End(std::size_t i) {
    Child child = std::move(children_[i]);
    children_.erase(children_.begin() + static_cast<std::ptrdiff_t>(i));
    close(child.fd);
    int status = 0;
    while (waitpid(child.pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (child.current) {
      ReturnReport lost;
      lost.file = files_[*child.current];
      lost.error = "the check of this file ended its worker process (" + HowItEnded(status) + ")";
      Deliver(*child.current, std::move(lost));
    }
    if (fatal_.empty() && next_.Taken() < files_.size()) Spawn();
  }

  const std::vector<std::string>& files_;
  const PoolOptions& options_;
  const WorkerFactory& make_worker_;
  const Progress& progress_;
  SharedCounter next_;
  std::vector<Child> children_;
  std::vector<std::optional<ReturnReport>> reports_;
  std::size_t received_ = 0;
  std::string fatal_;
};

}  // namespace

std::vector<ReturnReport> CheckInWorkers(const std::vector<std::string>& files,
                                         const PoolOptions& options,
                                         const WorkerFactory& make_worker,
                                         const Progress& progress) {
  return Pool(files, options, make_worker, progress).Run();
}

}  // namespace velmora::check
