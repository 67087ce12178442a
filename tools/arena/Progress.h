#pragma once

#include <chrono>
#include <iosfwd>
#include <string>

// Progress of a run on stderr: a bar redrawn in place on a terminal, otherwise a
// plain line now and then (logs and pipes get no control characters).
class Progress {
public:
    Progress(std::ostream& out, int totalGames, bool terminal, bool quiet);

    // Before printing anything else on the terminal: removes the bar.
    void Clear();
    void GameStarted(int index);
    void GameDone(int done);

private:
    void Draw(int done, const std::string& note);

    std::ostream& out;
    int total;
    bool terminal;
    bool quiet;
    std::chrono::steady_clock::time_point start;
    std::chrono::steady_clock::time_point lastLine;
    int done = 0;
};
