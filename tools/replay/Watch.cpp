#include "replay/Watch.h"

#include <ostream>

#include "board/TileMap.h"
#include "board/Unit.h"
#include "input/InputManager.h"
#include "player/PlayerController.h"
#include "raylib.h"
#include "study/Frame.h"

using record::Json;

namespace {
// How long the caption before a board shows, whatever the speed.
constexpr float captionSeconds = 1.5f;
// How long before the participant's action its piece shows selected, in real time; never before
// the event before it.
constexpr double selectSeconds = 0.4;

// Events the watch does not play: screens, focus, the code; the opponents' thinking shows as the
// time it took; the board announces its own outcome.
bool Unplayed(const std::string& kind)
{
    return kind == "scene" || kind == "focus" || kind == "code" || kind == "think" || kind == "outcome";
}

std::string CaptionOf(const RecordEvent& board)
{
    const Json& fields = board.fields;
    const std::string opponent = fields.at("opponent").get<std::string>();
    const std::string against = fields.at("tutorial").get<bool>() ? "the tutorial"
                                : opponent == "default"             ? "the passive opponent"
                                                                    : "opponent " + opponent;
    return "Game " + std::to_string(fields.at("game").get<int64_t>()) + ": " + against + " on " +
           fields.at("map").get<std::string>();
}

void DrawCentred(const std::string& text, int y, int size, Color colour)
{
    DrawText(text.c_str(), (1600 - MeasureText(text.c_str(), size)) / 2, y, size, colour);
}

// W, A, S and D reach the input manager, whose held keys the camera reads; no event reaches
// the board, so that a click or Z cannot change what is watched.
void PollKeysOnly()
{
    InputManager& input = InputManager::Instance();
    SceneRoot* root = input.root;
    input.root = nullptr;
    input.PollInput();
    input.root = root;
}
}  // namespace

Watch::Watch(const Record& record_, double speed_) : boards(record_, nullptr, false), record(record_), speed(speed_) {}

void Watch::Stop(const RecordEvent& event, const std::string& why)
{
    problem = record.name + ":" + std::to_string(event.line) + ": " + why;
}

void Watch::Advance(float seconds)
{
    PollKeysOnly();
    if (!Finished()) {
        const RecordEvent& event = record.events[next];
        try {
            if (captionLeft > 0.0f) {
                captionLeft -= seconds;
                if (captionLeft <= 0.0f) {
                    clockMs = event.fields.at("t").get<double>();
                    const std::string why = boards.StartBoard(event);
                    setUpPending = true;
                    ++next;
                    if (!why.empty()) {
                        Stop(event, why);
                    }
                }
            } else {
                clockMs += static_cast<double>(seconds) * 1000.0 * speed;
            }
            if (captionLeft <= 0.0f && !Finished()) {
                PlayDue();
            }
        } catch (const RecordError& error) {
            problem = error.what();
        } catch (const Json::exception& error) {
            // NOTE: `next` is still the event being played when a field of it is missing.
            Stop(record.events[next], std::string("a field is missing or of the wrong kind (") + error.what() + ")");
        }
    }
    if (boards.board != nullptr) {
        boards.root.Update();
        for (Node* child : boards.root.GetChildren()) {
            Node::UpdateTree(child);
        }
    }
}

void Watch::Select(const RecordEvent& event)
{
    auto* player = dynamic_cast<PlayerController*>(boards.board->teams[0]);
    Unit* actor = boards.board->GetUnitAt(boards.TileOf(event.fields, "from", event.line));
    if (player != nullptr && actor != nullptr) {
        player->SelectUnit(actor);
    }
}

void Watch::PlayDue()
{
    for (; next < record.events.size(); ++next) {
        const RecordEvent& event = record.events[next];
        const std::string& kind = event.event;
        if (kind == "board") {
            caption = CaptionOf(event);
            captionLeft = captionSeconds;
            return;
        }
        if (Unplayed(kind)) {
            continue;
        }
        if (boards.board == nullptr) {
            return Stop(event, kind + " before any board");
        }
        if (kind == "endTurn" && setUpPending) {
            setUpPending = false;
            continue;
        }
        const double due = event.fields.at("t").get<double>();
        // NOTE: in the opponent's turn a side 0 buy is its plan's, from a castle an undo gave back.
        const bool participant = (kind == "move" || kind == "attack" || kind == "buy") && !boards.RecordedSidePlays() &&
                                 boards.Int(event.fields.at("side"), event.line) == 0;
        if (participant && selected != next) {
            if (clockMs < due - selectSeconds * 1000.0 * speed) {
                return;
            }
            Select(event);
            selected = next;
            return;  // the next frame shows the selection
        }
        if (clockMs < due) {
            return;
        }
        auto* player = dynamic_cast<PlayerController*>(boards.board->teams[0]);
        if (participant && player != nullptr) {
            player->ClearSelection();
        }
        setUpPending = false;
        if (!boards.Apply(event)) {
            return Stop(event, "the recorded " + kind + " cannot be played on the board");
        }
        // As the End Turn button does, the participant's turn buttons hide until the next turn.
        if (kind == "endTurn" && player != nullptr && boards.board->currentTeam == 1) {
            player->ShowTurnButtons(false);
            player->canAct = false;
        }
    }
}

void Watch::Draw()
{
    if (captionLeft > 0.0f) {
        DrawCentred(caption, 400, 40, DARKGRAY);
        DrawCentred(record.name, 460, 20, GRAY);
        return;
    }
    if (boards.board != nullptr) {
        DrawTree(boards.root);
        EndMode2D();
    }
    if (Finished()) {
        const std::string end = !problem.empty()       ? problem
                                : record.cutAtLine != 0 ? "The record is cut short at line " + std::to_string(record.cutAtLine) + "."
                                                        : "The record ends here.";
        DrawRectangle(0, 850, 1600, 50, Fade(BLACK, 0.75f));
        DrawText((end + "  Escape quits.").c_str(), 20, 865, 20, WHITE);
    }
}

int WatchInWindow(const Record& record, double speed, std::ostream& err)
{
    SetTraceLogLevel(LOG_WARNING);
    InitWindow(1600, 900, "Torvane replay");
    if (!IsWindowReady()) {
        err << "torvane-replay: cannot open a window\n";
        return 2;
    }
    SetTargetFPS(60);
    // The pieces' images and shader: from the working directory, as the game reads them, or the
    // project's own.
    if (!FileExists("UnitColor.fs")) {
        ChangeDirectory(TORVANE_SHIPPED_DATA_DIR);
    }
    std::string problem;
    {
        Watch watch(record, speed);
        while (!WindowShouldClose()) {
            watch.Advance(GetFrameTime());
            BeginDrawing();
            ClearBackground(RAYWHITE);
            watch.Draw();
            EndDrawing();
        }
        problem = watch.problem;
    }
    CloseWindow();
    if (!problem.empty()) {
        err << problem << "\n";
        return 1;
    }
    return 0;
}
