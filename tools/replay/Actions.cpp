#include "replay/Actions.h"

#include <filesystem>
#include <ostream>

#include "common/ReportText.h"
#include "replay/Summary.h"

using record::Json;

namespace {
std::string Tile(const Json& fields, const char* key)
{
    const auto found = fields.find(key);
    if (found == fields.end() || !found->is_array() || found->size() != 2) {
        return "";
    }
    return (*found)[0].dump() + " " + (*found)[1].dump();
}

// Reads a record's events in order and writes a row for each action, keeping the turn and focus.
class ActionRows {
public:
    ActionRows(const Record& record, std::ostream& out)
        : out(out), run(std::filesystem::path(record.name).filename().string()),
          participant(CsvField(ParticipantColumn(record.header))),
          condition(record.header.contains("condition") ? record.header["condition"].dump() : "")
    {
    }

    void Add(const RecordEvent& event)
    {
        const Json& f = event.fields;
        const double t = f.value("t", 0.0);
        if (event.event == "focus") {
            Focus(f.at("focused").get<bool>(), t);
        } else if (event.event == "board") {
            game = f.at("game").dump();
            opponent = CsvField(f.at("opponent").get<std::string>());
            map = CsvField(f.at("map").get<std::string>());
            turn = 0;
            StartTurn(t);
        } else if (IsAction(event.event)) {
            Row(event.event, f, t);
        }
    }

private:
    static bool IsAction(const std::string& kind)
    {
        for (const char* action : {"move", "attack", "buy", "pass", "undo", "endTurn", "forfeit", "think"}) {
            if (kind == action) {
                return true;
            }
        }
        return false;
    }

    void Focus(bool now, double t)
    {
        if (focused && !now) {
            focusedMs += t - mark;
        }
        mark = t;
        focused = now;
    }

    void StartTurn(double t)
    {
        turnStart = mark = t;
        focusedMs = 0.0;
    }

    void Row(const std::string& kind, const Json& f, double t)
    {
        const int side = f.at("side").get<int>();
        const Json& what = kind == "undo" ? f.value("undid", Json::object()) : f;
        const double inFocus = focusedMs + (focused ? t - mark : 0.0);
        out << run << "," << participant << "," << condition << "," << game << "," << opponent << "," << map << ","
            << turn << "," << side << "," << kind << "," << Tile(what, "from") << "," << Tile(what, "to") << ","
            << (what.contains("type") ? what["type"].dump() : "") << "," << Fixed(t - turnStart, 0) << ","
            << Fixed(inFocus, 0) << "," << (kind == "think" ? Fixed(f.value("ms", 0.0), 3) : "") << "\n";
        // The first end of turn of a board sets it up and hands the participant turn 1; each end of the
        // participant's turn hands the same turn to the opponent.
        if (kind == "endTurn" || kind == "forfeit") {
            turn += side == 1 ? 1 : 0;
            StartTurn(t);
        }
    }

    std::ostream& out;
    const std::string run;
    const std::string participant;
    const std::string condition;
    std::string game, opponent, map;
    int turn = 0;
    double turnStart = 0.0;
    bool focused = true;
    double mark = 0.0;       // the last change of focus or start of a turn
    double focusedMs = 0.0;  // the turn's time in focus up to `mark`
};
}  // namespace

void WriteActionsHeader(std::ostream& out)
{
    out << "run,participant,condition,game,opponent,map,turn,side,action,from,to,type,turn_ms,turn_focused_ms,"
           "think_ms\n";
}

void WriteActions(const Record& record, std::ostream& out)
{
    ActionRows rows(record, out);
    for (const RecordEvent& event : record.events) {
        try {
            rows.Add(event);
        } catch (const Json::exception& error) {
            throw RecordError(record.name + ":" + std::to_string(event.line) + ": a field is missing or of the wrong kind (" +
                              error.what() + ")");
        }
    }
}
