#include <gtest/gtest.h>

#include <sstream>

#include "record/RecordReader.h"

namespace {
const std::string header = "{\"format\":\"torvane-record\",\"version\":1}\n";

// An event line of exactly `bytes` bytes, its length made up by a string field.
std::string LineOfLength(size_t bytes)
{
    const std::string start = "{\"t\":0,\"event\":\"scene\",\"pad\":\"";
    return start + std::string(bytes - start.size() - 2, 'x') + "\"}";
}

// An event line whose field holds `depth` - 1 arrays, one inside the other: `depth` levels in all.
std::string LineOfDepth(int32_t depth)
{
    const auto inner = static_cast<size_t>(depth - 1);
    return "{\"t\":0,\"event\":\"scene\",\"x\":" + std::string(inner, '[') + std::string(inner, ']') + "}";
}

// The reader's limits hold exactly where RECORD.md puts them, and brackets within a string (a
// participant's identifier may hold any character) are no nesting.
TEST(RecordReader, TakesLinesUpToItsLimits)
{
    const struct {
        std::string line;
        std::string refused;  // "" when the line is read
    } cases[] = {
        {LineOfLength(record::maxLineBytes), ""},
        {LineOfLength(record::maxLineBytes + 1), "r:2: a line longer than 1048576 bytes"},
        {LineOfDepth(record::maxDepth), ""},
        {LineOfDepth(record::maxDepth + 1), "r:2: nested deeper than 32 levels"},
        {"{\"t\":0,\"event\":\"scene\",\"x\":\"\\\"" + std::string(100, '[') + "\"}", ""},
        {"{\"t\":0,\"event\":\"scene\",\"x\":\"\\\\\"," + LineOfDepth(record::maxDepth + 1).substr(1), "r:2: nested deeper"},
    };
    for (const auto& item : cases) {
        try {
            const Record record = ParseRecord(header + item.line + "\n", "r");
            EXPECT_EQ(item.refused, "") << item.line.substr(0, 80);
            EXPECT_EQ(record.events.size(), 1u);
        } catch (const RecordError& error) {
            EXPECT_EQ(std::string(error.what()).rfind(item.refused, 0), 0u) << error.what();
            EXPECT_NE(item.refused, "") << error.what();
        }
    }
}

// A first line, then 'x' without end: only a reader that stops at its limit returns.
class EndlessLine : public std::streambuf {
protected:
    int_type underflow() override
    {
        if (!started) {
            setg(head.data(), head.data(), head.data() + head.size());
            started = true;
        } else {
            setg(xs.data(), xs.data(), xs.data() + xs.size());
        }
        return traits_type::to_int_type(*gptr());
    }

private:
    std::string head = header;
    std::string xs = std::string(4096, 'x');
    bool started = false;
};

TEST(RecordReader, StopsReadingAGiantLineAtItsLimit)
{
    EndlessLine endless;
    std::istream in(&endless);
    try {
        ReadRecord(in, "endless");
        FAIL() << "an endless line was read as a record";
    } catch (const RecordError& error) {
        EXPECT_EQ(std::string(error.what()).rfind("endless:2: a line longer than 1048576 bytes", 0), 0u) << error.what();
    }
}
}  // namespace
