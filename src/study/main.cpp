#include <cstdio>
#include <ctime>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "board/MapFile.h"
#include "board/UnitType.h"
#include "input/InputManager.h"
#include "raylib.h"
#include "record/RecordWriter.h"
#include "record/RunCensus.h"
#include "screens/ErrorScreen.h"
#include "screens/WindowFit.h"
#include "study/Conditions.h"
#include "study/Frame.h"
#include "study/GameOptions.h"
#include "study/RootNode.h"
#include "study/Simulation.h"
#include "study/StudyFile.h"

#if defined(PLATFORM_WEB)
#include <emscripten/emscripten.h>

#include <nlohmann/json.hpp>
#else
#define GLFW_INCLUDE_NONE  // raylib brings its own OpenGL declarations
#include <GLFW/glfw3.h>
#endif

namespace {
RootNode* root = nullptr;
WindowFit window;  // the browser's page scales the canvas itself: never scaled there
std::string brokenMap;  // the message of the map file that stopped the study

// Runs part of the study. A broken map file must stop it rather than show a corrupted
// board: false then, with the message (file and line) kept.
template <class Work>
bool Guarded(Work work)
{
    try {
        work();
        return true;
    } catch (const MapFileError& error) {
        brokenMap = error.what();
        return false;
    }
}

void StartStudy()
{
    root = new RootNode();
    InputManager::Instance().root = root;
}

void EndStudy()
{
    InputManager::Instance().root = nullptr;
    delete root;
    root = nullptr;
}
}  // namespace

#if defined(PLATFORM_WEB)

// Tells the page that the study is over: the result code after Quit, or why it stopped.
EM_JS(void, ReportStudyEnd, (const char* code, const char* error), {
    if (Module.onStudyEnd) {
        Module.onStudyEnd(UTF8ToString(code), UTF8ToString(error));
    }
});

// Tells the page that the participant has left the title: from now on leaving the page loses the study.
EM_JS(void, ReportStudyBegun, (), {
    if (Module.onStudyBegun) {
        Module.onStudyBegun();
    }
});

// The page's touches, one finger's, in the canvas's game coordinates (phase: 0 landed, 1 moved,
// 2 lifted, 3 cancelled).
extern "C" EMSCRIPTEN_KEEPALIVE void TorvaneTouch(int phase, float x, float y)
{
    if (phase >= 0 && phase <= 3) {
        InputManager::Instance().Touch(static_cast<InputManager::TouchPhase>(phase), {x, y});
    }
}

// Hands the page the record's lines written since the last call: it keeps them for the participant
// to save and, when asked to, sends them to the researcher.
EM_JS(void, PassRecordLines, (const char* text), {
    if (Module.onRecordLines) {
        Module.onRecordLines(UTF8ToString(text));
    }
});

// Asks the page for files of the site, each by the path the game opens it by (the site's folder is
// the file system's root), writes those the site has into the file system, then calls
// TorvaneFilesFetched(stage). A file the site lacks is left out: opening it then says so.
EM_JS(void, FetchSiteFiles, (const char* names, int stage), {
    var paths = UTF8ToString(names).split("\n").filter(function (name) { return name !== ""; }).map(function (name) {
        return decodeURIComponent(new URL(name.split("/").map(encodeURIComponent).join("/"), "file:///").pathname);
    });
    paths = paths.filter(function (path, i) { return paths.indexOf(path) === i; });
    Promise.all(paths.map(function (path) {
        return Module.fetchSiteFile(path).then(function (bytes) {
            if (bytes === null) {
                return;
            }
            var folder = "";
            path.split("/").slice(1, -1).forEach(function (part) {
                folder += "/" + part;
                if (!FS.analyzePath(folder).exists) {
                    FS.mkdir(folder);
                }
            });
            FS.writeFile(path, bytes);
        }).catch(function (error) {
            console.error("torvane: " + path + ": " + error);
        });
    })).then(function () {
        Module._TorvaneFilesFetched(stage);
    });
});

// Asks the page for the run's condition of a balanced study, whose hash is `key`, of `count`, then
// calls TorvaneConditionAssigned with it, or with -1 when the receiver gave none (the run then
// draws at random). The page never keeps the participant waiting long for it.
EM_JS(void, AskCondition, (const char* key, int count, int staleMinutes), {
    Module.assignCondition(UTF8ToString(key), count, staleMinutes).then(function (condition) {
        Module._TorvaneConditionAssigned(condition);
    });
});

// Hands the page the study's texts for its own notices and its end page.
EM_JS(void, PassPageTexts, (const char* json), {
    if (Module.onPageTexts) {
        Module.onPageTexts(JSON.parse(UTF8ToString(json)));
    }
});

namespace {
bool begun = false;
std::ostringstream recordLines;
std::optional<GameOptions> options;  // kept from main until the study's files have arrived
std::string studyFile;
Study study;  // read, and kept while the page asks for a balanced study's condition
bool askedCondition = false;  // the page's one answer is awaited

void PassRecord()
{
    if (recordLines.tellp() > 0) {
        PassRecordLines(recordLines.str().c_str());
        recordLines.str("");
    }
}

void EndInBrowser()
{
    emscripten_cancel_main_loop();
    PassRecord();
    const std::string code = root->resultCode;
    if (!brokenMap.empty()) {
        std::fprintf(stderr, "%s\n", brokenMap.c_str());
    }
    EndStudy();
    if (IsWindowReady()) {
        CloseWindow();
    }
    ReportStudyEnd(code.c_str(), brokenMap.c_str());
}

// The browser calls this once per frame. WindowShouldClose means nothing in a tab,
// so the end of the study shows as the window closed by the scene switch after Quit.
void BrowserFrame()
{
    if (!Guarded([] { RunFrame(*root, window); }) || !IsWindowReady()) {
        EndInBrowser();
        return;
    }
    PassRecord();
    if (!begun && root->PastTitle()) {
        begun = true;
        ReportStudyBegun();
    }
}

std::string PageTextsJson(const PageTexts& texts)
{
    const nlohmann::json json = {{"language", texts.language},
                                  {"turnDevice", texts.turnDevice},
                                  {"loading", texts.loading},
                                  {"graphicsLost", texts.graphicsLost},
                                  {"finished", texts.finished},
                                  {"farewell", texts.farewell},
                                  {"codeLabel", texts.codeLabel},
                                  {"copyHint", texts.copyHint},
                                  {"questionnaire", texts.questionnaire},
                                  {"stopped", texts.stopped},
                                  {"wentWrong", texts.wentWrong},
                                  {"saveRecord", texts.saveRecord},
                                  {"saveNote", texts.saveNote},
                                  {"recordArrived", texts.recordArrived},
                                  {"recordRefused", texts.recordRefused},
                                  {"recordSending", texts.recordSending}};
    return json.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

// Stops before the study: on standard error and on the page.
void Refuse(const std::string& problem)
{
    std::fprintf(stderr, "%s\n", problem.c_str());
    ReportStudyEnd("", problem.c_str());
}

// The study file has arrived: the maps it names are fetched next, each beside it and in the site's
// folder, as the game looks for them there.
void FetchStudyMaps()
{
    std::ifstream in(studyFile, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in) {
        Refuse(studyFile + ":1: the study file cannot be read");
        return;
    }
    const size_t slash = studyFile.find_last_of('/');
    std::string names;
    for (const std::string& map : StudyMapNames(text.str())) {
        names += (slash == std::string::npos ? "" : studyFile.substr(0, slash + 1) + map + "\n") + map + "\n";
    }
    FetchSiteFiles(names.c_str(), 1);
}

// Starts the study read, in `condition` when one is given ("balanced", "forced" or "fallback").
void BeginStudy(std::optional<int32_t> condition, const std::string& assigned)
{
    StartStudy();
    // The browser keeps no files: the record goes to the page, which offers it to save.
    static RecordWriter record(recordLines);
    root->record = &record;
    root->study = std::move(study);
    root->participant = options->participant;
    root->condition = condition;
    root->assigned = assigned;
    if (!Guarded([] { root->Init(); })) {
        EndInBrowser();
        return;
    }
    // The browser paces the frames at 60 per second (a busy wait like SetTargetFPS
    // would freeze the page); the runtime stays alive between them.
    emscripten_set_main_loop(BrowserFrame, 60, 0);
}

void RunStudy()
{
    // The window before the study, as on the desktop: checking the texts' fit loads raylib's built-in
    // font, which loaded without a window keeps no texture for good, and the shapes drawn with it go black.
    InitWindow(1600, 900, "Strategy Game");
    try {
        study = ReadStudyFile(studyFile);
    } catch (const StudyFileError& error) {
        CloseWindow();
        Refuse(std::string("The game cannot start: the study file is broken.\n") + error.what());
        return;
    }
    const int32_t count = ConditionCount(study);
    if (options->condition && *options->condition >= static_cast<uint32_t>(count)) {
        CloseWindow();
        Refuse("The game cannot start: the link asks for condition " + std::to_string(*options->condition) +
               ", but the study has conditions 0 to " + std::to_string(count - 1) + ".");
        return;
    }
    PassPageTexts(PageTextsJson(study.page).c_str());
    // A tab cannot close itself: Escape must not stop the study.
    SetExitKey(KEY_NULL);
    if (options->condition) {
        BeginStudy(static_cast<int32_t>(*options->condition), "forced");
    } else if (study.conditions.assign == StudyConditions::Assign::Balanced) {
        askedCondition = true;
        AskCondition(record::TextHash(study.text).c_str(), count, study.conditions.staleMinutes);
    } else {
        BeginStudy(std::nullopt, "random");
    }
}
}  // namespace

// The page's answer to AskCondition: the receiver's condition for this run, or -1 for none.
extern "C" EMSCRIPTEN_KEEPALIVE void TorvaneConditionAssigned(int condition)
{
    if (!askedCondition) {
        return;
    }
    askedCondition = false;
    if (condition >= 0 && condition < ConditionCount(study)) {
        BeginStudy(condition, "balanced");
    } else {
        BeginStudy(std::nullopt, "fallback");
    }
}

// The page has put the files asked for into the file system: 0 the study file, 1 its maps.
extern "C" EMSCRIPTEN_KEEPALIVE void TorvaneFilesFetched(int stage)
{
    if (stage == 0) {
        FetchStudyMaps();
    } else {
        RunStudy();
    }
}

// The page passes its participant identifiers and its study as the desktop's command line does. The
// study and its maps are plain files of the site, fetched before the study starts; main returns
// meanwhile and the runtime stays alive.
int main(int argc, char** argv)
{
    std::string problem;
    options = ParseGameOptions({argv + 1, argv + argc}, problem);
    if (!options) {
        ReportStudyEnd("", problem.c_str());
        return 1;
    }
    studyFile = options->studyFile.empty() ? "study.toml" : options->studyFile;
    FetchSiteFiles(studyFile.c_str(), 0);
    return 0;
}

#else

namespace {
// The study file beside the data, unless the command line names another.
const char* const plainStudyFile = "study.toml";

// The files of the game that a folder lacks, named as the game reads them; the study file too
// unless the command line names one elsewhere.
std::vector<std::string> MissingIn(const std::string& folder, bool studyGiven)
{
    std::vector<std::string> dataFiles = {"TutorialMap.txt",   "Map1.txt",          "Map2.txt",
                                          "UnitColor.fs",      unitTexturePaths[0], unitTexturePaths[1],
                                          unitTexturePaths[2], unitTexturePaths[3]};
    if (!studyGiven) {
        dataFiles.push_back(plainStudyFile);
    }
    std::vector<std::string> missing;
    for (const std::string& file : dataFiles) {
        if (!FileExists((folder + "/" + file).c_str())) {
            missing.push_back(file);
        }
    }
    return missing;
}

std::string Joined(const std::vector<std::string>& names)
{
    std::string text;
    for (const std::string& name : names) {
        text += (text.empty() ? "" : ", ") + name;
    }
    return text;
}

// The game reads its files from the working directory. Started from a shortcut or a file
// manager, that can be anywhere: then the files beside the program are used instead. Sets
// `found` when either folder holds them all and returns, for a message, where it looked and
// what it found there.
std::string FindDataFiles(bool studyGiven, bool& found)
{
    const std::string start = GetWorkingDirectory();
    std::string beside = GetApplicationDirectory();
    if (beside.size() > 1 && (beside.back() == '/' || beside.back() == '\\')) {
        beside.pop_back();
    }
    const std::vector<std::string> missingHere = MissingIn(start, studyGiven);
    const std::vector<std::string> missingBeside = MissingIn(beside, studyGiven);
    found = missingHere.empty() || missingBeside.empty();
    std::string where = "The game looks for its files in the working directory, " + start +
                        ", then in its own folder, " + beside + ".";
    if (missingHere.empty()) {
        return where + " It read them from the working directory.";
    }
    if (missingBeside.empty()) {
        ChangeDirectory(beside.c_str());
        return where + " It read them from its own folder.";
    }
    if (missingHere == missingBeside) {
        return where + "\nMissing in both: " + Joined(missingHere) + ".";
    }
    return where + "\nMissing in the working directory: " + Joined(missingHere) + ".\nMissing in its own folder: " +
           Joined(missingBeside) + ".";
}

// A study file named on the command line is read from where the command was given, even when the
// game then reads its data beside itself.
std::string FromStart(const std::string& path)
{
    const bool absolute = path.front() == '/' || path.front() == '\\' || (path.size() > 1 && path[1] == ':');
    return absolute ? path : std::string(GetWorkingDirectory()) + "/" + path;
}

// A screen whose work area (without taskbars and panels) cannot hold the window at the game's
// size with its title bar and borders gets a smaller window of the same shape, centred there.
void FitToScreen()
{
    int monitorCount = 0;
    GLFWmonitor** monitors = glfwGetMonitors(&monitorCount);
    const int monitor = GetCurrentMonitor();
    GLFWwindow* handle = glfwGetCurrentContext();  // raylib's: GetWindowHandle gives no GLFW window on Windows
    if (handle == nullptr || monitor < 0 || monitor >= monitorCount) {
        return;
    }
    WindowFit::Area workArea;
    glfwGetMonitorWorkarea(monitors[monitor], &workArea.x, &workArea.y, &workArea.width, &workArea.height);
    WindowFit::Edges frame;
    glfwGetWindowFrameSize(handle, &frame.left, &frame.top, &frame.right, &frame.bottom);
    const WindowFit::Area inside = WindowFit::Fitted(workArea, frame);
    if (inside.width == WindowFit::gameWidth) {
        return;
    }
    SetWindowSize(inside.width, inside.height);
    SetWindowPosition(inside.x, inside.y);
    window.ScaleTo(inside.width, inside.height);
    // NOTE: raylib takes the new size from the window system's answer, which may come a little
    // later; the first frame waits for it (a second at most) to be drawn at the right size.
    const double start = GetTime();
    while (GetRenderWidth() != inside.width && GetTime() - start < 1.0) {
        PollInputEvents();
    }
}

// The study is over: a last try at writing what the record file lacks. Says so on standard error
// when it failed.
bool RecordSaved(RecordWriter* record)
{
    if (record == nullptr || record->CatchUp()) {
        return true;
    }
    std::fprintf(stderr, "torvane: the study record could not be saved: %s: %s\n", record->Path().c_str(),
                 record->Failure().c_str());
    return false;
}

// Shows why the game cannot go on, in the window and on standard error, until the participant
// presses Escape or closes the window; the program then ends with 1.
int StopWithMessage(const std::string& problem, const std::string& where)
{
    const std::string message = problem + "\n\n" + where + "\n\nPress Escape or close the window to quit.";
    std::fprintf(stderr, "%s\n", message.c_str());
    if (IsWindowReady()) {
        ErrorScreen(message).Show(window);
        window.Release();
        CloseWindow();
    }
    return 1;
}

// Simulated participants: no window, everything on the standard streams.
int SimulateFromFiles(bool found, const std::string& studyFile, const GameOptions& options, const std::string& where)
{
    if (!found) {
        std::fprintf(stderr, "torvane: some of the game's files are missing.\n%s\n", where.c_str());
        return 1;
    }
    Simulation simulation;
    simulation.runs = static_cast<int32_t>(*options.simulate);
    simulation.recordDir = options.recordDir;
    simulation.seat = options.seat;
    simulation.dropout = options.dropout;
    simulation.seed = options.seed ? *options.seed : std::random_device()();
    try {
        return Simulate(ReadStudyFile(studyFile), simulation, std::cout, std::cerr);
    } catch (const StudyFileError& error) {
        std::fprintf(stderr, "torvane: %s\n", error.what());
        return 1;
    }
}
}  // namespace

int main(int argc, char** argv)
{
    std::string problem;
    const std::optional<GameOptions> options = ParseGameOptions({argv + 1, argv + argc}, problem);
    if (!options) {
        std::fprintf(stderr, "torvane: %s\n%s\n", problem.c_str(), gameUsage);
        return 2;
    }
    // Refused before the window opens: a study must not run unrecorded when a record was asked for.
    std::string recordDir = options->recordDir;
    if (!recordDir.empty() && !RecordWriter::CheckFolder(recordDir, problem)) {
        std::fprintf(stderr, "torvane: %s\n", problem.c_str());
        return 2;
    }
    const bool studyGiven = !options->studyFile.empty();
    const std::string studyFile = studyGiven ? FromStart(options->studyFile) : plainStudyFile;
    bool found = false;
    const std::string where = FindDataFiles(studyGiven, found);
    if (options->simulate) {
        return SimulateFromFiles(found, studyFile, *options, where);
    }
    // Hidden until it is sized and placed for the screen.
    SetConfigFlags(FLAG_WINDOW_HIDDEN);
    InitWindow(WindowFit::gameWidth, WindowFit::gameHeight, "Strategy Game");
    FitToScreen();
    ClearWindowState(FLAG_WINDOW_HIDDEN);
    SetTargetFPS(60);
    if (!found) {
        return StopWithMessage("The game cannot start: some of its files are missing.", where);
    }
    Study study;
    try {
        study = ReadStudyFile(studyFile);
    } catch (const StudyFileError& error) {
        return StopWithMessage(std::string("The game cannot start: the study file is broken.\n") + error.what(), where);
    }
    if (options->condition && *options->condition >= static_cast<uint32_t>(ConditionCount(study))) {
        return StopWithMessage("The game cannot start: --condition " + std::to_string(*options->condition) +
                                   ", but the study has conditions 0 to " + std::to_string(ConditionCount(study) - 1) + ".",
                               where);
    }
    // A balanced study counts the runs in the record folder under its lock, held until this run's
    // first line names its condition; without a folder to count in, its draws are random.
    std::unique_ptr<RunCensus> census;
    std::optional<int32_t> condition;
    std::string assigned = "random";
    const bool balanced = study.conditions.assign == StudyConditions::Assign::Balanced;
    if (balanced && !options->condition && !recordDir.empty()) {
        census = RunCensus::Take(recordDir, problem);
        assigned = census != nullptr ? "balanced" : "fallback";
        if (census == nullptr) {
            std::fprintf(stderr, "torvane: %s; the conditions are drawn at random\n", problem.c_str());
        } else {
            const std::vector<int32_t> counts =
                census->Count(record::TextHash(study.text), ConditionCount(study), study.conditions.staleMinutes, std::time(nullptr));
            condition = LeastFilled(counts, std::random_device()());
        }
    } else if (options->condition) {
        condition = static_cast<int32_t>(*options->condition);
        assigned = "forced";
    }
    // A game that cannot start plays nothing: it leaves no record behind.
    std::unique_ptr<RecordWriter> record;
    if (!recordDir.empty()) {
        record = RecordWriter::CreateIn(recordDir, problem);
        if (record == nullptr) {
            std::fprintf(stderr, "torvane: %s\n", problem.c_str());
            window.Release();
            CloseWindow();
            return 2;
        }
    }
    StartStudy();
    root->study = std::move(study);
    root->condition = condition;
    root->assigned = assigned;
    root->seed = options->seed;
    root->record = record.get();
    root->participant = options->participant;
    const bool played = Guarded([&census] {
        root->Init();
        census.reset();
        while (!WindowShouldClose()) {
            RunFrame(*root, window);
        }
    });
    EndStudy();
    const bool saved = RecordSaved(record.get());
    if (!played) {
        return StopWithMessage("The game cannot go on: a map file is broken.\n" + brokenMap, where);
    }
    return saved ? 0 : 3;
}

#endif
