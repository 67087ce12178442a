#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "study/StudyFile.h"
#include "support/TestGame.h"

namespace {
std::string PlainStudyText()
{
    return FileText(GameDataPath("study.toml"));
}
}  // namespace

// The shipped study must describe exactly what the game did before studies were files: every
// scene, opponent, map list and text. PlainStudy is built from the screens' own built-in texts.
TEST(StudyFile, TheShippedStudyIsThePlainStudy)
{
    Study read = ReadStudyFile(GameDataPath("study.toml"));
    EXPECT_EQ(read.mapFolder, std::string(TORVANE_GAME_DATA_DIR)) << "maps are looked for beside the file";
    read.mapFolder.clear();
    const Study plain = PlainStudy();
    ASSERT_EQ(read.scenes.size(), plain.scenes.size());
    for (size_t i = 0; i < plain.scenes.size(); ++i) {
        EXPECT_TRUE(read.scenes[i] == plain.scenes[i]) << "scene " << i << " differs from the plain study";
    }
    EXPECT_EQ(read.randomOrder, plain.randomOrder);
    EXPECT_TRUE(read.player == plain.player) << "the board's captions differ from the plain study";
    // The record keeps what was read, byte for byte.
    EXPECT_EQ(read.fileName, "study.toml");
    EXPECT_EQ(read.text, PlainStudyText());
    EXPECT_TRUE(read.page == plain.page) << "the page's texts differ from the ones it has without a study";
}

// The browser fetches exactly these before it reads the study: each map once, as the file names it,
// and what it can make out of a file that is broken further down.
TEST(StudyFile, TheMapsAStudyNamesAreListedOnce)
{
    const std::string text = PlainStudyText();
    const std::vector<std::string> plain = {"Map1.txt", "Map2.txt", "TutorialMap.txt"};
    EXPECT_EQ(StudyMapNames(text), plain);
    const std::string cut = text.substr(0, text.find("\"Map2.txt\"]")) + "\"Other.txt\"]\n[[scene]]\nkind =";
    EXPECT_EQ(StudyMapNames(cut), std::vector<std::string>()) << "a text that is not TOML names nothing";
    std::string other = text;
    const std::string tutorial = "maps = \"TutorialMap.txt\"";
    other.replace(other.find(tutorial), tutorial.size(), "maps = [\"../Tutorial.txt\", 3]");
    EXPECT_EQ(StudyMapNames(other), std::vector<std::string>({"../Tutorial.txt", "Map1.txt", "Map2.txt"}));
}

// The German translation runs the plain study's sequence, opponents and maps, in the shipped font, with
// every sentence translated (the heading and "Gold: " read the same in both).
TEST(StudyFile, TheGermanStudyIsThePlainStudyTranslated)
{
    const Study german = ReadStudyFile(GameDataPath("studies/german.toml"));
    const Study plain = PlainStudy();
    EXPECT_EQ(german.font, "../fonts/DejaVuSans.ttf");
    ASSERT_EQ(german.scenes.size(), plain.scenes.size());
    for (size_t i = 0; i < plain.scenes.size(); ++i) {
        const StudyScene& scene = german.scenes[i];
        EXPECT_TRUE(scene.kind == plain.scenes[i].kind && scene.opponent == plain.scenes[i].opponent &&
                    scene.scored == plain.scenes[i].scored && scene.maps.size() == plain.scenes[i].maps.size())
            << "scene " << i << " differs from the plain study beyond its texts";
    }
    EXPECT_EQ(german.randomOrder, plain.randomOrder);
    const std::vector<std::string> english = plain.Texts();
    for (const std::string& text : german.Texts()) {
        const bool same = std::find(english.begin(), english.end(), text) != english.end();
        EXPECT_TRUE(!same || text == "Torvane" || text == "Gold: ") << "still English: " << text;
    }
}

TEST(StudyFile, AFileThatCannotBeReadIsNamed)
{
    try {
        ReadStudyFile("/nonexistent/study.toml");
        ADD_FAILURE() << "read";
    } catch (const StudyFileError& error) {
        EXPECT_STREQ(error.what(), "/nonexistent/study.toml:1: the study file cannot be read");
    }
}

// One mistake put into the shipped study: the text replaced (every occurrence with `all`), the text
// whose line the message must name (the new text when empty) and what it must say.
struct StudyMistake {
    const char* name;
    const char* from;
    const char* to;
    bool all;
    const char* anchor;
    const char* says;
};

void PrintTo(const StudyMistake& mistake, std::ostream* out)
{
    *out << mistake.name;
}

class StudyMistakes : public testing::TestWithParam<StudyMistake> {};

// A comment that takes the file past its limit: the record could not keep it whole.
const std::string overLong = "version = 1\n#" + std::string(maxStudyFileBytes, 'x');

TEST_P(StudyMistakes, AreRefusedWithTheirLine)
{
    const StudyMistake& mistake = GetParam();
    std::string text = PlainStudyText();
    size_t at = text.find(mistake.from);
    ASSERT_NE(at, std::string::npos) << mistake.from;
    do {
        text.replace(at, std::string(mistake.from).size(), mistake.to);
        at = text.find(mistake.from, at + std::string(mistake.to).size());
    } while (mistake.all && at != std::string::npos);
    const std::string anchor = *mistake.anchor != '\0' ? mistake.anchor : mistake.to;
    const size_t anchorAt = text.find(anchor);
    ASSERT_NE(anchorAt, std::string::npos) << anchor;
    const auto line = 1 + std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(anchorAt), '\n');
    try {
        ParseStudyText(text, "mistake.toml", TORVANE_GAME_DATA_DIR);
        ADD_FAILURE() << "accepted";
    } catch (const StudyFileError& error) {
        const std::string message = error.what();
        EXPECT_EQ(message.rfind("mistake.toml:" + std::to_string(line) + ": ", 0), 0u) << message;
        EXPECT_NE(message.find(mistake.says), std::string::npos) << message;
    }
}

INSTANTIATE_TEST_SUITE_P(
    StudyFile, StudyMistakes,
    testing::Values(
        StudyMistake{"BrokenToml", "heading = \"Torvane\"", "heading = \"Torvane", false, "", "parsing string"},
        StudyMistake{"UnknownScene", "kind = \"end\"", "kind = \"finale\"", false, "", "unknown scene kind \"finale\""},
        StudyMistake{"UnknownKey", "button = \"Quit\"", "button = \"Quit\"\ncolour = \"red\"", false, "colour",
                     "unknown key `colour` in the end scene"},
        StudyMistake{"UnknownTopKey", "version = 1", "version = 1\nrounds = 3", false, "rounds", "unknown key `rounds`"},
        StudyMistake{"UnknownOpponent", "opponent = \"b\"", "opponent = \"c\"", false, "", "unknown opponent \"c\""},
        StudyMistake{"UnknownDrawnOpponent", "[\"a\", \"b\"]", "[\"a\", \"default\"]", false, "random_order",
                     "only \"a\" and \"b\" are drawn"},
        StudyMistake{"MissingMap", "\"Map2.txt\"]", "\"Map3.txt\"]", false, "", "\"Map3.txt\" is missing"},
        // The line of the scene list's first table: no single scene is at fault.
        StudyMistake{"NoScoredGame", "scored = true", "scored = false", true, "[[scene]]", "no scored game"},
        StudyMistake{"ScoredPassiveGame", "\"default\"\nscored = false", "\"default\"\nscored = true", false,
                     "scored = true", "needs the opponent"},
        StudyMistake{"FlagOfWrongType", "scored = true", "scored = \"yes\"", false, "", "must be true or false"},
        StudyMistake{"TextOfWrongType", "exit = \"Exit\"", "exit = 5", false, "", "must be a text"},
        StudyMistake{"MissingText", "button = \"Play\"", "", false, "[[scene]]\nkind = \"title\"",
                     "the title scene has no `button`"},
        StudyMistake{"TutorialShort", "    \"Welcome to Torvane.\",\n", "", false, "instructions = [",
                     "must hold 12 texts, not 11"},
        StudyMistake{"EndNotLast", "[[scene]]\nkind = \"transition\"",
                     "[[scene]]\nkind = \"end\"\nthanks = \"t\"\nrequest = \"r\"\nbutton = \"b\"\n\n"
                     "[[scene]]\nkind = \"transition\"",
                     false, "[[scene]]\nkind = \"end\"", "the end screen must be the last scene"},
        StudyMistake{"UnknownPageKey", "save_note = ", "leave = \"Really?\"\nsave_note = ", false, "leave",
                     "unknown key `leave` in [page]"},
        StudyMistake{"PageTextMissing", "farewell = \"Thank you for playing. You can close this tab now.\"\n", "",
                     false, "[page]\nlanguage", "[page] has no `farewell`"},
        StudyMistake{"UnknownCount", "({parts} parts)", "({part} parts)", false, "record_arrived",
                     "holds \"{part}\"; it may hold {parts}"},
        StudyMistake{"NoLanguageTag", "language = \"en\"", "language = \"en-\"", false, "",
                     "`language` in [page] must be a language tag"},
        StudyMistake{"OtherVersion", "version = 1", "version = 2", false, "", "`version` must be 1"},
        StudyMistake{"TooLong", "version = 1", overLong.c_str(), false, "# The study", "bytes; at most 65536"},
        StudyMistake{"BalancedWithoutConditions", "[board]", "[conditions]\nassign = \"balanced\"\n\n[board]", false,
                     "[conditions]", "a balanced study needs two conditions or more"},
        StudyMistake{"UnknownAssignment", "[board]", "[conditions]\nassign = \"even\"\n\n[board]", false, "assign",
                     "`assign` is \"random\" or \"balanced\", not \"even\""},
        StudyMistake{"OrderOfOneOpponent", "random_order = [\"a\", \"b\"]",
                     "random_order = [\"a\"]\n[conditions]\norder = true", false, "order = true",
                     "`order` needs two opponents"},
        StudyMistake{"StaleTimeNegative", "[board]", "[conditions]\nstale_minutes = -5\n\n[board]", false,
                     "stale_minutes", "`stale_minutes` must be a whole number of minutes"},
        StudyMistake{"BalancedMapOfOne", "scored = true\nmaps = [\"Map1.txt\", \"Map2.txt\"]",
                     "scored = true\nmaps = \"Map1.txt\"\nbalance_maps = true", false, "balance_maps",
                     "`balance_maps` needs a game of two maps or more"},
        // Texts that would not fit where they are drawn, measured with the built-in font's glyphs: the
        // transition's announcement across the window (30 px), a caption in its 200 px button, a line
        // of the title from x = 150, and the tutorial's last instruction from x = 50.
        StudyMistake{"TextTooWide", "\"Next you will play your first game\"",
                     "\"Next you will play your first game, against the opponent that the draw has chosen for you "
                     "when the game started\"",
                     false, "", "`text` of the transition scene is too wide: 1"},
        StudyMistake{"CaptionTooWide", "button = \"Play\"", "button = \"Play the tutorial and games\"", false, "",
                     "`button` of the title scene is too wide"},
        StudyMistake{"TitleLineTooWide", "pay close attention to its moves.",
                     "pay close attention to its moves, to how it buys and where it attacks.", false, "",
                     "entry 4 of `lines` of the title scene is too wide"},
        StudyMistake{"InstructionTooWide", "Good luck.",
                     "Good luck, and take your time: each of your units moves once and attacks once in every turn "
                     "you play.",
                     false, "", "entry 12 of `instructions` of the tutorial scene is too wide"},
        StudyMistake{"TooManyTitleLines", "    \"Welcome to my dissertation game!\",\n",
                     "    \"Welcome to my dissertation game!\",\n    \"Hello.\",\n", false, "lines = [",
                     "holds 7 lines; at most 6"},
        StudyMistake{"LineBreak", "\"Thanks for playing! Your result is:\"",
                     "\"Thanks for playing!\\nYour result is:\"", false, "",
                     "`thanks` of the end scene breaks its line"},
        StudyMistake{"GlyphBeyondTheBuiltInFont", "text = \"Next you will play your first game\"",
                     "text = \"Next: game \u03b1\"", false, "", "the built-in font has no glyph for '\u03b1' (U+03B1)"},
        // The shipped font has Latin, Greek and Cyrillic, but no Japanese.
        StudyMistake{"GlyphBeyondTheFont", "[board]\nend_turn = \"End Turn\"",
                     "font = \"fonts/DejaVuSans.ttf\"\n[board]\nend_turn = \"\u7d42\u308f\u308a\"", false,
                     "\u7d42", "the font \"fonts/DejaVuSans.ttf\" has no glyph for '\u7d42' (U+7D42) in `end_turn`"},
        StudyMistake{"FontMissing", "version = 1", "version = 1\nfont = \"fonts/Missing.ttf\"", false, "font =",
                     "fonts/Missing.ttf\" is missing"},
        StudyMistake{"NotAFont", "version = 1", "version = 1\nfont = \"Map1.txt\"", false, "font =",
                     "Map1.txt\" is not a TrueType font"},
        StudyMistake{"EmptyFont", "version = 1", "version = 1\nfont = \"\"", false, "font =", "`font` is empty"}),
    [](const testing::TestParamInfo<StudyMistake>& info) { return std::string(info.param.name); });
