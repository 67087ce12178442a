#include <unistd.h>

#include <filesystem>

#include "arena/ArenaGame.h"
#include "record/RecordReader.h"
#include "replay/Watch.h"
#include "support/WindowKit.h"

// window-pieces.txt, 16 x 9 tiles, all on screen: side 0 holds the castle (1,6) and a Knight on
// (2,4); (4,2) lies in its sight, (12,2) and the enemy Knight on (14,4) far out of it.
namespace {
const Color beige = tileTypeTable[0].color;

bool Blue(Color c)
{
    return c.b >= 150 && c.r <= 60 && c.g <= 60;
}

class Watching : public FreshInput {};
}  // namespace

// An arena game's record watched fast: a caption first, then the board with side 0's fog; before
// side 0's first move its Knight shows selected with the recorded tile highlighted, and a frame
// later it stands there.
TEST_F(Watching, ShowsTheBoardTheFogAndTheMovesAsSideZeroSawThem)
{
    const auto folder = std::filesystem::temp_directory_path() / ("torvane-watch-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const GameResult game = PlayGame({.seed = 1, .pair = {"minimax", "hps"}, .map = TestDataPath("window-pieces.txt"),
                                      .turnCap = 8, .recordDir = folder.string()});
    Record record = ReadRecordFile(game.recordPath);
    std::filesystem::remove_all(folder);
    // The recorded times are the machine's: a fast one puts the first move in the board's first
    // frame. Spaced a second apart, every event shows in frames of its own.
    for (size_t i = 0; i < record.events.size(); ++i) {
        record.events[i].fields["t"] = 1000.0 * static_cast<double>(i);
    }
    const auto move = std::find_if(record.events.begin(), record.events.end(), [](const RecordEvent& e) {
        return e.event == "move" && e.fields.at("side") == 0;
    });
    ASSERT_NE(move, record.events.end()) << "side 0 never moved";
    const size_t moveIndex = static_cast<size_t>(move - record.events.begin());
    const auto centre = [](const record::Json& tile) { return std::pair{tile[0].get<int>() * 100 + 50, tile[1].get<int>() * 100 + 50}; };
    const auto [fromX, fromY] = centre(move->fields.at("from"));
    const auto [toX, toY] = centre(move->fields.at("to"));

    Watch watch(record, 50.0);
    const auto advanceUntil = [&](const std::function<bool()>& done) {
        for (int frame = 0; frame < 1000 && !done(); ++frame) {
            watch.Advance(1.0f / 60.0f);
        }
        ASSERT_TRUE(done()) << "the watch stopped at event " << watch.next << ": " << watch.problem;
    };
    watch.Advance(1.0f / 60.0f);
    EXPECT_TRUE(kit::Frame([&] { watch.Draw(); }).Is(450, 250, RAYWHITE)) << "only the caption before the board";

    advanceUntil([&] { return watch.boards.board != nullptr; });
    {
        kit::Frame board([&] { watch.Draw(); });
        EXPECT_TRUE(board.Is(450, 250, beige)) << "tile (4,2) in side 0's sight";
        const Color fogged = board.At(1250, 250);
        EXPECT_TRUE(fogged.r < beige.r && fogged.g < beige.g && fogged.b < beige.b) << "(12,2) " << kit::Rgb(fogged);
        EXPECT_TRUE(board.Is(1450, 450, fogged)) << "the enemy Knight on (14,4) is hidden";
    }

    advanceUntil([&] { return watch.next == moveIndex; });
    {
        kit::Frame before([&] { watch.Draw(); });
        EXPECT_TRUE(Blue(before.At(fromX, fromY))) << "the Knight before its move: " << kit::Rgb(before.At(fromX, fromY));
        const Color target = before.At(toX, toY);
        EXPECT_TRUE(target.r < beige.r && target.b > beige.b) << "the recorded tile is highlighted: " << kit::Rgb(target);
    }
    advanceUntil([&] { return watch.next > moveIndex; });
    kit::Frame after([&] { watch.Draw(); });
    EXPECT_TRUE(Blue(after.At(toX, toY))) << "the Knight on the recorded tile: " << kit::Rgb(after.At(toX, toY));
    EXPECT_FALSE(Blue(after.At(fromX, fromY))) << "the Knight has left its tile";
    EXPECT_EQ(watch.problem, "");
}
