// Frame cost and start-up of the game, measured on this machine:
//
//   snokrystal_bench [--frames N] [--rounds R] [--startup-runs K]
//
// Run it from the repository root (where assets/ lies) with a display or under
// xvfb-run; scripts/bench does both. It prints a Markdown report.
//
// A measured frame is what the main loop does once: handleEvents, update and
// render (which presents the frame), with no frame-rate limit. Before every
// frame the scene's play state is put back, so each frame draws the same
// picture. The floor is the same window doing nothing but clearing, drawing
// the backdrop as one sprite (of a picture of it drawn once) and presenting.
// The scenes take turns in short rounds, so a change in the machine's load
// touches them all alike.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <SFML/OpenGL.hpp>
#include <SFML/System/Err.hpp>

#include "app/Game.h"
#include "bench/Probe.h"
#include "bench/Scenes.h"
#include "render/Look.h"
#include "tools/Autoplay.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kFrameBudgetMs = 1000.0 / 60.0;
constexpr double kMedianGoal = 1.5;
constexpr double kStartupGoal = 1.3;
constexpr double kNetworkGoal = 0.05;
constexpr int kWarmUpFrames = 3;

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Nearest rank; the start-up's median instead averages the middle two.
double percentile(std::vector<double> samples, double share) {
  std::ranges::sort(samples);
  const auto rank =
      static_cast<std::size_t>(std::ceil(share * static_cast<double>(samples.size())));
  return samples.empty() ? 0.0 : samples[std::clamp<std::size_t>(rank, 1, samples.size()) - 1];
}

double medianOf(std::vector<double> values) {
  std::ranges::sort(values);
  const std::size_t n = values.size();
  return n == 0 ? 0.0 : n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

std::string machineLine(const char* file, std::string_view key) {
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with(key)) {
      return line.substr(std::min(line.size(), line.find(':') + 2));
    }
  }
  return "unknown";
}

std::string loadAverage() {
  std::string one, five, fifteen;
  std::ifstream("/proc/loadavg") >> one >> five >> fifteen;
  return one + " " + five + " " + fifteen;
}

std::string glString(GLenum name) {
  const auto* text = reinterpret_cast<const char*>(glGetString(name));
  return text != nullptr ? text : "unknown";
}

// A TCP listener on the loopback interface that never says a word: a TLS
// client that connects waits for the server's hello until its own time-out.
struct SilentServer {
  int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  int connection = -1;
  int port = 0;  // stays 0 when no listener could be opened

  SilentServer() {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    auto* generic = reinterpret_cast<sockaddr*>(&address);
    if (listener >= 0 && ::bind(listener, generic, length) == 0 && ::listen(listener, 8) == 0 &&
        ::getsockname(listener, generic, &length) == 0) {
      port = ntohs(address.sin_port);
    }
  }
  ~SilentServer() {
    drop();
    ::close(listener);
  }
  SilentServer(const SilentServer&) = delete;
  SilentServer& operator=(const SilentServer&) = delete;

  // Takes the client's connection and waits until it has sent its hello.
  bool awaitHello() {
    pollfd waiting{listener, POLLIN, 0};
    if (::poll(&waiting, 1, 10000) <= 0) {
      return false;
    }
    connection = ::accept(listener, nullptr, nullptr);
    waiting = {connection, POLLIN, 0};
    return connection >= 0 && ::poll(&waiting, 1, 10000) > 0;
  }
  // Closes the connection: the waiting client sees the end at once.
  void drop() {
    if (connection >= 0) {
      ::close(connection);
    }
    connection = -1;
  }
};

struct Scene {
  const char* name;
  const PlayState* state;  // none: the floor
  bool hanging = false;    // measured while a submission hangs in the silent server
  bool afresh = false;     // the kept win picture and the laid-out texts dropped before every frame
  std::vector<double> samples{}, displaySamples{};  // the whole frame, and its display()
  int blocksLost = 0;  // hanging blocks during which the submission was not in flight
};

void measureBlock(Game& game, Scene& scene, int frames) {
  const sf::Sprite backdrop(game.background.getTexture());
  for (int i = -kWarmUpFrames; i < frames; ++i) {
    if (scene.state != nullptr) {
      game.playState() = *scene.state;
      if (scene.afresh) {
        bench::forgetKeptDrawing(game);
      }
    }
    const Clock::time_point start = Clock::now();
    if (scene.state == nullptr) {
      game.window.clear(look::kNight);
      game.window.draw(backdrop);
    } else {
      // render() is drawFrame() and display(): timed here as its two halves.
      game.handleEvents();
      game.update(bench::kFrameStep);
      game.drawFrame();
    }
    const Clock::time_point drawn = Clock::now();
    game.window.display();
    if (i >= 0) {
      scene.samples.push_back(millisecondsSince(start));
      scene.displaySamples.push_back(millisecondsSince(drawn));
    }
  }
}

// A hanging block: the typed name sent to the silent server, measured while
// the client waits for its answer, then let fail with its result thrown away,
// so that no late result shows up in a later scene.
void measureHanging(Game& game, SilentServer& server, Scene& scene, const PlayState& nameEntry,
                    int frames) {
  game.playState() = nameEntry;
  autoplay::type(game, "\r");
  const bool started = game.submitter.isBusy() && server.awaitHello();
  if (started) {
    measureBlock(game, scene, frames);
  }
  scene.blocksLost += started && game.submitter.isBusy() ? 0 : 1;
  server.drop();
  for (int i = 0; i < 1000 && !game.scoreInbox->take(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

// Spawns a start-up probe (beside this program) with the spawn time as its
// argument; its report: milliseconds to its first frame, peak kilobytes.
bool runProbe(const char* name, std::vector<double>& times, long& peak) {
  std::string path(4096, '\0');
  path.resize(static_cast<std::size_t>(
      std::max<ssize_t>(0, readlink("/proc/self/exe", path.data(), path.size()))));
  path = path.substr(0, path.rfind('/') + 1) + name;
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) {
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
  // SFML's warnings about the context it got would only clutter the report.
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::string spawnedAt = std::to_string(bench::steadyNanoseconds());
  char* arguments[] = {path.data(), spawnedAt.data(), nullptr};
  pid_t child = 0;
  const bool spawned =
      posix_spawn(&child, path.c_str(), &actions, nullptr, arguments, environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);
  std::string output;
  char buffer[256];
  for (ssize_t got = 0; (got = read(pipeEnds[0], buffer, sizeof buffer)) > 0;) {
    output.append(buffer, static_cast<std::size_t>(got));
  }
  close(pipeEnds[0]);
  int status = 0;
  long long microseconds = 0;
  long kilobytes = 0;
  if (!spawned || waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
      WEXITSTATUS(status) != 0 ||
      std::sscanf(output.c_str(), "%lld %ld", &microseconds, &kilobytes) != 2) {
    return false;
  }
  times.push_back(static_cast<double>(microseconds) / 1000.0);
  peak = std::max(peak, kilobytes);
  return true;
}

const char* verdict(bool met) { return met ? "met" : "NOT met"; }

}  // namespace

int main(int argc, char** argv) {
  int frames = 1200;     // per scene, over all rounds
  int rounds = 60;       // short blocks: a burst of load elsewhere falls on all scenes
  int startupRuns = 20;  // per probe
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string_view name = argv[i];
    const int value = std::max(1, std::atoi(argv[i + 1]));
    if (name == "--frames") {
      frames = value;
    } else if (name == "--rounds") {
      rounds = value;
    } else if (name == "--startup-runs") {
      startupRuns = value;
    }
  }
  rounds = std::min(rounds, frames);
  const std::string loadBefore = loadAverage();
  sf::err().rdbuf(nullptr);  // SFML's context and audio warnings

  Game game;
  game.window.setFramerateLimit(0);
  game.window.setVerticalSyncEnabled(false);
  SilentServer server;
  const char* problem = !game.fontsLoaded
                            ? "no fonts found: run from the repository root after scripts/setup"
                        : !game.window.setActive(true) ? "cannot activate the window's context"
                        : !game.backgroundReady        ? "the game has no backdrop picture"
                        : server.port == 0 ? "cannot open a listener on the loopback interface"
                                           : nullptr;
  if (problem != nullptr) {
    (void)std::fprintf(stderr, "%s\n", problem);
    return 1;
  }
  // Long time-outs: the submission must outlast every measured block.
  game.submitter.endpoint = ScoreEndpoint{.host = "127.0.0.1",
                                          .port = server.port,
                                          .caFile = "",
                                          .connectTimeoutMs = 600000,
                                          .totalTimeoutMs = 600000};

  const bench::Scenes scenes = bench::buildScenes(game);
  if (!std::ranges::all_of(scenes.all(),
                           [&](const PlayState* s) { return bench::standsStill(game, *s); })) {
    (void)std::fprintf(stderr,
                       "a scene drifts from frame to frame: is a member of the Game "
                       "missing from Game::playState()?\n");
    return 1;
  }
  std::vector<Scene> all{
      {"floor: clear, backdrop sprite, display", nullptr},
      {"title screen", &scenes.title},
      {"level 1 at rest", &scenes.levelOne},
      {"level 5 worst case", &scenes.worstCase},
      {"win: name entry and confetti", &scenes.nameEntry},
      {"win screen, idle", &scenes.winScreen},
      {"win screen, submission hanging", &scenes.winScreen, true},
      {"win: name entry, drawn afresh", &scenes.nameEntry, false, true},
      {"win screen, drawn afresh", &scenes.winScreen, false, true},
  };
  const int perBlock = frames / rounds;
  for (int round = 0; round < rounds; ++round) {
    // Each round starts with another scene, so none always runs first.
    for (std::size_t k = 0; k < all.size(); ++k) {
      Scene& scene = all[(k + static_cast<std::size_t>(round)) % all.size()];
      if (scene.hanging) {
        measureHanging(game, server, scene, scenes.nameEntry, perBlock);
      } else {
        measureBlock(game, scene, perBlock);
      }
    }
  }

  std::printf("## Frame time\n\n");
  std::printf(
      "Milliseconds per frame (handleEvents + update + render, no frame-rate limit); "
      "%d frames per scene in %d rounds. The last column is the part spent in display(), "
      "where a software renderer does most of its rasterising.\n\n",
      perBlock * rounds, rounds);
  std::printf("| scene | median | p95 | p99 | median / floor | display (median) |\n");
  std::printf("|---|---:|---:|---:|---:|---:|\n");
  const double floor = percentile(all[0].samples, 0.5);
  bool framesMet = true;
  double idle = 0.0, hanging = 0.0;
  int lost = 0;
  for (const Scene& scene : all) {
    const double median = percentile(scene.samples, 0.5), p99 = percentile(scene.samples, 0.99);
    const double ratio = floor > 0.0 ? median / floor : 0.0;
    std::printf("| %s | %.2f | %.2f | %.2f | %.2f | %.2f |\n", scene.name, median,
                percentile(scene.samples, 0.95), p99, ratio, percentile(scene.displaySamples, 0.5));
    if (scene.state != nullptr && !scene.hanging && !scene.afresh) {
      framesMet = framesMet && ratio <= kMedianGoal && p99 < kFrameBudgetMs;
    }
    if (scene.state == &scenes.winScreen && !scene.afresh) {
      (scene.hanging ? hanging : idle) = median;
      lost += scene.blocksLost;
    }
  }
  const double networkShare = idle > 0.0 ? hanging / idle - 1.0 : 0.0;
  game.playState() = scenes.worstCase;
  std::printf("\nWorst case: %zu trail cells, %zu sparks, %zu crack marks, %zu confetti.\n",
              game.trail.size(), game.effects.sparks.size(), game.effects.cracks.size(),
              game.particles.size());
  std::printf("Every scene's median at most %.1fx the floor and p99 under %.1f ms: %s.\n",
              kMedianGoal, kFrameBudgetMs, verdict(framesMet));
  std::printf(
      "Win screen while a submission hangs: median %+.1f %% against idle (goal within 5 %%): "
      "%s%s.\n",
      networkShare * 100.0, verdict(std::abs(networkShare) <= kNetworkGoal),
      lost > 0 ? " (some blocks ran without a submission in flight)" : "");

  std::vector<double> gameStart, bareStart;
  long gamePeak = 0, barePeak = 0;
  for (int i = 0; i < startupRuns; ++i) {
    // Alternating, so both see the same machine.
    for (const bool isGame : {i % 2 == 0, i % 2 != 0}) {
      static_cast<void>(isGame ? runProbe("snokrystal_first_frame", gameStart, gamePeak)
                               : runProbe("snokrystal_bare_window", bareStart, barePeak));
    }
  }
  const double startRatio =
      medianOf(bareStart) > 0.0 ? medianOf(gameStart) / medianOf(bareStart) : 0.0;
  std::printf("\n## Start-up\n\n");
  std::printf("Milliseconds from spawning the process to its first displayed frame.\n\n");
  std::printf("| program | runs | median | fastest | slowest |\n|---|---:|---:|---:|---:|\n");
  const auto startRow = [](const char* name, const std::vector<double>& runs) {
    const auto [low, high] = std::ranges::minmax_element(runs);
    std::printf("| %s | %zu | %.1f | %.1f | %.1f |\n", name, runs.size(), medianOf(runs),
                runs.empty() ? 0.0 : *low, runs.empty() ? 0.0 : *high);
  };
  startRow("game (construct Game, first frame)", gameStart);
  startRow("bare SFML window (open, clear, display)", bareStart);
  std::printf("\nGame against bare window: %.2fx (goal at most %.1fx): %s.\n", startRatio,
              kStartupGoal, verdict(startRatio > 0.0 && startRatio <= kStartupGoal));

  std::printf("\n## Peak resident memory\n\n");
  std::printf("| process | peak RSS |\n|---|---:|\n");
  std::printf("| game at its first frame | %.1f MiB |\n", static_cast<double>(gamePeak) / 1024.0);
  std::printf("| bare window at its first frame | %.1f MiB |\n",
              static_cast<double>(barePeak) / 1024.0);
  std::printf("| this benchmark after every scene (one Game) | %.1f MiB |\n",
              static_cast<double>(bench::peakResidentKilobytes()) / 1024.0);

  std::printf("\n## Machine\n\n");
  std::printf("- CPU: %s, %u hardware threads\n",
              machineLine("/proc/cpuinfo", "model name").c_str(),
              std::thread::hardware_concurrency());
  std::printf("- OpenGL: %s (%s), window antialiasing level %u\n", glString(GL_RENDERER).c_str(),
              glString(GL_VERSION).c_str(), game.window.getSettings().antiAliasingLevel);
  std::printf("- Load average before / after: %s / %s\n", loadBefore.c_str(),
              loadAverage().c_str());
  return 0;
}
