#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "board/BoardObserver.h"
#include "record/RecordFormat.h"

class TileMap;

// What the first line of a record says about its run.
struct RunHeader {
    std::string source = "study";  // "study", or "arena" for a game between two computer sides
    std::string game = record::gameVersion;
    std::string platform = record::platformName;
    uint32_t seed = 0;             // the random generator's seed, from which the draws below follow
    std::vector<std::string> order;  // the scored opponents' names, in the order they play
    std::vector<int32_t> maps;       // the map drawn by each board of several, its place in the board's list from 1
    std::vector<std::pair<std::string, std::string>> participant;  // identifiers given to the run
    // The study file the run played (its name and whole text), so that its replay plays the same
    // study; empty for a run without one (the arena).
    std::string study;
    std::string studyText;
    // The run's condition of the study's `conditions`, and how it got it: "random" (its draws),
    // "balanced", "forced" or "fallback" (drawn at random when balancing could not be done).
    std::optional<int32_t> condition;
    int32_t conditions = 1;
    std::string assigned;
};

// Writes a study record as the run goes: each event a line, flushed at once, so that a run
// that ends in the middle keeps everything up to that moment. Hears the boards as their
// observer; the study tells it of scenes, focus, outcomes and the final code.
// A file's writer also keeps the whole record in memory: when a write fails (a full disk),
// the file is written on from its last whole write at the next event, so nothing is lost
// while the run lasts.
class RecordWriter : public BoardObserver {
public:
    // Writes to `out`, which must outlive the writer.
    explicit RecordWriter(std::ostream& out);
    ~RecordWriter() override;
    // Makes `folder` absolute and checks that files can be made in it (a probe file, made and
    // removed at once); false with `error` set when not.
    static bool CheckFolder(std::string& folder, std::string& error);
    // A new file in `folder` whose name no other run takes; null with `error` set when the
    // folder cannot be written.
    static std::unique_ptr<RecordWriter> CreateIn(const std::string& folder, std::string& error);

    void RunStarted(const RunHeader& header);
    void SceneShown(const std::string& scene, int32_t index);
    void FocusChanged(bool focused);
    // The game is decided; `group` is what it added to the result code ("" for none).
    void GameDecided(int32_t winner, const std::string& group);
    void CodeShown(const std::string& code);
    // The path of the file written, for a writer made by CreateIn.
    const std::string& Path() const { return path; }
    // Writes what the file lacks after a failed write; true when the whole record is on disk.
    bool CatchUp();
    // Why the last write failed ("" while the whole record is on disk).
    const std::string& Failure() const { return failure; }

    void BoardStarted(const TileMap& board, const std::string& mapName, const std::string& mapText) override;
    void Changed(const TileMap& board, const BoardChange& change) override;
    void Thought(const TileMap& board, int32_t side, const ThinkFigures& figures) override;

    // A digest of everything a turn can change on the board: pieces in child order with
    // their owner, tile, health and flags, every side's gold and the side to move.
    static std::string Digest(const TileMap& board);

private:
    using Clock = std::chrono::steady_clock;
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    RecordWriter() = default;
    void Write(const char* event, record::Json fields);
    void Put(const std::string& line);
    bool Failed(int error);

    std::ostream* out = nullptr;  // a stream's writer
    // A file's writer: the file, the whole record so far, how much of it is known to be on disk
    // and why the last write failed.
    std::unique_ptr<std::FILE, FileCloser> file;
    std::string kept;
    size_t onDisk = 0;
    std::string failure;
    std::string path;
    Clock::time_point runStart = Clock::now();
    Clock::time_point boardStart = runStart;
    bool onBoard = false;
    int32_t boards = 0;
    // The played changes that Z can take back, newest last, as written: one per history entry.
    std::vector<record::Json> undoable;
};
