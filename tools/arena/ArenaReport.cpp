#include "arena/ArenaReport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <ostream>

#include "common/ReportText.h"

namespace {
// Right-aligned in `width` characters.
std::string Pad(const std::string& text, size_t width)
{
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

std::string PadRight(const std::string& text, size_t width)
{
    return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

std::string MapLabel(const std::string& path)
{
    return std::filesystem::path(path).filename().string();
}

// Opponent kinds that thought in these games, in the fixed kind order.
std::vector<std::string> KindsPresent(const std::vector<PlayedGame>& games)
{
    std::vector<std::string> kinds;
    for (const std::string& kind : ControllerKinds()) {
        bool present = std::any_of(games.begin(), games.end(), [&](const PlayedGame& game) {
            return std::any_of(game.result.turnLog.begin(), game.result.turnLog.end(),
                               [&](const TurnRecord& turn) { return turn.kind == kind; });
        });
        if (present) {
            kinds.push_back(kind);
        }
    }
    return kinds;
}

std::vector<double> ThinkMillis(const std::vector<PlayedGame>& games, const std::string& kind, int pieces = -1)
{
    std::vector<double> times;
    for (const PlayedGame& game : games) {
        for (const TurnRecord& turn : game.result.turnLog) {
            if (turn.kind == kind && (pieces < 0 || turn.pieces == pieces)) {
                times.push_back(turn.thinkSeconds * 1000.0);
            }
        }
    }
    return times;
}

struct Tally {
    int games = 0;
    int aWins = 0;
    int bWins = 0;
    int draws = 0;
    long turns = 0;

    void Add(const PlayedGame& game)
    {
        ++games;
        turns += game.result.turns;
        switch (OutcomeOf(game)) {
        case Outcome::AWins: ++aWins; break;
        case Outcome::BWins: ++bWins; break;
        case Outcome::Draw: ++draws; break;
        }
    }
};

void WriteTallyRow(std::ostream& out, const std::string& label, const Tally& tally)
{
    double meanTurns = tally.games == 0 ? 0.0 : static_cast<double>(tally.turns) / tally.games;
    out << "  " << PadRight(label, 25) << Pad(std::to_string(tally.games), 6) << Pad(std::to_string(tally.aWins), 8)
        << Pad(std::to_string(tally.bWins), 8) << Pad(std::to_string(tally.draws), 7) << Pad(Fixed(meanTurns, 1), 12)
        << "\n";
}

const char* KindColour(const std::string& kind)
{
    if (kind == "minimax") {
        return "#1f77b4";
    }
    if (kind == "hps") {
        return "#d62728";
    }
    if (kind == "random") {
        return "#2ca02c";
    }
    return "#7f7f7f";
}
}  // namespace

Outcome OutcomeOf(const PlayedGame& game)
{
    if (game.result.winner < 0) {
        return Outcome::Draw;
    }
    bool sideZeroWon = game.result.winner == 0;
    return sideZeroWon == game.match.aIsSideZero ? Outcome::AWins : Outcome::BWins;
}

double NearestRank(std::vector<double> values, double fraction)
{
    if (values.empty()) {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    auto rank = static_cast<size_t>(std::ceil(fraction * static_cast<double>(values.size())));
    rank = std::clamp<size_t>(rank, 1, values.size());
    return values[rank - 1];
}

double Median(std::vector<double> values)
{
    if (values.empty()) {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

std::string GameLine(const PlayedGame& game)
{
    const MatchSetup& match = game.match;
    const GameResult& result = game.result;
    std::string outcome;
    if (result.winner >= 0) {
        outcome = "side " + std::to_string(result.winner) + " (" + match.SideKind(result.winner) + ") won after " +
                  std::to_string(result.turns) + " turns";
    } else if (result.capped) {
        outcome = "draw at the turn cap (" + std::to_string(result.turns) + " turns)";
    } else {
        outcome = "nobody won (no owned castle) after " + std::to_string(result.turns) + " turns";
    }
    return "game " + std::to_string(match.index) + " seed " + std::to_string(match.seed) + " " + MapLabel(match.map) +
           ": " + match.SideKind(0) + " (side 0) vs " + match.SideKind(1) + " (side 1): " + outcome + " in " +
           Fixed(result.seconds, 1) + " s | replay: " + ReplayCommand(match);
}

void WriteResultTable(const std::vector<PlayedGame>& games, std::ostream& out)
{
    std::vector<std::string> pairNames;
    for (const PlayedGame& game : games) {
        if (std::find(pairNames.begin(), pairNames.end(), game.match.pair.Name()) == pairNames.end()) {
            pairNames.push_back(game.match.pair.Name());
        }
    }
    for (const std::string& pairName : pairNames) {
        Tally all;
        std::vector<std::pair<std::string, Tally>> byMap;
        Tally aOnZero;
        Tally bOnZero;
        Pairing pair;
        for (const PlayedGame& game : games) {
            if (game.match.pair.Name() != pairName) {
                continue;
            }
            pair = game.match.pair;
            all.Add(game);
            std::string label = MapLabel(game.match.map);
            auto entry = std::find_if(byMap.begin(), byMap.end(), [&](const auto& e) { return e.first == label; });
            if (entry == byMap.end()) {
                byMap.emplace_back(label, Tally());
                entry = byMap.end() - 1;
            }
            entry->second.Add(game);
            (game.match.aIsSideZero ? aOnZero : bOnZero).Add(game);
        }
        out << pairName << "  (A = " << pair.a << ", B = " << pair.b << ")\n";
        out << "  " << PadRight("", 25) << Pad("games", 6) << Pad("A wins", 8) << Pad("B wins", 8) << Pad("draws", 7)
            << Pad("mean turns", 12) << "\n";
        WriteTallyRow(out, "all", all);
        for (const auto& [label, tally] : byMap) {
            WriteTallyRow(out, label, tally);
        }
        if (aOnZero.games > 0) {
            WriteTallyRow(out, "A as side 0 (moves 1st)", aOnZero);
        }
        if (bOnZero.games > 0) {
            WriteTallyRow(out, "B as side 0 (moves 1st)", bOnZero);
        }
        out << "\n";
    }

    std::vector<std::string> kinds = KindsPresent(games);
    out << "Think time per turn (ms; the whole StartTurn, search included)\n";
    out << "  " << PadRight("opponent", 10) << Pad("turns", 7) << Pad("median", 11) << Pad("p95", 11) << Pad("max", 11)
        << "\n";
    for (const std::string& kind : kinds) {
        std::vector<double> times = ThinkMillis(games, kind);
        out << "  " << PadRight(kind, 10) << Pad(std::to_string(times.size()), 7) << Pad(Fixed(Median(times), 3), 11)
            << Pad(Fixed(NearestRank(times, 0.95), 3), 11) << Pad(Fixed(NearestRank(times, 1.0), 3), 11) << "\n";
    }
    out << "\nMean think time (ms) by the thinking side's pieces, castles included (turns in brackets)\n";
    out << "  " << PadRight("pieces", 8);
    for (const std::string& kind : kinds) {
        out << Pad(kind, 20);
    }
    out << "\n";
    std::map<int, bool> pieceCounts;
    for (const PlayedGame& game : games) {
        for (const TurnRecord& turn : game.result.turnLog) {
            pieceCounts[turn.pieces] = true;
        }
    }
    for (const auto& [pieces, unused] : pieceCounts) {
        out << "  " << PadRight(std::to_string(pieces), 8);
        for (const std::string& kind : kinds) {
            std::vector<double> times = ThinkMillis(games, kind, pieces);
            if (times.empty()) {
                out << Pad("-", 20);
                continue;
            }
            double sum = 0.0;
            for (double time : times) {
                sum += time;
            }
            out << Pad(Fixed(sum / static_cast<double>(times.size()), 3) + " (" + std::to_string(times.size()) + ")", 20);
        }
        out << "\n";
    }
}

void WriteGamesCsv(const std::vector<PlayedGame>& games, std::ostream& out)
{
    out << "game,seed,pair,map,side0,side1,winner_side,winner,outcome,turns,capped,seconds,replay\n";
    for (const PlayedGame& game : games) {
        const MatchSetup& match = game.match;
        const GameResult& result = game.result;
        const char* outcome = OutcomeOf(game) == Outcome::AWins ? "A" : OutcomeOf(game) == Outcome::BWins ? "B" : "draw";
        out << match.index << "," << match.seed << "," << CsvField(match.pair.Name()) << "," << CsvField(match.map) << ","
            << match.SideKind(0) << "," << match.SideKind(1) << "," << result.winner << ","
            << (result.winner >= 0 ? match.SideKind(result.winner) : "none") << "," << outcome << "," << result.turns
            << "," << (result.capped ? 1 : 0) << "," << Fixed(result.seconds, 3) << "," << CsvField(ReplayCommand(match))
            << "\n";
    }
}

void WriteTurnsCsv(const std::vector<PlayedGame>& games, std::ostream& out)
{
    out << "game,turn,side,controller,pieces,units,think_ms\n";
    for (const PlayedGame& game : games) {
        int turn = 0;
        for (const TurnRecord& record : game.result.turnLog) {
            out << game.match.index << "," << ++turn << "," << record.side << "," << record.kind << "," << record.pieces
                << "," << record.units << "," << Fixed(record.thinkSeconds * 1000.0, 4) << "\n";
        }
    }
}

void WriteThinkTimeSvg(const std::vector<PlayedGame>& games, std::ostream& out)
{
    const double width = 860;
    const double height = 520;
    const double left = 80;
    const double right = 170;  // room for the legend
    const double top = 40;
    const double bottom = 60;
    const double plotWidth = width - left - right;
    const double plotHeight = height - top - bottom;

    int minPieces = 0;
    int maxPieces = 1;
    double minMs = 1.0;
    double maxMs = 10.0;
    bool any = false;
    for (const PlayedGame& game : games) {
        for (const TurnRecord& turn : game.result.turnLog) {
            double ms = std::max(turn.thinkSeconds * 1000.0, 1e-4);
            minPieces = any ? std::min(minPieces, turn.pieces) : turn.pieces;
            maxPieces = any ? std::max(maxPieces, turn.pieces) : turn.pieces;
            minMs = any ? std::min(minMs, ms) : ms;
            maxMs = any ? std::max(maxMs, ms) : ms;
            any = true;
        }
    }
    if (maxPieces == minPieces) {
        maxPieces = minPieces + 1;
    }
    // Whole decades on the time axis: the searches' costs span several of them.
    int lowDecade = static_cast<int>(std::floor(std::log10(minMs)));
    int highDecade = std::max(lowDecade + 1, static_cast<int>(std::ceil(std::log10(maxMs))));
    auto xOf = [&](double pieces) { return left + (pieces - minPieces + 0.5) / (maxPieces - minPieces + 1) * plotWidth; };
    auto yOf = [&](double ms) {
        double decades = std::log10(std::max(ms, 1e-4)) - lowDecade;
        return top + plotHeight - decades / (highDecade - lowDecade) * plotHeight;
    };

    out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << width << "\" height=\"" << height
        << "\" font-family=\"sans-serif\" font-size=\"12\">\n";
    out << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    out << "<text x=\"" << left << "\" y=\"24\" font-size=\"15\">Think time per turn against the side's pieces</text>\n";
    if (!any) {
        out << "<text x=\"" << left << "\" y=\"" << top + 30 << "\">no turns were planned</text>\n</svg>\n";
        return;
    }
    // Grid and axes.
    for (int decade = lowDecade; decade <= highDecade; ++decade) {
        double y = yOf(std::pow(10.0, decade));
        out << "<line x1=\"" << left << "\" y1=\"" << y << "\" x2=\"" << left + plotWidth << "\" y2=\"" << y
            << "\" stroke=\"#dddddd\"/>\n";
        out << "<text x=\"" << left - 8 << "\" y=\"" << y + 4 << "\" text-anchor=\"end\">"
            << SvgText(decade >= 0 ? Fixed(std::pow(10.0, decade), 0) : Fixed(std::pow(10.0, decade), -decade))
            << "</text>\n";
    }
    int step = std::max(1, (maxPieces - minPieces + 1) / 15);
    for (int pieces = minPieces; pieces <= maxPieces; pieces += step) {
        double x = xOf(pieces);
        out << "<line x1=\"" << x << "\" y1=\"" << top + plotHeight << "\" x2=\"" << x << "\" y2=\""
            << top + plotHeight + 5 << "\" stroke=\"black\"/>\n";
        out << "<text x=\"" << x << "\" y=\"" << top + plotHeight + 20 << "\" text-anchor=\"middle\">" << pieces
            << "</text>\n";
    }
    out << "<rect x=\"" << left << "\" y=\"" << top << "\" width=\"" << plotWidth << "\" height=\"" << plotHeight
        << "\" fill=\"none\" stroke=\"black\"/>\n";
    out << "<text x=\"" << left + plotWidth / 2 << "\" y=\"" << height - 15
        << "\" text-anchor=\"middle\">pieces of the thinking side (castles included)</text>\n";
    out << "<text transform=\"translate(20," << top + plotHeight / 2
        << ") rotate(-90)\" text-anchor=\"middle\">think time (ms, log scale)</text>\n";

    std::vector<std::string> kinds = KindsPresent(games);
    for (size_t k = 0; k < kinds.size(); ++k) {
        const std::string& kind = kinds[k];
        const char* colour = KindColour(kind);
        // A small sideways offset per opponent keeps their points apart.
        double offset = (static_cast<double>(k) - (kinds.size() - 1) / 2.0) * 0.12;
        std::map<int, std::pair<double, int>> sums;
        for (const PlayedGame& game : games) {
            for (const TurnRecord& turn : game.result.turnLog) {
                if (turn.kind != kind) {
                    continue;
                }
                double ms = turn.thinkSeconds * 1000.0;
                out << "<circle cx=\"" << xOf(turn.pieces + offset) << "\" cy=\"" << yOf(ms) << "\" r=\"2.5\" fill=\""
                    << colour << "\" fill-opacity=\"0.3\"/>\n";
                sums[turn.pieces].first += ms;
                sums[turn.pieces].second += 1;
            }
        }
        out << "<polyline fill=\"none\" stroke=\"" << colour << "\" stroke-width=\"2\" points=\"";
        for (const auto& [pieces, sum] : sums) {
            out << xOf(pieces + offset) << "," << yOf(sum.first / sum.second) << " ";
        }
        out << "\"/>\n";
        double legendY = top + 10 + 22 * static_cast<double>(k);
        out << "<line x1=\"" << left + plotWidth + 15 << "\" y1=\"" << legendY << "\" x2=\"" << left + plotWidth + 40
            << "\" y2=\"" << legendY << "\" stroke=\"" << colour << "\" stroke-width=\"2\"/>\n";
        out << "<text x=\"" << left + plotWidth + 46 << "\" y=\"" << legendY + 4 << "\">" << SvgText(kind)
            << " (mean)</text>\n";
    }
    out << "</svg>\n";
}
