// Measures the load loops against the fastest code of the same instructions,
// the scaling over two processors, the processor time of a run's threads,
// Stop's latency, start-up, the window's responsiveness under load and a
// comparison with stress-ng, and prints one table. Ratios come from figures
// measured side by side in this run; absolute times are only reported.
//   kilnova-bench           the full measurement, about two minutes
//   kilnova-bench --smoke   every measurement once, briefly
#include "Thread1.h"
#include "Thread10.h"
#include "Thread11.h"
#include "Thread2.h"
#include "Unit1.h"
#include "chipicons.h"
#include "fakedialogs.h"
#include "fakesystem.h"
#include "timee.h"
#include "waitcursor.h"

#include <QApplication>
#include <QEventLoop>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <functional>
#include <optional>
#include <set>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

bool smoke = false;

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

std::int64_t MonotonicNanoseconds()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

struct TSummary {
    double median = 0, minimum = 0, maximum = 0;
};

TSummary Summarize(std::vector<double> values)
{
    if (values.empty())
        return {};
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    const double median = values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
    return { median, values.front(), values.back() };
}

double Percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[std::min(values.size() - 1, std::size_t(fraction * double(values.size())))];
}

// ---- The table -------------------------------------------------------------

struct TRow {
    std::string figure;
    TSummary value;
    std::string target;
    std::string verdict;   // "met", "missed", or "" for a figure without target
};

std::vector<TRow> rows;
std::vector<std::string> notes;

void Report(const std::string& figure, const TSummary& value, const std::string& target = "",
            std::optional<bool> met = std::nullopt)
{
    rows.push_back({ figure, value, target, met ? (*met ? "met" : "MISSED") : "" });
}

void Note(const std::string& text) { notes.push_back(text); }

void PrintTable()
{
    std::printf("\n| %-66s | %10s | %10s | %10s | %-12s | %-6s |\n", "Figure", "median", "min", "max", "target",
                "");
    std::printf("|%s|%s|%s|%s|%s|%s|\n", std::string(68, '-').c_str(), std::string(12, '-').c_str(),
                std::string(12, '-').c_str(), std::string(12, '-').c_str(), std::string(14, '-').c_str(),
                std::string(8, '-').c_str());
    for (const TRow& row : rows)
        std::printf("| %-66s | %10.3f | %10.3f | %10.3f | %-12s | %-6s |\n", row.figure.c_str(), row.value.median,
                    row.value.minimum, row.value.maximum, row.target.c_str(), row.verdict.c_str());
    std::printf("\n");
    for (const std::string& note : notes)
        std::printf("- %s\n", note.c_str());
}

// ---- What the system reports -----------------------------------------------

std::set<pid_t> TasksOfProcess()
{
    std::set<pid_t> tasks;
    DIR* directory = opendir("/proc/self/task");
    while (const dirent* entry = readdir(directory))
        if (entry->d_name[0] != '.')
            tasks.insert(pid_t(std::atoi(entry->d_name)));
    closedir(directory);
    return tasks;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// Time the task has run on a processor, in seconds; -1 once it has ended.
double TaskCpuSeconds(pid_t process, pid_t task)
{
    std::ifstream schedstat("/proc/" + std::to_string(process) + "/task/" + std::to_string(task) + "/schedstat");
    long long nanoseconds = -1;
    schedstat >> nanoseconds;
    return nanoseconds < 0 ? -1 : double(nanoseconds) / 1e9;
}

long long VmRssKilobytes(pid_t process)
{
    std::istringstream status(ReadFile("/proc/" + std::to_string(process) + "/status"));
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atoll(line.c_str() + 6);
    return -1;
}

// Clock ticks of all processors from /proc/stat, and of this process.
struct TMachineTicks {
    long long busy = 0, total = 0, own = 0;
};

TMachineTicks ReadMachineTicks(const std::vector<pid_t>& alsoOwn = {})
{
    TMachineTicks ticks;
    std::istringstream stat(ReadFile("/proc/stat"));
    std::string cpu;
    long long user, nice, system, idle, iowait, irq, softirq, steal;
    stat >> cpu >> user >> nice >> system >> idle >> iowait >> irq >> softirq >> steal;
    ticks.busy = user + nice + system + irq + softirq + steal;
    ticks.total = ticks.busy + idle + iowait;
    std::vector<pid_t> processes = alsoOwn;
    processes.push_back(getpid());
    for (const pid_t process : processes) {
        const std::string text = ReadFile("/proc/" + std::to_string(process) + "/stat");
        const std::size_t afterName = text.rfind(')');
        if (afterName == std::string::npos)
            continue;
        std::istringstream fields(text.substr(afterName + 2));
        std::string field;
        for (int index = 3; index <= 15 && fields >> field; ++index)
            if (index == 14 || index == 15)
                ticks.own += std::atoll(field.c_str());
    }
    return ticks;
}

// The share of all processors that others than this measurement kept busy.
double OthersShare(const TMachineTicks& before, const TMachineTicks& after)
{
    const long long total = after.total - before.total;
    const long long others = (after.busy - before.busy) - (after.own - before.own);
    return total > 0 ? std::max(0.0, double(others) / double(total)) : 0;
}

void NoteOthers(const char* during, const TMachineTicks& before, const TMachineTicks& after)
{
    char text[160];
    std::snprintf(text, sizeof text, "During %s, other programs kept %.1f %% of both processors busy.", during,
                  100 * OthersShare(before, after));
    Note(text);
}

void RunEventsFor(double seconds)
{
    QEventLoop loop;
    QTimer::singleShot(int(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
}

bool WaitUntil(const std::function<bool()>& done, double seconds = 10)
{
    const Clock::time_point start = Clock::now();
    while (!done()) {
        if (SecondsSince(start) > seconds)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    return true;
}

// ---- Load-loop efficiency --------------------------------------------------

// A chain of dependent register additions, eight per round: one core cycle
// each, whatever the clock of the moment. Register operands, as additions of
// an immediate may be folded away before they execute.
void DependentAdditions(long rounds)
{
    long accumulator = 0;
    const long one = 1;
    asm volatile(".p2align 6\n"
                 "1:\n\t"
                 "add %[one], %[accumulator]\n\tadd %[one], %[accumulator]\n\t"
                 "add %[one], %[accumulator]\n\tadd %[one], %[accumulator]\n\t"
                 "add %[one], %[accumulator]\n\tadd %[one], %[accumulator]\n\t"
                 "add %[one], %[accumulator]\n\tadd %[one], %[accumulator]\n\t"
                 "dec %[rounds]\n\t"
                 "jnz 1b\n"
                 : [accumulator] "+r"(accumulator), [rounds] "+r"(rounds)
                 : [one] "r"(one)
                 : "cc");
}
constexpr long additionsPerRound = 8;

// The fastest code of a load thread's instruction mix: per operation exactly
// one load, one addition or multiplication and one store, and the counter.
void FastestAdditions(volatile float* operand, volatile float* result, long iterations)
{
    asm volatile(".p2align 6\n"
                 "1:\n\t"
                 "movss (%[operand]), %%xmm0\n\t"
                 "addss %%xmm0, %%xmm0\n\t"
                 "movss %%xmm0, (%[result])\n\t"
                 "movss (%[operand]), %%xmm0\n\t"
                 "addss %%xmm0, %%xmm0\n\t"
                 "movss %%xmm0, (%[result])\n\t"
                 "dec %[iterations]\n\t"
                 "jnz 1b\n"
                 : [iterations] "+r"(iterations)
                 : [operand] "r"(operand), [result] "r"(result)
                 : "xmm0", "memory", "cc");
}

void FastestMultiplications(volatile float* operand, volatile float* result, long iterations)
{
    asm volatile(".p2align 6\n"
                 "1:\n\t"
                 "movss (%[operand]), %%xmm0\n\t"
                 "mulss %%xmm0, %%xmm0\n\t"
                 "movss %%xmm0, (%[result])\n\t"
                 "dec %[iterations]\n\t"
                 "jnz 1b\n"
                 : [iterations] "+r"(iterations)
                 : [operand] "r"(operand), [result] "r"(result)
                 : "xmm0", "memory", "cc");
}

// Runs `passes` passes of the program's loop: one per call, as RunFinished is 1.
void RunProgramPasses(TLoadPasses loop, std::int32_t passLength, long passes)
{
    TLoadStorage storage;
    storage.passLength = passLength;
    for (long pass = 0; pass < passes; ++pass)
        loop(&storage);
}

struct TLoopCase {
    const char* name;
    std::function<void(long iterations)> run;   // runs about that many iterations
    std::vector<double> cyclesPerIteration;
};

void MeasureLoopEfficiency()
{
    RunFinished = 1;
    const long iterations = smoke ? 2'000'000 : 40'000'000;
    const int repetitions = smoke ? 3 : 15;
    const long calibrationRounds = iterations / additionsPerRound;
    TLoadStorage fastest;
    // Passes shorter than the class's own 1e9 iterations run the same code.
    const auto programLoop = [](TLoadPasses loop, std::int32_t classPassLength) {
        return [loop, classPassLength](long total) {
            const std::int32_t passLength = std::int32_t(std::min<long>(classPassLength, total));
            RunProgramPasses(loop, passLength, total / passLength);
        };
    };
    std::vector<TLoopCase> cases = {
        { "fastest two additions", [&](long n) { FastestAdditions(&fastest.operand, &fastest.result, n); }, {} },
        { "TThread1 (two additions, passes of 1e6)", programLoop(RunAdditionPasses, 1'000'000), {} },
        { "TThread10 (two additions)", programLoop(RunAdditionPasses, 1'000'000'000), {} },
        { "fastest multiplication", [&](long n) { FastestMultiplications(&fastest.operand, &fastest.result, n); }, {} },
        { "TThread2 (multiplication)", programLoop(RunMultiplicationPasses, 1'000'000'000), {} },
        { "TThread11 (multiplication)", programLoop(RunMultiplicationPasses, 1'000'000'000), {} },
    };
    const auto timed = [](const std::function<void()>& work) {
        const Clock::time_point start = Clock::now();
        work();
        return SecondsSince(start);
    };
    for (int repetition = 0; repetition < repetitions; ++repetition) {
        // The core clock is calibrated around each case, as it moves.
        for (TLoopCase& loopCase : cases) {
            const double before = timed([&] { DependentAdditions(calibrationRounds); });
            const double seconds = timed([&] { loopCase.run(iterations); });
            const double after = timed([&] { DependentAdditions(calibrationRounds); });
            const double secondsPerCycle = (before + after) / 2 / double(calibrationRounds * additionsPerRound);
            loopCase.cyclesPerIteration.push_back(seconds / secondsPerCycle / double(iterations));
        }
    }
    for (const TLoopCase& loopCase : cases)
        Report(std::string("cycles/iteration, ") + loopCase.name, Summarize(loopCase.cyclesPerIteration));
    for (const std::size_t fastestIndex : { 0u, 3u }) {
        for (std::size_t index = fastestIndex + 1; index < fastestIndex + 3; ++index) {
            std::vector<double> efficiency;
            for (int repetition = 0; repetition < repetitions; ++repetition)
                efficiency.push_back(cases[fastestIndex].cyclesPerIteration[repetition]
                                     / cases[index].cyclesPerIteration[repetition]);
            const TSummary summary = Summarize(efficiency);
            Report(std::string("fastest / ") + cases[index].name, summary, ">= 0.95", summary.median >= 0.95);
        }
    }
    RunFinished = 0;
}

// ---- Scaling over two processors -------------------------------------------

void PinToProcessor(int processor)
{
    cpu_set_t processors;
    CPU_ZERO(&processors);
    CPU_SET(processor, &processors);
    pthread_setaffinity_np(pthread_self(), sizeof processors, &processors);
}

// Runs each work on a thread of its own, pinned to processors 0, 1...;
// returns each work's own time, from its start on its processor.
std::vector<double> RunPinned(const std::vector<std::function<void()>>& works)
{
    std::vector<double> seconds(works.size());
    std::vector<std::thread> threads;
    for (std::size_t processor = 0; processor < works.size(); ++processor)
        threads.emplace_back([&, processor] {
            PinToProcessor(int(processor));
            const Clock::time_point start = Clock::now();
            works[processor]();
            seconds[processor] = SecondsSince(start);
        });
    for (std::thread& thread : threads)
        thread.join();
    return seconds;
}

double Slowest(const std::vector<double>& seconds) { return *std::max_element(seconds.begin(), seconds.end()); }

void MeasureScaling()
{
    if (std::thread::hardware_concurrency() < 2) {
        Note("Scaling: skipped, this machine has one processor.");
        return;
    }
    RunFinished = 1;
    const std::int32_t passLength = smoke ? 2'000'000 : 200'000'000;
    const int repetitions = smoke ? 2 : 15;
    const auto programPass = [passLength] { RunProgramPasses(RunMultiplicationPasses, passLength, 1); };
    // Separate lines, as each load thread has, against two threads' values on one line.
    TLoadStorage storages[2];
    struct alignas(64) TSharedLine {
        volatile float values[16];
    } shared {};
    const auto fastestOn = [passLength](volatile float* operand, volatile float* result) {
        return [=] { FastestAdditions(operand, result, passLength); };
    };
    std::vector<double> scaling, sharingCost;
    for (int repetition = 0; repetition < repetitions; ++repetition) {
        const double one = RunPinned({ programPass })[0];
        const std::vector<double> two = RunPinned({ programPass, programPass });
        scaling.push_back(one / two[0] + one / two[1]);
        const double separate = Slowest(RunPinned({ fastestOn(&storages[0].operand, &storages[0].result),
                                                    fastestOn(&storages[1].operand, &storages[1].result) }));
        const double sharing = Slowest(RunPinned({ fastestOn(&shared.values[0], &shared.values[1]),
                                                   fastestOn(&shared.values[2], &shared.values[3]) }));
        sharingCost.push_back(sharing / separate);
    }
    const TSummary summary = Summarize(scaling);
    Report("throughput of 2 load threads on 2 processors / 1", summary, ">= 1.95", summary.median >= 1.95);
    Report("time of 2 threads whose values share a cache line / apart", Summarize(sharingCost));
    static_assert(alignof(TLoadStorage) == 64 && sizeof(TLoadStorage) == 64, "a load thread's storage fills a line");
    RunFinished = 0;
}

// ---- Processor time of a run's threads -------------------------------------

// The threads a Start added, in the order they were created.
std::vector<pid_t> NewTasks(const std::set<pid_t>& before)
{
    std::vector<pid_t> added;
    for (const pid_t task : TasksOfProcess())
        if (!before.contains(task))
            added.push_back(task);
    return added;   // task ids grow with creation
}

int SingleProcessorOf(pid_t task)
{
    cpu_set_t processors;
    CPU_ZERO(&processors);
    if (sched_getaffinity(task, sizeof processors, &processors) != 0 || CPU_COUNT(&processors) != 1)
        return -1;
    for (int processor = 0;; ++processor)
        if (CPU_ISSET(processor, &processors))
            return processor;
}

// The load threads' shares of their processor during a run at normal priority.
void MeasureRunProcessorTime()
{
    if (GetProcessorCount() < 2) {
        Note("Run processor time: skipped, this machine has one processor.");
        return;
    }
    const double seconds = smoke ? 1 : 10;
    const std::set<pid_t> before = TasksOfProcess();
    TForm1 form;
    form.RadioButton2->setChecked(true);
    form.Button4Click();
    const std::vector<pid_t> tasks = NewTasks(before);
    // Created in this order by a run on two or more processors.
    const char* const names[] = { "TThread1", "TThread2", "TThread10", "TThread11", "TTimee" };
    if (tasks.size() != std::size(names)) {
        Note("Run processor time: a run made " + std::to_string(tasks.size()) + " threads, not 5; not measured.");
        form.Button5Click();
        return;
    }
    std::vector<double> cpuBefore;
    for (const pid_t task : tasks)
        cpuBefore.push_back(TaskCpuSeconds(getpid(), task));
    const TMachineTicks ticksBefore = ReadMachineTicks();
    const Clock::time_point start = Clock::now();
    RunEventsFor(seconds);
    std::vector<double> cpuAfter;
    for (const pid_t task : tasks)
        cpuAfter.push_back(TaskCpuSeconds(getpid(), task));
    const double wall = SecondsSince(start);
    const TMachineTicks ticksAfter = ReadMachineTicks();
    std::vector<int> processors;
    for (const pid_t task : tasks)
        processors.push_back(SingleProcessorOf(task));
    form.Button5Click();

    double perProcessor[2] = { 0, 0 };
    for (std::size_t index = 0; index + 1 < tasks.size(); ++index) {
        const double share = (cpuAfter[index] - cpuBefore[index]) / wall;
        Report(std::string("CPU / wall, ") + names[index] + " (on CPU " + std::to_string(processors[index] + 1) + ")",
               { share, share, share });
        if (processors[index] == 0 || processors[index] == 1)
            perProcessor[processors[index]] += share;
    }
    for (int processor = 0; processor < 2; ++processor) {
        const double share = perProcessor[processor];
        Report("CPU / wall, both load threads of CPU " + std::to_string(processor + 1), { share, share, share },
               ">= 0.99", share >= 0.99);
    }
    // What other programs took of the processors was not the run's to have.
    const double othersShare = OthersShare(ticksBefore, ticksAfter);
    const double ofTheRest = (perProcessor[0] + perProcessor[1]) / (2 * (1 - othersShare));
    Report("CPU / wall, load threads, of the time others left", { ofTheRest, ofTheRest, ofTheRest }, ">= 0.99",
           ofTheRest >= 0.99);
    const double timee = (cpuAfter.back() - cpuBefore.back()) / wall;
    Report("CPU / wall, TTimee", { timee, timee, timee });
    NoteOthers("the run at normal priority", ticksBefore, ticksAfter);
}

// ---- Stop latency ----------------------------------------------------------

void ResetRunHandles()
{
    for (auto* handle : { &Thread1Handle, &Thread2Handle, &Thread10Handle, &Thread11Handle, &TimerHandle })
        *handle = 0;
}

void MeasureStopLatency()
{
    const int runs = smoke ? 5 : 200;
    for (const long processorCount : { 1L, 2L }) {
        TFakeSystemCalls system;
        system.processorCount = processorCount;
        TForm1 form;
        const int loadThreads = processorCount == 1 ? 2 : 4;
        std::vector<double> stop, tasksGone;
        int leftAtReturn = 0;
        for (int run = 0; run < runs; ++run) {
            ResetRunHandles();
            const std::set<pid_t> before = TasksOfProcess();
            form.Button4Click();
            // Every thread in its body: the load threads in their passes.
            const bool started = WaitUntil([&] {
                return TimerHandle != 0 && Thread1Handle != 0 && Thread2Handle != 0
                    && (processorCount == 1 || (Thread10Handle != 0 && Thread11Handle != 0));
            });
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            const Clock::time_point clicked = Clock::now();
            form.Button5Click();
            stop.push_back(SecondsSince(clicked) * 1000);
            leftAtReturn = std::max(leftAtReturn, int(NewTasks(before).size()));
            while (!NewTasks(before).empty() && SecondsSince(clicked) < 5)
                std::this_thread::yield();
            tasksGone.push_back(SecondsSince(clicked) * 1000);
            QCoreApplication::processEvents();
            if (!started) {
                Note("Stop latency: a run's threads did not start.");
                break;
            }
        }
        const std::string threads = std::to_string(loadThreads + 1) + " threads";
        const TSummary summary = Summarize(stop);
        Report("Stop -> every thread ended, ms, " + threads, summary, "<1 / max<20",
               summary.median < 1 && summary.maximum < 20);
        Report("Stop -> threads gone from /proc/self/task, ms, " + threads, Summarize(tasksGone));
        Note("Stop latency, " + threads + ": " + std::to_string(stop.size()) + " runs; at most "
             + std::to_string(leftAtReturn) + " ended threads still listed in /proc/self/task when Stop returned.");
    }

    // A timed run ends by itself; its load threads end with their pass.
    TFakeSystemCalls system;
    system.sleepMilliseconds = 0;
    TForm1 form;
    form.RadioButton8->setChecked(true);
    std::vector<double> lastPass;
    for (int run = 0; run < (smoke ? 1 : 5); ++run) {
        ResetRunHandles();
        form.Button4Click();
        while (RunFinished != 1)
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        const Clock::time_point ended = Clock::now();
        std::vector<THandle> handles;
        for (const auto* handle : { &Thread1Handle, &Thread2Handle, &Thread10Handle, &Thread11Handle }) {
            while (*handle == 0)
                std::this_thread::yield();
            handles.push_back(*handle);
        }
        for (const THandle handle : handles)
            WaitForSingleObject(handle, INFINITE);
        lastPass.push_back(SecondsSince(ended) * 1000);
        QCoreApplication::processEvents();
    }
    form.Button5Click();
    Report("timed run's end -> last load thread ended, ms (one pass)", Summarize(lastPass));
}

// ---- Start-up --------------------------------------------------------------

// The program's start as app/main.cpp makes it, until the window is first
// painted; prints that moment and the resident memory then.
int StartupChild(int argc, char* argv[])
{
    TWaitCursor waitCursor;
    QApplication application(argc, argv);
    QApplication::setStyle(QStringLiteral("Windows"));
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(IdleChip(32));
    TForm1 Form1;

    struct TFirstPaint : QObject {
        std::int64_t at = 0;
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::Paint && at == 0) {
                at = MonotonicNanoseconds();
                QTimer::singleShot(0, qApp, &QCoreApplication::quit);
            }
            return false;
        }
    } firstPaint;
    Form1.installEventFilter(&firstPaint);
    Form1.show();
    QApplication::exec();
    std::printf("%lld %lld\n", static_cast<long long>(firstPaint.at), VmRssKilobytes(getpid()));
    return 0;
}

std::string SiblingProgram(const char* name)
{
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    std::string self(path, std::size_t(std::max<ssize_t>(length, 0)));
    return self.substr(0, self.rfind('/') + 1) + name;
}

// Starts the program with its output into a pipe that is returned.
pid_t Spawn(const std::vector<std::string>& arguments, int* output)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child = -1;
    if (posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        child = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    *output = pipeEnds[0];
    return child;
}

void MeasureStartup()
{
    const int launches = smoke ? 1 : 10;
    std::vector<double> shown, resident;
    for (int launch = 0; launch < launches; ++launch) {
        int output = -1;
        const std::int64_t started = MonotonicNanoseconds();
        const pid_t child = Spawn({ SiblingProgram("kilnova-bench"), "--startup-child" }, &output);
        char text[128] = {};
        const ssize_t length = child > 0 ? read(output, text, sizeof text - 1) : -1;
        close(output);
        if (child > 0)
            waitpid(child, nullptr, 0);
        long long paintedAt = 0, rssKilobytes = 0;
        if (length <= 0 || std::sscanf(text, "%lld %lld", &paintedAt, &rssKilobytes) != 2 || paintedAt == 0) {
            Note("Start-up: a launch reported nothing.");
            continue;
        }
        shown.push_back(double(paintedAt - started) / 1e6);
        resident.push_back(double(rssKilobytes) / 1024);
    }
    TSummary summary = Summarize(shown);
    Report("launch -> window first painted, ms (incl. 100 ms clock)", summary, "<= 350", summary.median <= 350);
    summary = Summarize(resident);
    Report("VmRSS after start-up, MB", summary, "<= 40", summary.maximum <= 40);

    // The program itself, for its resident memory once it has settled.
    int output = -1;
    const pid_t program = Spawn({ SiblingProgram("kilnova") }, &output);
    if (program > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(smoke ? 500 : 1500));
        const double megabytes = double(VmRssKilobytes(program)) / 1024;
        kill(program, SIGTERM);
        waitpid(program, nullptr, 0);
        Report("VmRSS of build/bin/kilnova after start-up, MB", { megabytes, megabytes, megabytes }, "<= 40",
               megabytes > 0 && megabytes <= 40);
    }
    close(output);
}

// ---- Responsiveness under load ---------------------------------------------

// The lateness of a 50 ms timer of the window's thread during a run at the
// priority of the button.
void MeasureResponsiveness(QRadioButton* TForm1::*priorityButton, const char* priorityName, double seconds)
{
    TFakeDialogs dialogs;
    dialogs.answerYes = true;
    TForm1 form;
    (form.*priorityButton)->setChecked(true);
    const TMachineTicks ticksBefore = ReadMachineTicks();
    form.Button4Click();
    const bool permitted = dialogs.errors.isEmpty();
    std::vector<double> lateness;
    const Clock::time_point start = Clock::now();
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    Clock::time_point armed = Clock::now();
    QObject::connect(&timer, &QTimer::timeout, [&] {
        lateness.push_back(SecondsSince(armed) * 1000 - 50);
        if (SecondsSince(start) >= seconds) {
            loop.quit();
            return;
        }
        armed = Clock::now();
        timer.start(50);
    });
    timer.start(50);
    loop.exec();
    form.Button5Click();
    const TMachineTicks ticksAfter = ReadMachineTicks();
    SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
    const double p99 = Percentile(lateness, 0.99);
    const std::string priority = permitted ? priorityName : std::string(priorityName) + " refused";
    Report("50 ms UI timer lateness p50, ms, 4 load threads " + priority, { Percentile(lateness, 0.5),
           Summarize(lateness).minimum, Summarize(lateness).maximum });
    Report("50 ms UI timer lateness p99, ms, 4 load threads " + priority, { p99, p99, p99 }, "<= 50", p99 <= 50);
    NoteOthers((std::string("the run at ") + priorityName).c_str(), ticksBefore, ticksAfter);
}

void MeasureResponsiveness()
{
    MeasureResponsiveness(&TForm1::RadioButton4, "time-critical", smoke ? 1 : 10);
    MeasureResponsiveness(&TForm1::RadioButton3, "high", smoke ? 1 : 5);
}

// ---- Side by side with stress-ng -------------------------------------------

std::string FoundInPath(const char* program)
{
    std::istringstream path(std::getenv("PATH") ? std::getenv("PATH") : "");
    std::string directory;
    while (std::getline(path, directory, ':'))
        if (access((directory + "/" + program).c_str(), X_OK) == 0)
            return directory + "/" + program;
    return {};
}

std::vector<pid_t> ChildrenOf(pid_t process)
{
    std::istringstream children(
        ReadFile("/proc/" + std::to_string(process) + "/task/" + std::to_string(process) + "/children"));
    std::vector<pid_t> found;
    for (pid_t child; children >> child;)
        found.push_back(child);
    return found;
}

void MeasureStressNg()
{
    const std::string stressNg = FoundInPath("stress-ng");
    if (stressNg.empty()) {
        Note("stress-ng: not installed, row skipped.");
        return;
    }
    if (smoke) {
        Note("stress-ng: skipped in the smoke run.");
        return;
    }
    const int seconds = 10;
    int output = -1;
    const pid_t stress = Spawn({ stressNg, "--cpu", "2", "--cpu-method", "float", "--timeout",
                                 std::to_string(seconds + 3) + "s", "--quiet" }, &output);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const std::vector<pid_t> workers = ChildrenOf(stress);
    std::vector<double> before;
    for (const pid_t worker : workers)
        before.push_back(TaskCpuSeconds(worker, worker));
    const TMachineTicks ticksBefore = ReadMachineTicks(workers);
    const Clock::time_point start = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    std::vector<double> shares;
    for (std::size_t index = 0; index < workers.size(); ++index)
        shares.push_back((TaskCpuSeconds(workers[index], workers[index]) - before[index]) / SecondsSince(start));
    const TMachineTicks ticksAfter = ReadMachineTicks(workers);
    waitpid(stress, nullptr, 0);
    close(output);
    Report("CPU / wall per stress-ng --cpu-method float worker (" + std::to_string(workers.size()) + ")",
           Summarize(shares));
    NoteOthers("the stress-ng run", ticksBefore, ticksAfter);
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc > 1 && std::strcmp(argv[1], "--startup-child") == 0)
        return StartupChild(argc, argv);
    smoke = argc > 1 && std::strcmp(argv[1], "--smoke") == 0;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);

    const TMachineTicks ticksBefore = ReadMachineTicks();
    const struct {
        const char* name;
        void (*measure)();
    } measurements[] = {
        { "load-loop efficiency", MeasureLoopEfficiency },
        { "scaling", MeasureScaling },
        { "processor time of a run", MeasureRunProcessorTime },
        { "Stop latency", MeasureStopLatency },
        { "start-up", MeasureStartup },
        { "responsiveness under load", MeasureResponsiveness },
        { "stress-ng", MeasureStressNg },
    };
    for (const auto& measurement : measurements) {
        std::fprintf(stderr, "measuring %s...\n", measurement.name);
        measurement.measure();
    }
    NoteOthers("the whole benchmark", ticksBefore, ReadMachineTicks());
    PrintTable();
    return 0;
}
