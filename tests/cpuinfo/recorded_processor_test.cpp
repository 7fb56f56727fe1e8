// Every dump file in the dump folder is one case: the panel values worked
// out by hand for a real processor, checked against its recorded answers.
#include "dumpfiles.h"
#include "exception.h"
#include "identification_fixture.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

class RecordedProcessorTest : public TIdentificationCaseTest<std::filesystem::path> {
};

TEST_P(RecordedProcessorTest, PanelShowsTheExpectedValues)
{
    const TCpuidDump dump = ReadCpuidDump(GetParam().string());
    TSimulatedClock& clock = SimulateClock({});
    AnswerCpuid(dump.leaves);

    const TKeyValues shown = DumpKeyValues(ReadPanelValues(clock));

    ASSERT_EQ(dump.values.size(), shown.size()) << "the dump lists every key once";
    for (std::size_t i = 0; i < shown.size(); ++i) {
        SCOPED_TRACE(shown[i].first);
        EXPECT_EQ(dump.values[i].first, shown[i].first);
        EXPECT_EQ(Utf8ToAnsi(dump.values[i].second), shown[i].second);
    }
}

INSTANTIATE_TEST_SUITE_P(Dumps, RecordedProcessorTest, ::testing::ValuesIn(DumpFiles()),
    [](const auto& info) { return CaseName(info.param.stem().string()); });

TEST(RecordedProcessors, DumpFolderHoldsDumps) { EXPECT_FALSE(DumpFiles().empty()) << KILNOVA_CPUID_DUMPS; }

struct TMalformedCase {
    const char* what;
    const char* content;
    const char* error;
};

class MalformedDumpTest : public ::testing::TestWithParam<TMalformedCase> {
};

TEST_P(MalformedDumpTest, NamesTheFaultyLine)
{
    const std::filesystem::path path = std::filesystem::path(::testing::TempDir()) / "malformed-dump.txt";
    std::ofstream(path) << GetParam().content;

    try {
        ReadCpuidDump(path.string());
        ADD_FAILURE() << "no exception";
    } catch (const Exception& error) {
        EXPECT_NE(error.Message().find(GetParam().error), std::string::npos) << error.Message();
    }
    std::filesystem::remove(path);
}

INSTANTIATE_TEST_SUITE_P(Files, MalformedDumpTest,
    ::testing::Values(
        TMalformedCase { "register missing", "# t\nCPUID 00000000: 00000001-68747541-444D4163\n", ":2: not a line" },
        TMalformedCase { "value before the dashes", "# t\nvendor = \"x\"\n----\n", ":2: not a line" },
        TMalformedCase { "leaf after the dashes", "# t\n----\nCPUID 00000000: 0-0-0-0\n", ":3: not a line" },
        TMalformedCase { "value without quotes", "# t\n----\nvendor = x\n", ":3: not a line" }),
    TCaseNamer());

TEST(RecordedProcessors, MissingDumpFileIsReported)
{
    EXPECT_THROW(ReadCpuidDump(::testing::TempDir() + "/no-such-dump.txt"), Exception);
}

struct TTextCase {
    const char* what;
    std::string ansi;
    std::string utf8;
};

class TextEncodingTest : public ::testing::TestWithParam<TTextCase> {
};

TEST_P(TextEncodingTest, ConvertsBothWays)
{
    EXPECT_EQ(AnsiToUtf8(GetParam().ansi), GetParam().utf8);
    EXPECT_EQ(Utf8ToAnsi(GetParam().utf8), GetParam().ansi);
}

INSTANTIATE_TEST_SUITE_P(Texts, TextEncodingTest,
    ::testing::Values(TTextCase { "plain", "Pentium 4b", "Pentium 4b" },
        TTextCase { "micro sign", "0.25 \xB5m", "0.25 \xC2\xB5m" },
        TTextCase { "highest 8 bit character", "\xFF", "\xC3\xBF" }),
    TCaseNamer());

TEST(TextEncoding, CharactersBeyond8BitsAreRejected)
{
    EXPECT_THROW(Utf8ToAnsi("\xE2\x82\xAC"), Exception);
    EXPECT_THROW(Utf8ToAnsi("\xC2"), Exception);
}

} // namespace
