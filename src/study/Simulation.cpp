#include "study/Simulation.h"

#include <ctime>
#include <memory>
#include <ostream>
#include <random>
#include <stdexcept>

#include "ai/HPSController.h"
#include "ai/MinimaxController.h"
#include "ai/RandomController.h"
#include "board/TileMap.h"
#include "input/InputManager.h"
#include "record/RecordFormat.h"
#include "record/RecordWriter.h"
#include "record/RunCensus.h"
#include "screens/EndScreen.h"
#include "study/Conditions.h"
#include "study/RootNode.h"

namespace {
// More than an action's delay: every call plays one step of a plan.
constexpr float playbackStep = 0.6f;

TeamController* MakeSeat(const std::string& kind, uint32_t seed)
{
    if (kind == "minimax") {
        return new MinimaxController();
    }
    if (kind == "hps") {
        return new HPSController();
    }
    return new RandomController(seed);
}

// Plays a board to its outcome, the seat forfeiting once it has had `turnCap` turns. With `leaveAt`
// >= 0 the participant leaves when that turn of theirs begins: false.
bool PlayBoard(TileMap& board, int32_t turnCap, int32_t leaveAt)
{
    int32_t turns = 0;
    int32_t previous = board.currentTeam;
    while (!board.gameOver) {
        if (board.currentTeam != previous) {
            previous = board.currentTeam;
            turns += previous == 0 ? 1 : 0;
        }
        auto* side = dynamic_cast<AIController*>(board.teams[static_cast<size_t>(board.currentTeam)]);
        if (side == nullptr) {
            throw std::logic_error("a simulated board has a side that is not a computer's");
        }
        if (board.currentTeam == 0 && turns == leaveAt) {
            return false;
        }
        if (side->thinking) {
            side->FinishThinking();
        } else if (board.currentTeam == 0 && turns >= turnCap) {
            board.forfeited = true;
            board.EndTurn();
        } else if (side->executingPlan) {
            side->AdvancePlayback(playbackStep);
        } else {
            throw std::logic_error("the side to move has no plan to play");
        }
    }
    return true;
}

// One participant, from the title to Quit, or until they leave; whether they finished.
bool PlayRun(RootNode& root, const Simulation& simulation, std::mt19937& draws)
{
    std::bernoulli_distribution leaves(simulation.dropout);
    for (;;) {
        Node* scene = root.GetChildren().at(0);
        if (auto* board = dynamic_cast<TileMap*>(scene)) {
            const int32_t leaveAt = leaves(draws) ? static_cast<int32_t>(draws() % 3) : -1;
            if (!PlayBoard(*board, simulation.turnCap, leaveAt)) {
                return false;
            }
        }
        const bool last = dynamic_cast<EndScreen*>(scene) != nullptr;
        root.NextScene();  // after the end screen, Quit: the code goes into the record
        if (last) {
            return true;
        }
    }
}
}  // namespace

int Simulate(const Study& study, const Simulation& simulation, std::ostream& out, std::ostream& err)
{
    std::mt19937 draws(simulation.seed);
    const int32_t conditions = ConditionCount(study);
    for (int32_t run = 1; run <= simulation.runs; ++run) {
        RootNode root;
        InputManager::Instance().root = &root;
        std::string problem;
        std::unique_ptr<RunCensus> census;
        if (study.conditions.assign == StudyConditions::Assign::Balanced) {
            census = RunCensus::Take(simulation.recordDir, problem);
            if (census == nullptr) {
                err << "torvane: " << problem << "\n";
                return 1;
            }
            root.condition = LeastFilled(census->Count(record::TextHash(study.text), conditions,
                                                       study.conditions.staleMinutes, std::time(nullptr), "simulated"),
                                         draws());
            root.assigned = "balanced";
        }
        std::unique_ptr<RecordWriter> record = RecordWriter::CreateIn(simulation.recordDir, problem);
        if (record == nullptr) {
            err << "torvane: " << problem << "\n";
            return 1;
        }
        root.study = study;
        root.seed = draws();
        root.record = record.get();
        root.source = "simulated";
        root.makeSeat = [&] { return MakeSeat(simulation.seat, draws()); };
        root.Init();
        census.reset();
        const bool finished = PlayRun(root, simulation, draws);
        out << "run " << run << " of " << simulation.runs << ": " << record->Path() << ", "
            << (finished ? "complete" : "left") << "\n";
        // The scene goes while the root is installed and the record still hears it.
        for (Node* child : root.GetChildren()) {
            root.RemoveChild(child);
            delete child;
        }
        InputManager::Instance().root = nullptr;
    }
    return 0;
}
