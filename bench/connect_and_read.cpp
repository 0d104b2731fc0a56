// The connect, and a connect with a full SIM read (250 entries), on the
// virtual handset behind a pseudo-terminal paced at 115200 bit/s: in-process
// as ratios to the wire time of their bytes, and as programs, `phondeck` and
// gnokii-cli against the same handset (identify; the SIM's phone book), the
// median of seven rounds. The last line is "ratio N.NN": phondeck's connect
// and read against gnokii-cli's.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/paced_line.h"
#include "sim/handset_state.h"

using namespace phondeck;

namespace {

constexpr int kRounds = 7;
constexpr int kSimEntries = 250;

sim::HandsetState full_sim() {
  sim::HandsetState s = sim::HandsetState::demo(*sim::find_model("6110"));
  s.phone = sim::Memory{};
  s.phone.capacity = 200;
  s.sim = sim::Memory{};
  s.sim.capacity = kSimEntries;
  for (int i = 1; i <= kSimEntries; ++i) {
    const std::string name = "SIM " + std::to_string(i);
    s.sim.put({i, sim::Bytes(name.begin(), name.end()), "09" + std::to_string(5000000 + i), 0});
  }
  return s;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// Runs the program with its output thrown away; the seconds it took, or -1
// when it failed or took longer than a minute.
double run_program(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    std::vector<char*> vars;
    for (const std::string& e : env) vars.push_back(const_cast<char*>(e.c_str()));
    vars.push_back(nullptr);
    execve(args[0], args.data(), vars.data());
    _exit(127);
  }
  int status = 0;
  for (;;) {
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    if (std::chrono::steady_clock::now() - start > std::chrono::seconds(60)) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    usleep(500);
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1;
}

}  // namespace

int main() {
  bench::PacedLine line;
  if (!line.start_handset(full_sim())) return 1;
  const std::filesystem::path home =
      std::filesystem::temp_directory_path() / ("phondeck-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(home / ".config" / "gnokii");
  std::ofstream(home / ".config" / "gnokii" / "config")
      << "[global]\nport = " << line.path() << "\nmodel = 6110\nconnection = serial\n";
  const std::vector<std::string> env{"HOME=" + home.string(), "XDG_CONFIG_HOME=" + (home / ".config").string(),
                                     "LANG=C.UTF-8", "PATH=/usr/bin:/bin"};
  const std::string gnokii = "/usr/bin/gnokii";
  // Another build's phondeck may be measured in its place (a before-and-after).
  const char* other = std::getenv("PHONDECK_BENCH_PROGRAM");
  const std::string phondeck = other != nullptr ? other : PHONDECK_PROGRAM;
  const bool have_gnokii = access(gnokii.c_str(), X_OK) == 0;

  std::vector<double> connect, connect_wire, read, read_wire;
  std::vector<double> ours_identify, ours_read, their_identify, their_read;
  for (int round = 0; round < kRounds; ++round) {
    const double c = line.connect();
    if (c < 0) return 1;
    connect.push_back(c);
    connect_wire.push_back(line.wire_seconds());
    const double r = line.time([](HandsetSession& session) { session.commands().read_phone_book(); });
    const std::size_t entries = line.session().book().active().size();
    if (entries != static_cast<std::size_t>(kSimEntries)) {
      std::fprintf(stderr, "read %zu entries instead of %d\n", entries, kSimEntries);
      return 1;
    }
    read.push_back(r);
    read_wire.push_back(line.wire_seconds());
    line.session().book().active().clear();
    // The line is free for the programs.
    line.session().engine().reset();

    ours_identify.push_back(run_program({phondeck, "--device", line.path(), "identify"}, env));
    ours_read.push_back(run_program({phondeck, "--device", line.path(), "phonebook", "read"}, env));
    if (have_gnokii) {
      their_identify.push_back(run_program({gnokii, "--identify"}, env));
      their_read.push_back(run_program({gnokii, "--getphonebook", "SM", "1", "end"}, env));
    }
  }
  line.stop();
  std::filesystem::remove_all(home);

  const auto failed = [](const std::vector<double>& v) {
    return std::any_of(v.begin(), v.end(), [](double s) { return s < 0; });
  };
  std::printf("rounds %d (medians), SIM entries %d\n", kRounds, kSimEntries);
  std::printf("connect %.3f s, wire %.3f s, ratio to wire %.2f\n", median(connect), median(connect_wire),
              median(connect) / median(connect_wire));
  const double with_read = median(connect) + median(read);
  std::printf("connect and read %.3f s, wire %.3f s, ratio to wire %.2f\n", with_read,
              median(connect_wire) + median(read_wire), with_read / (median(connect_wire) + median(read_wire)));
  if (failed(ours_identify) || failed(ours_read)) {
    std::fprintf(stderr, "phondeck failed against the handset\n");
    return 1;
  }
  std::printf("phondeck identify %.3f s, phonebook read %.3f s\n", median(ours_identify), median(ours_read));
  if (!have_gnokii || failed(their_identify) || failed(their_read)) {
    std::printf("gnokii-cli %s: no comparison\n", have_gnokii ? "failed" : "is not installed");
    return 0;
  }
  std::printf("gnokii-cli --identify %.3f s, --getphonebook SM 1 end %.3f s\n", median(their_identify),
              median(their_read));
  std::printf("identify ratio to gnokii-cli %.2f\n", median(ours_identify) / median(their_identify));
  std::printf("ratio %.2f\n", median(ours_read) / median(their_read));
  return 0;
}
