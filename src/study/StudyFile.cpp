#include "study/StudyFile.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <utility>

#include <toml++/toml.h>

#include "board/TileMap.h"
#include "input/TextFont.h"
#include "player/PlayerController.h"
#include "player/PurchaseMenu.h"
#include "screens/EndScreen.h"
#include "screens/TitleScreen.h"
#include "screens/Transition.h"
#include "study/Conditions.h"
#include "study/TextFit.h"

namespace {
// The opponents a board may name.
const std::set<std::string> opponentNames = {"default", "a", "b"};

// Reads one table of the file, refusing what does not belong there, with the line it is on.
class TableReader {
public:
    TableReader(const toml::table& table, std::string what, const std::string& path)
        : table(table), what(std::move(what)), path(path)
    {
    }

    [[noreturn]] void Fail(const toml::source_region& where, const std::string& problem) const
    {
        throw StudyFileError(path + ":" + std::to_string(std::max<uint32_t>(where.begin.line, 1)) + ": " + problem);
    }
    [[noreturn]] void Fail(const std::string& problem) const { Fail(table.source(), problem); }

    // Refuses any key that is not one of `keys`.
    void OnlyKeys(const std::set<std::string>& keys) const
    {
        for (const auto& [key, value] : table) {
            if (keys.count(std::string(key.str())) == 0) {
                Fail(key.source(), "unknown key `" + std::string(key.str()) + "` in " + what);
            }
        }
    }

    const toml::node& Need(const std::string& key) const
    {
        const toml::node* node = table.get(key);
        if (node == nullptr) {
            Fail(what + " has no `" + key + "`");
        }
        return *node;
    }
    bool Has(const std::string& key) const { return table.contains(key); }

    std::string Text(const std::string& key) const { return TextOf(Need(key), "`" + key + "`"); }
    std::string TextOf(const toml::node& node, const std::string& name) const
    {
        const auto* text = node.as_string();
        if (text == nullptr) {
            Fail(node.source(), name + " in " + what + " must be a text in quotes");
        }
        return text->get();
    }

    bool Flag(const std::string& key) const
    {
        const toml::node& node = Need(key);
        const auto* flag = node.as_boolean();
        if (flag == nullptr) {
            Fail(node.source(), "`" + key + "` in " + what + " must be true or false");
        }
        return flag->get();
    }

    // A list of texts; with `single`, one text alone stands for a list of it. `count` > 0 asks for
    // exactly that many.
    std::vector<std::string> Texts(const std::string& key, bool single = false, size_t count = 0) const
    {
        const toml::node& node = Need(key);
        if (single && node.is_string()) {
            return {node.as_string()->get()};
        }
        const auto* list = node.as_array();
        if (list == nullptr) {
            Fail(node.source(), "`" + key + "` in " + what + " must be a list of texts" +
                                    (single ? " or one text" : ""));
        }
        std::vector<std::string> texts;
        for (const toml::node& item : *list) {
            texts.push_back(TextOf(item, "every entry of `" + key + "`"));
        }
        if (count > 0 && texts.size() != count) {
            Fail(node.source(), "`" + key + "` in " + what + " must hold " + std::to_string(count) +
                                    " texts, not " + std::to_string(texts.size()));
        }
        if (texts.empty()) {
            Fail(node.source(), "`" + key + "` in " + what + " is empty");
        }
        return texts;
    }

    const toml::table& table;
    std::string what;
    const std::string& path;
};

uint32_t LineOf(const toml::source_region& where)
{
    return std::max<uint32_t>(where.begin.line, 1);
}

// Reads a text and notes where it is drawn, for the check that it fits there.
std::string Placed(const TableReader& reader, const std::string& key, TextRoom room, std::vector<PlacedText>& placed,
                   const std::string& drawnAfter = "")
{
    std::string text = reader.Text(key);
    placed.push_back({text + drawnAfter, room, LineOf(reader.Need(key).source()), "`" + key + "` of " + reader.what});
    return text;
}

// Notes where each entry of a list of texts, read already, is drawn.
void PlaceEach(const TableReader& reader, const std::string& key, const std::vector<std::string>& texts,
               const std::function<TextRoom(size_t)>& room, std::vector<PlacedText>& placed)
{
    const toml::array& list = *reader.Need(key).as_array();
    for (size_t i = 0; i < texts.size(); ++i) {
        placed.push_back({texts[i], room(i), LineOf(list[i].source()),
                          "entry " + std::to_string(i + 1) + " of `" + key + "` of " + reader.what});
    }
}

StudyScene::Kind SceneKind(const TableReader& scene)
{
    static const std::pair<const char*, StudyScene::Kind> kinds[] = {
        {"title", StudyScene::Kind::Title}, {"tutorial", StudyScene::Kind::Tutorial},
        {"transition", StudyScene::Kind::Transition}, {"game", StudyScene::Kind::Game},
        {"end", StudyScene::Kind::End}};
    const std::string name = scene.Text("kind");
    for (const auto& [known, kind] : kinds) {
        if (name == known) {
            return kind;
        }
    }
    scene.Fail(scene.Need("kind").source(),
               "unknown scene kind \"" + name + "\" (title, tutorial, transition, game or end)");
}

// The maps of a board, each checked to be there.
std::vector<std::string> BoardMaps(const TableReader& scene, size_t most, const std::string& mapFolder,
                                   StudyFiles files)
{
    std::vector<std::string> maps = scene.Texts("maps", true);
    const toml::node& node = scene.Need("maps");
    if (maps.size() > most) {
        scene.Fail(node.source(), "`maps` in " + scene.what + " names " + std::to_string(maps.size()) +
                                      " maps; at most " + std::to_string(most));
    }
    const auto* list = node.as_array();
    for (size_t i = 0; i < maps.size(); ++i) {
        Study placed;
        placed.mapFolder = mapFolder;
        const std::string file = placed.MapPath(maps[i]);
        if (maps[i].empty() || (files == StudyFiles::Checked && !std::ifstream(file, std::ios::binary).good())) {
            scene.Fail(list != nullptr ? (*list)[i].source() : node.source(),
                       "the map file \"" + maps[i] + "\" is missing (looked for " + file +
                           (file != maps[i] ? " and in the game's folder)" : ")"));
        }
    }
    return maps;
}

StudyScene ReadScene(const toml::table& table, const std::string& path, const std::string& mapFolder,
                     StudyFiles files, std::vector<PlacedText>& placed)
{
    StudyScene read;
    read.kind = SceneKind(TableReader(table, "a scene", path));
    const TableReader scene(table, "the " + table["kind"].value_or(std::string()) + " scene", path);
    switch (read.kind) {
    case StudyScene::Kind::Title:
        scene.OnlyKeys({"kind", "heading", "lines", "button"});
        read.title.heading = Placed(scene, "heading", TitleScreen::headingRoom, placed);
        read.title.lines = scene.Texts("lines");
        if (read.title.lines.size() > TitleScreen::maxLines) {
            scene.Fail(scene.Need("lines").source(),
                       "`lines` of " + scene.what + " holds " + std::to_string(read.title.lines.size()) +
                           " lines; at most " + std::to_string(TitleScreen::maxLines) + " stand clear of its button");
        }
        PlaceEach(scene, "lines", read.title.lines,
                  [](size_t i) { return i == 0 ? TitleScreen::firstLineRoom : TitleScreen::lineRoom; }, placed);
        read.title.button = Placed(scene, "button", TitleScreen::buttonRoom, placed);
        break;
    case StudyScene::Kind::Tutorial:
        scene.OnlyKeys({"kind", "maps", "instructions"});
        read.maps = BoardMaps(scene, 1, mapFolder, files);
        read.instructions = scene.Texts("instructions", false, TileMap::tutorialTextCount);
        PlaceEach(scene, "instructions", read.instructions, TileMap::TutorialTextRoom, placed);
        break;
    case StudyScene::Kind::Transition:
        scene.OnlyKeys({"kind", "text", "button"});
        read.text = Placed(scene, "text", Transition::textRoom, placed);
        read.button = Placed(scene, "button", Transition::buttonRoom, placed);
        break;
    case StudyScene::Kind::Game:
        scene.OnlyKeys({"kind", "opponent", "scored", "maps", "balance_maps"});
        read.opponent = scene.Text("opponent");
        if (opponentNames.count(read.opponent) == 0) {
            scene.Fail(scene.Need("opponent").source(),
                       "unknown opponent \"" + read.opponent + "\" (default, a or b)");
        }
        read.scored = scene.Flag("scored");
        if (read.scored && read.opponent == "default") {
            scene.Fail(scene.Need("scored").source(), "a scored game needs the opponent \"a\" or \"b\"");
        }
        read.maps = BoardMaps(scene, static_cast<size_t>(maxMapsPerBoard), mapFolder, files);
        read.balanceMaps = scene.Has("balance_maps") && scene.Flag("balance_maps");
        if (read.balanceMaps && read.maps.size() < 2) {
            scene.Fail(scene.Need("balance_maps").source(), "`balance_maps` needs a game of two maps or more");
        }
        break;
    case StudyScene::Kind::End:
        scene.OnlyKeys({"kind", "thanks", "request", "button"});
        read.end.thanks = Placed(scene, "thanks", EndScreen::thanksRoom, placed);
        read.end.request = Placed(scene, "request", EndScreen::requestRoom, placed);
        read.end.button = Placed(scene, "button", EndScreen::buttonRoom, placed);
        break;
    }
    return read;
}

PlayerTexts ReadBoardTexts(const TableReader& board, std::vector<PlacedText>& placed)
{
    board.OnlyKeys({"end_turn", "forfeit", "gold", "purchase", "exit", "unit_names", "unit_stats"});
    PlayerTexts texts;
    texts.endTurn = Placed(board, "end_turn", PlayerController::turnButtonRoom, placed);
    texts.forfeit = Placed(board, "forfeit", PlayerController::turnButtonRoom, placed);
    // NOTE: measured with five digits after it, as a side's gold grows.
    texts.gold = Placed(board, "gold", PlayerController::goldRoom, placed, "00000");
    texts.purchase = Placed(board, "purchase", PurchaseMenu::headingRoom, placed);
    texts.exit = Placed(board, "exit", PurchaseMenu::exitRoom, placed);
    const std::vector<std::string> names = board.Texts("unit_names", false, texts.unitNames.size());
    const std::vector<std::string> stats = board.Texts("unit_stats", false, texts.unitStats.size());
    PlaceEach(board, "unit_names", names, [](size_t) { return PurchaseMenu::unitNameRoom; }, placed);
    PlaceEach(board, "unit_stats", stats, [](size_t) { return PurchaseMenu::unitStatsRoom; }, placed);
    std::copy(names.begin(), names.end(), texts.unitNames.begin());
    std::copy(stats.begin(), stats.end(), texts.unitStats.begin());
    return texts;
}

// A language tag as the page's `lang` takes it: letters, then parts of letters and digits after "-".
bool IsLanguageTag(const std::string& tag)
{
    if (tag.empty() || tag.back() == '-') {
        return false;
    }
    std::istringstream parts(tag);
    std::string part;
    for (bool first = true; std::getline(parts, part, '-'); first = false) {
        const auto fits = [first](unsigned char c) { return first ? std::isalpha(c) != 0 : std::isalnum(c) != 0; };
        if (part.empty() || part.size() > 8 || !std::all_of(part.begin(), part.end(), fits)) {
            return false;
        }
    }
    return true;
}

// A record text whose braces name a count the page does not have would show them as they are.
std::string RecordText(const TableReader& page, const std::string& key, const std::set<std::string>& counts)
{
    const std::string text = page.Text(key);
    for (size_t open = text.find('{'); open != std::string::npos; open = text.find('{', open + 1)) {
        const size_t close = text.find('}', open);
        const std::string name = text.substr(open + 1, close == std::string::npos ? close : close - open - 1);
        if (close == std::string::npos || counts.count(name) == 0) {
            std::string known;
            for (const std::string& count : counts) {
                known += (known.empty() ? "{" : ", {") + count + "}";
            }
            const std::string held = "{" + name.substr(0, 32) + (close == std::string::npos ? "" : "}");
            page.Fail(page.Need(key).source(), "`" + key + "` in [page] holds \"" + held + "\"; it may hold " + known);
        }
    }
    return text;
}

PageTexts ReadPageTexts(const TableReader& page)
{
    page.OnlyKeys({"language", "turn_device", "loading", "graphics_lost", "finished", "farewell", "code_label",
                   "copy_hint", "questionnaire", "stopped", "went_wrong", "save_record", "save_note",
                   "record_arrived", "record_refused", "record_sending"});
    PageTexts texts;
    texts.language = page.Text("language");
    if (!IsLanguageTag(texts.language)) {
        page.Fail(page.Need("language").source(),
                  "`language` in [page] must be a language tag such as \"en\" or \"de-CH\"");
    }
    texts.turnDevice = page.Text("turn_device");
    texts.loading = page.Text("loading");
    texts.graphicsLost = page.Text("graphics_lost");
    texts.finished = page.Text("finished");
    texts.farewell = page.Text("farewell");
    texts.codeLabel = page.Text("code_label");
    texts.copyHint = page.Text("copy_hint");
    texts.questionnaire = page.Text("questionnaire");
    texts.stopped = page.Text("stopped");
    texts.wentWrong = page.Text("went_wrong");
    texts.saveRecord = page.Text("save_record");
    texts.saveNote = page.Text("save_note");
    texts.recordArrived = RecordText(page, "record_arrived", {"parts"});
    texts.recordRefused = RecordText(page, "record_refused", {"refused", "parts"});
    texts.recordSending = RecordText(page, "record_sending", {"arrived", "parts"});
    return texts;
}

std::vector<std::string> ReadRandomOrder(const TableReader& file)
{
    if (!file.Has("random_order")) {
        return {};
    }
    const auto* list = file.Need("random_order").as_array();
    if (list == nullptr) {
        file.Fail(file.Need("random_order").source(), "`random_order` must be a list of opponents");
    }
    std::vector<std::string> names;
    for (const toml::node& item : *list) {
        const std::string name = file.TextOf(item, "every entry of `random_order`");
        if (name != "a" && name != "b") {
            file.Fail(item.source(), "`random_order` names \"" + name + "\"; only \"a\" and \"b\" are drawn");
        }
        if (std::find(names.begin(), names.end(), name) != names.end()) {
            file.Fail(item.source(), "`random_order` names \"" + name + "\" twice");
        }
        names.push_back(name);
    }
    return names;
}

// The [conditions] table: how runs are given a condition, and what a condition fixes besides the
// maps of the games marked `balance_maps`.
StudyConditions ReadConditions(const TableReader& file, const std::vector<std::string>& randomOrder)
{
    StudyConditions read;
    if (!file.Has("conditions")) {
        return read;
    }
    const auto* table = file.Need("conditions").as_table();
    if (table == nullptr) {
        file.Fail(file.Need("conditions").source(), "`conditions` must be a table ([conditions])");
    }
    const TableReader conditions(*table, "[conditions]", file.path);
    conditions.OnlyKeys({"assign", "order", "stale_minutes"});
    const std::string assign = conditions.Has("assign") ? conditions.Text("assign") : "random";
    if (assign != "random" && assign != "balanced") {
        conditions.Fail(conditions.Need("assign").source(), "`assign` is \"random\" or \"balanced\", not \"" + assign + "\"");
    }
    read.assign = assign == "balanced" ? StudyConditions::Assign::Balanced : StudyConditions::Assign::Random;
    read.order = conditions.Has("order") && conditions.Flag("order");
    if (read.order && randomOrder.size() < 2) {
        conditions.Fail(conditions.Need("order").source(), "`order` needs two opponents in `random_order`");
    }
    if (conditions.Has("stale_minutes")) {
        const toml::node& node = conditions.Need("stale_minutes");
        const std::optional<int64_t> minutes = node.value<int64_t>();
        if (!node.is_integer() || !minutes || *minutes < 0 || *minutes > 7 * 24 * 60) {
            conditions.Fail(node.source(), "`stale_minutes` must be a whole number of minutes from 0 to 10080");
        }
        read.staleMinutes = static_cast<int32_t>(*minutes);
    }
    return read;
}

// The whole sequence: at least one scored game, the end screen last and only there.
void CheckSequence(const TableReader& file, const toml::array& list, const Study& study)
{
    for (size_t i = 0; i < study.scenes.size(); ++i) {
        const bool last = i + 1 == study.scenes.size();
        if ((study.scenes[i].kind == StudyScene::Kind::End) != last) {
            file.Fail(list[i].source(), last ? "the last scene must be the end screen"
                                             : "the end screen must be the last scene");
        }
    }
    const bool scored = std::any_of(study.scenes.begin(), study.scenes.end(),
                                    [](const StudyScene& scene) { return scene.scored; });
    if (!scored) {
        file.Fail(list.source(), "the study has no scored game (a game with `scored = true`)");
    }
}
// The result code the end screen shows: three characters per scored game, the map's place last.
PlacedText ResultCode(const Study& study, uint32_t line)
{
    PlacedText code{"", EndScreen::codeRoom, line, "the result code of the end screen"};
    for (const StudyScene& scene : study.scenes) {
        if (scene.scored) {
            code.text += "b0" + std::to_string(scene.maps.size());
        }
    }
    return code;
}

// Every text checked against the font the study names, or the built-in one.
void CheckFont(const TableReader& file, const Study& study, std::vector<PlacedText>& placed)
{
    std::unique_ptr<TextFont> font = std::make_unique<TextFont>();
    uint32_t fontLine = 1;
    if (file.Has("font")) {
        const toml::node& node = file.Need("font");
        fontLine = LineOf(node.source());
        if (study.font.empty()) {
            file.Fail(node.source(), "`font` is empty; leave it out for the game's built-in font");
        }
        try {
            font = std::make_unique<TextFont>(study.MapPath(study.font), study.Glyphs());
        } catch (const TextFontError& error) {
            file.Fail(node.source(), error.what());
        }
    }
    const std::string fontName = font->BuiltIn() ? "the built-in font" : "the font \"" + study.font + "\"";
    CheckTextsFit(placed, *font, fontName, fontLine, file.path);
}
}  // namespace

Study ParseStudyText(const std::string& text, const std::string& path, const std::string& mapFolder,
                     StudyFiles files)
{
    if (text.size() > maxStudyFileBytes) {
        throw StudyFileError(path + ":1: the study file is " + std::to_string(text.size()) + " bytes; at most " +
                             std::to_string(maxStudyFileBytes) + " (the record keeps it whole)");
    }
    toml::table root;
    try {
        root = toml::parse(text, std::string_view(path));
    } catch (const toml::parse_error& error) {
        throw StudyFileError(path + ":" + std::to_string(std::max<uint32_t>(error.source().begin.line, 1)) +
                             ": " + std::string(error.description()));
    }
    const TableReader file(root, "the study", path);
    file.OnlyKeys({"version", "random_order", "font", "conditions", "board", "page", "scene"});
    const toml::node& version = file.Need("version");
    if (version.value<int64_t>() != studyFileVersion) {
        file.Fail(version.source(), "`version` must be " + std::to_string(studyFileVersion) +
                                        ", the version of study files this game reads");
    }
    Study study;
    study.mapFolder = mapFolder;
    study.fileName = path.substr(path.find_last_of("/\\") + 1);
    study.text = text;
    study.randomOrder = ReadRandomOrder(file);
    if (file.Has("font")) {
        study.font = file.Text("font");
    }
    std::vector<PlacedText> placed;
    const auto* board = file.Need("board").as_table();
    if (board == nullptr) {
        file.Fail(file.Need("board").source(), "`board` must be a table ([board])");
    }
    study.player = ReadBoardTexts(TableReader(*board, "[board]", path), placed);
    // The page's texts came later: a study without them has the page's English ones.
    if (file.Has("page")) {
        const auto* page = file.Need("page").as_table();
        if (page == nullptr) {
            file.Fail(file.Need("page").source(), "`page` must be a table ([page])");
        }
        study.page = ReadPageTexts(TableReader(*page, "[page]", path));
    }
    const auto* scenes = file.Need("scene").as_array();
    if (scenes == nullptr || !scenes->is_array_of_tables()) {
        file.Fail(file.Need("scene").source(), "the scenes must be tables, each headed [[scene]]");
    }
    for (const toml::node& scene : *scenes) {
        study.scenes.push_back(ReadScene(*scene.as_table(), path, mapFolder, files, placed));
    }
    CheckSequence(file, *scenes, study);
    study.conditions = ReadConditions(file, study.randomOrder);
    if (study.conditions.assign == StudyConditions::Assign::Balanced && ConditionCount(study) < 2) {
        file.Fail(file.Need("conditions").source(),
                  "a balanced study needs two conditions or more: `order = true` or a game with `balance_maps = true`");
    }
    // A replay takes the study as it was played: its font file and the fit were checked then.
    if (files == StudyFiles::Checked) {
        placed.push_back(ResultCode(study, LineOf(scenes->back().source())));
        CheckFont(file, study, placed);
    }
    return study;
}

Study ReadStudyFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw StudyFileError(path + ":1: the study file cannot be read");
    }
    std::ostringstream text;
    text << in.rdbuf();
    const size_t slash = path.find_last_of("/\\");
    return ParseStudyText(text.str(), path, slash == std::string::npos ? std::string() : path.substr(0, slash));
}

std::vector<std::string> StudyMapNames(const std::string& text)
{
    std::vector<std::string> names;
    try {
        const toml::table root = toml::parse(text);
        const auto* scenes = root["scene"].as_array();
        for (size_t i = 0; scenes != nullptr && i < scenes->size(); ++i) {
            const auto* scene = (*scenes)[i].as_table();
            const toml::node* maps = scene != nullptr ? scene->get("maps") : nullptr;
            if (maps != nullptr && maps->is_string()) {
                names.push_back(maps->as_string()->get());
            }
            for (size_t m = 0; maps != nullptr && maps->is_array() && m < maps->as_array()->size(); ++m) {
                if (const auto* name = (*maps->as_array())[m].as_string()) {
                    names.push_back(name->get());
                }
            }
        }
    } catch (const toml::parse_error&) {
        // Reading the file then says what is wrong, with its line.
    }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}
