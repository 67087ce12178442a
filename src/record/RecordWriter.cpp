#include "record/RecordWriter.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <random>

#include "ai/AIController.h"
#include "board/GameData.h"
#include "board/TileMap.h"
#include "board/Unit.h"

using record::Json;

namespace {
Json TileJson(Vector2 tile)
{
    return Json::array({static_cast<int32_t>(tile.x), static_cast<int32_t>(tile.y)});
}

const char* ChangeName(BoardChange::Kind kind)
{
    switch (kind) {
    case BoardChange::Kind::Move: return "move";
    case BoardChange::Kind::Attack: return "attack";
    case BoardChange::Kind::Buy: return "buy";
    case BoardChange::Kind::Pass: return "pass";
    case BoardChange::Kind::EndTurn: return "endTurn";
    case BoardChange::Kind::Forfeit: return "forfeit";
    case BoardChange::Kind::Undo: return "undo";
    }
    return "?";
}

// The fields of a change's event, its name and time aside.
Json ChangeFields(const BoardChange& change)
{
    Json fields = {{"side", change.side}};
    const bool piece = change.kind == BoardChange::Kind::Move || change.kind == BoardChange::Kind::Attack ||
                       change.kind == BoardChange::Kind::Buy || change.kind == BoardChange::Kind::Pass;
    if (piece) {
        fields["from"] = TileJson(change.from);
    }
    if (piece && change.kind != BoardChange::Kind::Pass) {
        fields["to"] = TileJson(change.to);
    }
    if (change.kind == BoardChange::Kind::Buy) {
        fields["type"] = change.unitType;
    }
    return fields;
}

// The wall-clock time now in UTC, in strftime's `format`.
std::string UtcNow(const char* format)
{
    std::time_t now = std::time(nullptr);
    char text[32];
    std::strftime(text, sizeof text, format, std::gmtime(&now));
    return text;
}

// FNV-1a, 64 bits, fed field by field.
class Fnv {
public:
    void Add(uint64_t value)
    {
        for (int i = 0; i < 8; ++i) {
            hash = (hash ^ ((value >> (8 * i)) & 0xffu)) * 0x100000001b3u;
        }
    }
    std::string Text() const
    {
        char text[32];
        std::snprintf(text, sizeof text, "%016" PRIx64, hash);
        return text;
    }
    uint64_t hash = 0xcbf29ce484222325u;
};
}  // namespace

namespace record {
std::string TextHash(const std::string& text)
{
    Fnv fnv;
    for (unsigned char c : text) {
        fnv.hash = (fnv.hash ^ c) * 0x100000001b3u;
    }
    return "fnv1a64:" + fnv.Text();
}
}  // namespace record

RecordWriter::RecordWriter(std::ostream& out_) : out(&out_) {}

RecordWriter::~RecordWriter()
{
    CatchUp();
}

namespace {
namespace fs = std::filesystem;

// Why `folder` cannot hold records ("" when it is a folder).
std::string NotAFolder(const std::string& folder)
{
    std::error_code code;
    if (fs::is_directory(folder, code)) {
        return "";
    }
    return "the record folder " + folder + (fs::exists(folder, code) ? " is not a folder" : " does not exist");
}

// A path in `folder` that no file takes yet: `format` with the start time (%s) and a random part
// (%08x), which keeps two runs of the same second apart. Empty when 16 tries all met a file.
fs::path UnusedPath(const fs::path& folder, const char* format)
{
    const std::string stamp = UtcNow("%Y%m%d-%H%M%S");
    std::random_device entropy;
    std::error_code code;
    for (int attempt = 0; attempt < 16; ++attempt) {
        char name[64];
        std::snprintf(name, sizeof name, format, stamp.c_str(), static_cast<unsigned>(entropy()));
        const fs::path candidate = folder / name;
        if (!fs::exists(candidate, code)) {
            return candidate;
        }
    }
    return {};
}

// A new file, opened for writing in binary.
std::FILE* OpenNew(const fs::path& file)
{
#if defined(_WIN32)
    return _wfopen(file.c_str(), L"wb");  // the folder's name may hold more than the code page can
#else
    return std::fopen(file.c_str(), "wb");
#endif
}
}  // namespace

bool RecordWriter::CheckFolder(std::string& folder, std::string& error)
{
    error = NotAFolder(folder);
    if (!error.empty()) {
        return false;
    }
    // The game may change its working directory to find its files: a relative folder would move with it.
    std::error_code code;
    const fs::path absolute = fs::absolute(folder, code);
    if (!code) {
        folder = absolute.string();
    }
    const fs::path probe = UnusedPath(folder, ".torvane-probe-%s-%08x");
    std::FILE* made = probe.empty() ? nullptr : OpenNew(probe);
    if (made == nullptr) {
        error = "cannot write a record into " + folder + (probe.empty() ? "" : std::string(": ") + std::strerror(errno));
        return false;
    }
    std::fclose(made);
    fs::remove(probe, code);
    return true;
}

std::unique_ptr<RecordWriter> RecordWriter::CreateIn(const std::string& folder, std::string& error)
{
    error = NotAFolder(folder);
    if (!error.empty()) {
        return nullptr;
    }
    const fs::path name = UnusedPath(folder, "torvane-%s-%08x.jsonl");
    if (name.empty()) {
        error = "no free record file name in " + folder;
        return nullptr;
    }
    std::FILE* made = OpenNew(name);
    if (made == nullptr) {
        error = "cannot write a record into " + folder + ": " + std::strerror(errno);
        return nullptr;
    }
    std::unique_ptr<RecordWriter> writer(new RecordWriter());
    writer->file.reset(made);
    // Unbuffered: after a failed write no part of the record waits in a buffer to land later at an
    // unknown place. A line is one write all the same.
    std::setvbuf(made, nullptr, _IONBF, 0);
    writer->path = name.string();
    return writer;
}

void RecordWriter::Put(const std::string& line)
{
    if (out != nullptr) {
        *out << line;
        out->flush();
        return;
    }
    kept += line;
    CatchUp();
}

bool RecordWriter::CatchUp()
{
    if (file == nullptr || onDisk == kept.size()) {
        return true;
    }
    if (!failure.empty()) {
        // The failed write may have left a part of what followed on disk: the same bytes, so the file
        // is mended by writing on from the end of the last whole write.
        std::clearerr(file.get());
        if (std::fseek(file.get(), static_cast<long>(onDisk), SEEK_SET) != 0) {
            return Failed(errno);
        }
    }
    const size_t rest = kept.size() - onDisk;
    errno = 0;
    if (std::fwrite(kept.data() + onDisk, 1, rest, file.get()) != rest || std::fflush(file.get()) != 0) {
        return Failed(errno);
    }
    onDisk = kept.size();
    if (!failure.empty()) {
        failure.clear();
        std::fprintf(stderr, "torvane: the record %s is written in full again\n", path.c_str());
    }
    return true;
}

bool RecordWriter::Failed(int error)
{
    const bool first = failure.empty();
    failure = error != 0 ? std::strerror(error) : "the write failed";
    if (first) {
        std::fprintf(stderr, "torvane: cannot write the record %s: %s; it is kept and written again at the next event\n",
                     path.c_str(), failure.c_str());
    }
    return false;
}

void RecordWriter::Write(const char* event, Json fields)
{
    const auto since = [](Clock::time_point from) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - from).count();
    };
    Json line = {{"t", since(runStart)}, {"tb", onBoard ? Json(since(boardStart)) : Json(nullptr)}, {"event", event}};
    for (auto& [key, value] : fields.items()) {
        line[key] = std::move(value);
    }
    Put(line.dump() + '\n');
}

void RecordWriter::RunStarted(const RunHeader& header)
{
    Json participant = Json::object();
    for (const auto& [key, value] : header.participant) {
        participant[key] = value;
    }
    Json first = {{"format", record::formatName}, {"version", record::recordVersion},
                  {"source", header.source},      {"game", header.game},
                  {"platform", header.platform},  {"started", UtcNow("%Y-%m-%dT%H:%M:%SZ")},
                  {"seed", header.seed},          {"order", header.order},
                  {"maps", header.maps}};
    if (header.condition) {
        first["condition"] = *header.condition;
        first["conditions"] = header.conditions;
        first["assigned"] = header.assigned;
    }
    if (!header.studyText.empty()) {
        first["study"] = header.study;
        first["studyHash"] = record::TextHash(header.studyText);
        first["studyText"] = header.studyText;
    }
    first["participant"] = std::move(participant);
    Put(first.dump() + '\n');
}

void RecordWriter::SceneShown(const std::string& scene, int32_t index)
{
    onBoard = false;
    Write("scene", {{"scene", scene}, {"index", index}});
}

void RecordWriter::FocusChanged(bool focused)
{
    Write("focus", {{"focused", focused}});
}

void RecordWriter::GameDecided(int32_t winner, const std::string& group)
{
    Write("outcome", {{"winner", winner}, {"group", group}});
}

void RecordWriter::CodeShown(const std::string& code)
{
    Write("code", {{"code", code}});
}

void RecordWriter::BoardStarted(const TileMap& board, const std::string& mapName, const std::string& mapText)
{
    boardStart = Clock::now();
    onBoard = true;
    undoable.clear();
    const auto* opponent = dynamic_cast<const AIController*>(board.ai);
    Write("board", {{"game", ++boards},
                    {"opponent", opponent != nullptr ? opponent->name : std::string()},
                    {"tutorial", board.isTutorial},
                    {"map", std::filesystem::path(mapName).filename().string()},
                    {"number", GameData::Get().mapIndex + 1},
                    {"hash", record::TextHash(mapText)},
                    {"text", mapText}});
}

void RecordWriter::Changed(const TileMap& board, const BoardChange& change)
{
    const std::string name = ChangeName(change.kind);
    Json fields = ChangeFields(change);
    if (change.kind == BoardChange::Kind::Undo) {
        // Z takes back the newest history entry: what it was is written beside the undo.
        if (!undoable.empty()) {
            fields["undid"] = std::move(undoable.back());
            undoable.pop_back();
        }
        Write("undo", std::move(fields));
        return;
    }
    if (change.kind == BoardChange::Kind::EndTurn || change.kind == BoardChange::Kind::Forfeit) {
        fields["digest"] = Digest(board);
    }
    Json taken = fields;
    taken["event"] = name;
    undoable.push_back(std::move(taken));
    Write(name.c_str(), std::move(fields));
}

void RecordWriter::Thought(const TileMap&, int32_t side, const ThinkFigures& figures)
{
    Write("think", {{"side", side},
                    {"ms", figures.milliseconds},
                    {"slices", figures.slices},
                    {"positions", figures.positions},
                    {"best", figures.bestScore}});
}

std::string RecordWriter::Digest(const TileMap& board)
{
    Fnv fnv;
    for (const Unit* unit : board.Units()) {
        const Vector2 tile = unit->GetTile();
        fnv.Add(static_cast<uint64_t>(unit->type));
        fnv.Add(static_cast<uint64_t>(static_cast<int64_t>(board.SideOf(unit->team))));
        fnv.Add(static_cast<uint64_t>(static_cast<int64_t>(tile.x)));
        fnv.Add(static_cast<uint64_t>(static_cast<int64_t>(tile.y)));
        fnv.Add(static_cast<uint64_t>(static_cast<int64_t>(unit->health)));
        fnv.Add((unit->hasMoved ? 1u : 0u) | (unit->hasAttacked ? 2u : 0u));
    }
    for (const TeamController* side : board.teams) {
        fnv.Add(static_cast<uint64_t>(static_cast<int64_t>(side->gold)));
    }
    fnv.Add(static_cast<uint64_t>(static_cast<int64_t>(board.currentTeam)));
    return fnv.Text();
}
