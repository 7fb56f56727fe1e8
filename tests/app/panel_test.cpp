#include "dumpfiles.h"
#include "Unit1.h"
#include "cpuid_dump.h"
#include "fakedialogs.h"
#include "qstringprint.h"
#include "identification_fixture.h"

#include <QLabel>
#include <QPushButton>

#include <x86intrin.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

class RecordingSource : public TRegisterTableSource {
public:
    using TRegisterTableSource::TRegisterTableSource;
    CPUIDRegisters Query(std::uint32_t leaf) override
    {
        leaves.push_back(leaf);
        return TRegisterTableSource::Query(leaf);
    }
    std::vector<std::uint32_t> leaves;
};

class PanelTest : public TIdentificationTest {
protected:
    TFakeDialogs dialogs;
};

TEST_F(PanelTest, EveryRecordedProcessorShowsItsTexts)
{
    const auto files = DumpFiles();
    ASSERT_FALSE(files.empty());
    for (const auto& file : files) {
        SCOPED_TRACE(file.filename().string());
        ResetIdentificationResults();
        const TCpuidDump dump = ReadCpuidDump(file.string());
        SimulateClock({});
        AnswerCpuid(dump.leaves);
        TForm1 form;
        const std::pair<const char*, QLabel*> labels[] = {
            { "label7", form.Label7 },   { "label9", form.Label9 },   { "label10", form.Label10 },
            { "label11", form.Label11 }, { "label14", form.Label14 },
        };
        for (const auto& [key, label] : labels) {
            const auto expected = std::find_if(dump.values.begin(), dump.values.end(),
                                               [&](const auto& value) { return value.first == key; });
            ASSERT_NE(expected, dump.values.end()) << key;
            EXPECT_EQ(label->text().toStdString(), expected->second) << key;
        }
        EXPECT_TRUE(form.Label8->text().endsWith(" MHz"));
        EXPECT_TRUE(dialogs.errors.isEmpty());
    }
}

TEST_F(PanelTest, IdentificationRunsInTheOrderItReliesOn)
{
    const TCpuidDump dump = ReadCpuidDump(std::string(KILNOVA_CPUID_DUMPS) + "/intel-pentium-4-cpu-3.20ghz.txt");
    SimulateClock({});
    RecordingSource source(dump.leaves);
    SetCpuidSource(&source);
    TForm1 form;
    // Name (signature, vendor), process (vendor), clock (vendor), Intel
    // caches (vendor, leaf 2), AMD test (vendor), signature, extended signature.
    const std::vector<std::uint32_t> expected = { 1, 0, 0, 0, 0, 2, 0, 1, 0x80000001, 0 };
    EXPECT_EQ(source.leaves, expected);
}

TEST_F(PanelTest, AClockErrorEndsTheFillingAtItsStepAndTheWindowStillWorks)
{
    // This processor, with a performance counter that reports no frequency.
    struct TZeroFrequency : TSystemCalls {
        std::int64_t PerformanceFrequency() override { return 0; }
    } zeroFrequency;
    SetSystemCalls(&zeroFrequency);
    TForm1 form;
    EXPECT_EQ(dialogs.errors, QStringList { "Floating point division by zero." });
    EXPECT_NE(form.Label7->text(), "Label7") << "the steps before the clock are done";
    for (const auto& [label, caption] : { std::pair { form.Label8, "label8" }, { form.Label9, "Label9" },
                                          { form.Label10, "Label10" }, { form.Label11, "Label11" },
                                          { form.Label14, "Label14" } })
        EXPECT_EQ(label->text(), caption);
    EXPECT_FALSE(form.Button5->isEnabled()) << "the initial states are set before the panel";
    SetSystemCalls(nullptr);
    form.Button4->click();
    EXPECT_TRUE(form.Button5->isEnabled());
    form.Button5->click();
    EXPECT_TRUE(form.Button4->isEnabled());
}

TEST_F(PanelTest, WithoutCpuidTheExtendedSignatureReadsZeros)
{
    SimulateClock({});
    AnswerCpuid({}, false);
    TForm1 form;
    EXPECT_EQ(form.Label14->text(), "000");
}

TEST_F(PanelTest, ThisMachineShowsItsCountSignatureAndClock)
{
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line;
    int family = -1, model = -1, stepping = -1;
    while (std::getline(cpuinfo, line) && stepping < 0) {
        const auto value = [&] { return std::stoi(line.substr(line.find(':') + 1)); };
        if (line.rfind("cpu family", 0) == 0)
            family = value();
        else if (line.rfind("model\t", 0) == 0)
            model = value();
        else if (line.rfind("stepping", 0) == 0)
            stepping = value();
    }
    if (stepping < 0)
        GTEST_SKIP() << "no signature in /proc/cpuinfo";

    // The time-stamp counter's rate against the monotonic clock.
    const auto wallBefore = std::chrono::steady_clock::now();
    const std::uint64_t ticksBefore = __rdtsc();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const std::uint64_t ticks = __rdtsc() - ticksBefore;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
    const double megahertz = ticks / seconds / 1e6;

    TForm1 form;
    EXPECT_EQ(form.Label5->text(), QString::number(sysconf(_SC_NPROCESSORS_ONLN)));
    EXPECT_EQ(form.Label11->text(),
              QString::number(family & 15) + QString::number(model & 15) + QString::number(stepping));
    const double shown = form.Label8->text().section(' ', 0, 0).toDouble();
    EXPECT_NEAR(shown, megahertz, megahertz / 100) << form.Label8->text().toStdString();
}

} // namespace
