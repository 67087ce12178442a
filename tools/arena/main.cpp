// torvane-arena: plays games between computer sides without a window and reports
// wins, game lengths and think times (see --help).
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "arena/ArenaGame.h"
#include "arena/ArenaOptions.h"
#include "arena/ArenaReport.h"
#include "arena/Progress.h"
#include "board/MapFile.h"

namespace {
enum ExitStatus {
    exitDone = 0,
    exitOutput = 1,
    exitUsage = 2,
    exitMap = 3,
};

bool WriteFile(const std::filesystem::path& path, void (*write)(const std::vector<PlayedGame>&, std::ostream&),
               const std::vector<PlayedGame>& games)
{
    std::ofstream file(path);
    write(games, file);
    file.close();
    if (!file) {
        std::cerr << "torvane-arena: cannot write " << path.string() << "\n";
        return false;
    }
    return true;
}
}  // namespace

int main(int argc, char** argv)
{
    ArenaOptions options;
    try {
        options = ParseArenaOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const UsageError& error) {
        std::cerr << "torvane-arena: " << error.what() << "\n(torvane-arena --help lists the options)\n";
        return exitUsage;
    }
    if (options.help) {
        std::cout << ArenaUsage();
        return exitDone;
    }
    // Every board is read before the first game, so a broken one costs no playing time.
    for (const std::string& map : options.maps) {
        try {
            ReadMapFile(map);
        } catch (const MapFileError& error) {
            std::cerr << "torvane-arena: " << error.what() << "\n";
            return exitMap;
        }
    }
    std::filesystem::path outDir(options.outDir);
    if (!options.outDir.empty()) {
        std::error_code error;
        std::filesystem::create_directories(outDir, error);
        if (error || !std::ofstream(outDir / "games.csv")) {
            std::cerr << "torvane-arena: cannot write into " << options.outDir << "\n";
            return exitOutput;
        }
    }

    if (!options.recordDir.empty()) {
        std::error_code error;
        std::filesystem::create_directories(options.recordDir, error);
        if (error || !std::filesystem::is_directory(options.recordDir)) {
            std::cerr << "torvane-arena: cannot write records into " << options.recordDir << "\n";
            return exitOutput;
        }
    }
    std::vector<MatchSetup> schedule = BuildSchedule(options);
    if (!options.quiet) {
        std::cout << "torvane-arena: " << schedule.size() << " games, seed " << options.seed << ", turn cap "
                  << options.turnCap << "\n";
    }
    Progress progress(std::cerr, static_cast<int>(schedule.size()), isatty(STDERR_FILENO) != 0, options.quiet);
    std::vector<PlayedGame> games;
    for (const MatchSetup& match : schedule) {
        progress.GameStarted(match.index);
        try {
            games.push_back({match, PlayGame(match)});
        } catch (const MapFileError& error) {
            progress.Clear();
            std::cerr << "torvane-arena: " << error.what() << "\n";
            return exitMap;
        } catch (const std::runtime_error& error) {  // a record that cannot be written
            progress.Clear();
            std::cerr << "torvane-arena: " << error.what() << "\n";
            return exitOutput;
        }
        if (!options.quiet) {
            progress.Clear();
            std::cout << GameLine(games.back()) << std::endl;
        }
        progress.GameDone(static_cast<int>(games.size()));
    }
    progress.Clear();
    if (!options.quiet) {
        std::cout << "\n";
    }
    WriteResultTable(games, std::cout);

    if (!options.outDir.empty()) {
        bool written = WriteFile(outDir / "games.csv", WriteGamesCsv, games) &&
                       WriteFile(outDir / "turns.csv", WriteTurnsCsv, games) &&
                       WriteFile(outDir / "think-time.svg", WriteThinkTimeSvg, games);
        if (!written) {
            return exitOutput;
        }
        if (!options.quiet) {
            std::cout << "\nwrote games.csv, turns.csv and think-time.svg into " << options.outDir << "\n";
        }
    }
    return exitDone;
}
