// Measures the opponents' planning and the queries they are built on, position by
// position, and compares every figure with a recorded baseline.
//   torvane_bench [--baseline FILE] [--write-baseline FILE] [--max-hps-steps N] [--filter TEXT]
//   torvane_bench --csv [--max-hps-steps N] [--filter TEXT]   planning time and longest frame slice
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "AllocationCounter.h"
#include "BenchPositions.h"
#include "ai/Evaluator.h"
#include "ai/HPSController.h"
#include "ai/MinimaxController.h"
#include "board/TileMap.h"
#include "board/Unit.h"
#include "study/RootNode.h"
#include "input/InputManager.h"
#include "raylib.h"

namespace {
using Clock = std::chrono::steady_clock;

struct Figures {
    double evaluatePerSecond = 0;
    double reachablePerSecond = 0;
    double minimaxMs = 0;
    double hpsMs = -1;  // negative: not measured
    long long turnsScored = 0;
    double peakKiB = 0;
    double allocationsPerEvaluate = 0;
    int pieces = 0;
};

// A root with one board on the position, against `opponent`, ready at the human's turn.
struct Game {
    RootNode root;
    TileMap* board = nullptr;
    AIController* ai = nullptr;

    Game(const BenchPosition& position, AIController* opponent)
    {
        InputManager::Instance().root = &root;
        root.aiQueue.emplace_back(opponent);
        board = new TileMap();
        // NOTE: the board is set up from the text, not a file: a file named by the process id
        // would be shared by every copy of the WebAssembly build, whose process id is always 42.
        board->mapText = position.mapText;
        board->mapFile = position.name;
        root.AddChild(board);
        ai = static_cast<AIController*>(board->ai);
        ai->gold = position.aiGold;
    }
    ~Game() { InputManager::Instance().root = nullptr; }
};

double Seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

// Median of repeated runs: one warm-up, then at least `minRuns` and about `budget` seconds.
double MedianSeconds(const std::function<void()>& run, int minRuns, double budget)
{
    auto warmStart = Clock::now();
    run();
    double warm = Seconds(Clock::now() - warmStart);
    if (warm > 5.0) {
        return warm;  // a search this long is measured once
    }
    std::vector<double> times;
    double total = 0;
    while (static_cast<int>(times.size()) < minRuns || (total < budget && times.size() < 15)) {
        auto start = Clock::now();
        run();
        double t = Seconds(Clock::now() - start);
        times.push_back(t);
        total += t;
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Calls per second of `call`, as the median of five timed batches.
double Rate(const std::function<void()>& call)
{
    int batch = 1;
    while (true) {
        auto start = Clock::now();
        for (int i = 0; i < batch; ++i) {
            call();
        }
        if (Seconds(Clock::now() - start) > 0.05 || batch > (1 << 24)) {
            break;
        }
        batch *= 2;
    }
    return static_cast<double>(batch) / MedianSeconds(
                                            [&] {
                                                for (int i = 0; i < batch; ++i) {
                                                    call();
                                                }
                                            },
                                            5, 0.0);
}

// One planning run from the same starting point every time.
void Plan(AIController& ai, int gold)
{
    ai.gold = gold;
    ai.plan.clear();
    ai.executingPlan = false;
    ai.StartTurn();
    ai.FinishThinking();
}

// A search as the game runs it, in slices of the game's frame budget.
struct Sliced {
    double totalMs = 0;
    double maxSliceMs = 0;
};

Sliced PlanInSlices(AIController& ai, int gold)
{
    ai.gold = gold;
    ai.plan.clear();
    ai.executingPlan = false;
    Sliced sliced;
    auto start = Clock::now();
    ai.StartTurn();
    bool more = ai.IsThinking();
    // NOTE: the first slice also pays for StartTurn, as in the game's frame that ends the human's turn.
    while (more) {
        more = ai.Think(AIController::frameBudgetMs);
        const Clock::time_point end = Clock::now();
        const double ms = 1000.0 * Seconds(end - start);
        sliced.maxSliceMs = std::max(sliced.maxSliceMs, ms);
        sliced.totalMs += ms;
        start = end;
    }
    return sliced;
}

// Medians of repeated sliced searches: at least three runs and about a second, a long search once.
Sliced MedianSliced(AIController& ai, int gold)
{
    std::vector<Sliced> runs = {PlanInSlices(ai, gold)};
    double total = runs.front().totalMs;
    while (runs.front().totalMs < 5000.0 && (runs.size() < 4 || (total < 1000.0 && runs.size() < 16))) {
        runs.push_back(PlanInSlices(ai, gold));
        total += runs.back().totalMs;
    }
    if (runs.size() > 1) {
        runs.erase(runs.begin());  // the warm-up
    }
    auto median = [&](auto field) {
        std::vector<double> values;
        for (const Sliced& run : runs) {
            values.push_back(run.*field);
        }
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    };
    return {median(&Sliced::totalMs), median(&Sliced::maxSliceMs)};
}

// position,pieces,turns,minimax_ms,minimax_max_slice_ms,hps_ms,hps_max_slice_ms (-1: not measured)
void PrintCsvRow(const BenchPosition& position, int maxHpsSteps)
{
    Sliced minimax;
    int pieces = 0;
    {
        Game game(position, new MinimaxController());
        pieces = static_cast<int>(game.board->GetUnits().size());
        minimax = MedianSliced(*game.ai, position.aiGold);
    }
    Sliced hps = {-1, -1};
    long long turns = -1;
    if (position.twoCandidate && position.steps <= maxHpsSteps) {
        Game game(position, new HPSController());
        hps = MedianSliced(*game.ai, position.aiGold);
        turns = static_cast<HPSController*>(game.ai)->turnsScored;
    }
    std::printf("%s,%d,%lld,%.3f,%.3f,%.3f,%.3f\n", position.name.c_str(), pieces, turns, minimax.totalMs,
                minimax.maxSliceMs, hps.totalMs, hps.maxSliceMs);
    std::fflush(stdout);
}

Figures Measure(const BenchPosition& position, int maxHpsSteps)
{
    Figures figures;
    {
        Game game(position, new AIController());
        figures.pieces = static_cast<int>(game.board->GetUnits().size());
        // Evaluated as the searches do: one evaluator kept for many positions.
        Evaluator evaluator(*game.board);
        figures.evaluatePerSecond = Rate([&] { evaluator.Evaluate(game.ai); });
        // Steady state: after the rate's many calls, count what further calls allocate.
        uint64_t before = Allocations().allocations;
        const int calls = 200;
        for (int i = 0; i < calls; ++i) {
            evaluator.Evaluate(game.ai);
        }
        figures.allocationsPerEvaluate = static_cast<double>(Allocations().allocations - before) / calls;
        std::vector<Unit*> units = game.board->GetUnits();
        size_t next = 0;
        figures.reachablePerSecond = Rate([&] {
            units[next]->GetReachableTiles();
            next = (next + 1) % units.size();
        });
    }
    {
        Game game(position, new MinimaxController());
        figures.minimaxMs = 1000.0 * MedianSeconds([&] { Plan(*game.ai, position.aiGold); }, 3, 1.0);
    }
    if (position.twoCandidate && position.steps <= maxHpsSteps) {
        Game game(position, new HPSController());
        auto* hps = static_cast<HPSController*>(game.ai);
        size_t live = Allocations().liveBytes;
        ResetPeak();
        figures.hpsMs = 1000.0 * MedianSeconds([&] { Plan(*hps, position.aiGold); }, 3, 1.0);
        figures.peakKiB = static_cast<double>(Allocations().peakBytes - live) / 1024.0;
        figures.turnsScored = hps->turnsScored;
    }
    return figures;
}

std::map<std::string, Figures> ReadBaseline(const std::string& path)
{
    std::map<std::string, Figures> baseline;
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::istringstream fields(line);
        std::string name;
        Figures f;
        fields >> name >> f.evaluatePerSecond >> f.reachablePerSecond >> f.minimaxMs >> f.hpsMs;
        baseline[name] = f;
    }
    return baseline;
}

std::string Ratio(double now, double then, bool higherIsBetter)
{
    if (now <= 0 || then <= 0) {
        return "-";
    }
    char text[32];
    std::snprintf(text, sizeof text, "x%.1f", higherIsBetter ? now / then : then / now);
    return text;
}
}  // namespace

int main(int argc, char** argv)
{
    std::string baselinePath = std::string(TORVANE_SOURCE_DIR) + "/bench/baseline.tsv";
    std::string writeBaseline;
    std::string filter;
    int maxHpsSteps = 99;
    std::string planOnce;
    bool csv = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--dump-positions" && i + 1 < argc) {
            // Writes the generated positions as map files, e.g. for test fixtures.
            for (const BenchPosition& position : BenchPositions(TORVANE_SOURCE_DIR)) {
                if (position.steps > 0) {
                    std::ofstream(std::string(argv[i + 1]) + "/" + position.name + ".txt") << position.mapText;
                }
            }
            return 0;
        } else if (arg == "--csv") {
            csv = true;
        } else if (arg == "--plan-once" && i + 1 < argc) {
            planOnce = argv[++i];
        } else if (arg == "--baseline" && i + 1 < argc) {
            baselinePath = argv[++i];
        } else if (arg == "--write-baseline" && i + 1 < argc) {
            writeBaseline = argv[++i];
        } else if (arg == "--max-hps-steps" && i + 1 < argc) {
            maxHpsSteps = std::atoi(argv[++i]);
        } else if (arg == "--filter" && i + 1 < argc) {
            filter = argv[++i];
        } else {
            std::fprintf(stderr, "usage: %s [--dump-positions DIR] [--plan-once NAME|all] [--csv] [--baseline FILE] [--write-baseline FILE] [--max-hps-steps N] "
                                 "[--filter TEXT]\n",
                         argv[0]);
            return 2;
        }
    }
    SetTraceLogLevel(LOG_WARNING);
    if (!planOnce.empty()) {
        // One planning run of each opponent on the named position, for profilers.
        for (const BenchPosition& position : BenchPositions(TORVANE_SOURCE_DIR)) {
            bool wanted = planOnce == "all" ? position.name.find(filter) != std::string::npos : position.name == planOnce;
            if (wanted) {
                Game minimax(position, new MinimaxController());
                Plan(*minimax.ai, position.aiGold);
                Game hps(position, new HPSController());
                if (position.twoCandidate && position.steps <= maxHpsSteps) {
                    Plan(*hps.ai, position.aiGold);
                }
                for (const Game* game : {&minimax, &hps}) {
                    std::printf("%s %s:", position.name.c_str(), game == &minimax ? "minimax" : "hps");
                    for (const AIAction& a : game->ai->plan) {
                        Vector2 from = a.unit->GetTile();
                        std::printf(" %d(%g,%g)->(%g,%g)t%d", static_cast<int>(a.kind), from.x, from.y, a.tile.x,
                                    a.tile.y, a.unitType);
                    }
                    std::printf("\n");
                }
                if (planOnce != "all") {
                    return 0;
                }
            }
        }
        if (planOnce == "all") {
            return 0;
        }
        std::fprintf(stderr, "no position named %s\n", planOnce.c_str());
        return 2;
    }
    if (csv) {
        std::printf("position,pieces,turns,minimax_ms,minimax_max_slice_ms,hps_ms,hps_max_slice_ms\n");
        for (const BenchPosition& position : BenchPositions(TORVANE_SOURCE_DIR)) {
            if (position.name.find(filter) != std::string::npos) {
                PrintCsvRow(position, maxHpsSteps);
            }
        }
        return 0;
    }
    std::map<std::string, Figures> baseline = ReadBaseline(baselinePath);
    std::ofstream out;
    if (!writeBaseline.empty()) {
        out.open(writeBaseline);
        out << "# position evaluate/s reachable/s minimax-ms hps-ms\n";
    }
    std::printf("%-26s %6s %10s %6s %10s %6s %11s %7s %11s %7s %9s %9s %8s\n", "position", "pieces", "eval/s",
                "ratio", "reach/s", "ratio", "minimax ms", "ratio", "hps ms", "ratio", "turns", "peak KiB",
                "alloc/ev");
    for (const BenchPosition& position : BenchPositions(TORVANE_SOURCE_DIR)) {
        if (!filter.empty() && position.name.find(filter) == std::string::npos) {
            continue;
        }
        Figures f = Measure(position, maxHpsSteps);
        const Figures& b = baseline.count(position.name) ? baseline[position.name] : Figures{};
        char hps[32] = "-";
        if (f.hpsMs >= 0) {
            std::snprintf(hps, sizeof hps, "%.2f", f.hpsMs);
        }
        std::printf("%-26s %6d %10.0f %6s %10.0f %6s %11.2f %7s %11s %7s %9lld %9.0f %8.1f\n", position.name.c_str(),
                    f.pieces, f.evaluatePerSecond, Ratio(f.evaluatePerSecond, b.evaluatePerSecond, true).c_str(),
                    f.reachablePerSecond, Ratio(f.reachablePerSecond, b.reachablePerSecond, true).c_str(),
                    f.minimaxMs, Ratio(f.minimaxMs, b.minimaxMs, false).c_str(), hps,
                    Ratio(f.hpsMs, b.hpsMs, false).c_str(), f.turnsScored, f.peakKiB, f.allocationsPerEvaluate);
        std::fflush(stdout);
        if (out.is_open()) {
            out << position.name << '\t' << f.evaluatePerSecond << '\t' << f.reachablePerSecond << '\t'
                << f.minimaxMs << '\t' << f.hpsMs << '\n';
        }
    }
    return 0;
}
