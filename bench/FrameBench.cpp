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

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include <SFML/OpenGL.hpp>
#include <SFML/System/Err.hpp>

#include "app/Game.h"
#include "bench/Probe.h"
#include "bench/Scenes.h"
#include "bench/SilentServer.h"
#include "render/Look.h"
#include "tools/Autoplay.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kFrameBudgetMs = 1000.0 / 60.0;
constexpr double kMedianGoal = 1.5;
constexpr double kStartupGoal = 1.3;
constexpr double kNetworkGoal = 0.05;

struct Options {
  int frames = 1200;     // per scene, over all rounds
  int rounds = 60;       // short blocks: a burst of load elsewhere falls on all scenes
  int startupRuns = 20;  // per probe
};

Options parseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string_view name = argv[i];
    const int value = std::max(1, std::atoi(argv[i + 1]));
    if (name == "--frames") {
      options.frames = value;
    } else if (name == "--rounds") {
      options.rounds = value;
    } else if (name == "--startup-runs") {
      options.startupRuns = value;
    }
  }
  options.rounds = std::min(options.rounds, options.frames);
  return options;
}

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Stats {
  double median = 0.0;
  double p95 = 0.0;
  double p99 = 0.0;
};

// Nearest-rank percentiles.
double percentile(const std::vector<double>& sorted, double share) {
  if (sorted.empty()) {
    return 0.0;
  }
  const auto rank = static_cast<std::size_t>(std::ceil(share * static_cast<double>(sorted.size())));
  return sorted[std::clamp<std::size_t>(rank, 1, sorted.size()) - 1];
}

Stats statsOf(std::vector<double> samples) {
  std::ranges::sort(samples);
  return {percentile(samples, 0.5), percentile(samples, 0.95), percentile(samples, 0.99)};
}

// ---- The machine ----------------------------------------------------------

std::string firstLineWith(const char* file, std::string_view key) {
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with(key)) {
      const std::size_t colon = line.find(':');
      return colon == std::string::npos ? line : line.substr(colon + 2);
    }
  }
  return "unknown";
}

std::string loadAverage() {
  std::ifstream in("/proc/loadavg");
  std::string one, five, fifteen;
  in >> one >> five >> fifteen;
  return one + " " + five + " " + fifteen;
}

std::string glString(GLenum name) {
  const auto* text = reinterpret_cast<const char*>(glGetString(name));
  return text != nullptr ? text : "unknown";
}

// ---- Frames -----------------------------------------------------------------

// A frame's whole time, and the part spent in display(): the software
// renderers do most of their rasterising there.
struct FrameTime {
  double total = 0.0;
  double display = 0.0;
};

// render() is drawFrame() and display(); timed here as its two halves.
FrameTime gameFrame(Game& game) {
  const Clock::time_point start = Clock::now();
  game.handleEvents();
  game.update(bench::kFrameStep);
  game.drawFrame();
  const Clock::time_point drawn = Clock::now();
  game.window.display();
  return {millisecondsSince(start), millisecondsSince(drawn)};
}

FrameTime floorFrame(Game& game, const sf::Texture& backdrop) {
  const Clock::time_point start = Clock::now();
  game.window.clear(look::kNight);
  game.window.draw(sf::Sprite(backdrop));
  const Clock::time_point drawn = Clock::now();
  game.window.display();
  return {millisecondsSince(start), millisecondsSince(drawn)};
}

struct Scene {
  std::string name;
  const bench::PlayState* state = nullptr;  // none: the floor
  bool hanging = false;                     // measured while a submission hangs in a silent server
  bool afresh = false;  // the kept win picture and the laid-out texts dropped before every frame
  std::vector<double> samples;
  std::vector<double> displaySamples;
  int blocksLost = 0;  // hanging blocks during which the submission was not in flight
};

Scene makeScene(std::string name, const bench::PlayState* state, bool hanging = false,
                bool afresh = false) {
  Scene scene;
  scene.name = std::move(name);
  scene.state = state;
  scene.hanging = hanging;
  scene.afresh = afresh;
  return scene;
}

constexpr int kWarmUpFrames = 3;

void measureBlock(Game& game, const sf::Texture& backdrop, Scene& scene, int frames) {
  for (int i = -kWarmUpFrames; i < frames; ++i) {
    FrameTime time;
    if (scene.state == nullptr) {
      time = floorFrame(game, backdrop);
    } else {
      bench::restore(game, *scene.state);
      if (scene.afresh) {
        game.winPicture.shows.reset();
        game.sceneLayer.texts.clear();
        game.topLayer.texts.clear();
      }
      time = gameFrame(game);
    }
    if (i >= 0) {
      scene.samples.push_back(time.total);
      scene.displaySamples.push_back(time.display);
    }
  }
}

// Sends the typed name to the silent server and waits until the client has
// said hello and hangs waiting for the answer.
bool startHangingSubmission(Game& game, bench::SilentServer& server,
                            const bench::PlayState& nameEntry) {
  bench::restore(game, nameEntry);
  autoplay::type(game, "\r");
  return game.submitter.isBusy() && server.waitForHello(10000);
}

// Lets the hanging submission fail and throws its result away, so that no
// late result shows up in a later scene.
void endHangingSubmission(Game& game, bench::SilentServer& server) {
  server.dropAll();
  for (int i = 0; i < 1000; ++i) {
    if (game.scoreInbox->take()) {
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

// ---- Start-up -----------------------------------------------------------------

struct ProbeRun {
  bool ok = false;
  double ms = 0.0;
  long peakKilobytes = 0;
};

// Spawns the probe with the spawn time as its argument and reads its report.
ProbeRun runProbe(const std::string& path) {
  ProbeRun run;
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) {
    return run;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
  // SFML's warnings about the context it got would only clutter the report.
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::string spawnedAt = std::to_string(bench::steadyNanoseconds());
  std::string program = path;
  char* arguments[] = {program.data(), spawnedAt.data(), nullptr};
  pid_t child = 0;
  const int spawned = posix_spawn(&child, path.c_str(), &actions, nullptr, arguments, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);
  std::string output;
  char buffer[256];
  for (ssize_t got = 0; (got = read(pipeEnds[0], buffer, sizeof buffer)) > 0;) {
    output.append(buffer, static_cast<std::size_t>(got));
  }
  close(pipeEnds[0]);
  if (spawned != 0) {
    return run;
  }
  int status = 0;
  waitpid(child, &status, 0);
  long long microseconds = 0;
  long kilobytes = 0;
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0 &&
      std::sscanf(output.c_str(), "%lld %ld", &microseconds, &kilobytes) == 2) {
    run = {true, static_cast<double>(microseconds) / 1000.0, kilobytes};
  }
  return run;
}

std::string besideThisProgram(const std::string& name) {
  std::string self(4096, '\0');
  const ssize_t length = readlink("/proc/self/exe", self.data(), self.size() - 1);
  self.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
  const std::size_t slash = self.rfind('/');
  return (slash == std::string::npos ? std::string(".") : self.substr(0, slash)) + "/" + name;
}

double medianOf(std::vector<double> values) {
  if (values.empty()) {
    return 0.0;
  }
  std::ranges::sort(values);
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

const char* verdict(bool met) { return met ? "met" : "NOT met"; }

}  // namespace

int main(int argc, char** argv) {
  const Options options = parseOptions(argc, argv);
  const std::string loadBefore = loadAverage();
  sf::err().rdbuf(nullptr);  // SFML's context and audio warnings

  Game game;
  if (!game.fontsLoaded) {
    (void)std::fprintf(stderr,
                       "no fonts found: run from the repository root after scripts/setup\n");
    return 1;
  }
  game.window.setFramerateLimit(0);
  game.window.setVerticalSyncEnabled(false);
  if (!game.window.setActive(true)) {
    (void)std::fprintf(stderr, "cannot activate the window's context\n");
    return 1;
  }
  const std::string renderer = glString(GL_RENDERER);
  const std::string glVersion = glString(GL_VERSION);
  const unsigned antialiasing = game.window.getSettings().antiAliasingLevel;

  const bench::Scenes scenes = bench::buildScenes(game);
  // The floor copies the game's own backdrop picture, as every frame does.
  if (!game.backgroundReady) {
    (void)std::fprintf(stderr, "the game has no backdrop picture\n");
    return 1;
  }
  const bench::SceneCounts worst = bench::countsOf(scenes.worstCase);

  bench::SilentServer server;
  if (server.port == 0) {
    (void)std::fprintf(stderr, "cannot open a listener on the loopback interface\n");
    return 1;
  }
  // Long time-outs: the submission must outlast every measured block.
  game.submitter.endpoint = ScoreEndpoint{.host = "127.0.0.1",
                                          .port = server.port,
                                          .caFile = "",
                                          .connectTimeoutMs = 600000,
                                          .totalTimeoutMs = 600000};

  std::vector<Scene> all;
  all.push_back(makeScene("floor: clear, backdrop sprite, display", nullptr));
  all.push_back(makeScene("title screen", &scenes.title));
  all.push_back(makeScene("level 1 at rest", &scenes.levelOne));
  all.push_back(makeScene("level 5 worst case", &scenes.worstCase));
  all.push_back(makeScene("win: name entry and confetti", &scenes.nameEntry));
  all.push_back(makeScene("win screen, idle", &scenes.winScreen));
  all.push_back(makeScene("win screen, submission hanging", &scenes.winScreen, true));
  all.push_back(makeScene("win: name entry, drawn afresh", &scenes.nameEntry, false, true));
  all.push_back(makeScene("win screen, drawn afresh", &scenes.winScreen, false, true));

  const int perBlock = options.frames / options.rounds;
  for (int round = 0; round < options.rounds; ++round) {
    // Each round starts with another scene, so none always runs first.
    for (std::size_t k = 0; k < all.size(); ++k) {
      Scene& scene = all[(k + static_cast<std::size_t>(round)) % all.size()];
      if (scene.hanging) {
        if (!startHangingSubmission(game, server, scenes.nameEntry)) {
          ++scene.blocksLost;
          endHangingSubmission(game, server);
          continue;
        }
        measureBlock(game, game.background.getTexture(), scene, perBlock);
        if (!game.submitter.isBusy()) {
          ++scene.blocksLost;
        }
        endHangingSubmission(game, server);
      } else {
        measureBlock(game, game.background.getTexture(), scene, perBlock);
      }
    }
  }

  const Stats floor = statsOf(all[0].samples);
  std::printf("## Frame time\n\n");
  std::printf(
      "Milliseconds per frame (handleEvents + update + render, no frame-rate limit); "
      "%d frames per scene in %d rounds. The last column is the part spent in display(), "
      "where a software renderer does most of its rasterising.\n\n",
      perBlock * options.rounds, options.rounds);
  std::printf("| scene | median | p95 | p99 | median / floor | display (median) |\n");
  std::printf("|---|---:|---:|---:|---:|---:|\n");
  bool framesMet = true;
  double idleMedian = 0.0;
  double hangingMedian = 0.0;
  int hangingLost = 0;
  for (const Scene& scene : all) {
    const Stats s = statsOf(scene.samples);
    const double ratio = floor.median > 0.0 ? s.median / floor.median : 0.0;
    std::printf("| %s | %.2f | %.2f | %.2f | %.2f | %.2f |\n", scene.name.c_str(), s.median, s.p95,
                s.p99, ratio, statsOf(scene.displaySamples).median);
    if (scene.state != nullptr && !scene.hanging && !scene.afresh) {
      framesMet = framesMet && ratio <= kMedianGoal && s.p99 < kFrameBudgetMs;
    }
    if (scene.state == &scenes.winScreen && !scene.afresh) {
      (scene.hanging ? hangingMedian : idleMedian) = s.median;
      hangingLost += scene.blocksLost;
    }
  }
  const double networkShare = idleMedian > 0.0 ? hangingMedian / idleMedian - 1.0 : 0.0;
  std::printf("\nWorst case: %zu trail cells, %zu sparks, %zu crack marks, %zu confetti.\n",
              worst.trail, worst.sparks, worst.cracks, worst.confetti);
  std::printf("Every scene's median at most %.1fx the floor and p99 under %.1f ms: %s.\n",
              kMedianGoal, kFrameBudgetMs, verdict(framesMet));
  std::printf(
      "Win screen while a submission hangs: median %+.1f %% against idle (goal within 5 %%): "
      "%s%s.\n",
      networkShare * 100.0, verdict(std::abs(networkShare) <= kNetworkGoal),
      hangingLost > 0 ? " (some blocks ran without a submission in flight)" : "");

  std::vector<double> gameStart, bareStart;
  long gamePeak = 0, barePeak = 0;
  const std::string gameProbe = besideThisProgram("snokrystal_first_frame");
  const std::string bareProbe = besideThisProgram("snokrystal_bare_window");
  for (int i = 0; i < options.startupRuns; ++i) {
    // Alternating, so both see the same machine.
    for (const bool isGame : {i % 2 == 0, i % 2 != 0}) {
      const ProbeRun run = runProbe(isGame ? gameProbe : bareProbe);
      if (!run.ok) {
        continue;
      }
      (isGame ? gameStart : bareStart).push_back(run.ms);
      long& peak = isGame ? gamePeak : barePeak;
      peak = std::max(peak, run.peakKilobytes);
    }
  }
  const double gameMedian = medianOf(gameStart);
  const double bareMedian = medianOf(bareStart);
  const double startRatio = bareMedian > 0.0 ? gameMedian / bareMedian : 0.0;
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
              firstLineWith("/proc/cpuinfo", "model name").c_str(),
              std::thread::hardware_concurrency());
  std::printf("- OpenGL: %s (%s), window antialiasing level %u\n", renderer.c_str(),
              glVersion.c_str(), antialiasing);
  std::printf("- Load average before / after: %s / %s\n", loadBefore.c_str(),
              loadAverage().c_str());
  return 0;
}
