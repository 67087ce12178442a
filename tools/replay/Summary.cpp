#include "replay/Summary.h"

#include <algorithm>
#include <map>
#include <ostream>

#include "common/ReportText.h"

using record::Json;

namespace {
double Median(std::vector<double> values)
{
    if (values.empty()) {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

double Longest(const std::vector<double>& values)
{
    return values.empty() ? 0.0 : *std::max_element(values.begin(), values.end());
}

// What one board's events add up to while they are read.
struct GameTally {
    GameSummary summary;
    double boardStart = 0.0;
    double lastEvent = 0.0;
    double turnStart = -1.0;  // the human's turn began here (ms); -1 outside it
    double turnUnfocused = 0.0;
    std::vector<double> humanTurns;
    std::vector<double> thinks;
    bool setUp = false;  // the end of turn that sets up the board is not a turn played
    bool forfeited = false;
};

// A record's events, read in order, into one summary per board.
class RecordTally {
public:
    explicit RecordTally(const Record& record_) : record(record_), participant(ParticipantColumn(record_.header)) {}

    void Add(const RecordEvent& event);
    // Closes the board being read, if any.
    void Finish();
    std::vector<GameSummary> games;

private:
    void StartBoard(const Json& f, double t);
    void Played(const std::string& kind, const Json& f, double t);

    const Record& record;
    const std::string participant;
    GameTally tally;
    bool inGame = false;
    bool focused = true;
    double unfocusedSince = 0.0;
};

void RecordTally::Finish()
{
    if (!inGame) {
        return;
    }
    GameSummary& s = tally.summary;
    s.seconds = (tally.lastEvent - tally.boardStart) / 1000.0;
    s.medianTurnSeconds = Median(tally.humanTurns);
    s.longestTurnSeconds = Longest(tally.humanTurns);
    for (double turn : tally.humanTurns) {
        s.focusedSeconds += turn;
    }
    s.medianThinkMs = Median(tally.thinks);
    s.longestThinkMs = Longest(tally.thinks);
    games.push_back(s);
    inGame = false;
}

void RecordTally::StartBoard(const Json& f, double t)
{
    Finish();
    tally = GameTally();
    inGame = true;
    tally.boardStart = tally.lastEvent = t;
    GameSummary& s = tally.summary;
    s.file = record.name;
    s.participant = participant;
    s.game = f.value("game", 0);
    s.opponent = f.value("opponent", "");
    s.map = f.value("map", "");
    s.outcome = "unfinished";
    s.ending = RecordEnding(record);
    s.study = HeaderText(record.header, "study");
    s.studyHash = HeaderText(record.header, "studyHash");
    s.condition = HeaderText(record.header, "condition");
    s.conditions = HeaderText(record.header, "conditions");
    s.assigned = HeaderText(record.header, "assigned");
}

void RecordTally::Add(const RecordEvent& event)
{
    const Json& f = event.fields;
    const double t = f.value("t", 0.0);
    if (event.event == "focus") {
        const bool now = f.value("focused", true);
        if (!now && focused) {
            unfocusedSince = t;
        } else if (now && !focused && tally.turnStart >= 0.0) {
            tally.turnUnfocused += t - std::max(unfocusedSince, tally.turnStart);
        }
        focused = now;
    } else if (event.event == "board") {
        StartBoard(f, t);
    } else if (inGame) {
        tally.lastEvent = t;
        Played(event.event, f, t);
    }
}

void RecordTally::Played(const std::string& kind, const Json& f, double t)
{
    GameSummary& s = tally.summary;
    const int32_t side = f.value("side", -1);
    if (kind == "endTurn" || kind == "forfeit") {
        if (side == 0 && tally.turnStart >= 0.0) {
            const double unfocused = tally.turnUnfocused + (focused ? 0.0 : t - std::max(unfocusedSince, tally.turnStart));
            tally.humanTurns.push_back((t - tally.turnStart - unfocused) / 1000.0);
            ++s.humanTurns;
            tally.turnStart = -1.0;
        } else if (side == 1) {
            s.opponentTurns += tally.setUp ? 1 : 0;
            tally.setUp = true;
        }
        tally.forfeited = tally.forfeited || kind == "forfeit";
    } else if (kind == "buy") {
        ++(side == 0 ? s.humanBought : s.opponentBought);
    } else if (kind == "undo") {
        ++s.undos;
        const Json undid = f.value("undid", Json::object());
        if (undid.value("event", "") == "buy") {
            --(undid.value("side", -1) == 0 ? s.humanBought : s.opponentBought);
        }
    } else if (kind == "think" && side == 1) {
        tally.thinks.push_back(f.value("ms", 0.0));
    } else if (kind == "outcome") {
        const int32_t winner = f.value("winner", -1);
        s.outcome = winner == 0 ? "won" : winner == 1 ? (tally.forfeited ? "forfeit" : "lost") : "nobody";
    }
    // The human's turn begins when the other side's ends (the set-up's included).
    if (kind == "endTurn" && side == 1) {
        tally.turnStart = t;
        tally.turnUnfocused = 0.0;
    }
}
}  // namespace

std::string HeaderText(const Json& header, const char* key)
{
    const auto found = header.find(key);
    if (found == header.end() || found->is_null()) {
        return "";
    }
    return found->is_string() ? found->get<std::string>() : found->dump();
}

std::string ParticipantColumn(const Json& header)
{
    const auto escaped = [](const std::string& text) {
        std::string out;
        for (char c : text) {
            out += c == '%' ? "%25" : c == '&' ? "%26" : c == '=' ? "%3D" : std::string(1, c);
        }
        return out;
    };
    std::string participant;
    const Json identifiers = header.value("participant", Json::object());
    for (const auto& [key, value] : identifiers.items()) {
        participant += (participant.empty() ? "" : "&") + escaped(key) + "=" +
                       escaped(value.is_string() ? value.get<std::string>() : value.dump());
    }
    return participant;
}

const char* RecordEnding(const Record& record)
{
    return record.cutAtLine != 0 ? "cut" : record.reachedCode ? "complete" : "partial";
}

std::vector<GameSummary> SummariseRecord(const Record& record)
{
    RecordTally tally(record);
    for (const RecordEvent& event : record.events) {
        try {
            tally.Add(event);
        } catch (const Json::exception& error) {
            throw RecordError(record.name + ":" + std::to_string(event.line) + ": a field is of the wrong kind (" +
                              error.what() + ")");
        }
    }
    tally.Finish();
    return tally.games;
}

void WriteSummaryCsv(const std::vector<GameSummary>& games, std::ostream& out)
{
    out << "file,participant,game,opponent,map,outcome,human_turns,opponent_turns,game_s,human_focused_s,"
           "human_turn_median_s,human_turn_longest_s,undos,human_bought,opponent_bought,think_median_ms,"
           "think_longest_ms,record,study,study_hash,condition,conditions,assigned\n";
    for (const GameSummary& g : games) {
        out << CsvField(g.file) << "," << CsvField(g.participant) << "," << g.game << "," << CsvField(g.opponent) << ","
            << CsvField(g.map) << "," << g.outcome << "," << g.humanTurns << "," << g.opponentTurns << ","
            << Fixed(g.seconds, 3) << "," << Fixed(g.focusedSeconds, 3) << "," << Fixed(g.medianTurnSeconds, 3) << ","
            << Fixed(g.longestTurnSeconds, 3) << "," << g.undos << "," << g.humanBought << "," << g.opponentBought
            << "," << Fixed(g.medianThinkMs, 3) << "," << Fixed(g.longestThinkMs, 3) << "," << g.ending << ","
            << CsvField(g.study) << "," << g.studyHash << "," << g.condition << "," << g.conditions << ","
            << g.assigned << "\n";
    }
}

void WriteSummarySvg(const std::vector<GameSummary>& games, std::ostream& out)
{
    // One row per opponent: a dot per game at its length, coloured by its outcome.
    std::map<std::string, std::vector<const GameSummary*>> byOpponent;
    double longest = 1.0;
    for (const GameSummary& game : games) {
        byOpponent[game.opponent.empty() ? "?" : game.opponent].push_back(&game);
        longest = std::max(longest, game.seconds);
    }
    const double left = 110;
    const double top = 50;
    const double plotWidth = 600;
    const double rowHeight = 40;
    const double height = top + rowHeight * static_cast<double>(std::max<size_t>(1, byOpponent.size())) + 70;
    const std::map<std::string, const char*> colours = {
        {"won", "#1f77b4"}, {"lost", "#d62728"}, {"forfeit", "#ff7f0e"}, {"nobody", "#7f7f7f"}, {"unfinished", "#bcbd22"}};
    out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << left + plotWidth + 150 << "\" height=\"" << height
        << "\" font-family=\"sans-serif\" font-size=\"12\">\n";
    out << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    out << "<text x=\"" << left << "\" y=\"24\" font-size=\"15\">Outcome and game length by opponent</text>\n";
    double y = top + rowHeight / 2;
    for (const auto& [opponent, played] : byOpponent) {
        out << "<text x=\"" << left - 10 << "\" y=\"" << y + 4 << "\" text-anchor=\"end\">" << SvgText(opponent)
            << " (" << played.size() << ")</text>\n";
        out << "<line x1=\"" << left << "\" y1=\"" << y << "\" x2=\"" << left + plotWidth << "\" y2=\"" << y
            << "\" stroke=\"#dddddd\"/>\n";
        for (const GameSummary* game : played) {
            out << "<circle cx=\"" << left + game->seconds / longest * plotWidth << "\" cy=\"" << y << "\" r=\"5\" fill=\""
                << colours.at(game->outcome) << "\" fill-opacity=\"0.7\"><title>" << SvgText(game->file) << ", game "
                << game->game << ": " << game->outcome << "</title></circle>\n";
        }
        y += rowHeight;
    }
    const double axis = top + rowHeight * static_cast<double>(std::max<size_t>(1, byOpponent.size()));
    out << "<line x1=\"" << left << "\" y1=\"" << axis << "\" x2=\"" << left + plotWidth << "\" y2=\"" << axis
        << "\" stroke=\"black\"/>\n";
    for (int tick = 0; tick <= 4; ++tick) {
        const double x = left + plotWidth * tick / 4.0;
        out << "<text x=\"" << x << "\" y=\"" << axis + 18 << "\" text-anchor=\"middle\">"
            << Fixed(longest * tick / 4.0, longest < 10.0 ? 1 : 0) << "</text>\n";
    }
    out << "<text x=\"" << left + plotWidth / 2 << "\" y=\"" << axis + 40
        << "\" text-anchor=\"middle\">game length (s)</text>\n";
    double legendY = top;
    for (const auto& [outcome, colour] : colours) {
        out << "<circle cx=\"" << left + plotWidth + 30 << "\" cy=\"" << legendY << "\" r=\"5\" fill=\"" << colour
            << "\"/><text x=\"" << left + plotWidth + 42 << "\" y=\"" << legendY + 4 << "\">" << outcome << "</text>\n";
        legendY += 20;
    }
    out << "</svg>\n";
}
