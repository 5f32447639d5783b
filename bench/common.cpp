#include "common.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>

#ifdef _WIN32
#include <windows.h>
#include <psapi.h>
#else
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

double Seconds(const std::function<void()> &work)
{
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The ratios of runs made side by side.
static std::vector<double> Ratios(const std::vector<double> &a, const std::vector<double> &b)
{
    std::vector<double> ratios;
    for (size_t i = 0; i < a.size() && i < b.size(); i++)
        ratios.push_back(a[i] / b[i]);
    return ratios;
}

double RatioMedian(const std::vector<double> &a, const std::vector<double> &b)
{
    return Median(Ratios(a, b));
}

std::string RatioQuartiles(const std::vector<double> &a, const std::vector<double> &b)
{
    std::vector<double> ratios = Ratios(a, b);
    std::sort(ratios.begin(), ratios.end());
    char text[32];
    snprintf(text, sizeof text, "%.2f-%.2f", ratios[ratios.size() / 4], ratios[ratios.size() * 3 / 4]);
    return text;
}

// Text of short lines, 40 to 80 bytes each, ending in the given break.
std::string Text(size_t size, const char *lineBreak, unsigned seed)
{
    std::mt19937 random(seed);
    std::string text;
    text.reserve(size + 100);
    while (text.size() < size) {
        size_t length = 40 + random() % 41 - strlen(lineBreak);
        for (size_t i = 0; i < length; i++)
            text += (char)('a' + random() % 26);
        text += lineBreak;
    }
    text.resize(size);
    return text;
}

void SaveFile(const std::string &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary).write(bytes.data(), (std::streamsize)bytes.size());
}

#ifdef _WIN32
double RunChild(const std::vector<std::string> &args)
{
    std::string line;
    for (const std::string &arg : args)
        line += "\"" + arg + "\" ";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    HANDLE null = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    startup.hStdOutput = startup.hStdError = null;
    PROCESS_INFORMATION process = {};
    fflush(stdout);
    double seconds = Seconds([&] {
        if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
            WaitForSingleObject(process.hProcess, INFINITE);
    });
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(null);
    return seconds;
}

static long OwnPeakKiB()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return (long)(counters.PeakWorkingSetSize / 1024);
}
#else
double RunChild(const std::vector<std::string> &args)
{
    fflush(stdout);
    return Seconds([&] {
        pid_t child = fork();
        if (child == 0) {
            freopen("/dev/null", "w", stdout);
            std::vector<char *> argv;
            for (const std::string &arg : args)
                argv.push_back((char *)arg.c_str());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        int status = 0;
        waitpid(child, &status, 0);
    });
}

static long OwnPeakKiB()
{
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}
#endif

static const char PeakFile[] = "peak.txt";

void TellPeak()
{
    FILE *told = fopen(PeakFile, "w");
    if (told) {
        fprintf(told, "%ld\n", OwnPeakKiB());
        fclose(told);
    }
}

long ChildPeakKiB(const std::vector<std::string> &args)
{
    long peak = -1;
    remove(PeakFile);
    RunChild(args);
    FILE *told = fopen(PeakFile, "r");
    if (told) {
        if (fscanf(told, "%ld", &peak) != 1)
            peak = -1;
        fclose(told);
    }
    remove(PeakFile);
    return peak;
}
