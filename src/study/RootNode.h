#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "board/GameHost.h"
#include "core/SceneRoot.h"
#include "study/Study.h"

class AIController;
class RecordWriter;
class CameraNode;
class TextFont;

// The top of the tree: runs the study's fixed sequence of scenes, hands each board its
// sides and keeps the result code.
class RootNode : public SceneRoot, public GameHost {
public:
    RootNode();
    ~RootNode() override;

    // Builds the study's scenes and opponent queue, draws the opponents' order and the maps, loads
    // the study's font, then shows the first scene.
    void Init() override;
    // Replaces the current scene by the next one; with none left (Quit), writes the code into the
    // record and closes the window, unless the record cannot be saved: the end screen then stays
    // and says so, and the next Quit tries again.
    void NextScene();
    CameraNode* GetActiveCamera() const;
    Vector2 CameraOffset() const override;

    TeamController* CreatePlayer() override;
    // The front of aiQueue; a passive side once the queue is empty (boards that tests and
    // tools start outside the sequence).
    TeamController* TakeOpponent() override;
    // Appends a scored game's three characters to resultCode and asks for the next scene.
    void GameDecided(const TileMap& board, const TeamController* winner) override;
    BoardObserver* Observer() override;
    // Records a change of the window's focus (called every frame; only changes are written).
    void NoteFocus(bool focused);
    // The maps drawn when the run began, in board order; a draw of rand once they are used up.
    int32_t NextMapIndex() override;
    // Scores a board started outside the sequence (a replay's) as its study says.
    void SetScored(const TileMap& board, bool scored);
    // Whether the participant has left the title screen.
    bool PastTitle() const { return shownScenes > 1; }

    std::deque<std::unique_ptr<Node>> scenes;          // not yet shown, front first
    std::deque<std::unique_ptr<AIController>> aiQueue;  // not yet handed out, front first
    Study study = PlainStudy();  // set before Init: the scenes, opponents and texts of the run
    std::optional<uint32_t> seed;  // set before Init to repeat a run's draws; the time seeds it otherwise
    // Set before Init to give the run a condition of the study (its order and balanced maps are
    // then not drawn), and how it was given, for the record: "balanced", "forced" or "fallback".
    std::optional<int32_t> condition;
    std::string assigned = "random";
    // Set for simulated participants: the side that plays each board in the participant's seat.
    std::function<TeamController*()> makeSeat;
    std::string source = "study";  // the record's source: "study", or "simulated" with a seat
    RecordWriter* record = nullptr;  // not owned: where the run's record goes, if it is kept
    // Written into the record's first line.
    std::vector<std::pair<std::string, std::string>> participant;

private:
    // Writes the record's last line (once) and what the file lacks; true when all is on disk.
    bool SaveRecord();
    // Updates the end screen's word on the record, when the end screen shows.
    void ShowRecordState();

    std::unique_ptr<TextFont> font;  // the study's, drawn with while the root lives; none for the built-in one
    std::deque<int32_t> mapDraws;
    bool codeRecorded = false;
    // The study's boards not yet shown or decided, and whether each one's game is scored.
    std::map<const Node*, bool> scoredBoards;
    int32_t shownScenes = 0;
    bool windowFocused = true;
};
