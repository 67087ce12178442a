#include "arena/Progress.h"

#include <ostream>

namespace {
// Lines for logs: at most one per this many seconds, besides the last one.
constexpr double lineInterval = 10.0;

std::string Duration(double seconds)
{
    auto whole = static_cast<long>(seconds);
    return std::to_string(whole / 60) + "m" + (whole % 60 < 10 ? "0" : "") + std::to_string(whole % 60) + "s";
}
}  // namespace

Progress::Progress(std::ostream& out_, int totalGames, bool terminal_, bool quiet_)
    : out(out_), total(totalGames), terminal(terminal_), quiet(quiet_), start(std::chrono::steady_clock::now()),
      lastLine(start)
{
}

void Progress::Clear()
{
    if (terminal && !quiet) {
        out << "\r\033[K" << std::flush;
    }
}

void Progress::GameStarted(int index)
{
    if (terminal) {
        Draw(done, "playing game " + std::to_string(index));
    }
}

void Progress::GameDone(int done_)
{
    done = done_;
    auto now = std::chrono::steady_clock::now();
    if (terminal) {
        Draw(done, "");
    } else if (done == total || std::chrono::duration<double>(now - lastLine).count() >= lineInterval) {
        lastLine = now;
        Draw(done, "");
    }
}

void Progress::Draw(int done_, const std::string& note)
{
    if (quiet) {
        return;
    }
    double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::string text = std::to_string(done_) + "/" + std::to_string(total) + " games, " + Duration(elapsed);
    if (done_ > 0 && done_ < total) {
        text += ", about " + Duration(elapsed / done_ * (total - done_)) + " left";
    }
    if (!note.empty()) {
        text += ", " + note;
    }
    if (!terminal) {
        out << "torvane-arena: " << text << "\n" << std::flush;
        return;
    }
    const int width = 30;
    int filled = total == 0 ? width : done_ * width / total;
    out << "\r\033[K[" << std::string(static_cast<size_t>(filled), '#') << std::string(static_cast<size_t>(width - filled), '.')
        << "] " << text << std::flush;
}
